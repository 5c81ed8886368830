#include "FixtureServer.h"

#include <cstdio>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <stdexcept>

namespace norvale::test {

namespace {

constexpr int startTimeoutMs = 20000;

QByteArray readFile(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace

FixtureServer::FixtureServer(std::optional<Tls> tls)
    : m_process(std::make_unique<QProcess>())
    , m_tls(tls.has_value())
{
    if (!m_dir.isValid())
        throw std::runtime_error("fixture server: cannot make a temporary folder");
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    QStringList arguments{QStringLiteral(NORVALE_FIXTURE_SERVER), QStringLiteral("--port-file"),
                          portFile};
    if (tls)
        arguments << QStringLiteral("--tls-cert") << tls->certFile << QStringLiteral("--tls-key")
                  << tls->keyFile;

    // The server leaves when its standard input closes, so it never outlives
    // this process; its error output goes to a file to be shown on failure.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.txt")));
    m_process->start(QStringLiteral("python3"), arguments);
    if (!m_process->waitForStarted(startTimeoutMs))
        throw std::runtime_error("fixture server: cannot start python3: " +
                                 m_process->errorString().toStdString());

    QElapsedTimer waited;
    waited.start();
    while (m_port == 0) {
        const QByteArray text = readFile(portFile).trimmed();
        bool ok = false;
        const uint port = text.toUInt(&ok);
        if (ok && port > 0 && port < 65536) {
            m_port = static_cast<quint16>(port);
            break;
        }
        if (m_process->waitForFinished(50) || m_process->state() == QProcess::NotRunning)
            throw std::runtime_error("fixture server did not start:\n" +
                                     errorOutput().toStdString());
        if (waited.elapsed() > startTimeoutMs) {
            m_process->kill();
            m_process->waitForFinished(5000);
            throw std::runtime_error("fixture server did not start in time:\n" +
                                     errorOutput().toStdString());
        }
    }
}

FixtureServer::~FixtureServer()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    const QByteArray errors = errorOutput();
    if (!errors.isEmpty())
        std::fprintf(stderr, "fixture server wrote:\n%s\n", errors.constData());
}

QString FixtureServer::url(const QString& pathAndQuery) const
{
    return (m_tls ? QStringLiteral("https://127.0.0.1:") : QStringLiteral("http://127.0.0.1:")) +
           QString::number(m_port) + pathAndQuery;
}

QByteArray FixtureServer::errorOutput() const
{
    return readFile(m_dir.filePath(QStringLiteral("stderr.txt")));
}

QString FixtureServer::rawPath(const QByteArray& response, int delayMs, int trickle)
{
    QString result = QStringLiteral("/raw?data=") +
                     QString::fromLatin1(response.toBase64(QByteArray::Base64UrlEncoding |
                                                           QByteArray::OmitTrailingEquals));
    if (delayMs > 0)
        result += QStringLiteral("&delay=") + QString::number(delayMs);
    if (trickle > 0)
        result += QStringLiteral("&trickle=") + QString::number(trickle);
    return result;
}

QString FixtureServer::path(const QString& endpoint,
                            const QList<std::pair<QString, QString>>& query)
{
    QString result = endpoint;
    QChar separator = QLatin1Char('?');
    for (const auto& [name, value] : query) {
        result += separator + QString::fromLatin1(QUrl::toPercentEncoding(name)) +
                  QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value));
        separator = QLatin1Char('&');
    }
    return result;
}

TestCertificate::TestCertificate()
{
    if (!m_dir.isValid())
        throw std::runtime_error("test certificate: cannot make a temporary folder");
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), keyFile(), QStringLiteral("-out"), certFile()});
    openssl.closeWriteChannel();
    if (!openssl.waitForFinished(60000)) {
        openssl.kill();
        openssl.waitForFinished(5000);
        throw std::runtime_error("test certificate: openssl did not finish: " +
                                 openssl.errorString().toStdString());
    }
    if (openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0 ||
        certPem().isEmpty())
        throw std::runtime_error("test certificate: openssl failed:\n" +
                                 openssl.readAll().toStdString());
}

QByteArray TestCertificate::certPem() const
{
    return readFile(certFile());
}

} // namespace norvale::test
