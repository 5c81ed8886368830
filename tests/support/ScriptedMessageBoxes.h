#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QStringList>

namespace norvale::test {

// Records every box shown and answers from a script (Ok when it runs out).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const MessageRequest& request) override
    {
        m_shown.append(request);
        return m_answers.isEmpty() ? MessageAnswer::Ok : m_answers.takeFirst();
    }
    void answerNext(MessageAnswer answer) { m_answers.append(answer); }
    const QList<MessageRequest>& shown() const { return m_shown; }
    QStringList titles() const
    {
        QStringList result;
        for (const MessageRequest& request : m_shown)
            result.append(request.title);
        return result;
    }

private:
    QList<MessageRequest> m_shown;
    QList<MessageAnswer> m_answers;
};

} // namespace norvale::test
