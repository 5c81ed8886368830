#include "DeadFavoritesMirror.h"

#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"

namespace norvale {

namespace {

void ensureFolder(const FileSystem& fs, const QString& path)
{
    if (fs.folderExists(path))
        return;
    try {
        fs.createFolder(path);
    } catch (const NorvaleError&) {
        // Mirroring is best effort; a folder we cannot make stays missing.
    }
}

void replaceFiles(const FileSystem& fs, const QString& source, const QString& target)
{
    try {
        fs.listFolder(source);
    } catch (const NorvaleError&) {
        return;
    }
    try {
        fs.deleteFile(FileSystem::join(target, QStringLiteral("*.*")), true);
    } catch (const NorvaleError&) {
    }
    try {
        fs.copyFile(FileSystem::join(source, QStringLiteral("*.*")), target, true);
    } catch (const NorvaleError&) {
    }
}

} // namespace

void MirrorDeadFavoritesIn(const FileSystem& fs, const QString& programDeadFolder,
                           const QString& favoritesMirror)
{
    ensureFolder(fs, programDeadFolder);
    ensureFolder(fs, favoritesMirror);
    replaceFiles(fs, favoritesMirror, programDeadFolder);
}

void MirrorDeadFavoritesOut(const FileSystem& fs, const QString& programDeadFolder,
                            const QString& favoritesMirror)
{
    ensureFolder(fs, favoritesMirror);
    ensureFolder(fs, programDeadFolder);
    replaceFiles(fs, programDeadFolder, favoritesMirror);
}

} // namespace norvale
