#include "DeadFavoritesMirror.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/ProfileFile.h"

#include <optional>
#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace norvale {

namespace {

void ensureFolder(const FileSystem& fs, const QString& path)
{
    if (fs.folderExists(path))
        return;
    try {
        fs.makeFolder(path);
    } catch (const NorvaleError&) {
        // Mirroring is best effort; a folder we cannot make stays missing.
    }
}

std::optional<MirroredFile> stampOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return MirroredFile{qint64(info.st_size),
                        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::optional<QStringList> filesOf(const FileSystem& fs, const QString& folder)
{
    try {
        return fs.listFolder(folder).files;
    } catch (const NorvaleError&) {
        return std::nullopt;
    }
}

// Why the entry at path may not be mirrored; nothing when it may, or when
// it is gone (a dangling link included), which leaves nothing to say.
std::optional<QString> refusalOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("not a regular file");
    if (info.st_size > ProfileFile::kMostBytes)
        return QStringLiteral("larger than %1 bytes").arg(ProfileFile::kMostBytes);
    return std::nullopt;
}

// Every entry of folder but folders, so that what cannot be mirrored is
// seen and reported rather than passed over; the program's own temporary
// files are writes in progress, not favorites.
QStringList entriesOf(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    names.removeIf([](const QString& name) { return IsOwnTemporaryName(name); });
    return names;
}

// Copies each file of source that target lacks or holds in an older
// version (copies keep their times, so a file copied once is not copied
// again). Gives the names that target now holds as new as source does.
QStringList mergeInto(const FileSystem& fs, const QString& source, const QString& target,
                      const MirrorRefusal& refused)
{
    QStringList merged;
    for (const QString& name : entriesOf(source)) {
        const QString from = FileSystem::join(source, name);
        if (const auto refusal = refusalOf(from)) {
            if (refused)
                refused(NorvaleError(ErrorNumber::InvalidFileFormat,
                                     QStringLiteral("Not mirrored, %1: %2")
                                         .arg(*refusal, QDir::toNativeSeparators(from)),
                                     QStringLiteral("DeadFavoritesMirror")));
            continue;
        }
        const QString to = fs.resolveCaseInsensitive(FileSystem::join(target, name));
        const auto offered = stampOf(from);
        const auto held = stampOf(to);
        if (!offered)
            continue;
        try {
            if (!held || offered->modifiedNs > held->modifiedNs)
                CopyFileAtomically(from, to, true);
            merged.append(name);
        } catch (const NorvaleError&) {
            // Both copies stay as they were; the next start or exit tries again.
        }
    }
    return merged;
}

} // namespace

MirrorSnapshot MirrorDeadFavoritesIn(const FileSystem& fs, const QString& programDeadFolder,
                                     const QString& favoritesMirror, const MirrorRefusal& refused)
{
    ensureFolder(fs, programDeadFolder);
    ensureFolder(fs, favoritesMirror);
    MirrorSnapshot mirrored;
    for (const QString& name : mergeInto(fs, favoritesMirror, programDeadFolder, refused)) {
        if (const auto stamp = stampOf(FileSystem::join(favoritesMirror, name)))
            mirrored.insert(name, *stamp);
    }
    return mirrored;
}

void MirrorDeadFavoritesOut(const FileSystem& fs, const QString& programDeadFolder,
                            const QString& favoritesMirror, const MirrorSnapshot& mirroredIn,
                            const MirrorRefusal& refused)
{
    // A program folder that went missing, or cannot be read, says nothing
    // about what was removed from it: the mirror loses nothing then.
    const bool programFolderKept = fs.folderExists(programDeadFolder);
    ensureFolder(fs, favoritesMirror);
    ensureFolder(fs, programDeadFolder);
    if (!programFolderKept || !filesOf(fs, programDeadFolder))
        return;
    mergeInto(fs, programDeadFolder, favoritesMirror, refused);
    for (const QString& name : filesOf(fs, favoritesMirror).value_or(QStringList())) {
        const QString path = FileSystem::join(favoritesMirror, name);
        const auto atStart = mirroredIn.constFind(name);
        if (atStart == mirroredIn.cend() || fs.nameTaken(programDeadFolder, name) ||
            stampOf(path) != *atStart)
            continue;
        try {
            fs.deleteFile(path, true);
        } catch (const NorvaleError&) {
        }
    }
}

} // namespace norvale
