// PCL5 memory resources on the virtual printer: which survive a reset, and with which bytes.

#include "tests/virtual-printer/PrinterTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace presswick::virtualprinter {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using testing::Contents;
using testing::PrinterFolder;

using Pcl5Test = testing::PrinterTest;

// The font header's data holds a UEL: counted data is never searched for one.
const char FontJob[] =
    "\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033*c12D"
    "\033)s9W\033%-12345X\033*c65E\033(s3WXYZ"
    "\033*c5F\033%-12345X";
const char FontBytes[] = "\033)s9W\033%-12345X\033*c65E\033(s3WXYZ";

TEST_F(Pcl5Test, FontMacroAndSymbolSetMadePermanentAreListedWithTheirBytes) {
    printer.print(FontJob);
    printer.print("\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033&f7Y\033&f0X\033&l1OAB\033&f1X\033&f10X\033%-12345X");
    printer.print("\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033*c300R\n\033(f4Wabcd\033*c5S\033%-12345X");
    // The printer reset that ends the program's disk jobs keeps permanent resources.
    printer.print("\033%-12345X\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033E\033%-12345X");

    struct {
        const std::map<int, PclResource>& resources;
        int id;
        std::string bytes;
        const char* listed;
    } const cases[] = {
        {printer.pcl().fonts(), 12, FontBytes,
         "  PCL font 12 permanent  28 bytes  sha256 379840b6e856e803982c9a50f1b9c6d5824508ec8da41a36ba759fabbbfd6cf3\n"},
        {printer.pcl().macros(), 7, "\033&l1OAB",
         "  PCL macro 7 permanent  7 bytes  sha256 4f79d918c88ca126318ec77eb105e1732af54d35e2bf0e492d7239e3cef4e086\n"},
        {printer.pcl().symbolSets(), 300, "\033(f4Wabcd",
         "  PCL symbol set 300 permanent  9 bytes  sha256 c4b160b2587e525e93b18858c123b179e820d18d6520294970e406cf76bf943b\n"},
    };
    const std::string inventory = Contents(folder.path() / "inventory.txt");
    for (const auto& c : cases) {
        ASSERT_EQ(c.resources.size(), 1u) << c.listed;
        ASSERT_TRUE(c.resources.count(c.id)) << c.listed;
        EXPECT_TRUE(c.resources.at(c.id).permanent);
        EXPECT_EQ(c.resources.at(c.id).bytes, c.bytes);
        EXPECT_THAT(inventory, HasSubstr(c.listed));
    }
    EXPECT_EQ(Contents(folder.path() / "memory/pcl-font-12"), FontBytes);
}

TEST_F(Pcl5Test, TemporaryResourcesGoAtEscEAndAtTheEndOfTheJob) {
    const JobRecord& atReset = printer.print(
        "\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033*c5D\033)s2Whh\033&f3Y\033&f0Xbody\033&f1X\033E\033%-12345X");
    EXPECT_THAT(atReset.said, Contains("PCL: temporary font 5 dropped at ESC E"));
    EXPECT_THAT(atReset.said, Contains("PCL: temporary macro 3 dropped at ESC E"));

    const JobRecord& atEnd =
        printer.print("\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033*c9R\033(f1Wz\033*c4S\033%-12345X");
    EXPECT_THAT(atEnd.said, Contains("PCL: temporary symbol set 9 dropped at the end of the PCL job"));

    EXPECT_TRUE(printer.pcl().fonts().empty());
    EXPECT_TRUE(printer.pcl().macros().empty());
    EXPECT_TRUE(printer.pcl().symbolSets().empty());
    EXPECT_THAT(printer.inventory(), HasSubstr("\nmemory (until the printer restarts; the bytes are in " +
                                               (folder.path() / "memory").string() + ")\n  (empty)\n"));
}

TEST_F(Pcl5Test, ControlCommandsDeleteAndReportWhatIsMissing) {
    printer.print(FontJob);
    struct {
        const char* commands;
        const char* said;
        bool fontLeft;
    } const cases[] = {
        {"\033*c13D\033*c5F", "PCL: no font 13 to make permanent", true},
        {"\033*c1F", nullptr, true},  // only temporary fonts
        {"\033&f4Y\033&f2X", "PCL: macro 4 asked for: there is none", true},
        {"\033*c12d2F", "PCL: font 12 deleted", false},
    };
    for (const auto& c : cases) {
        const JobRecord& record =
            printer.print(std::string("\033%-12345X@PJL ENTER LANGUAGE=PCL\n") + c.commands + "\033%-12345X");
        if (c.said) {
            EXPECT_THAT(record.said, Contains(c.said)) << c.commands;
        }
        EXPECT_EQ(printer.pcl().fonts().count(12) == 1, c.fontLeft) << c.commands;
    }
}

TEST_F(Pcl5Test, OtherDataIsPassedOverAndRecorded) {
    // The raster data holds an ESC E, which is data, not a reset.
    const JobRecord& record = printer.print(
        "\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033*c1D\033)s1Wx\033&l1O\033*b3W\033E\033Hello\033*p0x0Y"
        "\033%-12345X");
    EXPECT_THAT(record.said, Contains("PCL: printed 5 bytes of text and control codes: \"Hello\""));
    EXPECT_THAT(record.said, Contains("PCL: temporary font 1 dropped at the end of the PCL job"));
    EXPECT_THAT(record.said, ::testing::Not(Contains("PCL: temporary font 1 dropped at ESC E")));
    EXPECT_THAT(record.said,
                Contains("PCL: passed over 4 other commands: \\e&l1O \\e*b3W \\e*p0X \\e*p0Y"));
}

}  // namespace
}  // namespace presswick::virtualprinter
