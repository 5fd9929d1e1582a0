// PostScript jobs on the virtual printer, run by Ghostscript: files on %disk0% and %disk1%,
// fonts kept after exitserver, profile registration, and the limits that stop a bad job.

#include "tests/virtual-printer/PrinterTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace presswick::virtualprinter {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::Contents;
using testing::PrinterFolder;

// Copies the hex data that follows it in the job into the named file.
const std::string Store =
    "\033%-12345X@PJL\r\n@PJL ENTER LANGUAGE = POSTSCRIPT\r\n"
    "/store {\n"
    "  (w) file /target exch def\n"
    "  currentfile /ASCIIHexDecode filter /source exch def\n"
    "  /chunk 256 string def\n"
    "  { source chunk readstring exch target exch writestring not { exit } if } loop\n"
    "  target closefile\n"
    "} bind def\n";
const std::string End = "\033%-12345X@PJL EOJ\n\033%-12345X";

std::string PostScriptJob(const std::string& program) {
    return "\033%-12345X@PJL\r\n@PJL ENTER LANGUAGE = POSTSCRIPT\r\n" + program + "\n" + End;
}

const std::string FontProgram =
    "%!PS-AdobeFont-1.0: VirtualTest 001\n"
    "12 dict begin\n"
    "/FontName /VirtualTest def /FontType 1 def /PaintType 0 def\n"
    "/FontMatrix [0.001 0 0 0.001 0 0] readonly def /FontBBox {0 0 500 700} readonly def\n"
    "/Encoding StandardEncoding def\n"
    "/Private 3 dict dup begin /lenIV -1 def /Subrs 0 array def end def\n"
    "/CharStrings 1 dict dup begin /.notdef <8B8B0D0E> def end def\n"
    "currentdict end\n"
    "dup /FontName get exch definefont pop\n";

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
        if (hex.size() % 65 == 64) hex += '\n';
    }
    return hex;
}

std::string said(const JobRecord& record) {
    std::string text;
    for (const std::string& line : record.said) text += line + "\n";
    return text;
}

using PostScriptTest = testing::PrinterTest;

TEST_F(PostScriptTest, HexDownloadStoresTheFileByteForByte) {
    std::string everyByte;
    for (int i = 0; i < 3 * 256 + 1; ++i) everyByte += char(i & 255);
    struct {
        const char* target;
        std::string bytes;
        int volume;
        const char* path;
    } const cases[] = {
        {"(%disk1%Overlay/A.PS)", "%!\n", 1, "Overlay/A.PS"},
        {"(%disk0%Resource/Font/Odd \\(Name\\))", "", 0, "Resource/Font/Odd (Name)"},
        {"(%disk1%Profiles/P.ICC)", everyByte, 1, "Profiles/P.ICC"},
    };
    for (const auto& c : cases) {
        const JobRecord& record = printer.print(Store + c.target + " store\n" + Hex(c.bytes) + ">\r\n" + End);
        EXPECT_EQ(Contents(printer.volumeFolder(c.volume) / c.path), c.bytes) << c.target << "\n" << said(record);
    }
}

TEST_F(PostScriptTest, DeletefileRemovesAFileAndAMissingOneIsAnUndefinedFilename) {
    printer.print(Store + "(%disk1%Overlay/A.PS) store\n414243>\r\n" + End);
    const JobRecord& deleted = printer.print(PostScriptJob("(%disk1%Overlay/A.PS) deletefile"));
    EXPECT_THAT(deleted.said, Contains("volume 1: removed Overlay/A.PS"));

    const JobRecord& missing = printer.print(PostScriptJob("(%disk1%Overlay/A.PS) deletefile"));
    EXPECT_THAT(missing.said, Contains("PostScript: %%[ Error: undefinedfilename; OffendingCommand: deletefile ]%%"));
    // The printer has no third disk, and a name cannot leave its volume.
    const JobRecord& noDisk = printer.print(PostScriptJob("(%disk2%Overlay/A.PS) (w) file"));
    EXPECT_THAT(noDisk.said, Contains("PostScript: %%[ Error: undefinedfilename; OffendingCommand: file ]%%"));
    const JobRecord& outside = printer.print(PostScriptJob("(%disk1%../escaped) (w) file"));
    EXPECT_THAT(outside.said, Contains("PostScript: %%[ Error: invalidfileaccess; OffendingCommand: file ]%%"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "escaped"));
}

TEST_F(PostScriptTest, AFontOnTheDiskIsFoundAndGoesWithUndefinefontAndDeletefile) {
    printer.print(Store + "(%disk1%Resource/Font/VirtualTest) store\n" + Hex(FontProgram) + ">\r\n" + End);
    const JobRecord& found = printer.print(PostScriptJob("/VirtualTest findfont /FontName get =="));
    EXPECT_THAT(found.said, Contains("PostScript: /VirtualTest")) << said(found);

    const JobRecord& deleted = printer.print(
        PostScriptJob("/VirtualTest undefinefont\n(%disk1%Resource/Font/VirtualTest) deletefile"));
    EXPECT_THAT(deleted.said, Contains("PostScript: undefinefont /VirtualTest: no such font is defined"));
    EXPECT_THAT(deleted.said, Contains("volume 1: removed Resource/Font/VirtualTest"));
    EXPECT_THAT(said(deleted), Not(HasSubstr("Error")));
}

TEST_F(PostScriptTest, AFontSentAfterExitserverStaysInMemory) {
    const JobRecord& wrongPassword =
        printer.print(PostScriptJob("serverdict begin 7 exitserver \r\n" + FontProgram));
    EXPECT_THAT(wrongPassword.said, Contains("PostScript: %%[ Error: invalidaccess; OffendingCommand: exitserver ]%%"));
    EXPECT_TRUE(printer.postScript().fonts().empty());

    const JobRecord& sent = printer.print(PostScriptJob("serverdict begin 0 exitserver \r\n" + FontProgram));
    EXPECT_THAT(sent.said, Contains("PostScript: %%[ exitserver: permanent state may be changed ]%%"));
    EXPECT_THAT(sent.said, Contains("PostScript: font VirtualTest defined in memory until the printer restarts"));
    ASSERT_EQ(printer.postScript().fonts().count("VirtualTest"), 1u);
    EXPECT_EQ(printer.postScript().fonts().at("VirtualTest").bytes, FontProgram + "\n");
    EXPECT_THAT(printer.inventory(), HasSubstr("  PostScript font VirtualTest  " + std::to_string(FontProgram.size() + 1) +
                                               " bytes  sha256 "));

    // A later job finds it; an ordinary job cannot remove it, a job after exitserver can.
    const JobRecord& later = printer.print(PostScriptJob("FontDirectory /VirtualTest known =="));
    EXPECT_THAT(later.said, Contains("PostScript: true"));
    printer.print(PostScriptJob("/VirtualTest undefinefont"));
    EXPECT_EQ(printer.postScript().fonts().count("VirtualTest"), 1u);
    printer.print(PostScriptJob("serverdict begin 0 exitserver\n/VirtualTest undefinefont"));
    EXPECT_TRUE(printer.postScript().fonts().empty());
}

TEST_F(PostScriptTest, ProfileRegistrationIsRecorded) {
    printer.print(Store + "(%disk0%Profiles/P.ICC) store\n414243>\r\n" + End);
    // As on the printer: try a disk that is not there, then the flash, each attempt stopped.
    const JobRecord& registered = printer.print(PostScriptJob(
        "{ //statusdict /cms_registerprofile known\n"
        "  { (%disk2%Profiles/P.ICC) //statusdict /cms_registerprofile get exec } if } stopped\n"
        "{ { (%disk0%Profiles/P.ICC) //statusdict /cms_registerprofile get exec } stopped pop } if\n"
        "{ (%disk1%Profiles/Missing.ICC) //statusdict /cms_registerprofile get exec } stopped ="));
    EXPECT_THAT(registered.said, Contains("PostScript: profile %disk0%Profiles/P.ICC registered"));
    EXPECT_THAT(registered.said, Contains("PostScript: true"));  // a missing file is an error
    EXPECT_EQ(printer.postScript().profiles().size(), 1u);
    EXPECT_THAT(printer.inventory(), HasSubstr("\nregistered profiles\n  %disk0%Profiles/P.ICC  (job 2)\n"));

    const JobRecord& unregistered = printer.print(
        PostScriptJob("(%disk0%Profiles/P.ICC) //statusdict /cms_unregisterprofile get exec"));
    EXPECT_THAT(unregistered.said, Contains("PostScript: profile %disk0%Profiles/P.ICC unregistered"));
    EXPECT_TRUE(printer.postScript().profiles().empty());
}

TEST(PostScriptLimitsTest, AJobThatNeverEndsOrWritesWithoutEndIsStopped) {
    PrinterFolder folder;
    Settings settings;
    settings.root = folder.path();
    settings.postScriptTimeLimit = std::chrono::milliseconds(1500);
    settings.fileSizeLimit = 4096;
    VirtualPrinter printer(settings);

    const JobRecord& looping = printer.print(PostScriptJob("{ } loop"));
    EXPECT_THAT(looping.said, Contains("PostScript: stopped after 1.5 s (the time limit); the rest of the job is flushed"));

    // An odd number of hex digits and no ">" at the end of the data: Ghostscript writes the last
    // half-byte again and again until the file size limit stops it.
    const JobRecord& endless = printer.print(Store + "(%disk1%Overlay/Endless.PS) store\n" + std::string(1023, 'A') + End);
    EXPECT_THAT(said(endless), HasSubstr("volume 1: stored Overlay/Endless.PS  4096 bytes"));
    EXPECT_THAT(said(endless), HasSubstr("(cut at the file size limit)"));
}

}  // namespace
}  // namespace presswick::virtualprinter
