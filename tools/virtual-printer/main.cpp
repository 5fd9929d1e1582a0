// The virtual Corvan 4400: listens on a loopback port the way a printer's AppSocket port does,
// reads each connection to its end, acts on the job, and then closes the connection, so that
// the spooler's job is complete only once the printer has done its work.

#include "tools/virtual-printer/VirtualPrinter.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace presswick::virtualprinter;

namespace {

int stopPipe[2] = {-1, -1};

void Stop(int) {
    const char byte = 0;
    [[maybe_unused]] auto written = ::write(stopPipe[1], &byte, 1);
}

const char Usage[] =
    "usage: virtual-printer --root FOLDER [--port N] [--port-file FILE] [--gs PROGRAM]\n"
    "                       [--time-limit SECONDS] [--file-size-limit BYTES] [--job-size-limit BYTES]\n"
    "                       [--idle-limit SECONDS] [--password N]\n"
    "       virtual-printer --root FOLDER --print JOBFILE...   run job files without listening\n"
    "       virtual-printer --inventory FOLDER                 show what the printer holds\n"
    "Listens on 127.0.0.1 (port 0: any free port; it is printed and written to --port-file).\n"
    "FOLDER holds the volumes disk0 (flash, PJL 0:, %disk0%) and disk1 (disk, PJL 1:, %disk1%),\n"
    "jobs/ (a copy and a record of every job), memory/ and inventory.txt, rewritten after each job.\n";

struct Limits {
    std::size_t jobSize = std::size_t(1) << 30;
    int idleSeconds = 300;
};

// One connection: read to the end (or to a limit), act on it, close.
void TakeJob(VirtualPrinter& printer, int connection, const Limits& limits) {
    std::string job;
    std::string refused;
    char buffer[65536];
    for (;;) {
        pollfd waiting{connection, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, limits.idleSeconds * 1000);
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            refused = "nothing came for " + std::to_string(limits.idleSeconds) + " s; the connection was ended";
            break;
        }
        const ssize_t got = ::read(connection, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (job.size() + std::size_t(got) > limits.jobSize) {
            refused = "the job is larger than the limit of " + std::to_string(limits.jobSize) +
                      " bytes; the first bytes are kept, the rest was read and dropped";
            job.append(buffer, limits.jobSize - job.size());
            while (::read(connection, buffer, sizeof buffer) > 0) {
            }
            break;
        }
        job.append(buffer, std::size_t(got));
    }
    const JobRecord& record = refused.empty() ? printer.print(job) : printer.refuse(job, refused);
    std::cout << "job " << record.number << ": " << record.size << " bytes, " << record.said.size()
              << " lines in its record" << std::endl;
    ::close(connection);
}

int Listen(int& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::cerr << "virtual-printer: cannot listen on 127.0.0.1:" << port << ": " << std::strerror(errno) << "\n";
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    Limits limits;
    int port = 0;
    std::string portFile, inventoryOf;
    std::vector<std::string> jobFiles;
    bool printing = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&] { return std::string(argv[++i]); };
        try {
            if (option == "--root" && hasValue) settings.root = value();
            else if (option == "--port" && hasValue) port = std::stoi(value());
            else if (option == "--port-file" && hasValue) portFile = value();
            else if (option == "--gs" && hasValue) settings.ghostscript = value();
            else if (option == "--time-limit" && hasValue) settings.postScriptTimeLimit = std::chrono::milliseconds(long(std::stod(value()) * 1000));
            else if (option == "--file-size-limit" && hasValue) settings.fileSizeLimit = std::stoull(value());
            else if (option == "--job-size-limit" && hasValue) limits.jobSize = std::stoull(value());
            else if (option == "--idle-limit" && hasValue) limits.idleSeconds = std::stoi(value());
            else if (option == "--password" && hasValue) settings.serverPassword = std::stoi(value());
            else if (option == "--inventory" && hasValue) inventoryOf = value();
            else if (option == "--print") printing = true;
            else if (printing && !option.starts_with("--")) jobFiles.push_back(option);
            else throw std::invalid_argument(option);
        } catch (const std::exception&) {
            std::cerr << "virtual-printer: bad option " << option << "\n" << Usage;
            return 2;
        }
    }

    if (!inventoryOf.empty()) {
        std::ifstream inventory(fs::path(inventoryOf) / "inventory.txt");
        if (!inventory) {
            std::cerr << "virtual-printer: no inventory in " << inventoryOf << "\n";
            return 1;
        }
        std::cout << inventory.rdbuf();
        return 0;
    }
    if (settings.root.empty()) {
        std::cerr << Usage;
        return 2;
    }
    settings.root = fs::absolute(settings.root);

    if (printing) {
        VirtualPrinter printer(settings);
        for (const std::string& file : jobFiles) {
            std::ifstream in(file, std::ios::binary);
            const std::string job((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            printer.print(job);
        }
        std::cout << printer.inventory();
        return 0;
    }

    const int listener = Listen(port);
    if (listener < 0) return 1;
    settings.address = "127.0.0.1:" + std::to_string(port);
    VirtualPrinter printer(settings);
    if (::pipe(stopPipe) != 0) return 1;
    std::signal(SIGTERM, Stop);
    std::signal(SIGINT, Stop);
    std::signal(SIGPIPE, SIG_IGN);
    if (!portFile.empty()) {
        const std::string fresh = portFile + ".new";
        std::ofstream(fresh) << port << "\n";
        fs::rename(fresh, portFile);
    }
    std::cout << "virtual Corvan 4400 listening on " << settings.address << ", folder " << settings.root.string()
              << std::endl;

    for (;;) {
        pollfd waiting[2] = {{listener, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
        if (::poll(waiting, 2, -1) < 0) continue;
        if (waiting[1].revents) break;
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) TakeJob(printer, connection, limits);
    }
    ::close(listener);
    return 0;
}
