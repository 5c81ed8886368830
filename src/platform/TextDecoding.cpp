#include "TextDecoding.h"

#include <QStringDecoder>

namespace norvale {

QString DecodeUtf8OrWindows1252(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows1252("windows-1252");
    return windows1252.isValid() ? windows1252.decode(bytes) : QString::fromLatin1(bytes);
}

} // namespace norvale
