// The download and deletion actions, walked step by step over a recording spooler and a
// scripted user interface.

#include "transport/CFXRSpoolJob.h"

#include "tests/support/RecordingSpooler.h"
#include "tests/transport/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace presswick {
namespace {

namespace fs = std::filesystem;
using testing::EventLog;
using testing::RecordingSpooler;
using testing::ScriptedUserInterface;
using testing::SpoolerScript;

EventLog operator+(EventLog a, const EventLog& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Box(const std::string& icon, const std::string& buttons, const std::string& text) {
    return "box [Presswick] " + icon + " " + buttons + ": " + text;
}

const std::string M1 = Box("error", "ok", "Не установлено ни одного поддерживаемого драйвера принтера!");
const std::string M2 = Box("error", "ok", "Укажите файл, который нужно загрузить");
const std::string M3 = Box("error", "ok", "Введите имя файла, имя шрифта или ID шрифта, который необходимо удалить");
const std::string M4 = Box("error", "ok", "Выбранный принтер не открывается. Снова установить выбранный драйвер.");
const std::string M5 = Box("warning", "ok", "Спулер отключен!");
const std::string M6 = Box("error", "ok", "Нельзя записывать в принтер!");
const std::string M7 = Box("warning", "ok", "Принтер в режиме Off-line");
const std::string M8 = Box("warning", "ok", "Ошибка! Нельзя загрузить файл.");
const std::string M9 = Box("no-icon", "retry-cancel", "В процессе загрузки произошла ошибка");
const std::string M10 = Box("information", "ok", "Выбранный файл был успешно загружен");
std::string M11(const std::string& typed) {
    return Box("information", "ok", "Ваша команда на удаление " + typed + " была отгружена в принтер");
}

const JobState Printing{.detail = "printing"};
const JobState Offline{.offline = true};
const JobState Deleted{.deleted = true};
const JobState OfflineAndDeleted{.offline = true, .deleted = true};
JobState Error(std::uint32_t lastPlatformError) { return {.error = true, .lastPlatformError = lastPlatformError}; }

const EventLog Pause{"pause 100 ms"};
EventLog Opening(const std::string& documentName = "PCL5 Font") {
    return {"open Corvan", "port", "start " + documentName};
}
const EventLog ProgressShown{"progress", "status Статус загрузки", "pos 9999", "step"};
// The page's texts around the data; the one before announces the length it was built from.
std::string Header(std::uintmax_t length) { return "write <size " + std::to_string(length) + ">"; }
const std::string Trailer = "write <reset>";
const EventLog Downloaded{"query 7", "close", M10, "progress destroyed"};

class SpoolJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "presswick-spool-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        fs::remove_all(folder);
        // Whatever the way out: each printer opened is closed once, and no window is left.
        EXPECT_EQ(spooler.closed, spooler.opened);
        EXPECT_EQ(spooler.droppedOpen, 0);
        EXPECT_EQ(ui.progressWindows, 0);
        if (std::find(log.begin(), log.end(), "progress") != log.end()) {
            EXPECT_EQ(log.back(), "progress destroyed");
        }
    }

    std::string SourceFile(const std::string& bytes) {
        const std::string path = (folder / "source.bin").string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    DownloadAction Download(std::string path) {
        return {.filePath = std::move(path),
                .documentName = "PCL5 Font",
                .textsBeforeData = [](std::uintmax_t length) {
                    return std::vector<std::string>{"<size " + std::to_string(length) + ">"};
                },
                .textAfterData = "<reset>",
                .writeLogRecord = [this] { log.push_back("log Download"); },
                .pageChecks = [this] { log.push_back("page checks"); return pageChecksPass; }};
    }

    bool Run(const DownloadAction& action, const std::string& printer = "Corvan") {
        CFXRSpoolJob job(spooler, ui, printer);
        return job.SpoolDownloadJob(action);
    }

    fs::path folder;
    EventLog log;
    RecordingSpooler spooler{log};
    ScriptedUserInterface ui{log};
    bool pageChecksPass = true;
};

// The steps up to the watch of a download that gets that far.
EventLog Sent(std::uintmax_t length, const EventLog& blocks = {}) {
    return EventLog{"page checks"} + Opening() + EventLog{Header(length), "log Download"} + blocks +
           EventLog{Trailer, "end"} + ProgressShown;
}

const std::string MissingFile = "/nonexistent-presswick/source.bin";
const std::string Kilobyte(1024, 'k');
std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    while (times-- > 0) repeated += text;
    return repeated;
}

struct DownloadCase {
    const char* what;
    std::string printer = "Corvan";
    bool fileChosen = true;
    std::optional<std::string> file = "";  // the source file's bytes; none: MissingFile
    BlockEncoding encoding = BlockEncoding::AsIs;
    bool pageChecksPass = true;
    SpoolerScript script{};
    std::deque<MessageAnswer> answers{};
    bool downloaded = true;
    EventLog expected{};
};

const DownloadCase DownloadCases[] = {
    {.what = "an empty file: the texts around nothing, then the job is watched and gone at once",
     .expected = Sent(0) + Downloaded},
    {.what = "exactly 1024 bytes go in one block",
     .file = Kilobyte,
     .expected = Sent(1024, {"write " + Kilobyte}) + Downloaded},
    {.what = "1025 bytes go in a full block and a block of one",
     .file = Kilobyte + "z",
     .expected = Sent(1025, {"write " + Kilobyte, "write z"}) + Downloaded},
    {.what = "hex: 00 0A FF become six capital digits",
     .file = std::string("\x00\x0A\xFF", 3), .encoding = BlockEncoding::Hex,
     .expected = Sent(3, {"write 000AFF"}) + Downloaded},
    {.what = "hex: a full block becomes 2048 characters",
     .file = std::string(1024, '\xA5'), .encoding = BlockEncoding::Hex,
     .expected = Sent(1024, {"write " + Repeat("A5", 1024)}) + Downloaded},
    {.what = "as-is: ESC, NUL, CR and LF go unchanged",
     .file = std::string("\x1B%-12345X\r\n\x00", 13),
     .expected = Sent(13, {std::string("write \x1B%-12345X\r\n\x00", 19)}) + Downloaded},
    {.what = "a printer on FILE: ends the action in silence",
     .script = {.port = "FILE:"}, .downloaded = false,
     .expected = {"page checks", "open Corvan", "port", "close"}},
    {.what = "file: in small letters is an ordinary port",
     .script = {.port = "file:"},
     .expected = Sent(0) + Downloaded},
    {.what = "no printer chosen comes first",
     .printer = "", .fileChosen = false, .pageChecksPass = false, .script = {.opens = false},
     .downloaded = false,
     .expected = {M1}},
    {.what = "no file chosen comes before the page's checks",
     .fileChosen = false, .pageChecksPass = false, .script = {.opens = false}, .downloaded = false,
     .expected = {M2}},
    {.what = "the page's checks come before the printer is opened",
     .pageChecksPass = false, .script = {.opens = false}, .downloaded = false,
     .expected = {"page checks"}},
    {.what = "a printer that does not open: M4, nothing to close",
     .script = {.opens = false, .port = "FILE:"}, .downloaded = false,
     .expected = {"page checks", "open Corvan", M4}},
    {.what = "a printer whose port cannot be read: closed, then M4",
     .script = {.port = std::nullopt}, .downloaded = false,
     .expected = {"page checks", "open Corvan", "port", "close", M4}},
    {.what = "a document that does not start: closed, then M5",
     .script = {.jobIds = {0}}, .downloaded = false,
     .expected = EventLog{"page checks"} + Opening() + EventLog{"close", M5}},
    {.what = "a source file that is not there: closed, the file error, nothing sent or logged",
     .file = std::nullopt, .downloaded = false,
     .expected = EventLog{"page checks"} + Opening() + EventLog{"close", "file error not-found: " + MissingFile}},
    {.what = "a failed block write: ended, closed, M6",
     .file = Kilobyte + "z", .script = {.failingWrites = {3}}, .downloaded = false,
     .expected = EventLog{"page checks"} + Opening() +
                 EventLog{Header(1025), "log Download", "write " + Kilobyte, "write z", "end", "close", M6}},
    {.what = "failed writes of the texts and a failed end go unnoticed",
     .script = {.failingWrites = {1, 2}, .endFails = true},
     .expected = Sent(0) + Downloaded},
    {.what = "offline: M7 at every query, with a pause between queries",
     .script = {.states = {Offline, Offline}},
     .expected = Sent(0) + EventLog{"query 7", M7, "pause 100 ms", "query 7", M7, "pause 100 ms"} + Downloaded},
    {.what = "offline and deleted at once: only M7, the next query decides",
     .script = {.states = {OfflineAndDeleted, Deleted}}, .downloaded = false,
     .expected = Sent(0) + EventLog{"query 7", M7, "pause 100 ms", "query 7", M8, "close", "progress destroyed"}},
    {.what = "the error bit with last error 0 or 122 asks nothing",
     .script = {.states = {Error(0), Error(122)}},
     .expected = Sent(0) + EventLog{"query 7", "pause 100 ms", "query 7", "pause 100 ms"} + Downloaded},
    {.what = "the error bit with another last error: M9, Retry asks again, Cancel deletes the job",
     .script = {.states = {Error(5), Error(5)}}, .answers = {MessageAnswer::Retry, MessageAnswer::Cancel},
     .downloaded = false,
     .expected = Sent(0) + EventLog{"query 7", M9, "pause 100 ms", "query 7", M9, "delete 7", "close", "progress destroyed"}},
    {.what = "Retry, and then the job leaves the queue: M10",
     .script = {.states = {Error(31)}}, .answers = {MessageAnswer::Retry},
     .expected = Sent(0) + EventLog{"query 7", M9, "pause 100 ms"} + Downloaded},
    {.what = "a job still printing is asked again after a pause",
     .script = {.states = {Printing, Printing}},
     .expected = Sent(0) + EventLog{"query 7", "pause 100 ms", "query 7", "pause 100 ms"} + Downloaded},
};

TEST_F(SpoolJobTest, DownloadWalksItsSteps) {
    for (const DownloadCase& c : DownloadCases) {
        SCOPED_TRACE(c.what);
        log.clear();
        spooler.script = c.script;
        ui.answers = c.answers;
        pageChecksPass = c.pageChecksPass;
        DownloadAction action = Download(!c.fileChosen ? "" : c.file ? SourceFile(*c.file) : MissingFile);
        action.encoding = c.encoding;
        EXPECT_EQ(Run(action, c.printer), c.downloaded);
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(spooler.closed, spooler.opened);
        EXPECT_EQ(ui.progressWindows, 0);
    }
}

// A PostScript colour profile: the log record waits for the jobs, and a second document
// registers the profile under the follow-up rules.
struct FollowUpCase {
    const char* what;
    SpoolerScript script{};
    std::deque<MessageAnswer> answers{};
    bool downloaded = true;
    EventLog afterFirstJob{};
};

const EventLog SecondDocument{"start Color Profile", "write <header>", "write <register>", "end"};

const FollowUpCase FollowUpCases[] = {
    {.what = "both jobs leave the queue: the log record, then M10",
     .afterFirstJob = SecondDocument + EventLog{"query 8", "log Download", "close", M10, "progress destroyed"}},
    {.what = "the second document does not start: closed, M5",
     .script = {.jobIds = {7, 0}}, .downloaded = false,
     .afterFirstJob = {"start Color Profile", "close", M5, "progress destroyed"}},
    {.what = "the second document does not end: closed, no message",
     .script = {.endFails = true}, .downloaded = false,
     .afterFirstJob = SecondDocument + EventLog{"close", "progress destroyed"}},
    {.what = "offline stops the action at once",
     .script = {.states = {Offline}}, .downloaded = false,
     .afterFirstJob = SecondDocument + EventLog{"query 8", M7, "close", "progress destroyed"}},
    {.what = "deleted: M8",
     .script = {.states = {Deleted}}, .downloaded = false,
     .afterFirstJob = SecondDocument + EventLog{"query 8", M8, "close", "progress destroyed"}},
    {.what = "the error bit asks whatever the last error, and Cancel deletes the second job",
     .script = {.states = {Error(0)}}, .answers = {MessageAnswer::Cancel}, .downloaded = false,
     .afterFirstJob = SecondDocument + EventLog{"query 8", M9, "delete 8", "close", "progress destroyed"}},
    {.what = "Retry watches on",
     .script = {.states = {Error(122)}}, .answers = {MessageAnswer::Retry},
     .afterFirstJob = SecondDocument +
                      EventLog{"query 8", M9, "pause 100 ms", "query 8", "log Download", "close", M10, "progress destroyed"}},
};

TEST_F(SpoolJobTest, ColourProfileSendsAFollowUpDocument) {
    for (const FollowUpCase& c : FollowUpCases) {
        SCOPED_TRACE(c.what);
        log.clear();
        spooler.script = c.script;
        // The first job leaves the queue at its first query; the script's states are the second's.
        spooler.script.states.push_front(JobState{.gone = true});
        ui.answers = c.answers;
        DownloadAction action = Download(SourceFile("\x01"));
        action.documentName = "Color Profile";
        action.encoding = BlockEncoding::Hex;
        action.textAfterData.reset();
        action.logPoint = LogPoint::AfterJobLeftQueue;
        action.followUp = FollowUpDocument{"<header>", "<register>"};
        EXPECT_EQ(Run(action), c.downloaded);
        EXPECT_EQ(log, (EventLog{"page checks"} + Opening("Color Profile") +
                        EventLog{Header(1), "write 01", "end"} + ProgressShown + EventLog{"query 7"} +
                        c.afterFirstJob));
    }
}

TEST_F(SpoolJobTest, LogRecordAfterTheJobIsNotWrittenWhenTheWatchStops) {
    spooler.script.states = {Deleted};
    DownloadAction action = Download(SourceFile(""));
    action.logPoint = LogPoint::AfterJobLeftQueue;
    EXPECT_FALSE(Run(action));
    EXPECT_EQ(std::count(log.begin(), log.end(), "log Download"), 0);
}

TEST_F(SpoolJobTest, SendsTheLengthTheFileHadWhenOpened) {
    const std::string path = SourceFile(Kilobyte + "z");
    // Another program appends to the file while it is sent.
    spooler.script.onWrite = [&] { std::ofstream(path, std::ios::binary | std::ios::app) << "more"; };
    EXPECT_TRUE(Run(Download(path)));
    EXPECT_EQ(log, (Sent(1025, {"write " + Kilobyte, "write z"}) + Downloaded));
}

TEST_F(SpoolJobTest, AFileThatShrinksWhileSentIsAReadError) {
    const std::string path = SourceFile(Kilobyte + Kilobyte);
    spooler.script.onWrite = [&] { fs::resize_file(path, 1024); };
    EXPECT_FALSE(Run(Download(path)));
    EXPECT_EQ(log, (EventLog{"page checks"} + Opening() +
                    EventLog{Header(2048), "log Download", "write " + Kilobyte, "close",
                             "file error read-failed: " + path}));
}

TEST_F(SpoolJobTest, AFolderIsNoSourceFile) {
    EXPECT_FALSE(Run(Download(folder.string())));
    EXPECT_EQ(log, (EventLog{"page checks"} + Opening() +
                    EventLog{"close", "file error not-found: " + folder.string()}));
}

// A watched job that neither leaves nor changes for two minutes counts as failed (M9), so a
// printer that is gone never keeps the user waiting for ever.
TEST_F(SpoolJobTest, AJobThatDoesNotMoveForTwoMinutesAsksRetryOrCancel) {
    struct {
        const char* what;
        JobState state;
        std::chrono::seconds perBox;
        std::vector<int> queriesBeforeEachM9;
    } const cases[] = {
        // The first query at 0 s, the 1201st at 120 s; after Retry the bound starts again.
        {"a job that stays printing", Printing, std::chrono::seconds(0), {1201, 1200}},
        // Each box takes the user a second, which counts too: M7 is shown 110 times in 121 s.
        {"a queue that stays offline", Offline, std::chrono::seconds(1), {111, 110}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        ui.now = {};
        ui.perBox = c.perBox;
        spooler.script = {};
        spooler.script.states.assign(10000, c.state);
        ui.answers = {MessageAnswer::Retry, MessageAnswer::Cancel};
        EXPECT_FALSE(Run(Download(SourceFile(""))));

        std::vector<int> queriesBeforeEachM9;
        int queries = 0;
        for (const std::string& line : log) {
            if (line == "query 7") ++queries;
            if (line == M9) queriesBeforeEachM9.push_back(std::exchange(queries, 0));
        }
        // Retry waits the whole bound again; Cancel deletes the job.
        EXPECT_EQ(queriesBeforeEachM9, c.queriesBeforeEachM9);
        EXPECT_EQ(EventLog(log.end() - 4, log.end()), (EventLog{M9, "delete 7", "close", "progress destroyed"}));
    }
}

TEST_F(SpoolJobTest, AJobThatChangesIsWaitedForWithoutBound) {
    for (int minute = 0; minute < 5; ++minute) {
        spooler.script.states.insert(spooler.script.states.end(), 600,
                                     JobState{.detail = "printing page " + std::to_string(minute)});
    }
    EXPECT_TRUE(Run(Download(SourceFile(""))));
    EXPECT_EQ(std::count(log.begin(), log.end(), M9), 0);
    EXPECT_EQ(log.back(), "progress destroyed");
    EXPECT_EQ(*(log.end() - 2), M10);
}

// Deletions: commands in order, ended before the printer is closed, the log record, M11.
struct DeletionCase {
    const char* what;
    std::string printer = "Corvan";
    std::string typed = "12";
    SpoolerScript script{};
    bool sent = true;
    EventLog expected{};
};

const EventLog DeletionCommands{"write <checked>", "write <unchecked>"};

const DeletionCase DeletionCases[] = {
    {.what = "the commands, the end of the document, the close, the log record, M11",
     .expected = EventLog{"page checks"} + Opening() + DeletionCommands + EventLog{"end", "close", "log Delete", M11("12")}},
    {.what = "the typed text goes into M11 unchanged",
     .typed = "%d 50% \\(x)",
     .expected = EventLog{"page checks"} + Opening() + DeletionCommands +
                 EventLog{"end", "close", "log Delete", M11("%d 50% \\(x)")}},
    {.what = "an empty field: M3",
     .typed = "", .script = {.opens = false}, .sent = false,
     .expected = {M3}},
    {.what = "no printer comes before an empty field",
     .printer = "", .typed = "", .script = {.opens = false}, .sent = false,
     .expected = {M1}},
    {.what = "a failed checked write: M6, closed, nothing logged",
     .script = {.failingWrites = {1}}, .sent = false,
     .expected = EventLog{"page checks"} + Opening() + EventLog{"write <checked>", M6, "close"}},
    {.what = "a failed unchecked write goes unnoticed",
     .script = {.failingWrites = {2}},
     .expected = EventLog{"page checks"} + Opening() + DeletionCommands + EventLog{"end", "close", "log Delete", M11("12")}},
    {.what = "FILE: ends it in silence",
     .script = {.port = "FILE:"}, .sent = false,
     .expected = {"page checks", "open Corvan", "port", "close"}},
    {.what = "a document that does not start: M5",
     .script = {.jobIds = {0}}, .sent = false,
     .expected = EventLog{"page checks"} + Opening() + EventLog{"close", M5}},
};

TEST_F(SpoolJobTest, DeletionWalksItsSteps) {
    for (const DeletionCase& c : DeletionCases) {
        SCOPED_TRACE(c.what);
        log.clear();
        spooler.script = c.script;
        const DeletionAction action{
            .deletionField = c.typed,
            .documentName = "PCL5 Font",
            .commands = {{"<checked>", true}, {"<unchecked>", false}},
            .writeLogRecord = [this] { log.push_back("log Delete"); },
            .pageChecks = [this] { log.push_back("page checks"); return true; }};
        CFXRSpoolJob job(spooler, ui, c.printer);
        EXPECT_EQ(job.SpoolDeletionJob(action), c.sent);
        EXPECT_EQ(log, c.expected);
    }
}

TEST(FileErrorText, NamesTheFileAndTheCause) {
    const std::pair<FileErrorCause, std::string> cases[] = {
        {FileErrorCause::NotFound, "Файл /d/f 1.bin не найден."},
        {FileErrorCause::AccessDenied, "Нет доступа к файлу /d/f 1.bin."},
        {FileErrorCause::InUse, "Файл /d/f 1.bin используется другой программой."},
        {FileErrorCause::ReadFailed, "Ошибка при чтении файла /d/f 1.bin."},
        {FileErrorCause::OpenFailed, "Не удаётся открыть файл /d/f 1.bin."},
    };
    for (const auto& [cause, text] : cases) EXPECT_EQ(FileErrorText({"/d/f 1.bin", cause}), text);
}

TEST(HexEncoding, EveryByteValue) {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    std::string hex(512, '?');
    EncodeHex(bytes, hex.data());
    EXPECT_EQ(hex.substr(0, 40), "000102030405060708090A0B0C0D0E0F10111213");
    EXPECT_EQ(hex.substr(2 * 0x1B, 2), "1B");
    EXPECT_EQ(hex.substr(2 * 0x7F, 6), "7F8081");
    EXPECT_EQ(hex.substr(472), "ECEDEEEFF0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF");
}

}  // namespace
}  // namespace presswick
