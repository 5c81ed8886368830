#pragma once

#include "platform/MessageBoxes.h"

#include <QList>

namespace norvale::test {

// Records every box shown and answers from a script (Ok when it runs out).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const MessageRequest& request) override;

    void answerNext(MessageAnswer answer) { m_answers.append(answer); }
    const QList<MessageRequest>& shown() const { return m_shown; }
    QStringList titles() const;

private:
    QList<MessageRequest> m_shown;
    QList<MessageAnswer> m_answers;
};

} // namespace norvale::test
