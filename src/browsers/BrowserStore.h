#pragma once

#include "BrowserBookmarks.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace norvale {

// A profile's bookmarks, from either family's file. Throws NorvaleError.
BrowserTree ReadBrowserBookmarks(const BrowserProfile& profile);

// How a write of changes went: written, or why not (the browser running,
// the file of an unknown version, a failure that was rolled back).
struct BrowserWriteOutcome {
    bool written = false;
    QString reason;
    QString backup;    // the dated copy made before this session's first write
    AddedIds addedIds; // what the added items are called in the browser now
};

// Writes the changes into the profile's file, only while its browser is
// closed. Before the session's first write of that file a dated copy
// (FILE.norvale-YYYYMMDD-HHMMSS) goes beside it, and only the last five
// copies are kept. Nothing is thrown: a failure leaves the file as it was.
BrowserWriteOutcome WriteBrowserChanges(const BrowserProfile& profile,
                                        const QList<BookmarkChange>& changes, const QDateTime& now);

// The number of dated copies kept beside a browser's file.
inline constexpr int kBrowserBackupsKept = 5;

} // namespace norvale
