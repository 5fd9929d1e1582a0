#include "app/SupportedPrinterList.h"

#include "app/MessageBox.h"
#include "res/Texts.h"
#include "transport/Spooler.h"

namespace presswick {

bool IsSupportedDriver(const std::string& driverName) {
    return driverName.find(texts::SupportedModel) != std::string::npos;
}

bool EnumerateSupportedPrinters(Spooler& spooler, PrinterListBox& box,
                                std::vector<std::string>& supported,
                                const std::string& previousChoice, MessageBoxes& unownedBoxes) {
    box.resetContent();
    supported.clear();

    const PrinterList list = spooler.listLocalPrinters();
    if (!list.ok) {
        unownedBoxes.show({std::string(texts::EnumerationFailed) + list.failure,
                           std::string(texts::MessageCaption), MessageIcon::Warning,
                           MessageButtons::Ok});
        return true;
    }

    int lastAdded = -1;
    for (const PrinterRecord& printer : list.printers) {
        if (!IsSupportedDriver(printer.driverName)) continue;
        lastAdded = box.addString(printer.name);
        supported.push_back(printer.name);
    }
    if (supported.empty()) return false;

    const int previous = box.findStringExact(previousChoice);
    box.setCurSel(previous >= 0 ? previous : lastAdded);
    return true;
}

}  // namespace presswick
