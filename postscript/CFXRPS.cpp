#include "postscript/CFXRPS.h"

#include "res/Controls.h"
#include "res/Texts.h"

#include <QComboBox>

namespace presswick {

CFXRPS::CFXRPS(CFXRApp& app)
    : ResourcePage(app, ids::PostScriptPage, ids::PsPrinterList, QString::fromUtf8(texts::PostScriptPageCaption)) {}

bool CFXRPS::OnInitDialog() {
    ListSupportedPrinters();
    connect(printerList(), &QComboBox::activated, this, &CFXRPS::UpdatePsControls);
    UpdatePsControls();
    return true;
}

bool CFXRPS::OnSetActive() {
    ListSupportedPrinters();
    UpdatePsControls();
    return true;
}

void CFXRPS::UpdatePsControls() {
    TakeSelectedPrinter();
}

}  // namespace presswick
