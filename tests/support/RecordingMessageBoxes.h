#pragma once
// Message boxes that answer from a script and remember what they showed.

#include "app/MessageBox.h"

#include <deque>
#include <vector>

namespace presswick::testing {

class RecordingMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const MessageBoxSpec& box) override {
        shown.push_back(box);
        if (answers.empty()) return box.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<MessageBoxSpec> shown;
    std::deque<MessageAnswer> answers;  // for boxes that ask; OK boxes take none
};

}  // namespace presswick::testing
