#include "BookmarkFiles.h"

#include "BookmarkFileReader.h"
#include "BookmarkFileWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Counted.h"
#include "platform/NorvaleError.h"
#include "platform/RegularFile.h"

#include <QFileInfo>

namespace norvale {

namespace {

// Far above any browser's file (a hundred thousand bookmarks with their
// icons are less), and low enough that reading one stays within a few
// times its size in memory. The help text states it.
constexpr qint64 kLargestFile = 64LL * 1024 * 1024;

} // namespace

std::optional<BookmarkList> LoadBookmarkFile(const QString& path, QString& error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("%1 does not exist.").arg(path);
        return std::nullopt;
    }
    if (!info.isFile()) {
        error = QStringLiteral("%1 is not a file.").arg(path);
        return std::nullopt;
    }
    if (info.size() > kLargestFile) {
        error = QStringLiteral("%1 is larger than 64 MB, the most a bookmark file may be. "
                               "Nothing was imported.")
                    .arg(path);
        return std::nullopt;
    }
    try {
        return ReadBookmarkFile(ReadRegularFile(path, kLargestFile));
    } catch (const NorvaleError& failure) {
        error = QStringLiteral("%1 cannot be read: %2").arg(path, failure.description());
        return std::nullopt;
    }
}

void SaveBookmarkFile(const QString& path, const BookmarkList& items)
{
    WriteFileAtomically(path, WriteBookmarkFile(items));
}

QString CountText(const BookmarkList& items)
{
    int folders = 0;
    for (const BookmarkItem& item : items)
        folders += item.kind == BookmarkItem::Kind::Folder ? 1 : 0;
    return Counted(items.size() - folders, QStringLiteral("favorite"),
                   QStringLiteral("favorites")) +
           QStringLiteral(" in ") +
           Counted(folders, QStringLiteral("folder"), QStringLiteral("folders"));
}

} // namespace norvale
