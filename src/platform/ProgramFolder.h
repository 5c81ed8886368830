#pragma once

#include <QString>

namespace norvale {

// A file of this name beside the executable marks its folder portable: the
// program keeps its own files there.
inline const QString kPortableMarker = QStringLiteral("norvale.portable");

// The folder that holds the program's own files (the error log, the dead
// favorites, downloaded icons, help): NORVALE_HOME when set; else the
// executable's folder when it is the build tree or marked portable (and
// writable); else $XDG_DATA_HOME/norvale. The folder is created when missing.
QString programFolder();

} // namespace norvale
