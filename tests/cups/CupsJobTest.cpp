// Downloads and deletions through the CUPS backend to a private scheduler and a loopback
// printer that records what arrives.

#include "platform/CupsSpooler.h"
#include "transport/CFXRSpoolJob.h"

#include "tests/support/LoopbackPrinter.h"
#include "tests/support/PrivateCups.h"
#include "tests/transport/ScriptedUserInterface.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace presswick {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::EventLog;
using testing::LoopbackPrinter;
using testing::PrivateCups;
using testing::ScriptedUserInterface;

const std::string M4 = "box [Presswick] error ok: Выбранный принтер не открывается. Снова установить выбранный драйвер.";
const std::string M5 = "box [Presswick] warning ok: Спулер отключен!";
const std::string M7 = "box [Presswick] warning ok: Принтер в режиме Off-line";
const std::string M8 = "box [Presswick] warning ok: Ошибка! Нельзя загрузить файл.";
const std::string M10 = "box [Presswick] information ok: Выбранный файл был успешно загружен";
const std::string M11 = "box [Presswick] information ok: Ваша команда на удаление 12 была отгружена в принтер";

const std::string Uel = "\x1B%-12345X";
const std::string Before = Uel + "@PJL FSDOWNLOAD SIZE=";
const std::string After = Uel;

// The scripted interface on the wall clock: the pause between queries really waits.
class TimedUserInterface : public ScriptedUserInterface {
public:
    using ScriptedUserInterface::ScriptedUserInterface;
    void Pause(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
        ScriptedUserInterface::Pause(duration);
    }
    Clock::time_point Now() override { return Clock::now(); }
};

// Two hex digits per byte, written out independently of the code under test.
std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    return hex;
}

std::string Lines(const EventLog& log) {
    std::string text;
    for (const std::string& line : log)
        if (!line.starts_with("pause")) text += line.substr(0, 120) + "\n";
    return text;
}

class CupsJobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        cups = new PrivateCups;
        ASSERT_TRUE(cups->started()) << cups->error();
        cups->useInThisProcess();
    }
    static void TearDownTestSuite() { delete cups; }

    void SetUp() override {
        ASSERT_TRUE(cups->addQueue(queue, printer.deviceUri(), "Corvan 4400 PS"));
        source = cups->baseDir() + "/" + queue + ".bin";
    }

    DownloadAction Download(const std::string& bytes, BlockEncoding encoding = BlockEncoding::AsIs) {
        std::ofstream(source, std::ios::binary) << bytes;
        return {.filePath = source,
                .documentName = "PCL5 Font",
                .textsBeforeData = [](std::uintmax_t length) {
                    return std::vector<std::string>{Before, std::to_string(length) + "\r\n"};
                },
                .encoding = encoding,
                .textAfterData = After};
    }

    bool Run(const DownloadAction& action, const std::string& printerName) {
        CFXRSpoolJob job(spooler, ui, printerName);
        return job.SpoolDownloadJob(action);
    }
    bool Run(const DownloadAction& action) { return Run(action, queue); }

    // The boxes of the action, without the steps of the progress window and the queries.
    EventLog Boxes() const {
        EventLog boxes;
        std::copy_if(log.begin(), log.end(), std::back_inserter(boxes),
                     [](const std::string& line) { return line.starts_with("box"); });
        return boxes;
    }

    std::vector<cups_job_t> Jobs(const std::string& name) const {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.c_str(), 0, CUPS_WHICHJOBS_ALL);
        std::vector<cups_job_t> copied(jobs, jobs + std::max(count, 0));
        for (cups_job_t& job : copied) job.title = job.dest = job.user = job.format = nullptr;
        cupsFreeJobs(count, jobs);
        return copied;
    }

    static PrivateCups* cups;
    const std::string queue = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    LoopbackPrinter printer;
    std::string source;
    CupsSpooler spooler;
    EventLog log;
    TimedUserInterface ui{log};
};

PrivateCups* CupsJobTest::cups = nullptr;

TEST_F(CupsJobTest, BytesArriveUnchanged) {
    std::string everyByte;
    for (int value = 0; value < 256; ++value) everyByte += static_cast<char>(value);
    std::string large(5 * 1024 * 1024 + 3, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    const std::string kilobyte(1024, '\x1B');

    struct {
        const char* what;
        std::string file;
        BlockEncoding encoding;
        std::string data;  // what must arrive between the texts
    } const cases[] = {
        {"every byte value, ESC and NUL among them", everyByte, BlockEncoding::AsIs, everyByte},
        {"an empty file", "", BlockEncoding::AsIs, ""},
        {"1024 bytes", kilobyte, BlockEncoding::AsIs, kilobyte},
        {"1025 bytes", kilobyte + '\0', BlockEncoding::AsIs, kilobyte + '\0'},
        {"over 5 MiB", large, BlockEncoding::AsIs, large},
        {"three bytes in hex", std::string("\x00\x0A\xFF", 3), BlockEncoding::Hex, "000AFF"},
        {"every byte value in hex", everyByte, BlockEncoding::Hex, Hex(everyByte)},
        {"over 5 MiB in hex", large, BlockEncoding::Hex, Hex(large)},
    };
    std::size_t sent = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        EXPECT_TRUE(Run(Download(c.file, c.encoding))) << Lines(log);
        EXPECT_EQ(Boxes(), EventLog{M10});
        ASSERT_TRUE(printer.waitForJobs(++sent, 30s)) << cups->errorLog();
        const std::string arrived = printer.jobs().back();
        const std::string expected = Before + std::to_string(c.file.size()) + "\r\n" + c.data + After;
        EXPECT_EQ(arrived.size(), expected.size());
        EXPECT_TRUE(arrived == expected);
    }
    EXPECT_TRUE(Hex(everyByte).starts_with("000102030405060708090A0B0C0D0E0F10111213141516171819"));
}

TEST_F(CupsJobTest, AJobKeptInTheHistoryAfterPrintingCountsAsGone) {
    DownloadAction action = Download("font");
    action.documentName = "PostScript Overlay";
    EXPECT_TRUE(Run(action));
    EXPECT_EQ(Boxes(), EventLog{M10});
    // The scheduler keeps the finished job, under the document's name.
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(jobs[0].title, "PostScript Overlay");
    EXPECT_EQ(jobs[0].state, IPP_JSTATE_COMPLETED);
    cupsFreeJobs(count, jobs);
}

TEST_F(CupsJobTest, ADisabledQueueIsOfflineAtEachQueryUntilEnabled) {
    ASSERT_TRUE(cups->Run("cupsdisable", queue));
    int offline = 0;
    ui.onBox = [&](const MessageBoxSpec& box) {
        if (box.text == "Принтер в режиме Off-line" && ++offline == 3) cups->Run("cupsenable", queue);
    };
    EXPECT_TRUE(Run(Download("font")));
    EXPECT_EQ(Boxes(), (EventLog{M7, M7, M7, M10})) << Lines(log);
    ASSERT_TRUE(printer.waitForJobs(1, 30s));
    EXPECT_EQ(printer.jobs()[0], Before + "4\r\nfont" + After);
}

TEST_F(CupsJobTest, AJobCancelledFromOutsideIsDeleted) {
    ASSERT_TRUE(cups->Run("cupsdisable", queue));
    ui.onBox = [&](const MessageBoxSpec&) { cups->Run("cancel", "-a " + queue); };
    EXPECT_FALSE(Run(Download("font")));
    EXPECT_EQ(Boxes(), (EventLog{M7, M8})) << Lines(log);
    EXPECT_EQ(log.back(), "progress destroyed");
}

TEST_F(CupsJobTest, ARejectingQueueDisablesTheSpooler) {
    ASSERT_TRUE(cups->Run("cupsreject", queue));
    EXPECT_FALSE(Run(Download("font")));
    EXPECT_EQ(log, EventLog{M5});
    EXPECT_TRUE(Jobs(queue).empty());
}

TEST_F(CupsJobTest, AQueueDeletedAfterListingDoesNotOpen) {
    const PrinterList list = spooler.listLocalPrinters();
    ASSERT_TRUE(std::any_of(list.printers.begin(), list.printers.end(),
                            [&](const PrinterRecord& p) { return p.name == queue; }));
    ASSERT_TRUE(cups->Run("lpadmin", "-x " + queue));
    EXPECT_FALSE(Run(Download("font")));
    EXPECT_EQ(log, EventLog{M4});
}

TEST_F(CupsJobTest, AFileQueueEndsSilentlyWithoutAJob) {
    ASSERT_TRUE(cups->addQueue("ToFile", "file:///dev/null", "Corvan 4400 PS"));
    EXPECT_FALSE(Run(Download("font"), "ToFile"));
    EXPECT_EQ(log, EventLog{});
    EXPECT_TRUE(Jobs("ToFile").empty());
}

TEST_F(CupsJobTest, AMissingSourceFileLeavesNoJobBehind) {
    DownloadAction action = Download("");
    action.filePath = cups->baseDir() + "/no-such-file";
    EXPECT_FALSE(Run(action));
    EXPECT_EQ(log, EventLog{"file error not-found: " + action.filePath});
    // The job that was started is cancelled, not left waiting for its document.
    const std::vector<cups_job_t> jobs = Jobs(queue);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].state, IPP_JSTATE_CANCELED);
    EXPECT_FALSE(printer.waitForJobs(1, 500ms));
}

TEST_F(CupsJobTest, ADeletionReachesThePrinter) {
    const DeletionAction action{
        .deletionField = "12",
        .documentName = "PCL5 Font",
        .commands = {{Uel + "@PJL FSDELETE NAME=\"0:\\PCL5files\\hardfonts\\12\"\r\n", true}, {Uel, false}}};
    CFXRSpoolJob job(spooler, ui, queue);
    EXPECT_TRUE(job.SpoolDeletionJob(action));
    EXPECT_EQ(log, EventLog{M11});
    ASSERT_TRUE(printer.waitForJobs(1, 30s)) << cups->errorLog();
    EXPECT_EQ(printer.jobs()[0], "\x1B%-12345X@PJL FSDELETE NAME=\"0:\\PCL5files\\hardfonts\\12\"\r\n\x1B%-12345X");
}

}  // namespace
}  // namespace presswick
