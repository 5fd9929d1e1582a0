#include "platform/CupsSpooler.h"

#include <cerrno>
#include <cstring>

#include <cups/cups.h>

namespace presswick {
namespace {

constexpr int ConnectTimeoutMs = 10000;

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpCloser>;

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

Http ConnectToScheduler(std::string& error) {
    Http http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                           ConnectTimeoutMs, nullptr));
    if (!http)
        error = std::string("cannot reach the print server ") + cupsServer() + ": " + std::strerror(errno);
    return http;
}

std::string PrinterUri(const std::string& name) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", name.c_str());
    return uri;
}

bool Succeeded(const Ipp& response) {
    return response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

// The attributes of one printer (Get-Printer-Attributes); null when there is no such printer.
Ipp GetPrinterAttributes(http_t* http, const std::string& name,
                         std::initializer_list<const char*> wanted) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(name).c_str());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.begin());
    Ipp response(cupsDoRequest(http, request, "/"));
    return Succeeded(response) ? std::move(response) : nullptr;
}

std::string TextOf(ipp_attribute_t* attribute) {
    const char* text = ippGetString(attribute, 0, nullptr);
    return text ? text : "";
}

// A device-uri with the scheme file prints to a file, as a Windows printer on "FILE:" does.
std::string PortOfDeviceUri(const std::string& deviceUri) {
    return deviceUri.starts_with("file:") ? "FILE:" : deviceUri;
}

class CupsPrinter : public SpoolerPrinter {
public:
    CupsPrinter(Http http, std::string name) : http_(std::move(http)), name_(std::move(name)) {}
    ~CupsPrinter() override { close(); }

    std::optional<std::string> port() override {
        if (!http_) return std::nullopt;
        Ipp attributes = GetPrinterAttributes(http_.get(), name_, {"device-uri"});
        if (!attributes) return std::nullopt;
        ipp_attribute_t* uri = ippFindAttribute(attributes.get(), "device-uri", IPP_TAG_URI);
        if (!uri) return std::nullopt;
        return PortOfDeviceUri(TextOf(uri));
    }

    // The job operations come with the job transport.
    JobId startRawDocument(const std::string&) override { return 0; }
    bool write(std::string_view) override { return false; }
    bool endDocument() override { return false; }
    JobState queryJob(JobId) override { return JobState{.gone = true}; }
    bool deleteJob(JobId) override { return false; }

    void close() override { http_.reset(); }

private:
    Http http_;
    std::string name_;
};

}  // namespace

PrinterList CupsSpooler::listLocalPrinters() {
    PrinterList list;
    Http http = ConnectToScheduler(list.failure);
    if (!http) {
        list.ok = false;
        return list;
    }

    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const wanted[] = {"printer-name", "printer-make-and-model", "printer-type"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  std::size(wanted), nullptr, wanted);
    Ipp response(cupsDoRequest(http.get(), request, "/"));
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return list;  // no queue at all
    if (!Succeeded(response)) {
        list.ok = false;
        list.failure = cupsLastErrorString();
        return list;
    }

    // Printers come one attribute group each, in the scheduler's (name) order.
    ipp_attribute_t* attribute = ippFirstAttribute(response.get());
    while (attribute) {
        while (attribute && ippGetGroupTag(attribute) != IPP_TAG_PRINTER)
            attribute = ippNextAttribute(response.get());
        if (!attribute) break;
        PrinterRecord printer;
        int type = 0;
        for (; attribute && ippGetGroupTag(attribute) == IPP_TAG_PRINTER;
             attribute = ippNextAttribute(response.get())) {
            const char* name = ippGetName(attribute);
            if (!name) continue;
            if (!std::strcmp(name, "printer-name"))
                printer.name = TextOf(attribute);
            else if (!std::strcmp(name, "printer-make-and-model"))
                printer.driverName = TextOf(attribute);
            else if (!std::strcmp(name, "printer-type"))
                type = ippGetInteger(attribute, 0);
        }
        const bool local = !(type & (CUPS_PRINTER_REMOTE | CUPS_PRINTER_DISCOVERED));
        if (!printer.name.empty() && local) list.printers.push_back(std::move(printer));
    }
    return list;
}

std::unique_ptr<SpoolerPrinter> CupsSpooler::openPrinter(const std::string& name) {
    std::string error;
    Http http = ConnectToScheduler(error);
    if (!http || name.empty()) return nullptr;
    if (!GetPrinterAttributes(http.get(), name, {"printer-name"})) return nullptr;
    return std::make_unique<CupsPrinter>(std::move(http), name);
}

}  // namespace presswick
