#pragma once
// A private CUPS scheduler for tests and the demo: its own folder, its own socket, no
// browsing, and nothing of the machine's CUPS touched. Needs cupsd (the cups package).

#include <string>

namespace presswick::testing {

class PrivateCups {
public:
    // Starts cupsd in a new folder under TMPDIR (or /tmp); see started() and error().
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool started() const { return pid_ > 0; }
    const std::string& error() const { return error_; }
    const std::string& baseDir() const { return base_; }
    // The scheduler's address, as CUPS_SERVER and cupsSetServer take it.
    const std::string& server() const { return socket_; }

    // Points this process's libcups (and the CUPS_SERVER of programs it starts) here.
    void useInThisProcess() const;

    // Adds an enabled, accepting queue. A non-empty makeAndModel gives it a small PPD whose
    // printer-make-and-model is exactly that text; an empty one makes a raw queue.
    bool addQueue(const std::string& name, const std::string& deviceUri, const std::string& makeAndModel);
    // Runs a CUPS command-line tool against this scheduler: Run("cupsdisable", "Q").
    bool Run(const std::string& tool, const std::string& arguments);

    // The text of the scheduler's error log, for failure messages.
    std::string errorLog() const;

private:
    std::string base_;
    std::string socket_;
    std::string error_;
    int pid_ = -1;
};

}  // namespace presswick::testing
