#include "transport/CFXRProgress.h"

#include "app/CFXRApp.h"
#include "app/DialogBuilder.h"
#include "res/Controls.h"
#include "res/Texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

namespace presswick {
namespace {

QString CaptionString(int id) {
    return id == texts::ProgressCaptionId ? QString::fromUtf8(texts::ProgressCaption.data(),
                                                              static_cast<qsizetype>(texts::ProgressCaption.size()))
                                          : QString();
}

// The controls of a window, without the windows it owns.
QList<QWidget*> ControlsOf(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow()) controls.append(child);
    return controls;
}

}  // namespace

CFXRProgress::CFXRProgress(const CFXRApp& app, int captionStringId)
    : app_(app), captionStringId_(captionStringId ? captionStringId : texts::ProgressCaptionId) {}

CFXRProgress::~CFXRProgress() {
    if (created_) DestroyWindow();
}

bool CFXRProgress::Create(QWidget* parent) {
    owner_ = SafeOwner(parent);
    if (owner_) DisableOwner();
    // A child window of the owner, so that a modal owner does not block it; no close box.
    setParent(owner_, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    if (!OnInitDialog()) {
        EnableOwner();
        return false;
    }
    created_ = true;
    show();
    return true;
}

QWidget* CFXRProgress::SafeOwner(QWidget* parent) const {
    if (parent) return parent->window();
    if (QWidget* popup = QApplication::activeModalWidget(); popup && popup != app_.MainWindow) return popup;
    return app_.MainWindow;
}

// Disabling the sheet itself would disable this window too: its controls are disabled instead,
// and the keys and the close request that would end it are held back.
void CFXRProgress::DisableOwner() {
    const QList<QWidget*> controls = ControlsOf(owner_);
    const bool enabled = owner_->isEnabled() &&
                         std::any_of(controls.begin(), controls.end(), [](QWidget* c) { return c->isEnabled(); });
    if (!enabled) return;
    for (QWidget* control : controls) {
        if (!control->isEnabled()) continue;
        control->setEnabled(false);
        disabledControls_.append(control);
    }
    owner_->installEventFilter(this);
    ownerDisabled_ = true;
}

void CFXRProgress::EnableOwner() {
    if (!ownerDisabled_) return;
    for (const QPointer<QWidget>& control : disabledControls_)
        if (control) control->setEnabled(true);
    disabledControls_.clear();
    if (owner_) owner_->removeEventFilter(this);
    ownerDisabled_ = false;
}

bool CFXRProgress::OnInitDialog() {
    const DialogTemplate* dialog = FindDialogTemplate(ids::ProgressDialog);
    if (!dialog) return false;
    const DialogControls controls = BuildDialog(*dialog, this);
    bar_ = qobject_cast<QProgressBar*>(controls.value(ids::ProgressBar));
    status_ = qobject_cast<QLabel*>(controls.value(ids::ProgressStatus));
    if (!bar_ || !status_) return false;
    bar_->setRange(lower_, upper_);
    bar_->setValue(lower_);
    setWindowTitle(CaptionString(captionStringId_));
    return true;
}

void CFXRProgress::SetStatus(const std::string& text) {
    if (status_) status_->setText(QString::fromStdString(text));
}

void CFXRProgress::SetPos(int position) {
    PumpMessages();
    if (bar_) bar_->setValue(position);
}

void CFXRProgress::StepIt() {
    PumpMessages();
    if (!bar_) return;
    // Past the end the bar starts again from the beginning, as a stepped progress control does.
    const int next = bar_->value() + step_;
    bar_->setValue(next > upper_ ? lower_ + (next - upper_) : next);
}

void CFXRProgress::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

bool CFXRProgress::DestroyWindow() {
    EnableOwner();
    hide();
    // From here on the window is no child of the owner, whichever of the two goes first.
    setParent(nullptr);
    created_ = false;
    return true;
}

void CFXRProgress::closeEvent(QCloseEvent* event) { event->ignore(); }

bool CFXRProgress::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    if (watched == owner_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace presswick
