#include "FtpServer.h"

#include <QProcess>
#include <QStringList>
#include <stdexcept>

namespace norvale::test {

FtpServer::FtpServer()
    : m_process(std::make_unique<QProcess>())
{
    // Debian's own Python: pyftpdlib is installed for it, and a python3 found
    // earlier on PATH (a virtual environment, pyenv) may not have it.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(NORVALE_FTP_SERVER), folder()});
    // It prints its port, then only errors, and leaves when its standard
    // input closes, so it never outlives this process.
    QByteArray line;
    while (!line.endsWith('\n') && m_process->waitForReadyRead(20000))
        line += m_process->readAllStandardOutput();
    m_port = line.trimmed().toUShort();
    if (m_port == 0) {
        m_process->kill();
        m_process->waitForFinished(5000);
        throw std::runtime_error("FTP server did not start: " +
                                 m_process->errorString().toStdString());
    }
}

FtpServer::~FtpServer()
{
    m_process->kill();
    m_process->waitForFinished(5000);
}

QString FtpServer::url(const QString& path, const QString& userInfo) const
{
    const QString login = userInfo.isEmpty() ? QString() : userInfo + u'@';
    return QStringLiteral("ftp://") + login + QStringLiteral("127.0.0.1:%1").arg(m_port) + path;
}

QString FtpServer::writeFile(const QString& relativePath, const QByteArray& bytes) const
{
    return m_temp.file(relativePath, bytes);
}

} // namespace norvale::test
