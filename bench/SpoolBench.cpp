// Figures for the download path, run by hand: a hex-encoded download through the CUPS backend
// against `lp -o raw` of the same bytes, hex encoding alone, the memory of a small against a
// large download, and the CPU that watching a waiting job costs.
// Needs cupsd and lp, as the tests do; prints its figures and returns.

#include "platform/CupsSpooler.h"
#include "tests/support/LoopbackPrinter.h"
#include "tests/support/PrivateCups.h"
#include "transport/CFXRSpoolJob.h"

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace presswick;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

namespace {

constexpr std::uintmax_t MiB = 1024 * 1024;
const std::string Header = "\x1B%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\r\n/df {} def\r\n";
const std::string Trailer = "\r\n\x1B%-12345X";

// A printer that counts what each connection brings and keeps nothing.
class CountingPrinter {
public:
    CountingPrinter() {
        listener_ = testing::ListenOnLoopback(port_);
        std::thread([this] { Serve(); }).detach();
    }
    std::string deviceUri() const { return testing::SocketDeviceUri(port_); }
    // Waits for the next connection to end; its byte count and when it ended.
    std::pair<std::uintmax_t, Clock::time_point> nextJob() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !jobs_.empty(); });
        auto job = jobs_.front();
        jobs_.erase(jobs_.begin());
        return job;
    }

private:
    void Serve() {
        std::vector<char> buffer(1 << 20);
        for (;;) {
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            std::uintmax_t count = 0;
            for (ssize_t got; (got = ::read(connection, buffer.data(), buffer.size())) > 0;) count += got;
            ::close(connection);
            std::lock_guard lock(mutex_);
            jobs_.emplace_back(count, Clock::now());
            changed_.notify_all();
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<std::uintmax_t, Clock::time_point>> jobs_;
};

class SilentProgress : public ProgressWindow {
    void SetStatus(const std::string&) override {}
    void SetPos(int) override {}
    void StepIt() override {}
};

// Answers every box at once; the pause really waits.
class BenchUserInterface : public ActionUserInterface {
public:
    MessageAnswer ShowMessage(const MessageBoxSpec& box) override {
        lastText = box.text;
        if (onBox) onBox();
        return MessageAnswer::Ok;
    }
    void ShowFileError(const FileError& error) override { lastText = FileErrorText(error); }
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override { return std::make_unique<SilentProgress>(); }
    void Pause(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
    Clock::time_point Now() override { return Clock::now(); }

    std::string lastText;
    std::function<void()> onBox;
};

void WriteFile(const std::string& path, std::uintmax_t size) {
    std::ofstream file(path, std::ios::binary);
    std::vector<char> block(MiB);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    for (std::uintmax_t written = 0; written < size; written += block.size())
        file.write(block.data(), static_cast<std::streamsize>(std::min<std::uintmax_t>(block.size(), size - written)));
}

DownloadAction HexDownload(const std::string& path) {
    return {.filePath = path,
            .documentName = "PostScript Overlay",
            .textsBeforeData = [](std::uintmax_t) { return std::vector<std::string>{Header}; },
            .encoding = BlockEncoding::Hex,
            .textAfterData = Trailer};
}

double CpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct ChildFigures {
    double seconds = 0;    // the action, from its start to its last message
    double cpuSeconds = 0; // of the whole child
    long peakKiB = 0;
    bool succeeded = false;
};

// Runs one download in a process of its own, so that its memory and CPU are its own.
ChildFigures DownloadInChild(const std::string& queue, const std::string& path,
                             const std::function<void(BenchUserInterface&)>& prepare = {}) {
    int result[2];
    if (::pipe(result) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(result[0]);
        CupsSpooler spooler;
        BenchUserInterface ui;
        if (prepare) prepare(ui);
        const auto start = Clock::now();
        CFXRSpoolJob job(spooler, ui, queue);
        ChildFigures figures;
        figures.succeeded = job.SpoolDownloadJob(HexDownload(path));
        figures.seconds = Seconds(Clock::now() - start).count();
        [[maybe_unused]] auto written = ::write(result[1], &figures, sizeof figures);
        ::_exit(0);
    }
    ::close(result[1]);
    ChildFigures figures;
    [[maybe_unused]] auto got = ::read(result[0], &figures, sizeof figures);
    ::close(result[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    figures.peakKiB = usage.ru_maxrss;
    figures.cpuSeconds = CpuSeconds(usage);
    return figures;
}

}  // namespace

int main() {
    testing::PrivateCups cups;
    if (!cups.started()) {
        std::fprintf(stderr, "cupsd: %s\n", cups.error().c_str());
        return 1;
    }
    cups.useInThisProcess();
    CountingPrinter printer;
    if (!cups.addQueue("Bench", printer.deviceUri(), "Corvan 4400 PS")) {
        std::fprintf(stderr, "lpadmin failed\n");
        return 1;
    }
    const std::string folder = cups.baseDir();
    const std::uintmax_t size = 64 * MiB;
    const std::uintmax_t jobBytes = Header.size() + 2 * size + Trailer.size();

    // Hex encoding alone, in the blocks the download uses.
    {
        std::vector<char> data(size), hex(2 * FileBlockSize);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
        double best = 1e9;
        for (int round = 0; round < 5; ++round) {
            const auto start = Clock::now();
            for (std::size_t at = 0; at < data.size(); at += FileBlockSize)
                EncodeHex({data.data() + at, FileBlockSize}, hex.data());
            best = std::min(best, Seconds(Clock::now() - start).count());
        }
        std::printf("hex encoding: %.1f MiB in %.4f s = %.2f GB/s of input (check %c)\n",
                    double(size) / MiB, best, double(size) / best / 1e9, hex[5]);
    }

    // The same job bytes through SpoolDownloadJob and through lp -o raw, each twice.
    const std::string source = folder + "/source.bin";
    const std::string stream = folder + "/stream.bin";
    WriteFile(source, size);
    {
        // The raw stream for lp, as the download sends it.
        std::ofstream out(stream, std::ios::binary);
        out << Header;
        std::ifstream in(source, std::ios::binary);
        std::vector<char> block(FileBlockSize), hex(2 * FileBlockSize);
        while (in.read(block.data(), FileBlockSize) || in.gcount() > 0) {
            EncodeHex({block.data(), static_cast<std::size_t>(in.gcount())}, hex.data());
            out.write(hex.data(), 2 * in.gcount());
        }
        out << Trailer;
    }
    double ours = 1e9, oursAction = 1e9, lp = 1e9;
    for (int round = 0; round < 2; ++round) {
        const auto start = Clock::now();
        const ChildFigures figures = DownloadInChild("Bench", source);
        const auto [bytes, delivered] = printer.nextJob();
        if (!figures.succeeded || bytes != jobBytes) std::fprintf(stderr, "download: %ju bytes, expected %ju\n", bytes, jobBytes);
        ours = std::min(ours, Seconds(delivered - start).count());
        oursAction = std::min(oursAction, figures.seconds);

        const auto lpStart = Clock::now();
        const std::string command = "lp -h '" + cups.server() + "' -d Bench -o raw '" + stream + "' >/dev/null";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "lp failed\n");
        const auto [lpBytes, lpDelivered] = printer.nextJob();
        if (lpBytes != jobBytes) std::fprintf(stderr, "lp: %ju bytes, expected %ju\n", lpBytes, jobBytes);
        lp = std::min(lp, Seconds(lpDelivered - lpStart).count());
    }
    const double mb = double(jobBytes) / 1e6;
    std::printf("64 MiB file hex-encoded, %.1f MB job, submitted until the printer has it (best of 2):\n", mb);
    std::printf("  SpoolDownloadJob: %.3f s = %.1f MB/s (to its success message: %.3f s)\n", ours, mb / ours, oursAction);
    std::printf("  lp -o raw:        %.3f s = %.1f MB/s\n", lp, mb / lp);
    std::printf("  ratio: %.2f\n", ours / lp);

    // Memory: a small and a large download.
    for (const std::uintmax_t fileSize : {1 * MiB, 256 * MiB}) {
        const std::string path = folder + "/memory.bin";
        WriteFile(path, fileSize);
        const ChildFigures figures = DownloadInChild("Bench", path);
        printer.nextJob();
        std::printf("peak memory of a %ju MiB download: %ld KiB (%.2f s, %s)\n", fileSize / MiB, figures.peakKiB,
                    figures.seconds, figures.succeeded ? "downloaded" : "failed");
        std::remove(path.c_str());
    }

    // CPU while a job waits in a stopped queue: queried every 100 ms, M7 answered at once.
    // Counted from the first M7 to the one that ends the wait, in the watching process alone.
    {
        const std::string path = folder + "/small.bin";
        WriteFile(path, 1024);
        cups.Run("cupsdisable", "Bench");
        struct Watch {
            double wall = 0, cpu = 0;
        };
        int result[2];
        if (::pipe(result) != 0) return 1;
        DownloadInChild("Bench", path, [&](BenchUserInterface& ui) {
            ui.onBox = [&cups, &result, first = std::optional<std::pair<Clock::time_point, double>>()]() mutable {
                rusage usage{};
                ::getrusage(RUSAGE_SELF, &usage);
                if (!first) first.emplace(Clock::now(), CpuSeconds(usage));
                const double wall = Seconds(Clock::now() - first->first).count();
                if (wall < 10) return;
                const Watch watch{wall, CpuSeconds(usage) - first->second};
                [[maybe_unused]] auto written = ::write(result[1], &watch, sizeof watch);
                cups.Run("cupsenable", "Bench");
            };
        });
        printer.nextJob();
        Watch watch;
        [[maybe_unused]] auto got = ::read(result[0], &watch, sizeof watch);
        std::printf("watching a job in a stopped queue for %.1f s: %.3f s of CPU = %.2f%% of a core\n", watch.wall,
                    watch.cpu, 100 * watch.cpu / watch.wall);
    }
    std::remove(source.c_str());
    std::remove(stream.c_str());
    return 0;
}
