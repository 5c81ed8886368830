#pragma once

#include "FixtureServer.h"
#include "TempFavorites.h"

#include <memory>
#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>

class QProcess;

namespace norvale::test {

// Debian's nginx (/usr/sbin/nginx) on a free port of 127.0.0.1 for as long as
// the object lives, everything it writes kept in a temporary folder. The
// test gives the lines inside its one server block ("location = /gone {
// return 410; }", "error_page ...", "rewrite ..."); they come after "root"
// (the document root, see writeFile), so a location may set its own. Https
// listens with a certificate for 127.0.0.1 and offers HTTP/2 as well. The
// constructor returns once the port takes connections and throws
// std::runtime_error, with nginx's error log, when it does not start.
class NginxServer {
public:
    enum class Scheme { Http, Https };
    explicit NginxServer(const QStringList& serverLines = {}, Scheme scheme = Scheme::Http);
    ~NginxServer();
    Q_DISABLE_COPY(NginxServer)

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:PORT" + pathAndQuery ("https://" with Https).
    QString url(const QString& pathAndQuery) const;
    // The certificate to trust (TransferControl::setCaFile); empty with Http.
    QString caFile() const { return m_certificate ? m_certificate->certFile() : QString(); }

    // The document root, and a file in it (folders made as needed) that the
    // running server serves at once.
    QString root() const { return m_temp.path(QStringLiteral("root")); }
    QString writeFile(const QString& relativePath, const QByteArray& bytes) const;
    // What nginx has logged so far, for a failing test to show.
    QByteArray errorLog() const;

private:
    QByteArray config(const QStringList& serverLines) const;
    bool start(const QStringList& serverLines);
    void stop();

    TempFolder m_temp;
    std::optional<TestCertificate> m_certificate;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
};

} // namespace norvale::test
