#pragma once
// What a spool job shows the user, seen from the core: the page's message boxes, the
// framework's file errors, the progress window and the pause between job queries.
// The window code implements it with Qt; tests script it.

#include "app/MessageBox.h"

#include <chrono>
#include <memory>
#include <string>

namespace presswick {

enum class FileErrorCause { NotFound, AccessDenied, InUse, ReadFailed, OpenFailed };

struct FileError {
    std::string path;
    FileErrorCause cause = FileErrorCause::OpenFailed;

    bool operator==(const FileError&) const = default;
};

// The window shown while a download is watched. Destroying it ends it.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetPos(int position) = 0;
    virtual void StepIt() = 0;
};

class ActionUserInterface {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~ActionUserInterface() = default;

    // A box owned by the page that started the action.
    virtual MessageAnswer ShowMessage(const MessageBoxSpec& box) = 0;
    // The framework's own message for a file that cannot be opened or read.
    virtual void ShowFileError(const FileError& error) = 0;
    // Never null; a window that could not be created shows nothing.
    virtual std::unique_ptr<ProgressWindow> CreateProgressWindow() = 0;
    // Waits between two job queries while the windows are kept painted.
    virtual void Pause(std::chrono::milliseconds duration) = 0;
    virtual Clock::time_point Now() = 0;
};

}  // namespace presswick
