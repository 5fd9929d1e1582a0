#pragma once
// A spooler that answers from a script and writes down every call, in one log shared with
// whatever else a test records (the action's user interface, the page's log record).

#include "transport/Spooler.h"

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace presswick::testing {

using EventLog = std::vector<std::string>;

struct SpoolerScript {
    bool opens = true;
    std::optional<std::string> port = "USB001:";
    std::deque<JobId> jobIds{7, 8};  // one per document started; 0 fails to start
    std::set<int> failingWrites{};     // counted from 1 over the whole connection
    bool endFails = false;
    std::deque<JobState> states{};     // one per query; the job is gone once they run out
    std::function<void()> onWrite{};   // runs before each write is recorded
};

class RecordingSpooler : public Spooler {
public:
    explicit RecordingSpooler(EventLog& log) : log_(log) {}

    PrinterList listLocalPrinters() override { return {}; }

    std::unique_ptr<SpoolerPrinter> openPrinter(const std::string& name) override {
        log_.push_back("open " + name);
        if (!script.opens) return nullptr;
        ++opened;
        return std::make_unique<Printer>(*this);
    }

    SpoolerScript script;
    int opened = 0;
    int closed = 0;        // close() calls
    int droppedOpen = 0;   // printers destroyed without close()

private:
    class Printer : public SpoolerPrinter {
    public:
        explicit Printer(RecordingSpooler& spooler) : spooler_(spooler) {}
        ~Printer() override {
            if (!closed_) ++spooler_.droppedOpen;
        }
        std::optional<std::string> port() override {
            log("port");
            return script().port;
        }
        JobId startRawDocument(const std::string& documentName) override {
            log("start " + documentName);
            if (script().jobIds.empty()) return 0;
            const JobId id = script().jobIds.front();
            script().jobIds.pop_front();
            return id;
        }
        bool write(std::string_view bytes) override {
            if (script().onWrite) script().onWrite();
            log("write " + std::string(bytes));
            return !script().failingWrites.contains(++writes_);
        }
        bool endDocument() override {
            log("end");
            return !script().endFails;
        }
        JobState queryJob(JobId job) override {
            log("query " + std::to_string(job));
            if (script().states.empty()) return JobState{.gone = true};
            const JobState state = script().states.front();
            script().states.pop_front();
            return state;
        }
        bool deleteJob(JobId job) override {
            log("delete " + std::to_string(job));
            return true;
        }
        void close() override {
            log("close");
            closed_ = true;
            ++spooler_.closed;
        }

    private:
        SpoolerScript& script() { return spooler_.script; }
        void log(std::string line) { spooler_.log_.push_back(std::move(line)); }

        RecordingSpooler& spooler_;
        int writes_ = 0;
        bool closed_ = false;
    };

    EventLog& log_;
};

}  // namespace presswick::testing
