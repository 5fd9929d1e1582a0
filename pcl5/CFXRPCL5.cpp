#include "pcl5/CFXRPCL5.h"

#include "app/CFXRApp.h"
#include "res/Controls.h"
#include "res/Texts.h"

#include <QComboBox>

namespace presswick {

CFXRPCL5::CFXRPCL5(CFXRApp& app)
    : ResourcePage(app, ids::Pcl5Page, ids::Pcl5PrinterList, QString::fromUtf8(texts::Pcl5PageCaption)) {}

bool CFXRPCL5::OnInitDialog() {
    app_.Pcl5FileTypeChoice = ids::Pcl5Font;
    app_.Pcl5ActionChoice = ids::Pcl5Download;
    app_.Pcl5LocationChoice = ids::Pcl5Disk;
    ListSupportedPrinters();
    connect(printerList(), &QComboBox::activated, this, &CFXRPCL5::UpdatePcl5Controls);
    UpdatePcl5Controls();
    return true;
}

bool CFXRPCL5::OnSetActive() {
    ListSupportedPrinters();
    UpdatePcl5Controls();
    return true;
}

void CFXRPCL5::UpdatePcl5Controls() {
    TakeSelectedPrinter();
}

}  // namespace presswick
