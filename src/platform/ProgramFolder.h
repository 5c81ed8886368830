#pragma once

#include <QString>

namespace norvale {

// The folder that holds the program's own files (the error log, the dead
// favorites, downloaded icons, help): NORVALE_HOME when set, else the
// executable's folder when it is writable, else $XDG_DATA_HOME/norvale.
// The folder is created when missing.
QString programFolder();

} // namespace norvale
