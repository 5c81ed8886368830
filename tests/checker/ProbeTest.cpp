// The probe over real HTTP against the fixture server on 127.0.0.1.

#include "checker/Probe.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "shell/AppSettings.h"
#include "support/FixtureServer.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>
#include <QTimeZone>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;

namespace {

FixtureServer& server()
{
    static FixtureServer instance;
    return instance;
}

QString page(const QList<std::pair<QString, QString>>& query)
{
    return server().url(FixtureServer::path(QStringLiteral("/page"), query));
}

QString raw(const QByteArray& response, int delayMs = 0, int trickle = 0)
{
    return server().url(FixtureServer::rawPath(response, delayMs, trickle));
}

class ProbeTest : public testing::Test {
protected:
    LinkResult check(const QString& url, int timeoutMs = 1000)
    {
        return m_probe.CheckLink(url, timeoutMs);
    }

    FixedClock m_clock{QDateTime(QDate(2026, 6, 1), QTime(12, 0))};
    AppSettings m_settings;
    TransferEngine m_engine;
    TransferControl m_control{m_engine};
    Probe m_probe{m_control, m_settings, m_clock};
};

TEST_F(ProbeTest, AlivePageGivesItsCleanedTitleAndDate)
{
    const LinkResult result =
        check(page({{"body", "<html><TITLE>Tom &amp; Jerry&#33;</TITLE>"},
                    {"header", "Last-Modified: Wed, 21 Oct 2015 07:28:00 GMT"}}));
    EXPECT_EQ(result.Status, LinkResult::Alive);
    EXPECT_EQ(result.Title, QStringLiteral("Tom & Jerry!"));
    EXPECT_EQ(result.Redirect, QString());
    EXPECT_EQ(result.LastModified, QDateTime(QDate(2015, 10, 21), QTime(7, 28), QTimeZone::utc()));
}

TEST_F(ProbeTest, PageWithoutTitleOrDateIsAliveAtTheCurrentTime)
{
    const LinkResult result =
        check(page({{"body", "<p>no title</p>"}, {"header", "Last-Modified: yesterday-ish GMT"}}));
    EXPECT_EQ(result.Status, LinkResult::Alive);
    EXPECT_EQ(result.Title, QString());
    EXPECT_EQ(result.LastModified.date(), QDate(2026, 6, 1));
}

TEST_F(ProbeTest, EmptyAnswerIsDead)
{
    EXPECT_EQ(check(page({})).Status, LinkResult::Dead);
}

TEST_F(ProbeTest, ErrorTitlesAreDeadWithTheirTitleAsItStands)
{
    const LinkResult notFound = check(page({{"body", "<title>404 Not Found &amp;c</title>"}}));
    EXPECT_EQ(notFound.Status, LinkResult::Dead);
    EXPECT_EQ(notFound.Title, QStringLiteral("404 Not Found &amp;c"));
    EXPECT_EQ(check(page({{"body", "<title>Errors and omissions</title>"}})).Status,
              LinkResult::Dead);
}

TEST_F(ProbeTest, NotFoundAndGoneStatusesAreDeadWhateverTheTitle)
{
    const LinkResult missing = check(page({{"status", "404"}, {"body", "<title>Welcome</title>"}}));
    EXPECT_EQ(missing.Status, LinkResult::Dead);
    EXPECT_EQ(check(page({{"status", "410"}, {"body", "<title>Welcome</title>"}})).Status,
              LinkResult::Gone);
    EXPECT_EQ(check(page({{"status", "500"}, {"body", "<title>Welcome</title>"}})).Status,
              LinkResult::Alive)
        << "other statuses are judged by the page";
}

TEST_F(ProbeTest, RedirectIsAliveWithItsTargetResolved)
{
    const QString url = server().url(QStringLiteral("/redirect?to=/new&status=301"));
    const LinkResult result = check(url);
    EXPECT_EQ(result.Status, LinkResult::Alive);
    EXPECT_FALSE(result.Successful) << "a redirect's page never names a favorite";
    EXPECT_EQ(result.Redirect, server().url(QStringLiteral("/new")));
    const LinkResult loop = check(server().url(QStringLiteral("/loop")));
    EXPECT_EQ(loop.Status, LinkResult::Alive);
    EXPECT_EQ(loop.Redirect, server().url(QStringLiteral("/loop")));
}

TEST_F(ProbeTest, OddRedirectsGiveNoTarget)
{
    const LinkResult noLineEnd =
        check(raw("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: /somewhere"));
    EXPECT_EQ(noLineEnd.Redirect, QString());
    const LinkResult openQuote = check(
        page({{"body", "<title>Moved</title><meta http-equiv=\"refresh\" content=\"0; URL=/x>"}}));
    EXPECT_EQ(openQuote.Status, LinkResult::Alive);
    EXPECT_EQ(openQuote.Redirect, QString());
    const LinkResult refresh = check(page(
        {{"body", "<meta http-equiv=\"refresh\" content=\"0; URL=http://127.0.0.1/moved\">"}}));
    EXPECT_EQ(refresh.Redirect, QStringLiteral("http://127.0.0.1/moved"));
}

TEST_F(ProbeTest, ParkedDomainIsDead)
{
    m_settings.ParkingHost = QStringLiteral("parking.example.test");
    const LinkResult parked =
        check(raw("HTTP/1.1 302 Found\r\nLocation: http://parking.example.test/?&domain=mine\r\n"
                  "Content-Length: 0\r\n\r\n"));
    EXPECT_EQ(parked.Status, LinkResult::Dead);
}

TEST_F(ProbeTest, SilentServerIsNoAnswer)
{
    const LinkResult result = check(server().url(QStringLiteral("/silent?ms=5000")), 500);
    EXPECT_EQ(result.Status, LinkResult::NoAnswer);
    EXPECT_EQ(result.Title, QString());
}

TEST_F(ProbeTest, AnswerCutByTheTimeOutIsNoAnswerWhateverHadArrived)
{
    // The status line and headers, then a stall; or part of a page, then a
    // stall: neither says the site is dead, nor that it lives.
    const QString headersOnly = server().url(QStringLiteral("/drop?after=0&length=100&hold=3000"));
    const QString partOfPage = raw("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"
                                   "<html><title>Slow but there</title>" +
                                       QByteArray(2000, ' '),
                                   0, 400);
    for (const QString& url : {headersOnly, partOfPage}) {
        const LinkResult result = check(url, 500);
        EXPECT_EQ(result.Status, LinkResult::NoAnswer) << url.toStdString();
        EXPECT_EQ(result.Title, QString());
    }
}

TEST_F(ProbeTest, DroppedConnectionIsNoAnswer)
{
    EXPECT_EQ(check(server().url(QStringLiteral("/drop?after=100&length=5000"))).Status,
              LinkResult::NoAnswer);
}

TEST_F(ProbeTest, HugeAndCompressedPagesAreReadUpToTheCap)
{
    const LinkResult big = check(server().url(QStringLiteral("/big?size=20000000")), 2000);
    EXPECT_EQ(big.Status, LinkResult::Alive);
    EXPECT_EQ(big.Title, QStringLiteral("Big"));
    const LinkResult bomb = check(server().url(QStringLiteral("/gzipbomb")), 2000);
    EXPECT_EQ(bomb.Status, LinkResult::Alive);
    EXPECT_EQ(bomb.Title, QStringLiteral("Bomb"));
    ASSERT_NE(m_control.lastOutcome(), nullptr);
    EXPECT_TRUE(m_control.lastOutcome()->bodyCapped);
    EXPECT_LE(m_control.lastOutcome()->body.size(), 1 << 20) << "memory stays bounded";
    const LinkResult gzip =
        check(server().url(FixtureServer::path("/gzip", {{"body", "<title>Zipped</title>"}})));
    EXPECT_EQ(gzip.Title, QStringLiteral("Zipped"));
}

TEST_F(ProbeTest, HostileTitlesAndHeadersStillGiveAVerdict)
{
    const LinkResult longTitle =
        check(page({{"body", "<title>" + QString(100000, QLatin1Char('t')) + "</title>"}}));
    EXPECT_EQ(longTitle.Title.size(), 100000);
    const QByteArray binaryTitle("<title>\xff\xfe\x00\x01\x80</title>", 20);
    const LinkResult binary =
        check(raw("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + binaryTitle));
    EXPECT_EQ(binary.Status, LinkResult::Alive);
    EXPECT_EQ(binary.Title.size(), 5) << "bytes that are not UTF-8 read as the Windows code page";
    const LinkResult longHeaders =
        check(page({{"padheaders", "65536"}, {"body", "<title>Fine</title>"}}));
    EXPECT_EQ(longHeaders.Status, LinkResult::Alive);
    EXPECT_EQ(longHeaders.Title, QStringLiteral("Fine"));
}

TEST_F(ProbeTest, OnlyWebAndFileTransferAddressesAreFetched)
{
    EXPECT_EQ(check(QStringLiteral("file:///etc/passwd")).Status, LinkResult::NoAnswer);
    EXPECT_EQ(check(QStringLiteral("dict://127.0.0.1:%1/").arg(server().port())).Status,
              LinkResult::NoAnswer);
    EXPECT_EQ(check(QStringLiteral("javascript:alert(1)")).Status, LinkResult::NoAnswer);
}

TEST_F(ProbeTest, PortsInTheHostPartOnly)
{
    const QString withColonInPath =
        page({{"body", "<title>Help:Contents</title>"}}) + QStringLiteral("&x=Help:Contents");
    EXPECT_EQ(check(withColonInPath).Title, QStringLiteral("Help:Contents"));
    EXPECT_EQ(check(QStringLiteral("http://127.0.0.1:notaport/")).Status, LinkResult::NoAnswer);

    AppSettings settings;
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("http://h.test:8080/a"), 1000, settings).port, 8080);
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("https://h.test/a"), 1000, settings).port, 443);
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("ftp://h.test/a"), 1000, settings).port, 21);
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("HTTPS://h.test/a"), 1000, settings).port, 80);
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("http://[::1]:81/a"), 1000, settings).port, 81);
}

TEST(ProbeTarget, TimeOutInWholeSecondsHalfToEven)
{
    const AppSettings settings;
    const QString url = QStringLiteral("http://h.test/");
    EXPECT_EQ(Probe::TargetFor(url, 500, settings).requestTimeoutSeconds, 0);
    EXPECT_EQ(Probe::TargetFor(url, 750, settings).requestTimeoutSeconds, 1);
    EXPECT_EQ(Probe::TargetFor(url, 1000, settings).requestTimeoutSeconds, 1);
    EXPECT_EQ(Probe::TargetFor(url, 1500, settings).requestTimeoutSeconds, 2);
    EXPECT_EQ(Probe::TargetFor(url, 2500, settings).requestTimeoutSeconds, 2);
}

TEST(ProbeTarget, ProxyOnlyWhenAServerIsNamed)
{
    AppSettings settings;
    settings.ProxyMode = ProxyMode::Own;
    settings.ProxyServer = QStringLiteral("px.test");
    settings.ProxyPort = QStringLiteral("3128");
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("http://h.test/"), 1000, settings).proxy,
              QStringLiteral("px.test:3128"));
    settings.ProxyServer.clear();
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("http://h.test/"), 1000, settings).proxy, QString());
    settings.ProxyServer = QStringLiteral("px.test");
    settings.ProxyMode = ProxyMode::None;
    EXPECT_EQ(Probe::TargetFor(QStringLiteral("http://h.test/"), 1000, settings).proxy, QString());
}

TEST_F(ProbeTest, ProxyCarriesTheRequest)
{
    m_settings.ProxyMode = ProxyMode::Own;
    m_settings.ProxyServer = QStringLiteral("127.0.0.1");
    m_settings.ProxyPort = QString::number(server().port());
    const LinkResult result = check(QStringLiteral("http://favorite.invalid") +
                                    FixtureServer::path("/page", {{"body", "<title>Via</title>"}}));
    EXPECT_EQ(result.Status, LinkResult::Alive);
    EXPECT_EQ(result.Title, QStringLiteral("Via"));
}

TEST_F(ProbeTest, RequestNamesNorvale)
{
    check(server().url(QStringLiteral("/echo")));
    EXPECT_THAT(m_control.documentText().toStdString(), HasSubstr("User-Agent: Norvale/"));
}

TEST(ProbeTls, CertificateIsVerifiedAgainstTheTrustedAuthorities)
{
    const TestCertificate certificate;
    FixtureServer tlsServer(certificate.tls());
    FixedClock clock;
    AppSettings settings;
    TransferEngine engine;
    TransferControl control(engine);
    Probe probe(control, settings, clock);
    const QString url =
        tlsServer.url(FixtureServer::path("/page", {{"body", "<title>Secure</title>"}}));
    EXPECT_EQ(probe.CheckLink(url, 2000).Status, LinkResult::NoAnswer) << "not trusted yet";
    control.setCaFile(certificate.certFile());
    const LinkResult trusted = probe.CheckLink(url, 2000);
    EXPECT_EQ(trusted.Status, LinkResult::Alive);
    EXPECT_EQ(trusted.Title, QStringLiteral("Secure"));
}

TEST(TransferControlFetch, ExecuteSendsTheHeaderAndHandsOutTheBodyInChunks)
{
    TransferEngine engine;
    TransferControl control(engine);
    control.setRemotePort(server().port());
    control.setRequestTimeout(2);
    control.setURL(server().url(QStringLiteral("/echo")));
    control.Execute(QString(), QStringLiteral("GET"), QString(),
                    QStringLiteral("Range: bytes=0 - \r\n"));
    control.waitForAnswer();
    EXPECT_TRUE(control.GetHeader().startsWith(QStringLiteral("HTTP/1.1 200")));
    const int length = control.GetHeader(QStringLiteral("content-length")).toInt();
    QByteArray body;
    for (QByteArray chunk = control.GetChunk(16); !chunk.isEmpty(); chunk = control.GetChunk(16)) {
        EXPECT_LE(chunk.size(), 16);
        body += chunk;
    }
    EXPECT_EQ(body.size(), length);
    EXPECT_THAT(body.toStdString(), HasSubstr("Range: bytes=0 - \r\n"));
}

} // namespace
