#include "app/ResourcePage.h"

#include "app/CFXRApp.h"
#include "res/Texts.h"

#include <QComboBox>

namespace presswick {

ResourcePage::ResourcePage(CFXRApp& app, int templateId, int printerListId, QString caption)
    : PropertyPage(templateId, std::move(caption)), app_(app), printerListId_(printerListId) {}

QComboBox* ResourcePage::printerList() const { return control<QComboBox>(printerListId_); }

void ResourcePage::ListSupportedPrinters() {
    if (!app_.EnumerateSupportedPrinters(printerList(), app_.CurrentPrinterName))
        Message({std::string(texts::NoSupportedDriver), std::string(texts::MessageCaption),
                 MessageIcon::Warning, MessageButtons::Ok});
}

bool ResourcePage::TakeSelectedPrinter() {
    QComboBox* box = printerList();
    if (box->count() == 0) return false;
    app_.CurrentPrinterName = box->currentText().toStdString();
    return true;
}

MessageAnswer ResourcePage::Message(const MessageBoxSpec& box) { return app_.MessageBox(this, box); }

}  // namespace presswick
