#include "NginxServer.h"

#include <csignal>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

namespace norvale::test {
namespace {

const char* const kNginx = "/usr/sbin/nginx";
// Each attempt that finds its port taken costs nginx's own bind retries
// (about two seconds), so a few are plenty.
constexpr int kStartAttempts = 4;

// The port the system hands out for port 0, free at that moment; another
// process may take it before nginx binds it, hence the retries.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

bool acceptsConnections(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(1000);
}

QString quoted(const QString& path)
{
    return u'"' + path + u'"';
}

} // namespace

NginxServer::NginxServer(const QStringList& serverLines, Scheme scheme)
{
    if (scheme == Scheme::Https)
        m_certificate.emplace();
    m_temp.folder(QStringLiteral("root"));
    m_temp.folder(QStringLiteral("temp")); // nginx makes only the last folder of a temp path
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (start(serverLines))
            return;
        stop();
        if (!errorLog().contains("Address already in use"))
            break;
    }
    const QString why =
        m_process->error() == QProcess::FailedToStart
            ? m_process->errorString()
            : QString::fromLocal8Bit(errorLog().isEmpty() ? m_temp.read("nginx.out") : errorLog());
    throw std::runtime_error("nginx did not start:\n" + why.toStdString());
}

NginxServer::~NginxServer()
{
    stop();
}

QString NginxServer::url(const QString& pathAndQuery) const
{
    return QStringLiteral("http%1://127.0.0.1:%2%3")
        .arg(m_certificate ? "s" : "")
        .arg(m_port)
        .arg(pathAndQuery);
}

QString NginxServer::writeFile(const QString& relativePath, const QByteArray& bytes) const
{
    return m_temp.file(QStringLiteral("root/") + relativePath, bytes);
}

QByteArray NginxServer::errorLog() const
{
    return m_temp.read(QStringLiteral("error.log"));
}

QByteArray NginxServer::config(const QStringList& serverLines) const
{
    QStringList lines;
    // As root the workers would otherwise switch to nobody, who cannot read
    // the temporary folder; as anyone else nginx only warns about the line.
    if (geteuid() == 0)
        lines << QStringLiteral("user root;");
    lines << QStringLiteral("daemon off;") << QStringLiteral("master_process on;")
          << QStringLiteral("worker_processes 1;")
          << QStringLiteral("pid %1;").arg(quoted(m_temp.path("nginx.pid")))
          << QStringLiteral("error_log %1 warn;").arg(quoted(m_temp.path("error.log")))
          << QStringLiteral("events { worker_connections 64; }") << QStringLiteral("http {")
          << QStringLiteral("include /etc/nginx/mime.types;")
          << QStringLiteral("default_type application/octet-stream;")
          << QStringLiteral("access_log off;");
    // Debian's defaults point into /var/lib/nginx, which is not ours to use.
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        lines << QStringLiteral("%1_temp_path %2;")
                     .arg(kind, quoted(m_temp.path(QStringLiteral("temp/") + kind)));
    lines << QStringLiteral("server {")
          << QStringLiteral("listen 127.0.0.1:%1%2;")
                 .arg(m_port)
                 .arg(m_certificate ? " ssl http2" : "")
          << QStringLiteral("server_name 127.0.0.1;")
          << QStringLiteral("root %1;").arg(quoted(root()));
    if (m_certificate)
        lines << QStringLiteral("ssl_certificate %1;").arg(quoted(m_certificate->certFile()))
              << QStringLiteral("ssl_certificate_key %1;").arg(quoted(m_certificate->keyFile()));
    lines << serverLines << QStringLiteral("}") << QStringLiteral("}");
    return lines.join(u'\n').toUtf8() + '\n';
}

// True once nginx listens on a newly chosen port. The pid file tells that
// this nginx bound the port (it is written after binding), the connection
// that the port is served.
bool NginxServer::start(const QStringList& serverLines)
{
    m_port = freePort();
    for (const char* stale : {"nginx.pid", "error.log", "nginx.out"})
        QFile::remove(m_temp.path(stale));
    const QString configFile = m_temp.file(QStringLiteral("nginx.conf"), config(serverLines));
    m_process = std::make_unique<QProcess>();
    // Output to a file, not a pipe that nobody reads while tests run.
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(m_temp.path(QStringLiteral("nginx.out")));
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setChildProcessModifier([] {
        setpgid(0, 0);                    // a group of its own, so that stop() can kill the workers
        prctl(PR_SET_PDEATHSIG, SIGTERM); // a test that crashes leaves no nginx behind
    });
    m_process->start(QString::fromLatin1(kNginx),
                     {QStringLiteral("-p"), m_temp.path() + u'/', QStringLiteral("-c"), configFile,
                      QStringLiteral("-e"), m_temp.path(QStringLiteral("error.log"))});
    if (!m_process->waitForStarted(10000))
        return false;
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (QFile(m_temp.path("nginx.pid")).size() > 0 && acceptsConnections(m_port))
            return true;
        if (m_process->waitForFinished(50))
            return false;
    }
    return false;
}

// Quit lets the workers finish what they serve; the kill is for an nginx
// that does not leave in time, and takes its workers along.
void NginxServer::stop()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    const auto master = pid_t(m_process->processId());
    ::kill(master, SIGQUIT);
    if (!m_process->waitForFinished(3000)) {
        ::kill(-master, SIGKILL);
        m_process->waitForFinished(3000);
    }
}

} // namespace norvale::test
