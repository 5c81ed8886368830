#include "FixtureServer.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <stdexcept>

namespace norvale::test {

quint16 StartPortPrintingServer(QProcess& process, const QString& program,
                                const QStringList& arguments, const char* what)
{
    // The server prints its port, then only errors; it leaves when its standard
    // input closes, so it never outlives this process.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    QByteArray line;
    while (!line.endsWith('\n') && process.waitForReadyRead(20000))
        line += process.readAllStandardOutput();
    const quint16 port = line.trimmed().toUShort();
    if (port == 0) {
        process.kill();
        process.waitForFinished(5000);
        throw std::runtime_error(std::string(what) +
                                 " did not start: " + process.errorString().toStdString());
    }
    return port;
}

FixtureServer::FixtureServer()
    : m_process(std::make_unique<QProcess>())
{
    m_port = StartPortPrintingServer(*m_process, QStringLiteral("python3"),
                                     {QStringLiteral(NORVALE_FIXTURE_SERVER)}, "fixture server");
}

FixtureServer::~FixtureServer()
{
    m_process->kill();
    m_process->waitForFinished(5000);
}

QString FixtureServer::url(const QString& pathAndQuery) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(pathAndQuery);
}

QString FixtureServer::rawPath(const QByteArray& response, int delayMs, int trickle)
{
    const QByteArray data =
        response.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    return QStringLiteral("/raw?data=%1&delay=%2&trickle=%3")
        .arg(QString::fromLatin1(data))
        .arg(delayMs)
        .arg(trickle);
}

QString FixtureServer::path(const QString& endpoint,
                            const QList<std::pair<QString, QString>>& query)
{
    QStringList items;
    for (const auto& [name, value] : query)
        items << QString::fromLatin1(QUrl::toPercentEncoding(name) + '=' +
                                     QUrl::toPercentEncoding(value));
    return items.isEmpty() ? endpoint : endpoint + u'?' + items.join(u'&');
}

TestCertificate::TestCertificate()
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                                 "-addext subjectAltName=IP:127.0.0.1 -keyout %1 -out %2")
                      .arg(keyFile(), certFile())
                      .split(u' '));
    openssl.closeWriteChannel();
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0 ||
        QFileInfo(certFile()).size() == 0)
        throw std::runtime_error("test certificate: openssl failed:\n" +
                                 openssl.readAll().toStdString());
}

} // namespace norvale::test
