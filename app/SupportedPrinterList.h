#pragma once
// Lists the supported printers (driver name holding the model string) into a printer box.

#include <string>
#include <vector>

namespace presswick {

class Spooler;
class MessageBoxes;

// A sorted drop-down list of printer names, as a page's printer combo box behaves.
class PrinterListBox {
public:
    virtual ~PrinterListBox() = default;
    virtual void resetContent() = 0;
    // Inserts at the entry's sorted place; returns that position.
    virtual int addString(const std::string& entry) = 0;
    // Whole-entry search without regard to case; -1 when not found.
    virtual int findStringExact(const std::string& entry) const = 0;
    virtual void setCurSel(int position) = 0;
};

bool IsSupportedDriver(const std::string& driverName);

// Fills the box and `supported` (in the spooler's order) and preselects `previousChoice`
// when the box holds it, else the printer the spooler returned last.
// Returns false when the spooler answered and no supported printer was found; true otherwise,
// also after a failed enumeration, which it reports itself through `unownedBoxes`.
bool EnumerateSupportedPrinters(Spooler& spooler, PrinterListBox& box,
                                std::vector<std::string>& supported,
                                const std::string& previousChoice, MessageBoxes& unownedBoxes);

}  // namespace presswick
