#include "InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace norvale {

namespace {

// How long a later start waits for the running one to take its call.
constexpr int kCallMs = 3000;

// One name per user and runtime folder (a test's own folder gives it an
// instance of its own). Abstract names are not files, so the folder only
// tells users and sessions apart; a long one is shortened to its hash.
QString socketNameFor(const QString& name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder =
        !runtime.isEmpty() && QFileInfo(runtime).isDir()
            ? QDir(runtime).absolutePath()
            : QDir::tempPath() + QStringLiteral("/uid") + QString::number(getuid());
    QString full = folder + QLatin1Char('/') + name;
    constexpr int kLongestName = 100; // sun_path holds 108 bytes
    if (full.toUtf8().size() <= kLongestName)
        return full;
    return QStringLiteral("norvale-") + name + QLatin1Char('-') +
           QString::fromLatin1(QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256)
                                   .toHex(0)
                                   .left(32));
}

} // namespace

InstanceLock::InstanceLock(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(socketNameFor(name))
{}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryAcquire()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!m_server->listen(m_name)) {
        // Any other failure leaves this start unguarded rather than unable
        // to open the window at all.
        return m_server->serverError() != QAbstractSocket::AddressInUseError;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = m_server->nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            caller->disconnectFromServer();
            Q_EMIT called();
        }
    });
    return true;
}

bool InstanceLock::callHolder()
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kCallMs))
        return false;
    socket.write("forward\n");
    socket.waitForBytesWritten(kCallMs);
    socket.disconnectFromServer();
    return true;
}

} // namespace norvale
