#include "platform/PosixSystem.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace presswick {
namespace {

// An flock()ed file: the kernel drops the lock with the last descriptor, so a crashed
// copy never locks the next one out.
class LockFileGuard : public SingleInstanceGuard {
public:
    explicit LockFileGuard(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) return;  // no lock to be had: run unguarded
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            anotherCopyRuns_ = (errno == EWOULDBLOCK);
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LockFileGuard() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool anotherCopyRuns() const override { return anotherCopyRuns_; }

private:
    int fd_ = -1;
    bool anotherCopyRuns_ = false;
};

}  // namespace

std::string PosixSystem::lockPath(const std::string& name) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/" + name + ".lock";
    // No per-user runtime folder: keep the lock per user in the temporary folder.
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

std::unique_ptr<SingleInstanceGuard> PosixSystem::createSingleInstanceGuard(const std::string& name) {
    return std::make_unique<LockFileGuard>(lockPath(name));
}

}  // namespace presswick
