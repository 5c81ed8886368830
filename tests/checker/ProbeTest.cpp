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

// A path on the fixture server becomes its address there; anything else
// stands as written.
QString address(const QString& pathOrUrl)
{
    return pathOrUrl.startsWith(QLatin1Char('/')) ? server().url(pathOrUrl) : pathOrUrl;
}

QString page(const QList<std::pair<QString, QString>>& query)
{
    return FixtureServer::path(QStringLiteral("/page"), query);
}

class ProbeTest : public testing::Test {
protected:
    LinkResult check(const QString& url, int timeoutMs = 1000)
    {
        return m_probe.CheckLink(address(url), timeoutMs);
    }

    FixedClock m_clock{QDateTime(QDate(2026, 6, 1), QTime(12, 0))};
    AppSettings m_settings;
    TransferEngine m_engine;
    TransferControl m_control{m_engine};
    Probe m_probe{m_control, m_settings, m_clock};
};

TEST_F(ProbeTest, EachAnswerGivesItsVerdictTitleAndRedirect)
{
    const QByteArray longTitle(100000, 't');
    const struct {
        QString url;
        LinkResult::Verdict status;
        QString title;
        QString redirect; // a path here is on the fixture server
        int timeoutMs = 1000;
    } rows[] = {
        {page({{"body", "<html><TITLE>Tom &amp; Jerry&#33;</TITLE>"}}),
         LinkResult::Alive,
         "Tom & Jerry!",
         {}},
        {page({{"body", "<p>no title</p>"}}), LinkResult::Alive, {}, {}},
        {page({}), LinkResult::Dead, {}, {}},
        {page({{"body", "<title>404 Not Found &amp;c</title>"}}),
         LinkResult::Dead,
         "404 Not Found &amp;c",
         {}},
        {page({{"body", "<title>Errors and omissions</title>"}}),
         LinkResult::Dead,
         "Errors and omissions",
         {}},
        {page({{"status", "404"}, {"body", "<title>Welcome</title>"}}),
         LinkResult::Dead,
         "Welcome",
         {}},
        {page({{"status", "410"}, {"body", "<title>Welcome</title>"}}),
         LinkResult::Gone,
         "Welcome",
         {}},
        {page({{"status", "500"}, {"body", "<title>Welcome</title>"}}),
         LinkResult::Alive,
         "Welcome",
         {}},
        {"/redirect?to=/new&status=301", LinkResult::Alive, {}, "/new"},
        {"/loop", LinkResult::Alive, {}, "/loop"},
        {FixtureServer::rawPath("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: /somewhere"),
         LinkResult::Dead,
         {},
         {}},
        {page({{"body", "<title>Moved</title><meta http-equiv=\"refresh\" content=\"0; URL=/x>"}}),
         LinkResult::Alive,
         "Moved",
         {}},
        {page(
             {{"body", "<meta http-equiv=\"refresh\" content=\"0; URL=http://127.0.0.1/moved\">"}}),
         LinkResult::Alive,
         {},
         "http://127.0.0.1/moved"},
        {"/silent?ms=5000", LinkResult::NoAnswer, {}, {}, 500},
        // Cut by the time-out: status line and headers, or part of a page.
        {"/drop?after=0&length=100&hold=3000", LinkResult::NoAnswer, {}, {}, 500},
        {FixtureServer::rawPath("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"
                                "<html><title>Slow but there</title>" +
                                    QByteArray(2000, ' '),
                                0, 400),
         LinkResult::NoAnswer,
         {},
         {},
         500},
        {"/drop?after=100&length=5000", LinkResult::NoAnswer, {}, {}},
        {"/big?size=20000000", LinkResult::Alive, "Big", {}, 2000},
        {"/gzipbomb", LinkResult::Alive, "Bomb", {}, 2000},
        {FixtureServer::path("/gzip", {{"body", "<title>Zipped</title>"}}),
         LinkResult::Alive,
         "Zipped",
         {}},
        {page({{"body", "<title>" + longTitle + "</title>"}}), LinkResult::Alive, longTitle, {}},
        {page({{"padheaders", "65536"}, {"body", "<title>Fine</title>"}}),
         LinkResult::Alive,
         "Fine",
         {}},
        {page({{"body", "<title>Help:Contents</title>"}}) + "&x=Help:Contents",
         LinkResult::Alive,
         "Help:Contents",
         {}},
        // Only web and file transfer addresses are fetched.
        {"file:///etc/passwd", LinkResult::NoAnswer, {}, {}},
        {"javascript:alert(1)", LinkResult::NoAnswer, {}, {}},
        {QStringLiteral("dict://127.0.0.1:%1/").arg(server().port()), LinkResult::NoAnswer, {}, {}},
        {"http://127.0.0.1:notaport/", LinkResult::NoAnswer, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url.left(120).toStdString());
        const LinkResult result = check(row.url, row.timeoutMs);
        EXPECT_EQ(result.Status, row.status);
        EXPECT_EQ(result.Title, row.title);
        EXPECT_EQ(result.Redirect, row.redirect.isEmpty() ? QString() : address(row.redirect));
        if (row.url.startsWith(QLatin1String("/redirect")) || row.url == QLatin1String("/loop")) {
            EXPECT_FALSE(result.Successful) << "a redirect's page never names a favorite";
        }
    }
}

TEST_F(ProbeTest, PageDateIsItsOwnOrNow)
{
    EXPECT_EQ(check(page({{"body", "<p>x</p>"},
                          {"header", "Last-Modified: Wed, 21 Oct 2015 07:28:00 GMT"}}))
                  .LastModified,
              QDateTime(QDate(2015, 10, 21), QTime(7, 28), QTimeZone::utc()));
    EXPECT_EQ(check(page({{"body", "<p>x</p>"}, {"header", "Last-Modified: yesterday-ish GMT"}}))
                  .LastModified.date(),
              QDate(2026, 6, 1));
}

TEST_F(ProbeTest, BinaryTitleAndHugePagesStayBounded)
{
    const QByteArray binaryTitle("<title>\xff\xfe\x00\x01\x80</title>", 20);
    const LinkResult binary = check(
        FixtureServer::rawPath("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + binaryTitle));
    EXPECT_EQ(binary.Status, LinkResult::Alive);
    EXPECT_EQ(binary.Title.size(), 5) << "bytes that are not UTF-8 read as the Windows code page";
    check(QStringLiteral("/gzipbomb"), 2000);
    ASSERT_NE(m_control.lastOutcome(), nullptr);
    EXPECT_TRUE(m_control.lastOutcome()->bodyCapped);
    EXPECT_LE(m_control.lastOutcome()->body.size(), 1 << 20) << "memory stays bounded";
}

TEST_F(ProbeTest, ParkedDomainIsDead)
{
    m_settings.ParkingHost = QStringLiteral("parking.example.test");
    EXPECT_EQ(
        check(FixtureServer::rawPath(
                  "HTTP/1.1 302 Found\r\nLocation: http://parking.example.test/?&domain=mine\r\n"
                  "Content-Length: 0\r\n\r\n"))
            .Status,
        LinkResult::Dead);
}

TEST(ProbeTarget, PortTimeOutAndProxyFollowTheAddressAndSettings)
{
    AppSettings settings;
    const struct {
        const char* url;
        int timeoutMs;
        int port;
        int seconds; // whole seconds, half to even
    } rows[] = {
        {"http://h.test:8080/a", 500, 8080, 0}, {"https://h.test/a", 750, 443, 1},
        {"ftp://h.test/a", 1000, 21, 1},        {"HTTPS://h.test/a", 1500, 80, 2},
        {"http://[::1]:81/a", 2500, 81, 2},
    };
    for (const auto& row : rows) {
        const ProbeTarget target =
            Probe::TargetFor(QString::fromLatin1(row.url), row.timeoutMs, settings);
        EXPECT_EQ(target.port, row.port) << row.url;
        EXPECT_EQ(target.requestTimeoutSeconds, row.seconds) << row.url;
    }
    const QString url = QStringLiteral("http://h.test/");
    settings.ProxyMode = ProxyMode::Own;
    settings.ProxyServer = QStringLiteral("px.test");
    settings.ProxyPort = QStringLiteral("3128");
    EXPECT_EQ(Probe::TargetFor(url, 1000, settings).proxy, QStringLiteral("px.test:3128"));
    settings.ProxyServer.clear();
    EXPECT_EQ(Probe::TargetFor(url, 1000, settings).proxy, QString());
    settings.ProxyServer = QStringLiteral("px.test");
    settings.ProxyMode = ProxyMode::None;
    EXPECT_EQ(Probe::TargetFor(url, 1000, settings).proxy, QString());
}

TEST_F(ProbeTest, ProxyCarriesTheRequest)
{
    m_settings.ProxyMode = ProxyMode::Own;
    m_settings.ProxyServer = QStringLiteral("127.0.0.1");
    m_settings.ProxyPort = QString::number(server().port());
    const LinkResult result =
        check(QStringLiteral("http://favorite.invalid") + page({{"body", "<title>Via</title>"}}));
    EXPECT_EQ(result.Status, LinkResult::Alive);
    EXPECT_EQ(result.Title, QStringLiteral("Via"));
}

TEST_F(ProbeTest, RequestNamesNorvale)
{
    check(QStringLiteral("/echo"));
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
