#include "CommandLineTasks.h"

#include "ConsoleOutput.h"

#include "bookmarks/BookmarkExporter.h"
#include "bookmarks/BookmarkFiles.h"
#include "bookmarks/BookmarkImporter.h"
#include "CommandLine.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "favorites/WebAddress.h"
#include "lifecycle/FavoritesFolder.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"

#include <cstdio>
#include <memory>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace norvale {

namespace {

QString favoritesFolder(const FileSystem& fs)
{
    return StoredFavoritesFolder(RegistryStore::defaultFilePath(), fs);
}

// The desktop's opener says whether a browser took the address when it
// ends, which it does at once for every desktop that starts the browser on
// its own. One still running after a while has started a browser that it
// waits for: that is success, and it is left to run.
int handToOpener(const QString& opener, const QString& url)
{
    constexpr int kOpenerAnswersWithinMs = 15000;
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(opener, {url});
    if (!process->waitForStarted())
        return Fail(QStringLiteral("%1 could not be started.").arg(opener));
    if (!process->waitForFinished(kOpenerAnswersWithinMs)) {
        // Deleting it would end the browser it waits for.
        [[maybe_unused]] QProcess* left = process.release();
        return 0;
    }
    if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0)
        return Fail(QStringLiteral("No browser could open %1.").arg(url));
    return 0;
}

} // namespace

int OpenFavoriteFile(int& argc, char** argv, const CommandLine& line)
{
    if (!QFileInfo(line.file).isFile())
        return Fail(QStringLiteral("%1 is not a file.").arg(line.file));
    const QString url =
        ProfileFile::read(line.file, ShortcutKeys::Standard, ShortcutKeys::Url, QString())
            .trimmed();
    // Only web and FTP addresses: a shortcut from anywhere must not start
    // programs or open local files through the desktop's handlers.
    if (!IsWebAddress(url))
        return Fail(QStringLiteral("%1 holds no web or FTP address.").arg(line.file));
    // The desktop's own opener needs no window system connection, so a
    // file manager or a terminal can use it alike; without it, Qt's.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return handToOpener(opener, url);
    QGuiApplication app(argc, argv);
    if (!QDesktopServices::openUrl(QUrl(url)))
        return Fail(QStringLiteral("No browser could open %1.").arg(url));
    return 0;
}

int ImportBookmarkFile(const CommandLine& line)
{
    const FileSystem fs;
    const QString favorites = favoritesFolder(fs);
    QString target = line.folder;
    if (target.isEmpty() || QDir::isRelativePath(target)) {
        if (favorites.isEmpty())
            return Fail(QStringLiteral("Cannot Find Favorites Folder"));
        target = QDir::cleanPath(QDir(favorites).filePath(target));
        // "../x" would climb out: a relative FOLDER stays inside.
        if (target != QDir::cleanPath(favorites) &&
            !target.startsWith(QDir::cleanPath(favorites) + QLatin1Char('/')))
            return Fail(
                QStringLiteral("The folder %1 is outside the Favorites folder.").arg(line.folder));
    }
    if (!QDir().mkpath(target))
        return Fail(QStringLiteral("The folder %1 cannot be made.").arg(target));
    QString error;
    const auto items = LoadBookmarkFile(line.file, error);
    if (!items)
        return Fail(error);
    const ImportSummary summary = ImportBookmarks(*items, QDir::cleanPath(target), fs);
    PrintLine(stdout, summary.text());
    return summary.problems.isEmpty() ? 0 : 1;
}

int ExportBookmarkFile(const CommandLine& line)
{
    const FileSystem fs;
    const QString favorites = favoritesFolder(fs);
    if (favorites.isEmpty() || !fs.folderExists(favorites))
        return Fail(QStringLiteral("Cannot Find Favorites Folder"));
    BookmarkList items = CollectFavorites(favorites, fs, 0, {kDeadFavoritesText});
    if (line.includeDead) {
        BookmarkItem dead;
        dead.kind = BookmarkItem::Kind::Folder;
        dead.title = kDeadFavoritesText;
        items.append(dead);
        items.append(
            CollectFavorites(FileSystem::join(programFolder(), kDeadFavoritesText), fs, 1));
    }
    try {
        SaveBookmarkFile(line.file, items);
    } catch (const NorvaleError& error) {
        return Fail(error.description());
    }
    PrintLine(stdout, QStringLiteral("Exported %1 to %2.").arg(CountText(items), line.file));
    return 0;
}

} // namespace norvale
