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
    return pathOrUrl.startsWith('/') ? server().url(pathOrUrl) : pathOrUrl;
}
QString page(const QString& body, const QString& status = "200")
{
    return FixtureServer::path("/page", {{"body", body}, {"status", status}});
}

constexpr LinkResult::Verdict A = LinkResult::Alive, D = LinkResult::Dead, G = LinkResult::Gone,
                              N = LinkResult::NoAnswer;

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

// Each row: the address (a path on the fixture server), then the verdict
// (Alive, Dead, Gone or No answer), the title and the redirect (a path on
// the fixture server) as "verdict|title|redirect", and the time-out.
TEST_F(ProbeTest, EachAnswerGivesItsVerdictTitleAndRedirect)
{
    m_settings.ParkingHost = "parking.example.test";
    const QString longTitle(100000, 't');
    const auto raw = [](const QByteArray& answer, int trickle = 0) {
        return FixtureServer::rawPath(answer, 0, trickle);
    };
    const struct {
        QString url, want;
        int timeoutMs = 1000;
    } rows[] = {
        {page("<html><TITLE>Tom &amp; Jerry&#33;</TITLE>"), "A|Tom & Jerry!|"},
        {page("<p>no title</p>"), "A||"},
        {FixtureServer::path("/page", {}), "D||"},
        {page("<title>404 Not Found &amp;c</title>"), "D|404 Not Found &amp;c|"},
        {page("<title>Errors and omissions</title>"), "D|Errors and omissions|"},
        {page("<title>Welcome</title>", "404"), "D|Welcome|"},
        {page("<title>Welcome</title>", "410"), "G|Welcome|"},
        {page("<title>Welcome</title>", "500"), "A|Welcome|"},
        {"/redirect?to=/new&status=301", "A||/new"},
        {"/loop", "A||/loop"},
        {raw("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: /somewhere"), "D||"},
        // A parked domain is dead.
        {raw("HTTP/1.1 302 Found\r\nLocation: http://parking.example.test/?&domain=mine\r\n"
             "Content-Length: 0\r\n\r\n"),
         "D||"},
        {page("<title>Moved</title><meta http-equiv=\"refresh\" content=\"0; URL=/x>"), "A|Moved|"},
        {page("<meta http-equiv=\"refresh\" content=\"0; URL=http://127.0.0.1/moved\">"),
         "A||http://127.0.0.1/moved"},
        {"/silent?ms=5000", "N||", 500},
        // Cut by the time-out: status line and headers, or part of a page.
        {"/drop?after=0&length=100&hold=3000", "N||", 500},
        {raw("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<html><title>Slow but "
             "there</title>" +
                 QByteArray(2000, ' '),
             400),
         "N||", 500},
        {"/drop?after=100&length=5000", "N||"},
        {"/big?size=20000000", "A|Big|", 2000},
        {FixtureServer::path("/gzip", {{"body", "<title>Zipped</title>"}}), "A|Zipped|"},
        {page("<title>" + longTitle + "</title>"), "A|" + longTitle + "|"},
        {FixtureServer::path("/page", {{"padheaders", "65536"}, {"body", "<title>Fine</title>"}}),
         "A|Fine|"},
        {page("<title>Help:Contents</title>") + "&x=Help:Contents", "A|Help:Contents|"},
        // Bytes that are not UTF-8 read as the Windows code page.
        {raw("HTTP/1.1 200 OK\r\nContent-Length: 18\r\n\r\n<title>\xff\xfe\x80</title>"),
         "A|\u00ff\u00fe\u20ac|"},
        // Only web and file transfer addresses are fetched.
        {"file:///etc/passwd", "N||"},
        {"javascript:alert(1)", "N||"},
        {QStringLiteral("dict://127.0.0.1:%1/").arg(server().port()), "N||"},
        {"http://127.0.0.1:notaport/", "N||"},
    };
    const QMap<LinkResult::Verdict, QString> verdicts{{A, "A"}, {D, "D"}, {G, "G"}, {N, "N"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url.left(120).toStdString());
        const LinkResult result = check(row.url, row.timeoutMs);
        QString redirect = result.Redirect;
        if (redirect.startsWith(server().url("/")))
            redirect.remove(0, server().url("").size());
        EXPECT_EQ(verdicts.value(result.Status, "?") + "|" + result.Title + "|" + redirect,
                  row.want);
        if (row.url.startsWith("/redirect") || row.url == "/loop") {
            EXPECT_FALSE(result.Successful) << "a redirect's page never names a favorite";
        }
    }
}

TEST_F(ProbeTest, PageDateIsItsOwnOrNowAndHugePagesStayBounded)
{
    const QString dated = FixtureServer::path(
        "/page", {{"body", "x"}, {"header", "Last-Modified: Wed, 21 Oct 2015 07:28:00 GMT"}});
    EXPECT_EQ(check(dated).LastModified,
              QDateTime(QDate(2015, 10, 21), QTime(7, 28), QTimeZone::utc()));
    const QString odd = FixtureServer::path(
        "/page", {{"body", "x"}, {"header", "Last-Modified: yesterday-ish GMT"}});
    EXPECT_EQ(check(odd).LastModified.date(), QDate(2026, 6, 1));
    EXPECT_EQ(check("/gzipbomb", 2000).Title, "Bomb");
    ASSERT_NE(m_control.lastOutcome(), nullptr);
    EXPECT_TRUE(m_control.lastOutcome()->bodyCapped);
    EXPECT_LE(m_control.lastOutcome()->body.size(), 1 << 20) << "memory stays bounded";
}

TEST(ProbeTarget, PortTimeOutAndProxyFollowTheAddressAndSettings)
{
    AppSettings settings;
    const struct {
        const char* url;
        int timeoutMs, port, seconds; // whole seconds, half to even
    } rows[] = {{"http://h.test:8080/a", 500, 8080, 0},
                {"https://h.test/a", 750, 443, 1},
                {"ftp://h.test/a", 1000, 21, 1},
                {"HTTPS://h.test/a", 1500, 80, 2},
                {"http://[::1]:81/a", 2500, 81, 2}};
    for (const auto& row : rows) {
        const ProbeTarget target = Probe::TargetFor(row.url, row.timeoutMs, settings);
        EXPECT_EQ(target.port, row.port) << row.url;
        EXPECT_EQ(target.requestTimeoutSeconds, row.seconds) << row.url;
    }
    const auto proxy = [&](ProxyMode mode, const QString& server) {
        settings.ProxyMode = mode;
        settings.ProxyServer = server;
        settings.ProxyPort = "3128";
        return Probe::TargetFor("http://h.test/", 1000, settings).proxy;
    };
    EXPECT_EQ(proxy(ProxyMode::Own, "px.test"), "px.test:3128");
    EXPECT_EQ(proxy(ProxyMode::Own, ""), "");
    EXPECT_EQ(proxy(ProxyMode::None, "px.test"), "");
}

// The request goes through the proxy, whole, and names the program.
TEST_F(ProbeTest, ProxyCarriesTheRequest)
{
    m_settings.ProxyMode = ProxyMode::Own;
    m_settings.ProxyServer = "127.0.0.1";
    m_settings.ProxyPort = QString::number(server().port());
    EXPECT_EQ(check("http://favorite.invalid/echo").Status, A);
    const std::string head = m_control.documentText().toStdString();
    EXPECT_THAT(head, HasSubstr("GET http://favorite.invalid/echo HTTP/1.1\r\n"));
    EXPECT_THAT(head, HasSubstr("User-Agent: Norvale/"));
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
    const QString url = tlsServer.url(page("<title>Secure</title>"));
    EXPECT_EQ(probe.CheckLink(url, 2000).Status, N) << "not trusted yet";
    control.setCaFile(certificate.certFile());
    EXPECT_EQ(probe.CheckLink(url, 2000).Title, "Secure");
}

} // namespace
