#pragma once

#include <QString>

namespace norvale {

enum class MessageIcon { None, Information, Question, Exclamation, Critical };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// Modal message boxes, behind an interface so that tests can answer them and
// an unattended run can print them instead of waiting for a click.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageRequest& request) = 0;
};

// Prints each message to standard error: the stand-in whenever nobody is
// there to click. A question gets the answer that changes nothing.
class ConsoleMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const MessageRequest& request) override;
};

} // namespace norvale
