#pragma once
// A "printer" on a loopback TCP port that records the bytes of every connection, the way
// CUPS's socket backend delivers a job: connect, send, shut down, read to the end.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace presswick::testing {

// A listening TCP socket on 127.0.0.1 at a free port; -1 when none could be had.
int ListenOnLoopback(int& port);
// The device URI of a CUPS socket queue printing to that port. waiteof=false: the backend
// does not wait for the printer to close first.
std::string SocketDeviceUri(int port);

class LoopbackPrinter {
public:
    LoopbackPrinter();  // listens on 127.0.0.1 at a free port
    ~LoopbackPrinter();
    LoopbackPrinter(const LoopbackPrinter&) = delete;
    LoopbackPrinter& operator=(const LoopbackPrinter&) = delete;

    int port() const { return port_; }
    // The device URI of a CUPS socket queue that prints here.
    std::string deviceUri() const;

    // The bytes of each connection that has ended, in order.
    std::vector<std::string> jobs() const;
    // Waits until at least `count` connections have ended; false on time-out.
    bool waitForJobs(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void Serve();

    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::thread server_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> jobs_;
};

}  // namespace presswick::testing
