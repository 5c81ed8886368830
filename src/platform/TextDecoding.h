#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace norvale {

// The bytes as UTF-8 when they are valid UTF-8, else as Windows-1252 (the
// code page older files and pages were written in).
QString DecodeUtf8OrWindows1252(const QByteArray& bytes);
// The bytes as Windows-1252 (as Latin-1 where Qt has no such codec).
QString DecodeWindows1252(QByteArrayView bytes);

// UTF-8 that also carries UTF-16 surrogates standing alone (as three-byte
// sequences), so that any QString goes to bytes and back unchanged; for
// text without such a surrogate it is plain UTF-8.
QByteArray ToLosslessUtf8(QStringView text);
QString FromLosslessUtf8(QByteArrayView bytes);

// UTF-16 code units to and from bytes of the given order, one for one: a
// surrogate standing alone is kept, never replaced. An odd last byte is
// left out.
QString FromUtf16Units(QByteArrayView bytes, bool bigEndian);
QByteArray ToUtf16Units(QStringView text, bool bigEndian);

// True when the text holds a surrogate without its partner, which UTF-8
// cannot carry.
bool HasLoneSurrogate(QStringView text);

} // namespace norvale
