#pragma once
// The About page: the product name and version.

#include "app/PropertyPage.h"

namespace presswick {

class CFXRAbout : public PropertyPage {
    Q_OBJECT
public:
    CFXRAbout();
};

}  // namespace presswick
