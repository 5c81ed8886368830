#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace norvale {

// The single-instance guard: a local socket named after the program's mutex
// and the user's runtime folder, in Linux's abstract namespace. Binding the
// name is the lock: one process at a time holds it, and the kernel frees it
// when that process ends, however it ends, so nothing is left on disk for a
// later start to trip over. A later start finds the name taken and asks the
// holder, through the socket, to come forward.
class InstanceLock : public QObject {
    Q_OBJECT
public:
    explicit InstanceLock(const QString& name, QObject* parent = nullptr);
    ~InstanceLock() override;

    // False when another running instance holds the name.
    bool tryAcquire();
    // Asks the running instance to come forward; false when none answered.
    bool callHolder();
    QString socketName() const { return m_name; }

Q_SIGNALS:
    // A later start asked this instance to come forward.
    void called();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace norvale
