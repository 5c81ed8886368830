#pragma once

#include <QByteArray>
#include <QString>

namespace norvale {

// Bytes as text: UTF-8 when they are valid UTF-8, else the Windows code page
// (1252) that older files and pages were written in.
QString DecodeUtf8OrWindows1252(const QByteArray& bytes);

} // namespace norvale
