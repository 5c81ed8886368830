#include "FavoritesFence.h"

#include "NorvaleError.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace norvale {

namespace {

struct Fence {
    QMutex lock;
    QString written; // the folder as the tree names it
    QString onDisk;  // the same folder with every link resolved
};

Fence& fence()
{
    static Fence instance;
    return instance;
}

bool within(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// The path with every link resolved, as far up as it exists; the rest (a
// file about to be made) is taken as written.
QString resolved(const QString& path)
{
    QString existing = path;
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing) &&
           !QFileInfo(existing).isSymLink()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            break;
        rest = QFileInfo(existing).fileName() + (rest.isEmpty() ? QString() : u'/' + rest);
        existing = parent;
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonical.isEmpty())
        return QString(); // a link that leads nowhere: no target to judge
    return rest.isEmpty() ? canonical : canonical + QLatin1Char('/') + rest;
}

} // namespace

void FavoritesFence::setFolder(const QString& favoritesFolder)
{
    Fence& f = fence();
    const QMutexLocker locker(&f.lock);
    f.written = favoritesFolder.isEmpty() ? QString()
                                          : QDir::cleanPath(QDir(favoritesFolder).absolutePath());
    f.onDisk = f.written.isEmpty() ? QString() : QFileInfo(f.written).canonicalFilePath();
}

bool FavoritesFence::leadsOut(const QString& path)
{
    QString written;
    QString onDisk;
    {
        Fence& f = fence();
        const QMutexLocker locker(&f.lock);
        written = f.written;
        onDisk = f.onDisk;
    }
    const QString cleaned = QDir::cleanPath(QDir(path).absolutePath());
    if (written.isEmpty() || onDisk.isEmpty() || !within(cleaned, written) || cleaned == written)
        return false;
    // The folder the entry is in, then the entry itself when it is a link.
    const QString folder = resolved(QFileInfo(cleaned).path());
    if (!within(folder, onDisk))
        return true;
    if (!QFileInfo(cleaned).isSymLink())
        return false;
    const QString target = resolved(cleaned);
    return !target.isEmpty() && !within(target, onDisk);
}

void FavoritesFence::require(const QString& path)
{
    if (leadsOut(path))
        throw NorvaleError(ErrorNumber::PermissionDenied,
                           QStringLiteral("Permission denied: %1 lies outside the Favorites folder "
                                          "(it is reached through a linked folder), and Norvale "
                                          "changes nothing there")
                               .arg(QDir::toNativeSeparators(path)),
                           QStringLiteral("FileSystem"));
}

} // namespace norvale
