// Any bytes as a bookmark file: reading never crashes, the nesting it
// gives is one the importer can follow, and what it read, written out as a
// bookmark file, reads back the same.

#include "bookmarks/BookmarkFileReader.h"
#include "bookmarks/BookmarkFileWriter.h"
#include "FuzzTarget.h"

using namespace norvale;

namespace {

// An item is never more than one level below the one before it, and only
// below a folder: the importer gives each depth a folder made before it.
void requireFollowableNesting(const BookmarkList& items)
{
    const BookmarkItem* previous = nullptr;
    for (const BookmarkItem& item : items) {
        fuzz::require(item.depth >= 0, "no depth is negative");
        const int deepest =
            previous ? previous->depth + (previous->kind == BookmarkItem::Kind::Folder ? 1 : 0) : 0;
        fuzz::require(item.depth <= deepest, "each level is opened by a folder just before");
        previous = &item;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const BookmarkList items = ReadBookmarkFile(fuzz::bytesOf(data, size));
    requireFollowableNesting(items);
    const BookmarkList again = ReadBookmarkFile(WriteBookmarkFile(items));
    fuzz::require(again.size() == items.size(), "a written file holds every item read");
    for (qsizetype i = 0; i < items.size() && i < again.size(); ++i)
        fuzz::require(again[i].kind == items[i].kind && again[i].depth == items[i].depth,
                      "a written file keeps each item's kind and depth");
    return 0;
}
