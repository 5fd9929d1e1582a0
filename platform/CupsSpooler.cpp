#include "platform/CupsSpooler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <cups/cups.h>

namespace presswick {
namespace {

constexpr int ConnectTimeoutMs = 10000;
// Small writes cost a request each; the core writes blocks of a few KiB.
constexpr std::size_t RequestBytes = 64 * 1024;

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

std::vector<std::string> KeywordsOf(ipp_attribute_t* attribute) {
    std::vector<std::string> keywords;
    for (int i = 0; i < ippGetCount(attribute); ++i)
        if (const char* keyword = ippGetString(attribute, i, nullptr)) keywords.emplace_back(keyword);
    return keywords;
}

// The job's own attributes (Get-Job-Attributes); null when the scheduler does not know it.
Ipp GetJobAttributes(http_t* http, const std::string& printer, JobId job,
                     std::initializer_list<const char*> wanted) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(printer).c_str());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", static_cast<int>(job));
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.begin());
    Ipp response(cupsDoRequest(http, request, "/"));
    return Succeeded(response) ? std::move(response) : nullptr;
}

// What a job's state and its printer's state mean for the watch of a job.
JobState StateOf(ipp_t* job, ipp_t* printer) {
    ipp_attribute_t* stateAttribute = ippFindAttribute(job, "job-state", IPP_TAG_ENUM);
    const auto state = static_cast<ipp_jstate_t>(stateAttribute ? ippGetInteger(stateAttribute, 0) : IPP_JSTATE_COMPLETED);
    if (state == IPP_JSTATE_COMPLETED) return {.gone = true};
    if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED) return {.deleted = true};

    JobState found;
    const std::vector<std::string> jobReasons = KeywordsOf(ippFindAttribute(job, "job-state-reasons", IPP_TAG_KEYWORD));
    std::vector<std::string> printerReasons;
    int printerState = 0;
    if (printer) {
        printerReasons = KeywordsOf(ippFindAttribute(printer, "printer-state-reasons", IPP_TAG_KEYWORD));
        if (ipp_attribute_t* attribute = ippFindAttribute(printer, "printer-state", IPP_TAG_ENUM))
            printerState = ippGetInteger(attribute, 0);
    }
    found.offline = printerState == IPP_PSTATE_STOPPED ||
                    std::find(printerReasons.begin(), printerReasons.end(), "offline-report") != printerReasons.end();
    found.error = std::any_of(printerReasons.begin(), printerReasons.end(),
                              [](const std::string& reason) { return reason.ends_with("-error"); });

    found.detail = "job " + std::to_string(state);
    for (const std::string& reason : jobReasons) found.detail += " " + reason;
    found.detail += "; " + TextOf(ippFindAttribute(job, "job-printer-state-message", IPP_TAG_TEXT));
    found.detail += "; printer " + std::to_string(printerState);
    for (const std::string& reason : printerReasons) found.detail += " " + reason;
    return found;
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

    JobId startRawDocument(const std::string& documentName) override {
        if (!http_ || openJob_) return 0;
        const int job = cupsCreateJob(http_.get(), name_.c_str(), documentName.c_str(), 0, nullptr);
        if (job <= 0) return 0;
        if (cupsStartDocument(http_.get(), name_.c_str(), job, documentName.c_str(), CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE) {
            Abandon(static_cast<JobId>(job));
            return 0;
        }
        openJob_ = static_cast<JobId>(job);
        unsent_.clear();
        unsent_.reserve(RequestBytes);
        return openJob_;
    }

    bool write(std::string_view bytes) override {
        if (!openJob_) return false;
        unsent_.append(bytes);
        return unsent_.size() < RequestBytes || SendUnsent();
    }

    bool endDocument() override {
        if (!openJob_) return false;
        const JobId job = std::exchange(openJob_, 0);
        if (SendUnsent() && cupsFinishDocument(http_.get(), name_.c_str()) <= IPP_STATUS_OK_EVENTS_COMPLETE)
            return true;
        Abandon(job);
        return false;
    }

    JobState queryJob(JobId job) override {
        if (!http_) return {.gone = true};
        Ipp attributes = GetJobAttributes(http_.get(), name_, job,
                                          {"job-state", "job-state-reasons", "job-printer-state-message"});
        // Not found, or the scheduler cannot tell: either way the job is no longer waited for.
        if (!attributes) return {.gone = true};
        Ipp printer = GetPrinterAttributes(http_.get(), name_, {"printer-state", "printer-state-reasons"});
        return StateOf(attributes.get(), printer.get());
    }

    bool deleteJob(JobId job) override {
        return http_ && cupsCancelJob2(http_.get(), name_.c_str(), static_cast<int>(job), 0) <=
                            IPP_STATUS_OK_EVENTS_COMPLETE;
    }

    void close() override {
        if (openJob_) Abandon(std::exchange(openJob_, 0));
        http_.reset();
    }

private:
    bool SendUnsent() {
        const bool sent = unsent_.empty() ||
                          cupsWriteRequestData(http_.get(), unsent_.data(), unsent_.size()) == HTTP_STATUS_CONTINUE;
        unsent_.clear();
        return sent;
    }

    // A document that is not finished would stay held until the scheduler times it out:
    // drop the half-sent request and cancel its job on a fresh connection.
    void Abandon(JobId job) {
        std::string error;
        http_ = ConnectToScheduler(error);
        if (http_) cupsCancelJob2(http_.get(), name_.c_str(), static_cast<int>(job), 0);
    }

    Http http_;
    std::string name_;
    JobId openJob_ = 0;   // started and not yet finished
    std::string unsent_;  // written, waiting for a full request
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
