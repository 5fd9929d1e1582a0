#pragma once
// Message boxes shown with QMessageBox.

#include "app/MessageBox.h"

#include <functional>

class QWidget;

namespace presswick {

// Shows the box modally, owned by `owner` (none when null), and returns the button pressed.
MessageAnswer ShowQtMessageBox(QWidget* owner, const MessageBoxSpec& box);

using MessageBoxHandler = std::function<MessageAnswer(QWidget* owner, const MessageBoxSpec& box)>;

// The boxes of one owner, for the core.
class OwnedMessageBoxes : public MessageBoxes {
public:
    OwnedMessageBoxes(const MessageBoxHandler& handler, QWidget* owner) : handler_(handler), owner_(owner) {}
    MessageAnswer show(const MessageBoxSpec& box) override { return handler_(owner_, box); }

private:
    const MessageBoxHandler& handler_;
    QWidget* owner_;
};

}  // namespace presswick
