#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace norvale {

// One folder or link of a bookmark file, in document order. The nesting is
// a depth, not a tree, so that no file, however deeply nested, makes any
// code recurse: an item belongs to the nearest folder before it whose depth
// is one less.
struct BookmarkItem {
    enum class Kind { Folder, Link };
    Kind kind = Kind::Link;
    int depth = 0; // 0: directly in the file's top list
    QString title;
    QString url;     // links only
    QDateTime added; // null when unknown
};

using BookmarkList = QList<BookmarkItem>;

} // namespace norvale
