#pragma once

#include <QString>
#include <QStringView>

namespace norvale {

// The text with its character references decoded as a browser decodes them
// in a page's text: every HTML5 named reference with its ";", decimal and
// hex references with the Windows code page reading of 128 to 159 and
// U+FFFD for numbers no character has. Each reference is read once, left to
// right, and what it gives is never read again ("&amp;lt;" is "&lt;"); each
// character is looked at a bounded number of times, so long texts stay cheap.
QString DecodeCharacterReferences(QStringView text);

} // namespace norvale
