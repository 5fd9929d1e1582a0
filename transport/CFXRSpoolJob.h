#pragma once
// One action of a page, from its opening checks to its last message: a download, watched
// until its job has left the queue, or a deletion.

#include "transport/ActionUserInterface.h"
#include "transport/Spooler.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace presswick {

enum class BlockEncoding { AsIs, Hex };
enum class WatchRules { FirstDocument, FollowUp };
// Where a download writes the page's log record.
enum class LogPoint { AfterTextsBeforeData, AfterJobLeftQueue };

inline constexpr std::size_t FileBlockSize = 1024;
inline constexpr std::chrono::milliseconds JobQueryPause{100};
// A watched job that neither leaves the queue nor changes for this long is taken as failed.
inline constexpr std::chrono::minutes JobWatchBound{2};

// Two characters per byte, high half first, capital letters; `out` takes 2 * bytes.size().
void EncodeHex(std::span<const char> bytes, char* out);

// The framework's message for a source file that cannot be opened or read.
std::string FileErrorText(const FileError& error);

// The second document of a colour profile download, which registers the stored profile.
struct FollowUpDocument {
    std::string headerText{};
    std::string commandText{};
};

struct DownloadAction {
    std::string filePath{};
    std::string documentName{};
    // Built once the file is open, from its length then; exactly that many bytes are sent.
    std::function<std::vector<std::string>(std::uintmax_t fileLength)> textsBeforeData{};
    BlockEncoding encoding = BlockEncoding::AsIs;
    std::optional<std::string> textAfterData{};
    LogPoint logPoint = LogPoint::AfterTextsBeforeData;
    std::function<void()> writeLogRecord{};
    std::optional<FollowUpDocument> followUp{};
    // The page's own checks and prompts; false stops the action (they show their own message).
    std::function<bool()> pageChecks{};
};

struct CommandText {
    std::string text{};
    bool checked = false;  // a failed write stops the action with M6
};

struct DeletionAction {
    std::string deletionField{};  // as the user typed it
    std::string documentName{};
    std::vector<CommandText> commands{};
    std::function<void()> writeLogRecord{};
    std::function<bool()> pageChecks{};
};

class CFXRSpoolJob {
public:
    CFXRSpoolJob(Spooler& spooler, ActionUserInterface& ui, std::string printerName);
    ~CFXRSpoolJob();
    CFXRSpoolJob(const CFXRSpoolJob&) = delete;
    CFXRSpoolJob& operator=(const CFXRSpoolJob&) = delete;

    // Each returns true when the action ended with its success message.
    bool SpoolDownloadJob(const DownloadAction& action);
    bool SpoolDeletionJob(const DeletionAction& action);

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool OpenAction(bool nothingGiven, std::string_view nothingGivenText,
                    const std::function<bool()>& pageChecks, const std::string& documentName);
    bool OpenJobPrinter();
    bool StartRawDocument(const std::string& documentName);
    bool OpenSourceFile(const std::string& path);
    void WriteJobText(std::string_view text);
    bool WriteJobTextChecked(std::string_view text);
    bool SendFileBlocks(BlockEncoding encoding);
    bool WatchJob(WatchRules rules);
    bool RetryAfterJobError();
    bool SendFollowUpDocument(const FollowUpDocument& document);
    void ClosePrinter();
    MessageAnswer Message(std::string_view text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

    Spooler& spooler_;
    ActionUserInterface& ui_;
    const std::string printerName_;
    std::unique_ptr<SpoolerPrinter> printer_;
    std::string documentName_;
    JobId jobId_ = 0;

    std::string sourcePath_;
    std::unique_ptr<std::FILE, FileCloser> source_;
    std::uintmax_t sourceLength_ = 0;
    std::array<char, FileBlockSize> block_{};
    std::array<char, 2 * FileBlockSize> hexBlock_{};

    std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace presswick
