#pragma once
// The small window shown while a download waits for its job: a status line and a full bar.
// While it exists its owner (the sheet) cannot be used or closed.

#include "transport/ActionUserInterface.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;

namespace presswick {

class CFXRApp;

class CFXRProgress : public QDialog, public ProgressWindow {
    Q_OBJECT
public:
    // A caption string id of 0 means the default, string 127.
    explicit CFXRProgress(const CFXRApp& app, int captionStringId = 0);
    ~CFXRProgress() override;

    // Without a parent the owner is the application's main window.
    bool Create(QWidget* parent = nullptr);
    void SetStatus(const std::string& text) override;
    // Both let the waiting window events through first.
    void SetPos(int position) override;
    void StepIt() override;
    void PumpMessages();
    bool DestroyWindow();

    QProgressBar* progressBar() const { return bar_; }
    QLabel* statusLine() const { return status_; }
    QWidget* owner() const { return owner_; }

protected:
    bool OnInitDialog();
    // Enter and Escape do not close it.
    void accept() override {}
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* SafeOwner(QWidget* parent) const;
    void DisableOwner();
    void EnableOwner();

    const CFXRApp& app_;
    const int captionStringId_;
    const int lower_ = 0;
    const int upper_ = 10000;
    const int step_ = 1;
    bool ownerDisabled_ = false;
    QPointer<QWidget> owner_;
    // The owner's controls this window disabled, to be enabled again.
    QList<QPointer<QWidget>> disabledControls_;
    bool created_ = false;
    QProgressBar* bar_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace presswick
