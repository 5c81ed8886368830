#include "InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace norvale {

InstanceLock::InstanceLock(const QString& name)
{
    // The per-user runtime folder; the shared temporary folder otherwise,
    // with the user in the name so that users do not block each other.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        m_path = runtime + QLatin1Char('/') + name + QStringLiteral(".lock");
    else
        m_path = QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') +
                 QString::number(getuid()) + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a dead owner makes a lock stale, never its age.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryAcquire()
{
    return m_lock->tryLock(0);
}

} // namespace norvale
