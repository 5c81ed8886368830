#include "AtomicFile.h"

#include "FavoritesFence.h"
#include "FolderIndex.h"
#include "NorvaleError.h"
#include "OwnTemporaryFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <sys/stat.h>
#include <unistd.h>

namespace norvale {

namespace {

const QString kSource = QStringLiteral("AtomicFile");
constexpr qsizetype kChunk = qsizetype(64) * 1024;

std::function<int(FileStep, const QString&)>& faultHook()
{
    static std::function<int(FileStep, const QString&)> hook;
    return hook;
}

// The errno value a test wants this step to fail with, else 0.
int injectedFault(FileStep step, const QString& target)
{
    const auto& hook = faultHook();
    return hook ? hook(step, target) : 0;
}

int numberFor(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return ErrorNumber::DiskFull;
    case EEXIST:
        return ErrorNumber::FileExists;
    case ENOENT:
    case ENOTDIR:
        return ErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorNumber::PermissionDenied;
    default:
        return ErrorNumber::PathFileAccess;
    }
}

[[noreturn]] void fail(int number, const QString& what, const QString& path)
{
    throw NorvaleError(number, what.arg(QDir::toNativeSeparators(path)), kSource);
}

// what holds %1 for the path; the system's own words for error follow it.
[[noreturn]] void failWithErrno(int error, const QString& what, const QString& path)
{
    fail(numberFor(error),
         what + QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(error))), path);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// So that a rename in the folder is on disk too before anything that relies
// on it; a file system that cannot is no reason to fail.
void syncFolder(const QString& folder)
{
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// What is at path itself, a link not followed; false when nothing is.
bool entryAt(const QString& path, struct stat* info)
{
    return ::lstat(encoded(path).constData(), info) == 0;
}

// Only a regular file is ever replaced: writing over a link would write
// wherever it points, and a folder or device is no file of ours.
void requireRegularTarget(const struct stat& info, const QString& path)
{
    if (S_ISLNK(info.st_mode))
        fail(ErrorNumber::PermissionDenied,
             QStringLiteral("Not written: %1 is a link, and links are not written through"), path);
    if (!S_ISREG(info.st_mode))
        fail(ErrorNumber::PermissionDenied, QStringLiteral("Not written: %1 is not a file"), path);
}

bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot promise it: look first.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

// A hidden temporary file of the program's own beside a target, removed
// again unless it has been put in place.
class TemporaryFile {
public:
    // mode is given to open, so the process's umask applies; a name already
    // taken is simply another try.
    TemporaryFile(const QString& target, mode_t mode)
        : m_target(target)
    {
        if (const int fault = injectedFault(FileStep::Create, target))
            failWithErrno(fault, QStringLiteral("Cannot write %1"), target);
        for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
            m_path = folderOf(target) + QLatin1Char('/') + NewOwnTemporaryName();
            m_fd = ::open(encoded(m_path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (m_fd < 0 && errno != EEXIST)
                failWithErrno(errno, QStringLiteral("Cannot write %1"), target);
        }
        if (m_fd < 0)
            failWithErrno(EEXIST, QStringLiteral("Cannot write %1"), target);
    }
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_placed)
            ::unlink(encoded(m_path).constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void write(const char* data, qsizetype size)
    {
        if (const int fault = injectedFault(FileStep::Write, m_target))
            failWithErrno(fault, QStringLiteral("Cannot write %1"), m_target);
        while (size > 0) {
            const ssize_t done = ::write(m_fd, data, size_t(size));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                failWithErrno(done < 0 ? errno : EIO, QStringLiteral("Cannot write %1"), m_target);
            data += done;
            size -= done;
            m_written += done;
        }
    }

    // The permissions, and where the system allows it the owner, of the
    // file this one replaces.
    void takeOwnerAndModeOf(const struct stat& info)
    {
        if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) &&
            ::fchown(m_fd, info.st_uid, info.st_gid) != 0) {
            // Only root may give a file away; anyone else keeps it as theirs.
        }
        ::fchmod(m_fd, info.st_mode & 07777);
    }

    // A copy keeps its source's permissions and times, so that comparing
    // the two later tells which is newer.
    void takeModeAndTimesOf(const struct stat& info)
    {
        ::fchmod(m_fd, info.st_mode & 0777);
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ::futimens(m_fd, times);
    }

    // Flushes every byte to disk and checks that all of them arrived.
    void finish()
    {
        int error = injectedFault(FileStep::Sync, m_target);
        struct stat info {};
        if (!error && ::fsync(m_fd) != 0)
            error = errno;
        if (!error && ::fstat(m_fd, &info) != 0)
            error = errno;
        if (!error && info.st_size != m_written)
            error = EIO;
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && !error)
            error = errno;
        if (error)
            failWithErrno(error, QStringLiteral("Cannot write %1"), m_target);
    }

    // Renames it to the target: over a file there when replace is set, else
    // only onto a free name.
    void place(bool replace)
    {
        const QByteArray from = encoded(m_path);
        const QByteArray to = encoded(m_target);
        int error = injectedFault(FileStep::Rename, m_target);
        if (!error && !(replace ? ::rename(from.constData(), to.constData()) == 0
                                : renameWithoutReplacing(from, to)))
            error = errno;
        if (error)
            failWithErrno(error, QStringLiteral("Cannot put %1 in place"), m_target);
        m_placed = true;
        syncFolder(folderOf(m_target));
        FolderIndex::shared().noteAdded(folderOf(m_target), nameOf(m_target));
    }

private:
    QString m_target;
    QString m_path;
    int m_fd = -1;
    qint64 m_written = 0;
    bool m_placed = false;
};

// Opens a regular file for reading. Anything else is refused before it is
// read: a FIFO or a device could block or never end.
int openRegularFile(const QString& path, struct stat* info)
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        failWithErrno(errno, QStringLiteral("Cannot read %1"), path);
    if (::fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
        ::close(fd);
        fail(ErrorNumber::PathFileAccess, QStringLiteral("Not copied: %1 is not a file"), path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void copyThroughTemporaryFile(const QString& source, const QString& target, bool replace)
{
    struct stat info {};
    const int in = openRegularFile(source, &info);
    const auto closeSource = qScopeGuard([in] { ::close(in); });
    // Private until it is whole; it takes the source's permissions at the end.
    TemporaryFile copy(target, 0600);
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWithErrno(errno, QStringLiteral("Cannot read %1"), source);
        if (got == 0)
            break;
        copy.write(buffer.constData(), got);
        copied += got;
    }
    if (copied != info.st_size)
        fail(ErrorNumber::PathFileAccess,
             QStringLiteral("Not copied: %1 changed while it was read"), source);
    copy.takeModeAndTimesOf(info);
    copy.finish();
    copy.place(replace);
}

} // namespace

void SetFileFaultForTesting(std::function<int(FileStep, const QString&)> fault)
{
    faultHook() = std::move(fault);
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    FavoritesFence::require(path);
    struct stat old {};
    const bool replacing = entryAt(path, &old);
    if (replacing)
        requireRegularTarget(old, path);
    // A new file is made as any other would be; a replacement starts private
    // and takes the old file's permissions before any byte is written.
    TemporaryFile file(path, replacing ? 0600 : 0666);
    if (replacing)
        file.takeOwnerAndModeOf(old);
    file.write(bytes.constData(), bytes.size());
    file.finish();
    file.place(true);
}

void CreateFileAtomically(const QString& path, const QByteArray& bytes)
{
    FavoritesFence::require(path);
    struct stat existing {};
    if (entryAt(path, &existing))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists: %1"), path);
    TemporaryFile file(path, 0666);
    file.write(bytes.constData(), bytes.size());
    file.finish();
    file.place(false);
}

void CopyFileAtomically(const QString& source, const QString& target, bool overwrite)
{
    FavoritesFence::require(target);
    struct stat existing {};
    if (entryAt(target, &existing)) {
        if (!overwrite)
            fail(ErrorNumber::FileExists, QStringLiteral("File already exists: %1"), target);
        requireRegularTarget(existing, target);
    }
    copyThroughTemporaryFile(source, target, overwrite);
}

void MoveFileSafely(const QString& source, const QString& target)
{
    FavoritesFence::require(source);
    FavoritesFence::require(target);
    struct stat existing {};
    if (entryAt(target, &existing))
        fail(ErrorNumber::FileExists, QStringLiteral("File already exists: %1"), target);
    const QByteArray from = encoded(source);
    if (renameWithoutReplacing(from, encoded(target))) {
        syncFolder(folderOf(target));
        FolderIndex::shared().noteRemoved(folderOf(source), nameOf(source));
        FolderIndex::shared().noteAdded(folderOf(target), nameOf(target));
        return;
    }
    if (errno != EXDEV)
        failWithErrno(errno, QStringLiteral("Cannot move %1"), source);
    // Across file systems: the copy is whole and in place before the source
    // goes. A source that cannot go takes the copy back with it, so the
    // favorite is never in two places.
    copyThroughTemporaryFile(source, target, false);
    int error = injectedFault(FileStep::RemoveSource, target);
    if (!error && ::unlink(from.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(encoded(target).constData());
        FolderIndex::shared().noteRemoved(folderOf(target), nameOf(target));
        failWithErrno(error, QStringLiteral("Cannot move %1"), source);
    }
    syncFolder(folderOf(source));
    FolderIndex::shared().noteRemoved(folderOf(source), nameOf(source));
}

} // namespace norvale
