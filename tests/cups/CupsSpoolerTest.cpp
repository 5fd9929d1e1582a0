// The CUPS backend against a private scheduler started for this test.

#include "platform/CupsSpooler.h"

#include "tests/support/LoopbackPrinter.h"
#include "tests/support/PrivateCups.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

namespace presswick {
namespace {

using testing::LoopbackPrinter;
using testing::PrivateCups;

class CupsSpoolerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        cups = new PrivateCups;
        ASSERT_TRUE(cups->started()) << cups->error();
        cups->useInThisProcess();
        printer = new LoopbackPrinter;
        ASSERT_TRUE(cups->addQueue("Corvan-B", printer->deviceUri(), "Corvan 4400 PS"));
        ASSERT_TRUE(cups->addQueue("Corvan-A", printer->deviceUri(), "Corvan 4400 PS"));
        ASSERT_TRUE(cups->addQueue("Laser", printer->deviceUri(), "Generic PCL Laser"));
        ASSERT_TRUE(cups->addQueue("ToFile", "file:///dev/null", "Corvan 4400 PS"));
    }
    static void TearDownTestSuite() {
        delete printer;
        delete cups;
    }

    static PrivateCups* cups;
    static LoopbackPrinter* printer;
    CupsSpooler spooler;
};

PrivateCups* CupsSpoolerTest::cups = nullptr;
LoopbackPrinter* CupsSpoolerTest::printer = nullptr;

TEST_F(CupsSpoolerTest, ListsEveryLocalQueueWithItsMakeAndModel) {
    const PrinterList list = spooler.listLocalPrinters();
    ASSERT_TRUE(list.ok) << list.failure;
    std::vector<std::pair<std::string, std::string>> found;
    for (const PrinterRecord& p : list.printers) found.emplace_back(p.name, p.driverName);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Corvan-A", "Corvan 4400 PS"}, {"Corvan-B", "Corvan 4400 PS"},
        {"Laser", "Generic PCL Laser"}, {"ToFile", "Corvan 4400 PS"}};
    EXPECT_EQ(found, expected);
}

TEST_F(CupsSpoolerTest, OpensAQueueAndReportsItsPort) {
    struct {
        const char* queue;
        std::string port;
    } const cases[] = {
        {"Corvan-A", printer->deviceUri()},
        {"Laser", printer->deviceUri()},
        {"ToFile", "FILE:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queue);
        std::unique_ptr<SpoolerPrinter> opened = spooler.openPrinter(c.queue);
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->port(), c.port);
        opened->close();
    }
}

TEST_F(CupsSpoolerTest, DoesNotOpenAQueueThatIsNotThere) {
    EXPECT_EQ(spooler.openPrinter("Missing"), nullptr);
    EXPECT_EQ(spooler.openPrinter(""), nullptr);
}

TEST_F(CupsSpoolerTest, AQueueDeletedAfterOpeningHasNoPort) {
    ASSERT_TRUE(cups->addQueue("Doomed", printer->deviceUri(), "Corvan 4400 PS"));
    std::unique_ptr<SpoolerPrinter> opened = spooler.openPrinter("Doomed");
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(cups->Run("lpadmin", "-x Doomed"));
    EXPECT_EQ(opened->port(), std::nullopt);
}

TEST(CupsSpoolerWithoutScheduler, ReportsWhyItCannotList) {
    PrivateCups cups;  // started only to learn a folder; its socket is taken away below
    ASSERT_TRUE(cups.started()) << cups.error();
    const std::string nowhere = cups.baseDir() + "/no-such.sock";
    cupsSetServer(nowhere.c_str());
    const PrinterList list = CupsSpooler().listLocalPrinters();
    cupsSetServer(nullptr);
    EXPECT_FALSE(list.ok);
    EXPECT_NE(list.failure.find(nowhere), std::string::npos) << list.failure;
    EXPECT_EQ(CupsSpooler().openPrinter("Corvan-A"), nullptr);
}

TEST(CupsSpoolerWithoutScheduler, ListsNothingFromAnEmptyScheduler) {
    PrivateCups cups;
    ASSERT_TRUE(cups.started()) << cups.error();
    cupsSetServer(cups.server().c_str());
    const PrinterList list = CupsSpooler().listLocalPrinters();
    cupsSetServer(nullptr);
    EXPECT_TRUE(list.ok) << list.failure;
    EXPECT_TRUE(list.printers.empty());
}

}  // namespace
}  // namespace presswick
