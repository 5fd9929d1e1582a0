#pragma once
// The action's user interface as a script: boxes answered from a queue, a clock that moves
// only when the action pauses, and every call written into the test's event log.

#include "tests/support/RecordingSpooler.h"
#include "transport/ActionUserInterface.h"

#include <deque>
#include <functional>

namespace presswick::testing {

inline std::string BoxLine(const MessageBoxSpec& box) {
    static const char* const icons[] = {"no-icon", "error", "warning", "information", "exclamation"};
    return "box [" + box.caption + "] " + icons[static_cast<int>(box.icon)] +
           (box.buttons == MessageButtons::Ok ? " ok: " : " retry-cancel: ") + box.text;
}

inline std::string FileErrorLine(const FileError& error) {
    static const char* const causes[] = {"not-found", "access-denied", "in-use", "read-failed", "open-failed"};
    return std::string("file error ") + causes[static_cast<int>(error.cause)] + ": " + error.path;
}

class ScriptedUserInterface : public ActionUserInterface {
public:
    explicit ScriptedUserInterface(EventLog& log) : log_(log) {}

    MessageAnswer ShowMessage(const MessageBoxSpec& box) override {
        log_.push_back(BoxLine(box));
        if (onBox) onBox(box);
        now += perBox;
        if (box.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (answers.empty()) return MessageAnswer::Cancel;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowFileError(const FileError& error) override { log_.push_back(FileErrorLine(error)); }
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override {
        log_.push_back("progress");
        ++progressWindows;
        return std::make_unique<Window>(*this);
    }
    void Pause(std::chrono::milliseconds duration) override {
        log_.push_back("pause " + std::to_string(duration.count()) + " ms");
        now += duration;
    }
    Clock::time_point Now() override { return now; }

    std::deque<MessageAnswer> answers;  // for Retry/Cancel boxes; Cancel when none is left
    Clock::time_point now{};
    Clock::duration perBox{};           // how long the user takes to answer a box
    std::function<void(const MessageBoxSpec&)> onBox;  // what happens while a box is open
    int progressWindows = 0;            // alive

private:
    class Window : public ProgressWindow {
    public:
        explicit Window(ScriptedUserInterface& ui) : ui_(ui) {}
        ~Window() override {
            ui_.log_.push_back("progress destroyed");
            --ui_.progressWindows;
        }
        void SetStatus(const std::string& text) override { ui_.log_.push_back("status " + text); }
        void SetPos(int position) override { ui_.log_.push_back("pos " + std::to_string(position)); }
        void StepIt() override { ui_.log_.push_back("step"); }

    private:
        ScriptedUserInterface& ui_;
    };

    EventLog& log_;
};

}  // namespace presswick::testing
