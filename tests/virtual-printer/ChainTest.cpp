// The whole chain: a raw job through the project's CUPS backend to a private scheduler, whose
// socket queue delivers it to the virtual printer program on loopback.

#include "platform/CupsSpooler.h"
#include "tests/support/PrivateCups.h"
#include "tests/virtual-printer/PrinterTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace presswick::virtualprinter {
namespace {

using ::testing::HasSubstr;
using testing::Contents;
using testing::PrinterFolder;

// The virtual-printer program, started on a free port and stopped with SIGTERM.
class PrinterProgram {
public:
    explicit PrinterProgram(const std::filesystem::path& root) : root_(root) {
        const std::string portFile = (root / "port").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl(VIRTUAL_PRINTER, VIRTUAL_PRINTER, "--root", root.c_str(), "--port", "0", "--port-file",
                    portFile.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int tries = 0; tries < 500 && port_ == 0; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const std::string text = Contents(portFile);
            if (!text.empty()) port_ = std::stoi(text);
        }
    }
    ~PrinterProgram() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }

    int port() const { return port_; }
    std::string inventory() const { return Contents(root_ / "inventory.txt"); }
    // Waits until the inventory lists the job with this number.
    bool waitForJob(int number) const {
        for (int tries = 0; tries < 1000; ++tries) {
            if (inventory().find("\n  job " + std::to_string(number) + " ") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

private:
    std::filesystem::path root_;
    pid_t pid_ = -1;
    int port_ = 0;
};

const std::string Download =
    "\033%-12345X@PJL FSDOWNLOAD FORMAT:BINARY NAME = \"1:/PCL5files/hardfonts/12.fdl\" SIZE=3\nABC"
    "\033%-12345X\033%-12345X@PJL ENTER LANGUAGE=PCL\n\033E\033%-12345X";
const char Listed[] =
    "\n  PCL5files/hardfonts/12.fdl  3 bytes  sha256 b5d4045c3f466fa91fe2cc6abe79232a1a57cdf104f7a26e716e0a1e2789df78\n";

TEST(ChainTest, ARawJobThroughTheCupsBackendIsStoredByTheVirtualPrinter) {
    PrinterFolder folder;
    PrinterProgram program(folder.path());
    ASSERT_NE(program.port(), 0);
    presswick::testing::PrivateCups cups;
    ASSERT_TRUE(cups.started()) << cups.error();
    cups.useInThisProcess();
    ASSERT_TRUE(cups.addQueue("Corvan-4400-Virtual", "socket://127.0.0.1:" + std::to_string(program.port()),
                              "Corvan 4400 PS"));

    CupsSpooler spooler;
    auto printer = spooler.openPrinter("Corvan-4400-Virtual");
    ASSERT_TRUE(printer);
    const JobId job = printer->startRawDocument("PCL5 Font");
    ASSERT_NE(job, 0u);
    // In two writes, so that the bytes arrive as the backend forwards them.
    ASSERT_TRUE(printer->write(std::string_view(Download).substr(0, 40)));
    ASSERT_TRUE(printer->write(std::string_view(Download).substr(40)));
    ASSERT_TRUE(printer->endDocument());

    ASSERT_TRUE(program.waitForJob(1)) << cups.errorLog();
    EXPECT_EQ(Contents(folder.path() / "disk1/PCL5files/hardfonts/12.fdl"), "ABC");
    EXPECT_THAT(program.inventory(), HasSubstr(Listed));
    EXPECT_EQ(Contents(folder.path() / "jobs/000001.prn"), Download);
    printer->close();
}

TEST(ChainTest, ThePrinterClosesTheConnectionOnlyAfterTheJobIsDone) {
    PrinterFolder folder;
    PrinterProgram program(folder.path());
    ASSERT_NE(program.port(), 0);
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(program.port()));
    ASSERT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::write(socket, Download.data(), Download.size()), ssize_t(Download.size()));
    ::shutdown(socket, SHUT_WR);
    char byte;
    EXPECT_EQ(::read(socket, &byte, 1), 0);  // the end of the connection
    ::close(socket);
    EXPECT_THAT(program.inventory(), HasSubstr(Listed));
}

}  // namespace
}  // namespace presswick::virtualprinter
