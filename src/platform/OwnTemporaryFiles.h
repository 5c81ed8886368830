#pragma once

#include <QString>
#include <QStringView>

namespace norvale {

// The program's own temporary files: ".norvale-" and twelve lower-case
// letters or digits, then ".tmp". Hidden, never a favorite's name, and
// listed by no folder listing of the program, so the tree never shows one.

// A fresh name of that pattern.
QString NewOwnTemporaryName();

bool IsOwnTemporaryName(QStringView name);

// Removes the temporary files that a killed run of the program left in
// folder and, when recursive, in the folders below it; links are not
// followed and nothing but names of the pattern is touched. Errors are
// ignored. Gives the number of files removed.
int RemoveOwnTemporaryFiles(const QString& folder, bool recursive);

} // namespace norvale
