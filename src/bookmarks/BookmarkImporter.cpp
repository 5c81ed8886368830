#include "BookmarkImporter.h"

#include "favorites/NameCleanup.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"

#include <QFile>
#include <QUrl>
#include <unistd.h>

namespace norvale {

namespace {

// Folders deeper than this are merged into the one at this depth: no
// browser writes them, and paths must stay well inside the system's limit.
constexpr int kMostDepth = 32;
constexpr int kAnyLength = 1 << 30;

// The name a title becomes: cleaned as the New Favorite dialog cleans it,
// and something usable even when the title is empty or only dots.
QString baseName(const BookmarkItem& item)
{
    // No name holds more than 255 characters: cut before cleaning, so that
    // a title of megabytes costs no more than a short one.
    QString name = CleanName(item.title.left(255)).trimmed();
    if (IsUnusableName(name)) {
        const QString host = QUrl(item.url).host();
        name = !host.isEmpty()                           ? CleanName(host)
               : item.kind == BookmarkItem::Kind::Folder ? QStringLiteral("Folder")
                                                         : QStringLiteral("Favorite");
    }
    return name;
}

// The first of name, "name (2)", "name (3)"... that no entry of folder has
// in any letter case, each fitted to the file system's name length.
QString freeName(const FileSystem& fs, const QString& folder, const QString& name,
                 const QString& extension)
{
    for (int number = 1;; ++number) {
        const QString suffix = number == 1 ? QString() : QStringLiteral(" (%1)").arg(number);
        const QString candidate = FitName(name, kAnyLength, suffix + extension) + suffix;
        if (!fs.nameTaken(folder, candidate + extension))
            return candidate;
    }
}

// Creates the favorite's file with an exclusive create, so that an entry
// made meanwhile by anyone else is never written over, with the lines the
// New Favorite dialog writes. The file is new, so it is written in place:
// there is nothing older to tear, and a failed write removes it again.
bool writeFavorite(const QString& path, const QString& url, QString& problem)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        problem = file.errorString();
        return false;
    }
    const QByteArray bytes = "[" + ShortcutKeys::Standard.toUtf8() + "]\r\n" +
                             ShortcutKeys::Url.toUtf8() + "=" + url.toUtf8() + "\r\n";
    const bool written =
        file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    if (!written) {
        problem = file.errorString();
        file.close();
        file.remove();
    }
    return written;
}

} // namespace

bool IsFavoriteAddress(const QString& url)
{
    const QString scheme = QUrl(url).scheme().toLower();
    return !QUrl(url).host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
            scheme == QLatin1String("ftp") || scheme == QLatin1String("ftps"));
}

QString ImportSummary::text() const
{
    QString result = QStringLiteral("Made %1 folders and %2 favorites; skipped %3 addresses "
                                    "that are not web or FTP addresses.")
                         .arg(folders)
                         .arg(favorites)
                         .arg(skipped);
    if (!problems.isEmpty())
        result += QStringLiteral("\n%1 could not be made:\n").arg(problems.size()) +
                  problems.mid(0, 10).join(QLatin1Char('\n'));
    return result;
}

ImportSummary ImportBookmarks(const BookmarkList& items, const QString& targetFolder,
                              const FileSystem& fs)
{
    ImportSummary summary;
    // folders[d] is where items of depth d go; a folder of depth d makes
    // folders[d + 1].
    QStringList folders{targetFolder};
    for (const BookmarkItem& item : items) {
        const qsizetype depth = std::min<qsizetype>(item.depth, folders.size() - 1);
        const QString& parent = folders[depth];
        if (item.kind == BookmarkItem::Kind::Folder) {
            folders.resize(depth + 1);
            if (depth >= kMostDepth)
                continue; // its contents go into parent
            const QString path = FileSystem::join(parent, freeName(fs, parent, baseName(item), {}));
            try {
                fs.createFolder(path);
                folders.append(path);
                ++summary.folders;
            } catch (const NorvaleError& error) {
                summary.problems.append(path + QStringLiteral(": ") + error.description());
            }
            continue;
        }
        if (!IsFavoriteAddress(item.url) || item.url.contains(QLatin1Char('\n')) ||
            item.url.contains(QLatin1Char('\r')) || item.url.contains(QChar(0))) {
            ++summary.skipped;
            continue;
        }
        const QString path =
            FileSystem::join(parent, freeName(fs, parent, baseName(item), kNewShortcutExtension) +
                                         kNewShortcutExtension);
        QString problem;
        if (writeFavorite(path, item.url, problem))
            ++summary.favorites;
        else
            summary.problems.append(path + QStringLiteral(": ") + problem);
    }
    return summary;
}

} // namespace norvale
