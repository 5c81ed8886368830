#include "FtpServer.h"

#include "FixtureServer.h"

#include <QProcess>

namespace norvale::test {

FtpServer::FtpServer()
    : m_process(std::make_unique<QProcess>())
{
    // Debian's own Python: pyftpdlib is installed for it, and a python3 found
    // earlier on PATH (a virtual environment, pyenv) may not have it.
    m_port = StartPortPrintingServer(*m_process, QStringLiteral("/usr/bin/python3"),
                                     {QStringLiteral(NORVALE_FTP_SERVER), folder()}, "FTP server");
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
