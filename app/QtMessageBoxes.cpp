#include "app/QtMessageBoxes.h"

#include <QMessageBox>

namespace presswick {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer ShowQtMessageBox(QWidget* owner, const MessageBoxSpec& box) {
    const bool retryCancel = box.buttons == MessageButtons::RetryCancel;
    QMessageBox message(IconOf(box.icon), QString::fromStdString(box.caption),
                        QString::fromStdString(box.text),
                        retryCancel ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok, owner);
    message.setTextFormat(Qt::PlainText);
    const int pressed = message.exec();
    if (!retryCancel) return MessageAnswer::Ok;
    return pressed == QMessageBox::Retry ? MessageAnswer::Retry : MessageAnswer::Cancel;
}

}  // namespace presswick
