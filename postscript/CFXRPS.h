#pragma once
// The PostScript page: Type 1 fonts, overlays and colour profiles stored by name.

#include "app/ResourcePage.h"

namespace presswick {

class CFXRPS : public ResourcePage {
    Q_OBJECT
public:
    explicit CFXRPS(CFXRApp& app);

    void UpdatePsControls();

protected:
    bool OnInitDialog() override;
    bool OnSetActive() override;
};

}  // namespace presswick
