#pragma once

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <sys/mount.h>
#include <unistd.h>

namespace norvale::test {

// 64 KB of tmpfs, mounted on the given empty folder or a temporary one, to
// fill and see what writes do on a full disk. Mounting needs root; where it
// is refused, mounted() is false and reason() says why, to skip with.
class SmallDisk {
public:
    explicit SmallDisk(const QString& mountPoint = QString())
        : m_path(mountPoint.isEmpty() ? m_ownFolder.path() : mountPoint)
    {
        if (::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0, "size=64k") == 0)
            m_mounted = true;
        else
            m_reason = QStringLiteral("no full disk to test with: mounting a tmpfs on %1 was "
                                      "refused (%2)")
                           .arg(path(), QString::fromLocal8Bit(std::strerror(errno)));
    }
    // Lazily, so that a file a failed test left open cannot keep it mounted.
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
    }
    Q_DISABLE_COPY(SmallDisk)
    bool mounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    QString path() const { return m_path; }
    QString path(const QString& relative) const { return m_path + QLatin1Char('/') + relative; }

    // Takes every byte still free (in blocks, then byte by byte) with "filler".
    void fill() const
    {
        const int fd = ::open(QFile::encodeName(path(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        for (const int size : {1024, 1})
            while (fd >= 0 && ::write(fd, QByteArray(size, 'x').constData(), size) > 0)
                ;
        ::close(fd);
    }

private:
    QTemporaryDir m_ownFolder; // unused when a mount point is given
    QString m_path;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace norvale::test
