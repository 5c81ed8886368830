#pragma once

#include <QString>

namespace norvale {

class FileSystem;

// The dead favorites live in the program's own folder; with the option on,
// a copy of them is kept inside the Favorites folder so the browser shows
// them too. Both directions make sure both folders exist, then replace the
// target's files with the source's. Errors are ignored, except that a source
// that cannot be listed leaves the target untouched: an unreadable folder
// must never empty the other one.
void MirrorDeadFavoritesIn(const FileSystem& fs, const QString& programDeadFolder,
                           const QString& favoritesMirror);
void MirrorDeadFavoritesOut(const FileSystem& fs, const QString& programDeadFolder,
                            const QString& favoritesMirror);

} // namespace norvale
