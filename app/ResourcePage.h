#pragma once
// What the PostScript and PCL5 pages share: the printer list box and its readme warning.

#include "app/MessageBox.h"
#include "app/PropertyPage.h"

class QComboBox;

namespace presswick {

class CFXRApp;

class ResourcePage : public PropertyPage {
    Q_OBJECT
public:
    ResourcePage(CFXRApp& app, int templateId, int printerListId, QString caption);

    QComboBox* printerList() const;

protected:
    // Lists the supported printers into the printer box, warning when there is none.
    void ListSupportedPrinters();
    // The printer-selection handler: the chosen entry becomes the current printer.
    // Returns false when the box is empty and nothing changed.
    bool TakeSelectedPrinter();
    // Shows a box owned by this page.
    MessageAnswer Message(const MessageBoxSpec& box);

    CFXRApp& app_;

private:
    int printerListId_;
};

}  // namespace presswick
