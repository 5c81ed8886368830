#include "ScriptedMessageBoxes.h"

#include <QStringList>

namespace norvale::test {

MessageAnswer ScriptedMessageBoxes::show(const MessageRequest& request)
{
    m_shown.append(request);
    return m_answers.isEmpty() ? MessageAnswer::Ok : m_answers.takeFirst();
}

QStringList ScriptedMessageBoxes::titles() const
{
    QStringList result;
    for (const MessageRequest& request : m_shown)
        result.append(request.title);
    return result;
}

} // namespace norvale::test
