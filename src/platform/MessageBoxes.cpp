#include "MessageBoxes.h"

#include <cstdio>

namespace norvale {

MessageAnswer ConsoleMessageBoxes::show(const MessageRequest& request)
{
    const QByteArray line =
        (request.title.isEmpty() ? request.text
                                 : request.title + QStringLiteral(": ") + request.text)
            .toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    // Nobody agreed to anything: a question gets its harmless answer.
    switch (request.buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        break;
    }
    return MessageAnswer::Cancel;
}

} // namespace norvale
