#pragma once

#include <functional>
#include <QByteArray>
#include <QString>

namespace norvale {

// Replaces a file's contents all at once: the bytes go to a temporary file
// beside it, which is then renamed over it with the old file's permissions,
// so a crash, a full disk or a killed process leaves the old file or the new
// one, never a torn one. Throws NorvaleError when the file could not be
// replaced; the old file is then as it was.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// For tests: a check called just before the final rename; returning false
// makes that rename fail as a killed or refused write would.
void SetAtomicCommitCheckForTesting(std::function<bool(const QString& path)> check);

} // namespace norvale
