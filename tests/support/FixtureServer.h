#pragma once

#include <memory>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <utility>

class QProcess;

namespace norvale::test {

// The fixture web server (fixture_server.py, whose header lists its endpoints)
// on a free port of 127.0.0.1 for as long as the object lives; the constructor
// throws std::runtime_error when it does not start.
class FixtureServer {
public:
    FixtureServer();
    ~FixtureServer();
    Q_DISABLE_COPY(FixtureServer)

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:PORT" + pathAndQuery.
    QString url(const QString& pathAndQuery) const;

    // "/raw?data=..." answering with exactly these bytes, after delayMs and at
    // trickle bytes a second when trickle is above 0.
    static QString rawPath(const QByteArray& response, int delayMs = 0, int trickle = 0);
    // endpoint + "?" + the query items, names and values percent-encoded, e.g.
    // path("/page", {{"status", "404"}, {"header", "Content-Type: text/html"}}).
    static QString path(const QString& endpoint, const QList<std::pair<QString, QString>>& query);

private:
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
};

// One fixture server for a whole test program, started at first use: the
// counts it keeps span every test of the program.
inline FixtureServer& server()
{
    static FixtureServer instance;
    return instance;
}

// Starts a test server (program with arguments) that prints its port on
// its first line, then only errors, and leaves when its standard input
// closes; returns the port, or throws std::runtime_error saying that `what`
// did not start.
quint16 StartPortPrintingServer(QProcess& process, const QString& program,
                                const QStringList& arguments, const char* what);

// A self-signed certificate and key for 127.0.0.1, made by openssl in a
// temporary folder; the constructor throws std::runtime_error when it fails.
class TestCertificate {
public:
    TestCertificate();
    QString certFile() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    QString keyFile() const { return m_dir.filePath(QStringLiteral("key.pem")); }

private:
    QTemporaryDir m_dir;
};

} // namespace norvale::test
