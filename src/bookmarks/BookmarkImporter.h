#pragma once

#include "BookmarkItem.h"

#include <functional>
#include <QString>
#include <QStringList>

namespace norvale {

class FileSystem;

// What an import made and what it left out.
struct ImportSummary {
    int folders = 0;
    int favorites = 0;
    int skipped = 0;      // addresses that are no web or FTP address
    QStringList problems; // folders or files that could not be made, one line each
    bool cancelled = false;

    // "Made 3 folders and 12 favorites; skipped 2 addresses that are not web
    // or FTP addresses.", after "Import cancelled. " when it was.
    QString text() const;
};

// Told before each item how many of total are done; false stops the
// import there.
using ImportProgress = std::function<bool(qsizetype done, qsizetype total)>;

// Makes the items' folders and favorites under targetFolder, each favorite
// an Internet Shortcut file as "New Favorite" writes it. Names are cleaned
// as New Favorite cleans them; a name already taken (in any letter case)
// gets " (2)", " (3)"..., and so does a name of the program's own
// temporary files; nothing that exists is ever written over, and nothing
// is written outside targetFolder. Folders nested deeper than the file
// system allows are merged into the deepest one that could be made. Each
// favorite appears whole or not at all, even when the process is killed;
// a stopped import keeps every folder and favorite it made.
ImportSummary ImportBookmarks(const BookmarkList& items, const QString& targetFolder,
                              const FileSystem& fs, const ImportProgress& progress = {});

} // namespace norvale
