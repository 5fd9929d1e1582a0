#include "app/SupportedPrinterList.h"

#include "tests/support/RecordingMessageBoxes.h"
#include "transport/Spooler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace presswick {
namespace {

using testing::RecordingMessageBoxes;

class ListingSpooler : public Spooler {
public:
    PrinterList listLocalPrinters() override { return list; }
    std::unique_ptr<SpoolerPrinter> openPrinter(const std::string&) override { return nullptr; }
    PrinterList list;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A sorted list box that compares without regard to case, as the combo box does.
class SortedBox : public PrinterListBox {
public:
    void resetContent() override { entries.clear(), selected = -1, ++resets; }
    int addString(const std::string& entry) override {
        auto place = std::upper_bound(entries.begin(), entries.end(), entry,
                                      [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
        const int position = static_cast<int>(place - entries.begin());
        entries.insert(place, entry);
        return position;
    }
    int findStringExact(const std::string& entry) const override {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (Lower(entries[i]) == Lower(entry)) return static_cast<int>(i);
        return -1;
    }
    void setCurSel(int position) override { selected = position; }
    std::string selectedText() const { return selected < 0 ? "" : entries.at(selected); }

    std::vector<std::string> entries{"stale entry"};
    int selected = -1;
    int resets = 0;
};

struct Case {
    const char* what;
    std::vector<PrinterRecord> printers;
    std::string previousChoice;
    bool result;
    std::vector<std::string> boxEntries;  // sorted
    std::string selected;                 // "" when nothing is selected
    std::vector<std::string> supported;   // spooler order
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

const Case Cases[] = {
    {"two supported printers sorting the other way: the one returned last is selected",
     {{"Zeta", "Corvan 4400 PS"}, {"Alpha", "Corvan 4400 PS"}}, "",
     true, {"Alpha", "Zeta"}, "Alpha", {"Zeta", "Alpha"}},
    {"the spooler's last supported printer is selected even when it sorts last",
     {{"Alpha", "Corvan 4400 PS"}, {"Zeta", "Corvan 4400 PS"}, {"Middle", "Other"}}, "",
     true, {"Alpha", "Zeta"}, "Zeta", {"Alpha", "Zeta"}},
    {"a previous choice still installed is selected again",
     {{"Zeta", "Corvan 4400 PS"}, {"Alpha", "Corvan 4400 PS"}}, "Zeta",
     true, {"Alpha", "Zeta"}, "Zeta", {"Zeta", "Alpha"}},
    {"the previous choice is found without regard to case",
     {{"Zeta", "Corvan 4400 PS"}, {"Alpha", "Corvan 4400 PS"}}, "ZETA",
     true, {"Alpha", "Zeta"}, "Zeta", {"Zeta", "Alpha"}},
    {"a previous choice that was removed gives way to the last one listed",
     {{"Zeta", "Corvan 4400 PS"}, {"Alpha", "Corvan 4400 PS"}}, "Removed",
     true, {"Alpha", "Zeta"}, "Alpha", {"Zeta", "Alpha"}},
    {"the previous choice must be a whole entry",
     {{"Office 2", "Corvan 4400 PS"}, {"Office", "Corvan 4400 PS"}}, "Office 2",
     true, {"Office", "Office 2"}, "Office 2", {"Office 2", "Office"}},
    {"all supported printers removed: nothing listed",
     {{"Laser", "Generic PCL"}}, "Zeta",
     false, {}, "", {}},
    {"no printers at all",
     {}, "",
     false, {}, "", {}},
    {"the model string is case-sensitive",
     {{"Lower", "corvan 4400 PS"}, {"Upper", "CORVAN 4400"}}, "",
     false, {}, "", {}},
    {"the model string at the start, in the middle and at the end of the driver name",
     {{"Start", "Corvan 4400 PS"}, {"Middle", "ACME Corvan 4400 PS"}, {"End", "ACME Corvan 4400"},
      {"Near", "Corvan 440"}},
     "", true, {"End", "Middle", "Start"}, "End", {"Start", "Middle", "End"}},
    {"the driver name counts, not the printer name",
     {{"Corvan 4400", "Generic PostScript"}}, "",
     false, {}, "", {}},
};

class EnumerateSupportedPrintersTest : public ::testing::TestWithParam<Case> {};

TEST_P(EnumerateSupportedPrintersTest, ListsAndPreselects) {
    const Case& c = GetParam();
    ListingSpooler spooler;
    spooler.list.printers = c.printers;
    SortedBox box;
    std::vector<std::string> supported{"stale"};
    RecordingMessageBoxes boxes;

    EXPECT_EQ(EnumerateSupportedPrinters(spooler, box, supported, c.previousChoice, boxes), c.result);
    EXPECT_EQ(box.resets, 1);
    EXPECT_EQ(box.entries, c.boxEntries);
    EXPECT_EQ(box.selectedText(), c.selected);
    EXPECT_EQ(supported, c.supported);
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, EnumerateSupportedPrintersTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(EnumerateSupportedPrinters, ReportsAFailedEnumerationAndListsNothing) {
    ListingSpooler spooler;
    spooler.list = {false, {{"Zeta", "Corvan 4400 PS"}}, "Unable to connect to server"};
    SortedBox box;
    std::vector<std::string> supported{"stale"};
    RecordingMessageBoxes boxes;

    // True, so that the page adds no readme warning to this message.
    EXPECT_TRUE(EnumerateSupportedPrinters(spooler, box, supported, "Zeta", boxes));
    EXPECT_TRUE(box.entries.empty());
    EXPECT_EQ(box.selected, -1);
    EXPECT_TRUE(supported.empty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (MessageBoxSpec{"Could not enum Printer info:: Unable to connect to server",
                                              "Presswick", MessageIcon::Warning, MessageButtons::Ok}));
}

}  // namespace
}  // namespace presswick
