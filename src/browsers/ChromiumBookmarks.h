#pragma once

#include "BrowserBookmarks.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace norvale {

// The checksum Chromium verifies when it loads its Bookmarks file: MD5 over
// each node of the roots bookmark_bar, other and synced in order, a node
// being its id, its title as UTF-16LE bytes, then "url" and the address, or
// "folder" and its children. Lower-case hexadecimal.
QString ChromiumChecksum(const QJsonObject& roots);

// The tree of a Bookmarks file. Throws NorvaleError when it is no Bookmarks
// JSON.
BrowserTree ReadChromiumBookmarks(const QString& file);

// The changes made in order in the file's JSON: every key this program does
// not know is kept, added nodes get the next free ids and a fresh guid,
// date_modified is set on the folders whose contents changed, the checksum
// recomputed, and the whole file replaced through a temporary file and a
// rename. The three roots are never moved, renamed or removed. Throws
// NorvaleError (the file untouched) when a change cannot be made, or when the
// file is of a version this program does not know. Returns the ids of the
// added nodes.
AddedIds WriteChromiumChanges(const QString& file, const QList<BookmarkChange>& changes,
                              const QDateTime& now);

} // namespace norvale
