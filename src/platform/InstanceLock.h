#pragma once

#include <memory>
#include <QLockFile>
#include <QString>

namespace norvale {

// The single-instance guard: a lock file named after the program's mutex in
// the user's runtime folder, held until the process ends. A lock left by a
// process that no longer runs is taken over.
class InstanceLock {
public:
    explicit InstanceLock(const QString& name);
    ~InstanceLock();

    // False when another running instance holds the lock.
    bool tryAcquire();
    QString filePath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace norvale
