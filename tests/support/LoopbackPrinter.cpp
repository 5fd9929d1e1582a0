#include "tests/support/LoopbackPrinter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace presswick::testing {

int ListenOnLoopback(int& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) return -1;
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

std::string SocketDeviceUri(int port) {
    return "socket://127.0.0.1:" + std::to_string(port) + "/?contimeout=5&waiteof=false";
}

LoopbackPrinter::LoopbackPrinter() {
    listener_ = ListenOnLoopback(port_);
    if (::pipe(wake_) != 0) wake_[0] = wake_[1] = -1;
    server_ = std::thread([this] { Serve(); });
}

LoopbackPrinter::~LoopbackPrinter() {
    if (wake_[1] >= 0) {
        const char stop = 0;
        [[maybe_unused]] auto written = ::write(wake_[1], &stop, 1);
    }
    server_.join();
    for (int fd : {listener_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

std::string LoopbackPrinter::deviceUri() const { return SocketDeviceUri(port_); }

std::vector<std::string> LoopbackPrinter::jobs() const {
    std::lock_guard lock(mutex_);
    return jobs_;
}

bool LoopbackPrinter::waitForJobs(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return jobs_.size() >= count; });
}

void LoopbackPrinter::Serve() {
    // One connection at a time, as a printer takes one job at a time.
    for (;;) {
        pollfd waiting[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(waiting, 2, -1) < 0) continue;
        if (waiting[1].revents) return;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        std::string job;
        char buffer[65536];
        for (;;) {
            pollfd reading[2] = {{connection, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            ::poll(reading, 2, -1);
            if (reading[1].revents) {
                ::close(connection);
                return;
            }
            const ssize_t got = ::read(connection, buffer, sizeof buffer);
            if (got <= 0) break;
            job.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(connection);
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        changed_.notify_all();
    }
}

}  // namespace presswick::testing
