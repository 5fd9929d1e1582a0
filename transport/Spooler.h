#pragma once
// The print spooler as the core sees it: local printers, raw documents, job states.
// platform/ implements it over CUPS and over the Win32 spooler; tests record it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace presswick {

struct PrinterRecord {
    std::string name;        // the spooler's name of the printer (queue)
    std::string driverName;  // CUPS: printer-make-and-model; Win32: pDriverName
};

struct PrinterList {
    bool ok = true;
    std::vector<PrinterRecord> printers;  // in the spooler's order
    std::string failure;                  // what the spooler reported when ok is false
};

using JobId = std::uint32_t;  // 0 is never a job

// What one query of a job in the queue found.
struct JobState {
    bool gone = false;     // the job has left the queue (or can no longer be asked about)
    bool offline = false;
    bool deleted = false;
    bool error = false;
    std::uint32_t lastPlatformError = 0;  // Win32: GetLastError after the query; CUPS: 0
    std::string detail{};  // the spooler's own account of the job; a change in it is progress
};

// One open connection to a printer. Destroying it closes it if close() was not called.
class SpoolerPrinter {
public:
    virtual ~SpoolerPrinter() = default;

    // The printer's port, "FILE:" for a printer that prints to a file;
    // nothing when the spooler could not tell.
    virtual std::optional<std::string> port() = 0;

    // Starts a raw document under the given name; 0 when it could not be started.
    virtual JobId startRawDocument(const std::string& documentName) = 0;
    // Writes bytes to the open document; false when the spooler refused them.
    virtual bool write(std::string_view bytes) = 0;
    // Ends the open document, handing it to the printer.
    virtual bool endDocument() = 0;

    virtual JobState queryJob(JobId job) = 0;
    virtual bool deleteJob(JobId job) = 0;

    virtual void close() = 0;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // The printers of this machine (no network browsing), with their driver names.
    virtual PrinterList listLocalPrinters() = 0;
    // Opens the printer by name; null when it cannot be opened.
    virtual std::unique_ptr<SpoolerPrinter> openPrinter(const std::string& name) = 0;
};

}  // namespace presswick
