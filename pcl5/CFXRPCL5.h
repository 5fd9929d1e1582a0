#pragma once
// The PCL5 page: fonts, macros and symbol sets stored by number.

#include "app/ResourcePage.h"

namespace presswick {

class CFXRPCL5 : public ResourcePage {
    Q_OBJECT
public:
    explicit CFXRPCL5(CFXRApp& app);

    void UpdatePcl5Controls();

protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
};

}  // namespace presswick
