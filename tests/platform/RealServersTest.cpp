// Norvale's own transfers against a real nginx and a real FTP server: the
// servers that the verdict tests judge answers from do answer.

#include "platform/NorvaleError.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "support/FtpServer.h"
#include "support/NginxServer.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QUrl>

namespace norvale::test {
namespace {

const QByteArray kPage = "<title>Served</title>";
const QStringList kGone{QStringLiteral("location = /gone { return 410; }")};

// Started once for the whole program, each with the same page to serve.
struct RealServers {
    RealServers()
    {
        http.writeFile(QStringLiteral("dir/page.html"), kPage);
        https.writeFile(QStringLiteral("dir/page.html"), kPage);
        ftp.writeFile(QStringLiteral("file.txt"), kPage);
    }
    NginxServer http{kGone};
    NginxServer https{kGone, NginxServer::Scheme::Https};
    FtpServer ftp;
};
RealServers& servers()
{
    static RealServers instance;
    return instance;
}

// "status result title" of one fetch, trusting the test certificate; the
// title is that of the page served or of nginx's own error page.
QString fetched(const QString& url)
{
    TransferEngine engine;
    TransferControl control(engine);
    control.setRemotePort(QUrl(url).port());
    control.setRequestTimeout(5);
    control.setCaFile(servers().https.caFile());
    try {
        control.OpenURL(url);
    } catch (const NorvaleError&) {
        // The outcome tells what failed.
    }
    const TransferOutcome* outcome = control.lastOutcome();
    if (!outcome)
        return QStringLiteral("<no transfer>");
    const char* const results[] = {"running", "complete", "timed-out", "failed"};
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
    return QStringLiteral("%1 %2 %3")
        .arg(outcome->httpStatus)
        .arg(results[int(outcome->result)])
        .arg(title.match(QString::fromUtf8(outcome->body)).captured(1));
}

TEST(RealServers, NginxAndFtpAnswerNorvalesTransfers)
{
    RealServers& real = servers();
    const std::pair<QString, QString> rows[] = {
        {real.http.url("/gone"), "410 complete 410 Gone"},
        {real.http.url("/dir/page.html"), "200 complete Served"},
        {real.https.url("/dir/page.html"), "200 complete Served"},
        {real.https.url("/missing.html"), "404 complete 404 Not Found"},
        {real.ftp.url("/file.txt"), "226 complete Served"},
        {real.ftp.url("/file.txt", "user:secret"), "226 complete Served"},
        {real.ftp.url("/file.txt", "user:wrong"), "530 failed "},
        {real.ftp.url("/missing.txt"), "550 failed "},
    };
    for (const auto& [url, want] : rows) {
        SCOPED_TRACE(url.toStdString());
        EXPECT_EQ(fetched(url), want);
    }
}

} // namespace
} // namespace norvale::test
