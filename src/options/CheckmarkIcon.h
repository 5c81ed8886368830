#pragma once

#include <QImage>
#include <QString>

namespace norvale {

// The picture of the browser toolbar button: a green check mark on a
// transparent ground.
QImage DrawCheckmark(int size = 32);

// Writes the check mark to path unless a file is already there. The file is
// a Windows icon when this Qt has an ICO writer, else PNG data under the
// same name (the browser reads both). False when it could not be written.
bool InstallCheckmarkIcon(const QString& path);

} // namespace norvale
