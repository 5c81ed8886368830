#pragma once

#include <QString>

namespace norvale {

// The nine characters no file name may hold.
inline const QString kForbiddenNameChars = QStringLiteral("\\/:*?<>|\"");

// Every forbidden character, NUL and other control character becomes "-";
// the length stays. Used for every name that becomes a file or folder name.
QString CleanName(const QString& name);
// For renames: tabs and line breaks become spaces first, then CleanName.
QString CleanNameForRename(const QString& name);
// At most maxCharacters characters and, with suffix appended, at most the
// file system's 255 bytes; never cut inside a character.
QString FitName(const QString& name, int maxCharacters, const QString& suffix = QString());
// A name the file system cannot take as it is: empty, "." or "..".
bool IsUnusableName(const QString& name);
// The name a bookmark's title becomes: cut to 255 characters before it is
// cleaned (so a title of megabytes costs no more than a short one), and
// when that leaves nothing usable, the host of its address, else fallback.
QString NameFromTitle(const QString& title, const QString& url, const QString& fallback);

} // namespace norvale
