#include "transport/CFXRSpoolJob.h"

#include "res/Texts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace presswick {
namespace {

constexpr std::string_view FilePort = "FILE:";
// The code that the size query of a job leaves behind on Win32 (ERROR_INSUFFICIENT_BUFFER).
constexpr std::uint32_t InsufficientBuffer = 122;

constexpr auto HexPairs = [] {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (int byte = 0; byte < 256; ++byte) pairs[byte] = {digits[byte >> 4], digits[byte & 0xF]};
    return pairs;
}();

bool SameState(const JobState& a, const JobState& b) {
    return a.offline == b.offline && a.deleted == b.deleted && a.error == b.error &&
           a.lastPlatformError == b.lastPlatformError && a.detail == b.detail;
}

FileErrorCause CauseOfOpenFailure(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return FileErrorCause::NotFound;
    case EACCES:
    case EPERM: return FileErrorCause::AccessDenied;
    case EBUSY:
    case ETXTBSY: return FileErrorCause::InUse;
    default: return FileErrorCause::OpenFailed;
    }
}

std::string Filled(std::string_view format, const std::string& value) {
    const auto place = format.find("%s");
    if (place == std::string_view::npos) return std::string(format);
    std::string text(format.substr(0, place));
    return text.append(value).append(format.substr(place + 2));
}

}  // namespace

std::string FileErrorText(const FileError& error) {
    switch (error.cause) {
    case FileErrorCause::NotFound: return Filled(texts::FileNotFound, error.path);
    case FileErrorCause::AccessDenied: return Filled(texts::FileAccessDenied, error.path);
    case FileErrorCause::InUse: return Filled(texts::FileInUse, error.path);
    case FileErrorCause::ReadFailed: return Filled(texts::FileReadFailed, error.path);
    case FileErrorCause::OpenFailed: break;
    }
    return Filled(texts::FileOpenFailed, error.path);
}

void EncodeHex(std::span<const char> bytes, char* out) {
    for (const char byte : bytes) {
        std::memcpy(out, HexPairs[static_cast<unsigned char>(byte)].data(), 2);
        out += 2;
    }
}

CFXRSpoolJob::CFXRSpoolJob(Spooler& spooler, ActionUserInterface& ui, std::string printerName)
    : spooler_(spooler), ui_(ui), printerName_(std::move(printerName)) {}

CFXRSpoolJob::~CFXRSpoolJob() { ClosePrinter(); }

bool CFXRSpoolJob::SpoolDownloadJob(const DownloadAction& action) {
    if (!OpenAction(action.filePath.empty(), texts::NoFileChosen, action.pageChecks, action.documentName))
        return false;
    if (!OpenSourceFile(action.filePath)) return false;
    if (action.textsBeforeData)
        for (const std::string& text : action.textsBeforeData(sourceLength_)) WriteJobText(text);
    if (action.logPoint == LogPoint::AfterTextsBeforeData && action.writeLogRecord) action.writeLogRecord();
    if (!SendFileBlocks(action.encoding)) return false;
    if (action.textAfterData) WriteJobText(*action.textAfterData);
    printer_->endDocument();

    progress_ = ui_.CreateProgressWindow();
    progress_->SetStatus(std::string(texts::DownloadStatus));
    progress_->SetPos(9999);
    progress_->StepIt();

    const bool downloaded = WatchJob(WatchRules::FirstDocument) &&
                            (!action.followUp || SendFollowUpDocument(*action.followUp));
    if (downloaded) {
        if (action.logPoint == LogPoint::AfterJobLeftQueue && action.writeLogRecord) action.writeLogRecord();
        ClosePrinter();
        Message(texts::DownloadSucceeded, MessageIcon::Information);
    }
    progress_.reset();
    source_.reset();
    return downloaded;
}

bool CFXRSpoolJob::SpoolDeletionJob(const DeletionAction& action) {
    if (!OpenAction(action.deletionField.empty(), texts::NothingToDelete, action.pageChecks,
                    action.documentName))
        return false;
    for (const CommandText& command : action.commands) {
        if (!command.checked)
            WriteJobText(command.text);
        else if (!WriteJobTextChecked(command.text))
            return false;
    }
    // CUPS discards a document whose connection closes before it is ended.
    printer_->endDocument();
    ClosePrinter();
    if (action.writeLogRecord) action.writeLogRecord();
    Message(Filled(texts::DeletionSent, action.deletionField), MessageIcon::Information);
    return true;
}

bool CFXRSpoolJob::OpenAction(bool nothingGiven, std::string_view nothingGivenText,
                              const std::function<bool()>& pageChecks, const std::string& documentName) {
    if (printerName_.empty()) {
        Message(texts::NoPrinterChosen, MessageIcon::Error);
        return false;
    }
    if (nothingGiven) {
        Message(nothingGivenText, MessageIcon::Error);
        return false;
    }
    if (pageChecks && !pageChecks()) return false;
    return OpenJobPrinter() && StartRawDocument(documentName);
}

bool CFXRSpoolJob::OpenJobPrinter() {
    printer_ = spooler_.openPrinter(printerName_);
    if (!printer_) {
        Message(texts::PrinterDoesNotOpen, MessageIcon::Error);
        return false;
    }
    const std::optional<std::string> port = printer_->port();
    if (!port) {
        ClosePrinter();
        Message(texts::PrinterDoesNotOpen, MessageIcon::Error);
        return false;
    }
    if (*port == FilePort) {
        ClosePrinter();
        return false;
    }
    return true;
}

bool CFXRSpoolJob::StartRawDocument(const std::string& documentName) {
    documentName_ = documentName;
    jobId_ = printer_->startRawDocument(documentName);
    if (jobId_ == 0) {
        ClosePrinter();
        Message(texts::SpoolerDisabled, MessageIcon::Warning);
        return false;
    }
    return true;
}

bool CFXRSpoolJob::OpenSourceFile(const std::string& path) {
    sourcePath_ = path;
    errno = 0;
    source_.reset(std::fopen(path.c_str(), "rb"));
    std::optional<FileErrorCause> failure;
    std::error_code error;
    if (!source_)
        failure = CauseOfOpenFailure(errno);
    else if (!std::filesystem::is_regular_file(path, error))
        failure = FileErrorCause::NotFound;
    else if (sourceLength_ = std::filesystem::file_size(path, error); error)
        failure = FileErrorCause::OpenFailed;
    if (!failure) return true;
    source_.reset();
    ClosePrinter();
    ui_.ShowFileError({path, *failure});
    return false;
}

void CFXRSpoolJob::WriteJobText(std::string_view text) { printer_->write(text); }

bool CFXRSpoolJob::WriteJobTextChecked(std::string_view text) {
    if (printer_->write(text)) return true;
    Message(texts::CannotWriteToPrinter, MessageIcon::Error);
    ClosePrinter();
    return false;
}

bool CFXRSpoolJob::SendFileBlocks(BlockEncoding encoding) {
    std::rewind(source_.get());
    for (std::uintmax_t left = sourceLength_; left > 0;) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uintmax_t>(block_.size(), left));
        const std::size_t got = std::fread(block_.data(), 1, wanted, source_.get());
        if (got == 0) {  // a read error, or a file that has shrunk since it was measured
            ClosePrinter();
            ui_.ShowFileError({sourcePath_, FileErrorCause::ReadFailed});
            return false;
        }
        left -= got;
        std::string_view bytes(block_.data(), got);
        if (encoding == BlockEncoding::Hex) {
            EncodeHex(bytes, hexBlock_.data());
            bytes = std::string_view(hexBlock_.data(), 2 * got);
        }
        if (!printer_->write(bytes)) {
            printer_->endDocument();
            ClosePrinter();
            Message(texts::CannotWriteToPrinter, MessageIcon::Error);
            return false;
        }
    }
    return true;
}

bool CFXRSpoolJob::WatchJob(WatchRules rules) {
    std::optional<JobState> previous;
    ActionUserInterface::Clock::time_point unchangedSince{};
    for (;; ui_.Pause(JobQueryPause)) {
        const JobState state = printer_->queryJob(jobId_);
        if (state.gone) return true;

        if (!previous || !SameState(state, *previous)) {
            previous = state;
            unchangedSince = ui_.Now();
        } else if (ui_.Now() - unchangedSince >= JobWatchBound) {
            if (!RetryAfterJobError()) return false;
            unchangedSince = ui_.Now();
            continue;
        }

        if (state.offline) {
            Message(texts::PrinterOffline, MessageIcon::Warning);
            if (rules == WatchRules::FollowUp) {
                ClosePrinter();
                return false;
            }
            continue;
        }
        if (state.deleted) {
            Message(texts::JobDeleted, MessageIcon::Warning);
            ClosePrinter();
            return false;
        }
        const bool errorCounts = rules == WatchRules::FollowUp ||
                                 (state.lastPlatformError != 0 && state.lastPlatformError != InsufficientBuffer);
        if (state.error && errorCounts && !RetryAfterJobError()) return false;
    }
}

// M9: Retry goes on watching; Cancel deletes the job and stops the action.
bool CFXRSpoolJob::RetryAfterJobError() {
    if (Message(texts::JobError, MessageIcon::None, MessageButtons::RetryCancel) == MessageAnswer::Retry)
        return true;
    printer_->deleteJob(jobId_);
    ClosePrinter();
    return false;
}

bool CFXRSpoolJob::SendFollowUpDocument(const FollowUpDocument& document) {
    if (!StartRawDocument(documentName_)) return false;
    WriteJobText(document.headerText);
    WriteJobText(document.commandText);
    if (!printer_->endDocument()) {
        ClosePrinter();
        return false;
    }
    return WatchJob(WatchRules::FollowUp);
}

void CFXRSpoolJob::ClosePrinter() {
    if (!printer_) return;
    printer_->close();
    printer_.reset();
}

MessageAnswer CFXRSpoolJob::Message(std::string_view text, MessageIcon icon, MessageButtons buttons) {
    return ui_.ShowMessage({std::string(text), std::string(texts::MessageCaption), icon, buttons});
}

}  // namespace presswick
