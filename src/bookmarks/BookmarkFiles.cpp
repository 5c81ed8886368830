#include "BookmarkFiles.h"

#include "BookmarkFileReader.h"
#include "BookmarkFileWriter.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace norvale {

namespace {

constexpr qint64 kLargestFile = 256LL * 1024 * 1024;

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
        error = QStringLiteral("%1 is larger than any bookmark file (256 MB).").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return ReadBookmarkFile(file.read(kLargestFile));
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
    return QStringLiteral("%1 favorites in %2 folders").arg(items.size() - folders).arg(folders);
}

} // namespace norvale
