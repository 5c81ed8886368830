#pragma once

#include <functional>
#include <QHash>
#include <QString>

namespace norvale {

class FileSystem;
class NorvaleError;

// A mirrored file as it was when it was last looked at.
struct MirroredFile {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const MirroredFile&, const MirroredFile&) = default;
};
// By file name.
using MirrorSnapshot = QHash<QString, MirroredFile>;
using MirrorRefusal = std::function<void(const NorvaleError&)>;

// The dead favorites live in the program's own folder; with the option on,
// a copy of them is kept inside the Favorites folder so the browser shows
// them too. Both directions make sure both folders exist, then merge: a
// file the other side lacks, or holds in an older version, is copied over
// (each copy replacing its target in one step), and nothing that exists
// only on one side is ever deleted, so an empty or half-written mirror, or
// a run killed half way, costs no favorite. Errors are ignored; the next
// start or exit tries again.
//
// Only what reading a favorite would accept is copied: a regular file of at
// most ProfileFile::kMostBytes. Anything else (a FIFO, a device, a huge
// file) stays where it is, untouched, and is handed to refused.
//
// Mirroring in gives what the mirror held; mirroring out removes from the
// mirror only the files that, since then, were removed from the program's
// folder while the mirror's copy stayed as it was.
MirrorSnapshot MirrorDeadFavoritesIn(const FileSystem& fs, const QString& programDeadFolder,
                                     const QString& favoritesMirror,
                                     const MirrorRefusal& refused = {});
void MirrorDeadFavoritesOut(const FileSystem& fs, const QString& programDeadFolder,
                            const QString& favoritesMirror, const MirrorSnapshot& mirroredIn,
                            const MirrorRefusal& refused = {});

} // namespace norvale
