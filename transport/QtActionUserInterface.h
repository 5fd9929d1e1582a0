#pragma once
// The action's user interface in Qt: the page's message boxes through the application
// object, the progress window, and a pause that keeps the windows painted.

#include "transport/ActionUserInterface.h"

class QWidget;

namespace presswick {

class CFXRApp;

class QtActionUserInterface : public ActionUserInterface {
public:
    QtActionUserInterface(CFXRApp& app, QWidget* ownerPage) : app_(app), owner_(ownerPage) {}

    MessageAnswer ShowMessage(const MessageBoxSpec& box) override;
    void ShowFileError(const FileError& error) override;
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    void Pause(std::chrono::milliseconds duration) override;
    Clock::time_point Now() override { return Clock::now(); }

private:
    CFXRApp& app_;
    QWidget* owner_;
};

}  // namespace presswick
