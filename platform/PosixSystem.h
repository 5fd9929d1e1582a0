#pragma once

#include "app/System.h"

#include <string>

namespace presswick {

class PosixSystem : public System {
public:
    std::unique_ptr<SingleInstanceGuard> createSingleInstanceGuard(const std::string& name) override;

    // Where the lock named `name` lives: $XDG_RUNTIME_DIR, else the temporary folder.
    static std::string lockPath(const std::string& name);
};

}  // namespace presswick
