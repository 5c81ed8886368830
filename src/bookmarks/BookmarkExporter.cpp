#include "BookmarkExporter.h"

#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"

#include <QFileInfo>

namespace norvale {

namespace {

// A folder still to be written, and the depth of its contents.
struct Pending {
    QString path;
    int depth;
};

} // namespace

BookmarkList CollectFavorites(const QString& folder, const FileSystem& fs, int depth,
                              const QStringList& leaveOut)
{
    BookmarkList items;
    // Depth first without recursion: a folder's items are written before
    // its subfolders, which are taken in order from the stack.
    QList<Pending> stack{{folder, depth}};
    while (!stack.isEmpty()) {
        const Pending current = stack.takeLast();
        if (current.path != folder) {
            BookmarkItem item;
            item.kind = BookmarkItem::Kind::Folder;
            item.depth = current.depth - 1;
            item.title = QFileInfo(current.path).fileName();
            items.append(item);
        }
        FolderListing listing;
        try {
            listing = fs.listFolder(current.path);
        } catch (const NorvaleError&) {
            continue; // an unreadable folder exports as an empty one
        }
        for (const QString& file : listing.files) {
            if (!file.endsWith(kNewShortcutExtension, Qt::CaseInsensitive))
                continue;
            const QString path = FileSystem::join(current.path, file);
            BookmarkItem item;
            item.depth = current.depth;
            item.title = file.chopped(kNewShortcutExtension.size());
            item.url = ProfileFile::read(path, ShortcutKeys::Standard, ShortcutKeys::Url, QString())
                           .trimmed();
            item.added = QFileInfo(path).lastModified();
            if (!item.url.isEmpty())
                items.append(item);
        }
        for (auto it = listing.subfolders.rbegin(); it != listing.subfolders.rend(); ++it) {
            if (it->isSymLink || (current.path == folder && leaveOut.contains(it->name)))
                continue;
            stack.append({FileSystem::join(current.path, it->name), current.depth + 1});
        }
    }
    return items;
}

} // namespace norvale
