// PJL jobs on the virtual printer: what FSDOWNLOAD and FSDELETE leave on the volumes, and
// what the job record says when a job is wrong.

#include "tests/virtual-printer/PrinterTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace presswick::virtualprinter {
namespace {

using namespace std::string_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Contents;
using testing::PrinterFolder;

using PjlTest = testing::PrinterTest;

TEST_F(PjlTest, DownloadStoresExactlySizeBytesWhateverTheyHold) {
    struct {
        const char* what;
        std::string job;
        int volume;
        const char* path;
        std::string stored;
    } const cases[] = {
        {"disk",
         "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/PCL5files/hardfonts/12.fdl\" SIZE=3\nABC"
         "\033%-12345X\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033E\033%-12345X",
         1, "PCL5files/hardfonts/12.fdl", "ABC"},
        {"flash",
         "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"0:/PCL5files/hardmacros/7.mac\" SIZE=4\r\n\033&f1"
         "\033%-12345X",
         0, "PCL5files/hardmacros/7.mac", "\033&f1"},
        {"no bytes",
         "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/PCL5files/hardfonts/0.fdl\" SIZE=0\n\033%-12345X",
         1, "PCL5files/hardfonts/0.fdl", ""},
        {"escape bytes, a whole UEL, a PJL line and a zero byte in the data",
         "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:\\fonts\\x.sdl\" SIZE=24\n"
         "\033%-12345X@PJL EOJ\n\033E\0\033*c"s
         "\033%-12345X"s,
         1, "fonts/x.sdl", "\033%-12345X@PJL EOJ\n\033E\0\033*c"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const JobRecord& record = printer.print(c.job);
        EXPECT_EQ(Contents(printer.volumeFolder(c.volume) / c.path), c.stored);
        // Nothing of the data was run as a command.
        for (const std::string& line : record.said) {
            EXPECT_THAT(line, ::testing::Not(HasSubstr("not PJL")));
            EXPECT_THAT(line, ::testing::Not(HasSubstr("PCL: printed")));
        }
    }
}

TEST_F(PjlTest, DeleteRemovesTheFileAndReportsAMissingOne) {
    printer.print("\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/PCL5files/hardfonts/12.fdl\" SIZE=2\nAB"
                  "\033%-12345X");
    ASSERT_TRUE(std::filesystem::exists(printer.volumeFolder(1) / "PCL5files/hardfonts/12.fdl"));

    const JobRecord& record = printer.print(
        "\033%-12345X@PJL\r\n@PJL SET JOBNAME = \"Delete Font\"\r\n@PJL SET USERNAME = \"Tester\"\r\n"
        "@PJL FSDELETE NAME = \"1:/PCL5files/hardfonts/12.fdl\"\n"
        "@PJL FSDELETE NAME = \"1:/PCL5files/hardfonts/12.fnt\"\n\033%-12345X");
    EXPECT_FALSE(std::filesystem::exists(printer.volumeFolder(1) / "PCL5files/hardfonts/12.fdl"));
    EXPECT_EQ(record.jobName, "Delete Font");
    EXPECT_EQ(record.userName, "Tester");
    EXPECT_THAT(record.said, ElementsAre("PJL SET JOBNAME = \"Delete Font\"", "PJL SET USERNAME = \"Tester\"",
                                         "PJL FSDELETE \"1:/PCL5files/hardfonts/12.fdl\": deleted",
                                         "FILE ERROR: FSDELETE \"1:/PCL5files/hardfonts/12.fnt\": no such file",
                                         "volume 1: removed PCL5files/hardfonts/12.fdl"));
}

// The SIZE decides where the data ends. Too large, and the file takes the bytes that follow; too
// small, and the rest of the file is run as PCL. Both show in the files and in the record.
TEST_F(PjlTest, ASizeThatDoesNotMatchTheDataShowsWhatThePrinterStoredAndRan) {
    struct {
        const char* what;
        std::string job;
        std::string stored;
        std::vector<std::string> said;
    } const cases[] = {
        {"SIZE two bytes too large",
         "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/f/1.fdl\" SIZE=5\nABC"
         "\033%-12345X\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033E\033%-12345X",
         "ABC\033%",
         {"PJL FSDOWNLOAD \"1:/f/1.fdl\" SIZE=5: stored 5 bytes",
          "7 bytes that are not PJL and follow no ENTER LANGUAGE: run as PCL: \"-12345X\"",
          "PCL: printed 7 bytes of text and control codes: \"-12345X\"", "PJL ENTER LANGUAGE = PCL",
          "volume 1: stored f/1.fdl  5 bytes  sha256 fce10c9e435c0582eeb838d449f023fb96b0c90a7178f2dffb3368e70b15b0b2"}},
        {"SIZE two bytes too small",
         "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/f/1.fdl\" SIZE=3\nABCDE"
         "\033%-12345X\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033E\033%-12345X",
         "ABC",
         {"PJL FSDOWNLOAD \"1:/f/1.fdl\" SIZE=3: stored 3 bytes",
          "2 bytes that are not PJL and follow no ENTER LANGUAGE: run as PCL: \"DE\"",
          "PCL: printed 2 bytes of text and control codes: \"DE\"", "PJL ENTER LANGUAGE = PCL",
          "volume 1: stored f/1.fdl  3 bytes  sha256 b5d4045c3f466fa91fe2cc6abe79232a1a57cdf104f7a26e716e0a1e2789df78"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrinterFolder own;
        Settings s;
        s.root = own.path();
        VirtualPrinter fresh(s);
        const JobRecord& record = fresh.print(c.job);
        EXPECT_EQ(Contents(fresh.volumeFolder(1) / "f/1.fdl"), c.stored);
        EXPECT_EQ(record.said, c.said);
        EXPECT_THAT(fresh.inventory(), HasSubstr("\n  f/1.fdl  " + std::to_string(c.stored.size()) + " bytes  sha256 "));
    }
}

TEST_F(PjlTest, RefusesDownloadsItCannotPlaceAndStoresNothing) {
    struct {
        std::string job;
        const char* said;
    } const cases[] = {
        {"\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/f/a\" SIZE=20\nABC\033%-12345X",
         "FILE ERROR: FSDOWNLOAD \"1:/f/a\" SIZE=20: the job ended after 12 of those bytes: nothing stored"},
        {"\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"2:/f/a\" SIZE=1\nA\033%-12345X",
         "FILE ERROR: FSDOWNLOAD \"2:/f/a\" SIZE=1: there is no volume 2: nothing stored"},
        {"\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"f/a\" SIZE=1\nA\033%-12345X",
         "FILE ERROR: FSDOWNLOAD \"f/a\" SIZE=1: the name has no volume: nothing stored"},
        {"\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/../../escaped\" SIZE=1\nA\033%-12345X",
         "FILE ERROR: FSDOWNLOAD \"1:/../../escaped\" SIZE=1: the name leaves the volume: nothing stored"},
        {"\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/f/a\"\nA\033%-12345X",
         "FILE ERROR: FSDOWNLOAD \"1:/f/a\" SIZE=: no valid SIZE, so the data cannot be told from what follows: "
         "nothing stored; the data is read as PJL"},
    };
    for (const auto& c : cases) {
        const JobRecord& record = printer.print(c.job);
        EXPECT_THAT(record.said, Contains(c.said));
    }
    for (int v = 0; v < VirtualPrinter::Volumes; ++v) EXPECT_TRUE(printer.files(v).empty());
    EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / "escaped"));
}

TEST_F(PjlTest, KeepsACopyOfEveryJobAndListsItsRecord) {
    const std::string job = "\033%-12345X@PJL\r\n@PJL SET JOBNAME = \"Probe\"\r\n@PJL EOJ\n\033%-12345X";
    const JobRecord& record = printer.print(job);
    EXPECT_EQ(record.number, 1);
    EXPECT_EQ(Contents(record.copy), job);
    EXPECT_THAT(printer.inventory(), HasSubstr("  job 1  " + std::to_string(job.size()) + " bytes  name \"Probe\"  copy " +
                                               record.copy + "\n    PJL SET JOBNAME = \"Probe\"\n    PJL EOJ\n"));

    // A restarted printer keeps its volumes and goes on numbering its jobs.
    printer.print("\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"0:/kept\" SIZE=1\nK\033%-12345X");
    VirtualPrinter restarted(settings());
    EXPECT_EQ(restarted.print("\033%-12345X").number, 3);
    ASSERT_EQ(restarted.files(0).size(), 1u);
    EXPECT_EQ(restarted.files(0)[0].path, "kept");
}

}  // namespace
}  // namespace presswick::virtualprinter
