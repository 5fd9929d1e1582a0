#pragma once
// A message box as the core asks for it; the window code shows it, tests record it.

#include <string>

namespace presswick {

enum class MessageIcon { None, Error, Warning, Information, Exclamation };
enum class MessageButtons { Ok, RetryCancel };
enum class MessageAnswer { Ok, Retry, Cancel };

struct MessageBoxSpec {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;

    bool operator==(const MessageBoxSpec&) const = default;
};

// Shows message boxes on behalf of one owner window (or of none).
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageBoxSpec& box) = 0;
};

}  // namespace presswick
