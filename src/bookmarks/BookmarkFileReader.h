#pragma once

#include "BookmarkItem.h"

#include <QByteArray>
#include <QString>

namespace norvale {

// Reads the bookmark file that browsers import and export
// (<!DOCTYPE NETSCAPE-Bookmark-file-1>): folders are <DT><H3> followed by a
// <DL> list, links are <DT><A HREF=...>. The reading forgives what browsers
// forgive: tags in any letter case, missing closing tags, stray lists,
// entities and character sets as browsers write them. Time and memory
// grow in step with the file's size, whatever it holds.
BookmarkList ReadBookmarkFile(QByteArray bytes);

} // namespace norvale
