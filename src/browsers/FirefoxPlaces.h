#pragma once

#include "BrowserBookmarks.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace norvale {

// The url_hash Firefox keeps beside each address in moz_places, computed as
// Firefox computes it: the golden-ratio string hash of the address's first
// 1500 UTF-8 bytes, with 16 bits of the hash of its scheme above it.
quint64 FirefoxUrlHash(const QString& url);

// Firefox's bookmark tree from places.sqlite. The database and its -wal file
// are copied to a private folder and the copy opened read-only, so a running
// Firefox is never made to wait on a lock of ours. Throws NorvaleError when
// the file cannot be read as a places database.
BrowserTree ReadFirefoxBookmarks(const QString& placesFile);

// Makes the changes in places.sqlite (Firefox must not be running), in
// order, as Firefox itself makes them: a new address gets its moz_places row
// with its url_hash and origin, an added item a fresh guid at the end of its
// folder, a removed one that Sync had seen a tombstone, every changed item
// and folder its lastModified and a raised sync change counter. Firefox's
// own folders are never moved, renamed or removed. All of it in one
// transaction, then an integrity check; any failure rolls everything back
// and throws NorvaleError. Returns the row ids of the added items.
AddedIds WriteFirefoxChanges(const QString& placesFile, const QList<BookmarkChange>& changes,
                             const QDateTime& now);

// Copies the database consistently (its -wal included) to a new file.
void BackUpFirefoxPlaces(const QString& placesFile, const QString& backupFile);

} // namespace norvale
