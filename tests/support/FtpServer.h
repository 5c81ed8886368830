#pragma once

#include "TempFavorites.h"

#include <memory>
#include <QByteArray>
#include <QString>

class QProcess;

namespace norvale::test {

// The test FTP server (ftp_server.py, on Debian's pyftpdlib) on a free port
// of 127.0.0.1 for as long as the object lives, serving a temporary folder
// read-only: to anonymous users, and to User with Password (another
// password gets 530, a missing file 550). The constructor throws
// std::runtime_error when it does not start.
class FtpServer {
public:
    static constexpr const char* User = "user";
    static constexpr const char* Password = "secret";

    FtpServer();
    ~FtpServer();
    Q_DISABLE_COPY(FtpServer)

    quint16 port() const { return m_port; }
    // "ftp://127.0.0.1:PORT" + path; with userInfo ("user:secret") before
    // the host when it is not empty.
    QString url(const QString& path, const QString& userInfo = {}) const;

    // The folder served, and a file in it (folders made as needed).
    QString folder() const { return m_temp.path(); }
    QString writeFile(const QString& relativePath, const QByteArray& bytes) const;

private:
    TempFolder m_temp;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
};

} // namespace norvale::test
