#pragma once
// The spooler over libcups, talking IPP to the scheduler that CUPS_SERVER or the user's
// CUPS configuration names.

#include "transport/Spooler.h"

namespace presswick {

class CupsSpooler : public Spooler {
public:
    PrinterList listLocalPrinters() override;
    std::unique_ptr<SpoolerPrinter> openPrinter(const std::string& name) override;
};

}  // namespace presswick
