#include "transport/QtActionUserInterface.h"

#include "app/CFXRApp.h"
#include "transport/CFXRProgress.h"
#include "transport/CFXRSpoolJob.h"

#include <QEventLoop>
#include <QTimer>

namespace presswick {

MessageAnswer QtActionUserInterface::ShowMessage(const MessageBoxSpec& box) { return app_.MessageBox(owner_, box); }

void QtActionUserInterface::ShowFileError(const FileError& error) {
    app_.MessageBox(owner_, {FileErrorText(error), CFXRApp::ApplicationTitle(), MessageIcon::Error, MessageButtons::Ok});
}

std::unique_ptr<ProgressWindow> QtActionUserInterface::CreateProgressWindow() {
    auto progress = std::make_unique<CFXRProgress>(app_);
    progress->Create();
    return progress;
}

// Windows are repainted meanwhile; the user's input waits, as the owner is disabled anyway.
void QtActionUserInterface::Pause(std::chrono::milliseconds duration) {
    QEventLoop waiting;
    QTimer::singleShot(duration, &waiting, &QEventLoop::quit);
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace presswick
