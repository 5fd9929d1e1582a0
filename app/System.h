#pragma once
// The operating system as the core sees it. platform/ implements it.

#include <memory>
#include <string>

namespace presswick {

// Marks this copy of the program as running for as long as it lives; the system drops the
// mark when the process ends, however it ends.
class SingleInstanceGuard {
public:
    virtual ~SingleInstanceGuard() = default;
    // Another copy already holds the mark.
    virtual bool anotherCopyRuns() const = 0;
};

class System {
public:
    virtual ~System() = default;
    // Never null. When no mark can be made at all the guard reports no other copy.
    virtual std::unique_ptr<SingleInstanceGuard> createSingleInstanceGuard(const std::string& name) = 0;
};

}  // namespace presswick
