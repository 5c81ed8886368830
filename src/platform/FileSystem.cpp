#include "FileSystem.h"

#include "AtomicFile.h"
#include "FavoritesFence.h"
#include "FolderIndex.h"
#include "NorvaleError.h"
#include "OwnTemporaryFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringDecoder>
#include <sys/stat.h>
#include <unistd.h>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("FileSystem");
const QString kAllFiles = QStringLiteral("*.*");

// A path as a message shows it: a very long one keeps its start and its
// end, which tell where it is and what it names.
QString shown(const QString& path)
{
    constexpr qsizetype kHead = 60;
    constexpr qsizetype kTail = 100;
    QString native = QDir::toNativeSeparators(path);
    if (native.size() <= kHead + kTail + 1)
        return native;
    return native.left(kHead) + QChar(0x2026) + native.right(kTail);
}

[[noreturn]] void fail(int number, const QString& what, const QString& path)
{
    throw NorvaleError(number, QStringLiteral("%1: %2").arg(what, shown(path)), kSource);
}

// Why a system call on path failed, for the errors a user can act on.
[[noreturn]] void failWith(int error, const QString& path)
{
    if (error == EEXIST)
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), path);
    if (error == ENAMETOOLONG)
        fail(ErrorNumber::BadFileName,
             QStringLiteral("The name or path is longer than the file system allows"), path);
    if (error == ENOSPC)
        fail(ErrorNumber::DiskFull, QStringLiteral("Disk full"), path);
    fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
}

// Two paths that name one item (a change of letter case on a file system
// that ignores case), as opposed to two items.
bool sameItem(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::lstat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::lstat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool entryExists(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void noteAdded(const QString& path)
{
    FolderIndex::shared().noteAdded(folderOf(path), nameOf(path));
}

void noteRemoved(const QString& path)
{
    FolderIndex::shared().noteRemoved(folderOf(path), nameOf(path));
}

// Renames without ever replacing what is at target; a target that is the
// item itself under another letter case (a file system that ignores case)
// is no clash.
bool renameWithoutReplacing(const QString& path, const QString& target)
{
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST && sameItem(path, target))
        return ::rename(from.constData(), to.constData()) == 0;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot promise it: look first.
    if (entryExists(target) && !sameItem(path, target)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

bool nameLess(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

void requireFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        fail(ErrorNumber::PathNotFound, QStringLiteral("Path not found"), path);
}

// Splits "folder/*.*" into its folder; returns false for a plain path.
bool isWildcard(const QString& path, QString* folder)
{
    if (!path.endsWith(kAllFiles))
        return false;
    *folder = path.chopped(kAllFiles.size());
    if (folder->endsWith(QLatin1Char('/')))
        folder->chop(1);
    return true;
}

} // namespace

QString FileSystem::join(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

FolderListing FileSystem::listFolder(const QString& path) const
{
    const QByteArray encoded = QFile::encodeName(path);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir) {
        if (errno == EACCES)
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
        fail(ErrorNumber::PathNotFound, QStringLiteral("Path not found"), path);
    }
    FolderListing listing;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        // The entry's type comes with the name; only links (and file systems
        // that do not say) need a look at what they point to.
        bool isDir = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        const bool isLink = entry->d_type == DT_LNK;
        if (isLink || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            if (::fstatat(::dirfd(dir), name, &target, 0) != 0)
                continue; // a broken link
            isDir = S_ISDIR(target.st_mode);
            isFile = S_ISREG(target.st_mode);
        }
        if (!isDir && !isFile)
            continue;
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString decoded = utf8.decode(QByteArrayView(name, qstrlen(name)));
        if (IsOwnTemporaryName(decoded))
            continue; // a write in progress or a killed one's leftover
        if (utf8.hasError())
            listing.undecodable.append(
                QString::fromLatin1(QByteArray(name).toPercentEncoding("/ ")));
        else if (isDir)
            listing.subfolders.push_back({decoded, isLink});
        else
            listing.files.append(decoded);
    }
    ::closedir(dir);
    std::sort(listing.files.begin(), listing.files.end(), nameLess);
    std::sort(listing.subfolders.begin(), listing.subfolders.end(),
              [](const Subfolder& a, const Subfolder& b) { return nameLess(a.name, b.name); });
    return listing;
}

bool FileSystem::folderExists(const QString& path) const
{
    return QFileInfo(path).isDir();
}

bool FileSystem::fileExists(const QString& path) const
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void FileSystem::makeFolder(const QString& path) const
{
    FavoritesFence::require(path);
    if (nameTaken(folderOf(path), nameOf(path)))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), path);
    requireFolder(folderOf(path));
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0)
        failWith(errno, path);
    noteAdded(path);
}

bool FileSystem::nameTaken(const QString& folder, const QString& name, const QString& itself) const
{
    const QString itselfName = itself.isEmpty() ? QString() : nameOf(itself);
    for (const QString& taken : FolderIndex::shared().namesLike(folder, name)) {
        // The item being renamed may keep its own name in another case.
        if (!itself.isEmpty() && (taken == itselfName || sameItem(join(folder, taken), itself)))
            continue;
        return true;
    }
    return false;
}

void FileSystem::rename(const QString& path, const QString& newName) const
{
    FavoritesFence::require(path);
    if (!entryExists(path))
        fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), path);
    const QString folder = folderOf(path);
    const QString target = join(folder, newName);
    FavoritesFence::require(target);
    // Any entry of that name in any letter case (a link, dangling or not,
    // included) takes it: a rename never lands on, or through, another item.
    if (nameTaken(folder, newName, path))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), target);
    if (!renameWithoutReplacing(path, target))
        failWith(errno, errno == EEXIST || errno == ENAMETOOLONG ? target : path);
    noteRemoved(path);
    noteAdded(target);
}

void FileSystem::copyFile(const QString& source, const QString& destinationFolder,
                          bool overwrite) const
{
    requireFolder(destinationFolder);
    QString folder;
    QStringList names;
    if (isWildcard(source, &folder)) {
        names = listFolder(folder).files;
    } else {
        if (!fileExists(source))
            fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), source);
        folder = QFileInfo(source).absolutePath();
        names = {QFileInfo(source).fileName()};
    }
    // Each copy replaces its target in one step, so a failed one leaves
    // the old file there.
    for (const QString& name : names)
        CopyFileAtomically(join(folder, name), join(destinationFolder, name), overwrite);
}

void FileSystem::copyFolder(const QString& source, const QString& destination) const
{
    FavoritesFence::require(destination);
    requireFolder(source);
    if (!folderExists(destination) && !QDir().mkpath(destination))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), destination);
    noteAdded(destination);
    const FolderListing listing = listFolder(source);
    if (!listing.files.isEmpty())
        copyFile(join(source, QStringLiteral("*.*")), destination, true);
    for (const Subfolder& subfolder : listing.subfolders) {
        // A linked folder is copied as what it holds, never followed round.
        if (!subfolder.isSymLink)
            copyFolder(join(source, subfolder.name), join(destination, subfolder.name));
    }
}

void FileSystem::moveFile(const QString& source, const QString& destination) const
{
    if (!fileExists(source))
        fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), source);
    MoveFileSafely(source, destination);
}

void FileSystem::moveFolder(const QString& source, const QString& destination) const
{
    FavoritesFence::require(source);
    FavoritesFence::require(destination);
    requireFolder(source);
    if (QFileInfo::exists(destination))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists"), destination);
    if (!QDir().rename(source, destination))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), source);
    noteRemoved(source);
    noteAdded(destination);
}

void FileSystem::deleteFile(const QString& path, bool force) const
{
    QString folder;
    QStringList targets;
    if (isWildcard(path, &folder)) {
        for (const QString& name : listFolder(folder).files)
            targets.append(join(folder, name));
    } else {
        if (!fileExists(path))
            fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), path);
        targets = {path};
    }
    for (const QString& target : targets) {
        FavoritesFence::require(target);
        const QFileInfo info(target);
        if (!info.isWritable() && !force)
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), target);
        if (!QFile::remove(target))
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), target);
        noteRemoved(target);
    }
}

void FileSystem::deleteFolder(const QString& path, bool force) const
{
    FavoritesFence::require(path);
    requireFolder(path);
    // A linked folder goes as the link: removing "recursively" through it
    // would empty the folder it leads to.
    if (QFileInfo(path).isSymLink()) {
        if (!QFile::remove(path))
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
        noteRemoved(path);
        return;
    }
    if (!force && !QFileInfo(path).isWritable())
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
    if (!QDir(path).removeRecursively())
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
    noteRemoved(path);
}

bool FileSystem::moveToTrash(const QString& path) const
{
    FavoritesFence::require(path);
    if (!QFile::moveToTrash(path))
        return false;
    noteRemoved(path);
    return true;
}

void FileSystem::appendText(const QString& path, const QByteArray& bytes) const
{
    FavoritesFence::require(path);
    // Without O_NONBLOCK, opening a FIFO waits for a reader for ever; only a
    // regular file is then written to.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        fail(ErrorNumber::PermissionDenied,
             QStringLiteral("Cannot open for appending (%1)")
                 .arg(QString::fromLocal8Bit(std::strerror(errno))),
             path);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Not appended to: not a regular file"),
             path);
    noteAdded(path);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            fail(ErrorNumber::PathFileAccess,
                 QStringLiteral("Cannot write (%1)")
                     .arg(QString::fromLocal8Bit(std::strerror(done < 0 ? errno : EIO))),
                 path);
        data += done;
        left -= done;
    }
}

QString FileSystem::resolveCaseInsensitive(const QString& path) const
{
    if (entryExists(path))
        return path;
    const QString folder = folderOf(path);
    const QStringList names = FolderIndex::shared().namesLike(folder, nameOf(path));
    return names.isEmpty() ? path : join(folder, names.first());
}

} // namespace norvale
