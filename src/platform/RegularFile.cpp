#include "RegularFile.h"

#include "NorvaleError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace norvale {

namespace {

[[noreturn]] void fail(int number, const QString& what, const QString& path)
{
    throw NorvaleError(number, QStringLiteral("%1: %2").arg(what, QDir::toNativeSeparators(path)),
                       QStringLiteral("RegularFile"));
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QByteArray ReadRegularFile(const QString& path, qint64 mostBytes)
{
    // Without O_NONBLOCK, opening a FIFO waits until someone writes to it;
    // for a regular file the flag changes nothing.
    const Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), path);
        if (errno == EACCES || errno == EPERM)
            fail(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"), path);
        fail(ErrorNumber::PathFileAccess, QString::fromLocal8Bit(strerror(errno)), path);
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        fail(ErrorNumber::PathFileAccess, QString::fromLocal8Bit(strerror(errno)), path);
    // A folder is no file at all, as on the favorites' home platform.
    if (S_ISDIR(info.st_mode))
        fail(ErrorNumber::FileNotFound, QStringLiteral("File not found"), path);
    if (!S_ISREG(info.st_mode))
        fail(ErrorNumber::InvalidFileFormat, QStringLiteral("Not a regular file"), path);
    const auto tooLarge = [&] {
        fail(ErrorNumber::InvalidFileFormat,
             QStringLiteral("Malformed: larger than %1 bytes").arg(mostBytes), path);
    };
    if (info.st_size > mostBytes)
        tooLarge();
    // The file may grow while it is read: one byte more than allowed tells.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > mostBytes)
                tooLarge();
            bytes.resize(std::min<qsizetype>(got * 2, mostBytes + 1));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(ErrorNumber::PathFileAccess, QString::fromLocal8Bit(strerror(errno)), path);
        if (n == 0)
            break;
        got += n;
    }
    if (got > mostBytes)
        tooLarge();
    bytes.truncate(got);
    return bytes;
}

} // namespace norvale
