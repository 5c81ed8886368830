// The probe over real HTTP against the fixture server on 127.0.0.1, and the
// reading of what comes back.

#include "checker/Probe.h"
#include "checker/PageReading.h"
#include "CheckerRig.h"

#include <gmock/gmock.h>
#include <QTimeZone>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;

namespace {

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
        {FixtureServer::path("/page", {}), "D||"},
        {page("<title>404 Not Found &amp;c</title>"), "D|404 Not Found &amp;c|"},
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
        // Last, so its transfer is the one looked at below.
        {"/gzipbomb", "A|Bomb|", 2000},
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
        if (row.url.startsWith("/redirect") || row.url == "/loop")
            EXPECT_FALSE(result.Successful) << "a redirect's page never names a favorite";
    }
    ASSERT_NE(m_control.lastOutcome(), nullptr);
    EXPECT_TRUE(m_control.lastOutcome()->bodyCapped);
    EXPECT_LE(m_control.lastOutcome()->body.size(), 1 << 20) << "memory stays bounded";
}

TEST(ProbeTarget, PortTimeOutAndProxyFollowTheAddressAndSettings)
{
    AppSettings settings;
    // Address, time-out in ms | port, whole seconds (half to even).
    for (const auto& [url, ms, want] : {std::tuple{"http://h.test:8080/a", 500, "8080 0"},
                                        {"https://h.test/a", 750, "443 1"},
                                        {"ftp://h.test/a", 1000, "21 1"},
                                        {"HTTPS://h.test/a", 1500, "80 2"},
                                        {"http://[::1]:81/a", 2500, "81 2"}}) {
        const ProbeTarget target = Probe::TargetFor(url, ms, settings);
        EXPECT_EQ(QStringLiteral("%1 %2").arg(target.port).arg(target.requestTimeoutSeconds), want)
            << url;
    }
    const auto proxy = [&](ProxyMode mode, const QString& server) {
        settings.ProxyMode = mode;
        settings.ProxyServer = server;
        settings.ProxyPort = "3128";
        return Probe::TargetFor("http://h.test/", 1000, settings).proxy;
    };
    EXPECT_EQ(proxy(ProxyMode::Own, "px.test") + proxy(ProxyMode::Own, "") +
                  proxy(ProxyMode::None, "px.test"),
              "px.test:3128");
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

TEST(PageReading, TitlesAreCleaned)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Tom &amp; Jerry&#33;", "Tom & Jerry!"},
        {"A&#8364;B", "AB"},
        {"Broken\r\nover\tlines", "Brokenoverlines"},
        {"&AMP;", "&AMP;"},
        {"  say &quot;hi&quot;  ", "say \"hi\""},
        {"Brand&trade;&#153; Shop", "Brand Shop"},
        {"caf&#233;", "caf\u00e9"},
        {"&#128; sign", "\u20ac sign"},
        {"&#38;#65;", "A"},
        {"hex &#x41; stays, &#65; goes", "hex &#x41; stays, A goes"},
        {"no end &#65", "no end &#65"},
        {"&#38;#38;#65;&#38;#x;", "A&#x;"},
        {"&#0000065;&#4294967361;&#;", "A&#4294967361;&#;"},
        {"&#a&#66;;", "&#aB;"}};
    for (const auto& [raw, cleaned] : rows)
        EXPECT_EQ(CleanTitle(raw), cleaned) << raw;
}

TEST(PageReading, TitlesStatusAndErrorWords)
{
    EXPECT_EQ(FindTitle("<html><TiTlE>Home</tItLe>") + FindTitle("</title> then <title>late"),
              "Home");
    for (const char* error : {"Server Error in Application", "page not found", "400 Bad Request"})
        EXPECT_TRUE(IsErrorTitle(error)) << error;
    EXPECT_FALSE(IsErrorTitle("Room 404") || IsErrorTitle("Welcome"));
    EXPECT_EQ(GetStatusCode("short") + GetStatusCode("<html>not a status line"), 0);
}

TEST(PageReading, RedirectTargetsResolveAsABrowserResolvesThem)
{
    const QString ok = "HTTP/1.1 200 OK\r\n\r\n", found = "HTTP/1.1 302 Found\r\nLocation: ";
    const QString refresh = ok + "<meta http-equiv=\"refresh\" content=\"0; URL=";
    const struct {
        QString text;
        const char *url, *target;
    } rows[] = {{"HTTP/1.1 301 Moved\r\nLocation: /new\r\n\r\n", "http://h.test/old/page",
                 "http://h.test/new"},
                {found + "next\r\n\r\n", "http://h.test/dir", "http://h.test/next"},
                {found + "next?a=1\r\n\r\n", "http://h.test/dir/", "http://h.test/dir/next?a=1"},
                {found + "../up\r\n\r\n", "http://h.test/a/b/c", "http://h.test/a/up"},
                {found + "//cdn.test/x\r\n\r\n", "https://h.test/y", "https://cdn.test/x"},
                // A target with a scheme of its own stands as it is, whatever the scheme.
                {found + "javascript:go()\r\n\r\n", "http://h.test/", "javascript:go()"},
                {"HTTP/1.1 307 Temp\r\nlocation: https://other.test/x\r\n\r\n", "http://h.test/",
                 "https://other.test/x"},
                {"HTTP/1.1 303 See\r\nContent-Location: /wrong\r\nLocation: /right\r\n\r\n",
                 "http://h.test", "http://h.test/right"},
                {"HTTP/1.1 301 Moved\r\nContent-Location: /only\r\n\r\n", "http://h.test", ""},
                {"HTTP/1.1 301 Moved\r\nLocation: /no-line-end", "http://h.test", ""},
                {"HTTP/1.1 308 Permanent\r\nLocation: /ignored\r\n\r\n", "http://h.test", ""},
                {refresh + "http://h.test/moved\">", "http://h.test", "http://h.test/moved"},
                {ok + "<META HTTP-EQUIV=\"REFRESH\" CONTENT=\"5; url=relative.html\">",
                 "http://h.test/dir/page", "http://h.test/dir/relative.html"},
                {refresh + "http://h.test/no-quote>", "http://h.test", ""},
                {refresh + "x", "http://h.test", ""},
                {ok + "<p>plain page</p>", "http://h.test", ""}};
    for (const auto& row : rows)
        EXPECT_EQ(GetRedirect(row.text, row.url), row.target) << row.text.toStdString();
}

TEST(PageReading, TheDateIsTheLastModifiedHeaderInGmtOrNow)
{
    const QDateTime now(QDate(2026, 6, 1), QTime(12, 0));
    const QDateTime nowWallClock(now.date(), now.time(), QTimeZone::utc());
    EXPECT_EQ(
        CheckDate("HTTP/1.1 200 OK\r\nLast-Modified: Wed, 21 Oct 2015 07:28:00 GMT\r\n\r\n", now),
        QDateTime(QDate(2015, 10, 21), QTime(7, 28), QTimeZone::utc()));
    for (const char* undated :
         {"HTTP/1.1 200 OK\r\n\r\nno date", "Last-Modified: Wed, 21 Oct 2015 07:28:00 CET",
          "Last-Modified: 2015-10-21T07:28:00 GMT"})
        EXPECT_EQ(CheckDate(undated, now), nowWallClock) << undated;
}

} // namespace
