#pragma once

#include "BookmarkItem.h"

#include <optional>
#include <QString>

namespace norvale {

// Reads a bookmark file from disk: a regular file of at most 64 MB. On
// failure, nothing and the reason in error.
std::optional<BookmarkList> LoadBookmarkFile(const QString& path, QString& error);
// Writes the items as a bookmark file, replacing path all at once. Throws
// NorvaleError when it could not be written; a file already there is then
// as it was.
void SaveBookmarkFile(const QString& path, const BookmarkList& items);

// "N favorites in M folders".
QString CountText(const BookmarkList& items);

} // namespace norvale
