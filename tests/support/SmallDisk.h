#pragma once

#include <memory>
#include <QString>
#include <QTemporaryDir>

namespace norvale::test {

// A real file system of its own, 64 KB of tmpfs, to see what writes do when
// the disk is full: mounted on the given empty folder, or on a temporary
// folder of its own. Mounting needs root; where it is refused, mounted() is
// false and reason() says why, for the test to skip with.
class SmallDisk {
public:
    explicit SmallDisk(const QString& mountPoint = QString());
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    QString path() const { return m_path; }
    QString path(const QString& relative) const { return m_path + QLatin1Char('/') + relative; }

    // Takes every byte still free, with a file named "filler".
    void fill() const;

private:
    std::unique_ptr<QTemporaryDir> m_ownFolder; // when no mount point is given
    QString m_path;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace norvale::test
