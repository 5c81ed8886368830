#include "SmallDisk.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <sys/mount.h>
#include <unistd.h>

namespace norvale::test {

SmallDisk::SmallDisk(const QString& mountPoint)
    : m_ownFolder(mountPoint.isEmpty() ? std::make_unique<QTemporaryDir>() : nullptr)
    , m_path(m_ownFolder ? m_ownFolder->path() : mountPoint)
{
    if (::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0, "size=64k") == 0)
        m_mounted = true;
    else
        m_reason = QStringLiteral("no full disk to test with: mounting a tmpfs on %1 was "
                                  "refused (%2)")
                       .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
}

SmallDisk::~SmallDisk()
{
    // Lazily, so that a file a failed test left open cannot keep it mounted.
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

void SmallDisk::fill() const
{
    const int fd = ::open(QFile::encodeName(path(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray block(1024, 'x');
    while (::write(fd, block.constData(), block.size()) > 0) {
    }
    // Whatever the last block could not take, byte by byte.
    while (::write(fd, "x", 1) > 0) {
    }
    ::close(fd);
}

} // namespace norvale::test
