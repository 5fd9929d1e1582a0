#include "tests/support/PrivateCups.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <cups/cups.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace presswick::testing {
namespace {

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool SocketAnswers(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Enough of a PPD for CUPS to take its NickName as printer-make-and-model. Without
// cupsSNMPSupplies False every socket job waits for SNMP first.
std::string Ppd(const std::string& makeAndModel) {
    return "*PPD-Adobe: \"4.3\"\n"
           "*FormatVersion: \"4.3\"\n"
           "*FileVersion: \"1.0\"\n"
           "*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"TEST.PPD\"\n"
           "*Manufacturer: \"Test\"\n"
           "*Product: \"(" + makeAndModel + ")\"\n"
           "*ModelName: \"" + makeAndModel + "\"\n"
           "*ShortNickName: \"" + makeAndModel + "\"\n"
           "*NickName: \"" + makeAndModel + "\"\n"
           "*PSVersion: \"(3010.000) 0\"\n"
           "*LanguageLevel: \"3\"\n"
           "*ColorDevice: False\n"
           "*DefaultColorSpace: Gray\n"
           "*FileSystem: True\n"
           "*Throughput: \"40\"\n"
           "*cupsSNMPSupplies: False\n"
           "*OpenUI *PageSize/Page Size: PickOne\n"
           "*DefaultPageSize: A4\n"
           "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
           "*CloseUI: *PageSize\n"
           "*OpenUI *PageRegion: PickOne\n"
           "*DefaultPageRegion: A4\n"
           "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
           "*CloseUI: *PageRegion\n"
           "*DefaultImageableArea: A4\n"
           "*ImageableArea A4/A4: \"0 0 595 842\"\n"
           "*DefaultPaperDimension: A4\n"
           "*PaperDimension A4/A4: \"595 842\"\n";
}

}  // namespace

PrivateCups::PrivateCups() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/presswick-cups-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    base_ = pattern;
    socket_ = base_ + "/cups.sock";
    const fs::path base(base_);
    // cupsd's helpers run as lp: every folder on the way must be traversable.
    fs::permissions(base, fs::perms(0755));
    for (const char* folder : {"spool", "spool/tmp", "cache", "state", "ssl", "log", "ppd"}) {
        fs::create_directories(base / folder);
        fs::permissions(base / folder, fs::perms(0755));
    }
    fs::permissions(base / "spool/tmp", fs::perms(01777));

    WriteFile(base / "cups-files.conf",
              "ServerRoot " + base_ + "\n"
              "RequestRoot " + base_ + "/spool\n"
              "TempDir " + base_ + "/spool/tmp\n"
              "CacheDir " + base_ + "/cache\n"
              "StateDir " + base_ + "/state\n"
              "ServerKeychain " + base_ + "/ssl\n"
              "Printcap " + base_ + "/printcap\n"
              "ErrorLog " + base_ + "/log/error_log\n"
              "AccessLog " + base_ + "/log/access_log\n"
              "PageLog " + base_ + "/log/page_log\n"
              "FileDevice Yes\n");
    WriteFile(base / "cupsd.conf",
              "Listen " + socket_ + "\n"
              "Browsing No\n"
              "DefaultShared No\n"
              "WebInterface No\n"
              "PreserveJobFiles No\n"
              "LogLevel warn\n"
              "MultipleOperationTimeout 10\n"
              "JobRetryInterval 10\n"
              "<Location />\n"
              "</Location>\n");

    const std::string cupsd = fs::exists("/usr/sbin/cupsd") ? "/usr/sbin/cupsd" : "cupsd";
    const std::string conf = base_ + "/cupsd.conf";
    const std::string files = base_ + "/cups-files.conf";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp(cupsd.c_str(), cupsd.c_str(), "-f", "-c", conf.c_str(), "-s", files.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        return;
    }
    pid_ = pid;
    for (int tries = 0; tries < 500; ++tries) {
        if (SocketAnswers(socket_)) return;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "cupsd ended at start: " + errorLog();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error_ = "cupsd did not answer on " + socket_;
}

PrivateCups::~PrivateCups() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int tries = 0; tries < 500 && ::waitpid(pid_, &status, WNOHANG) == 0; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    if (!base_.empty() && !std::getenv("PRESSWICK_KEEP_CUPS")) {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }
}

void PrivateCups::useInThisProcess() const {
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    cupsSetServer(socket_.c_str());
}

bool PrivateCups::addQueue(const std::string& name, const std::string& deviceUri,
                           const std::string& makeAndModel) {
    std::string arguments = "-p " + Quoted(name) + " -E -v " + Quoted(deviceUri);
    if (!makeAndModel.empty()) {
        const std::string ppd = base_ + "/" + name + ".ppd";
        WriteFile(ppd, Ppd(makeAndModel));
        arguments += " -P " + Quoted(ppd);
    }
    return Run("lpadmin", arguments) && Run("cupsenable", Quoted(name)) && Run("cupsaccept", Quoted(name));
}

bool PrivateCups::Run(const std::string& tool, const std::string& arguments) {
    const std::string command = tool + " -h " + Quoted(socket_) + " " + arguments + " >>" +
                                Quoted(base_ + "/log/tools.log") + " 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string PrivateCups::errorLog() const {
    std::ifstream log(base_ + "/log/error_log");
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

}  // namespace presswick::testing
