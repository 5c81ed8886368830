#pragma once

#include <QByteArray>
#include <QString>

namespace norvale {

// The whole of a regular file (a link to one counts) of at most mostBytes
// bytes. Anything else is never opened for reading: opening a FIFO or a
// device could wait for ever, and reading a huge file could take all memory.
// Throws NorvaleError: 53 when there is no such file (a folder is none), 321 for what is not a
// regular file or is larger than mostBytes, 70 or 75 when it cannot be read.
QByteArray ReadRegularFile(const QString& path, qint64 mostBytes);

} // namespace norvale
