// The probe and the icon fetcher against the fixture server, and the reading
// of what comes back.

#include "checker/Probe.h"
#include "checker/AnswerReasons.h"
#include "checker/IconFetcher.h"
#include "checker/PageReading.h"
#include "CheckerRig.h"
#include "platform/Transfer.h"

#include <gmock/gmock.h>
#include <optional>
#include <QDir>
#include <QFile>
#include <QTimeZone>

using namespace norvale;
using namespace norvale::test;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

// A path on the fixture server becomes its address there.
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

// Address, then "verdict|title|redirect" (Alive, Dead, Gone, No answer), time-out;
// the verdicts against nginx (RealVerdictsTest) add the other statuses, error titles,
// redirects and refresh tags.
TEST_F(ProbeTest, EachAnswerGivesItsVerdictTitleAndRedirect)
{
    // The parking service is played by the fixture server: no name is ever
    // looked up beyond this machine.
    const QString parking = QStringLiteral("127.0.0.1:%1").arg(server().port());
    m_settings.ParkingHost = parking;
    const QString longTitle(100000, 't');
    const auto raw = [](const QByteArray& answer, int trickle = 0) {
        return FixtureServer::rawPath(answer, 0, trickle);
    };
    const struct {
        const char* name;
        QString url, want;
        int timeoutMs = 1000;
    } rows[] = {
        {"titled", page("<html><TITLE>Tom &amp; Jerry&#33;</TITLE>"), "A|Tom & Jerry!|"},
        {"410", page("<title>Welcome</title>", "410"), "G|Welcome|"},
        {"redirect cut short",
         raw("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: /somewhere"), "N||"},
        // A parked domain is dead.
        {"parked",
         raw("HTTP/1.1 302 Found\r\nLocation: http://" + parking.toLatin1() +
             "/?&domain=mine\r\nContent-Length: 0\r\n\r\n"),
         "D||"},
        {"silence", "/silent?ms=5000", "N||", 500},
        {"gzip", FixtureServer::path("/gzip", {{"body", "<title>Zipped</title>"}}), "A|Zipped|"},
        {"long title", page("<title>" + longTitle + "</title>"), "A|" + longTitle + "|"},
        {"long headers",
         FixtureServer::path("/page", {{"padheaders", "65536"}, {"body", "<title>Fine</title>"}}),
         "A|Fine|"},
        // Bytes that are not UTF-8 read as the Windows code page.
        {"code page",
         raw("HTTP/1.1 200 OK\r\nContent-Length: 18\r\n\r\n<title>\xff\xfe\x80</title>"),
         "A|\u00ff\u00fe\u20ac|"},
        // Only web and file transfer addresses are fetched.
        {"file", "file:///etc/passwd", "N||"},
        {"script", "javascript:alert(1)", "N||"},
        {"dict", QStringLiteral("dict://127.0.0.1:%1/").arg(server().port()), "N||"},
        {"bad port", "http://127.0.0.1:notaport/", "N||"},
        // Last, so its transfer is the one looked at below.
        {"gzip bomb", "/gzipbomb", "A|Bomb|", 2000},
    };
    const QMap<LinkResult::Verdict, QString> verdicts{{A, "A"}, {D, "D"}, {G, "G"}, {N, "N"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LinkResult result = check(row.url, row.timeoutMs);
        QString redirect = result.Redirect;
        if (redirect.startsWith(server().url("/")))
            redirect.remove(0, server().url("").size());
        EXPECT_EQ(verdicts.value(result.Status, "?") + "|" + result.Title + "|" + redirect,
                  row.want);
        EXPECT_FALSE(row.url.startsWith("/redirect") && result.Successful)
            << "a redirect's page never names a favorite";
    }
    ASSERT_NE(m_control.lastOutcome(), nullptr);
    EXPECT_TRUE(m_control.lastOutcome()->bodyCapped);
    EXPECT_LE(m_control.lastOutcome()->body.size(), 1 << 20) << "memory stays bounded";
}

// Failures a user can act on are named, and the ones that may pass say so
// for the second look; looking up a name is never done for real here, so
// that no test sends a query off this machine.
TEST(AnswerReasons, FailuresAreNamedWithTheirKindOfTrouble)
{
    const struct {
        int curlCode; // libcurl's CURLcode
        const char* reason;
        Trouble trouble;
    } rows[] = {
        {6, "host not found", Trouble::HostNotFound},       // CURLE_COULDNT_RESOLVE_HOST
        {7, "connection refused", Trouble::Refused},        // CURLE_COULDNT_CONNECT
        {52, "closed without an answer", Trouble::Dropped}, // CURLE_GOT_NOTHING
        {56, "connection dropped", Trouble::Dropped},       // CURLE_RECV_ERROR
        {47, "redirect loop", Trouble::None},               // CURLE_TOO_MANY_REDIRECTS
    };
    for (const auto& row : rows) {
        TransferOutcome outcome;
        outcome.curlCode = row.curlCode;
        const LinkResult result = VerdictForFailure(outcome);
        EXPECT_EQ(result.Reason, row.reason);
        EXPECT_EQ(result.Trouble, row.trouble) << row.reason;
    }
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
    QString proxies;
    for (const auto& [mode, server] : {std::pair{ProxyMode::Own, "px.test"},
                                       {ProxyMode::Own, ""},
                                       {ProxyMode::None, "px.test"}}) {
        settings.ProxyMode = mode;
        settings.ProxyServer = server;
        settings.ProxyPort = "3128";
        proxies += Probe::TargetFor("http://h.test/", 1000, settings).proxy + ";";
    }
    EXPECT_EQ(proxies, "px.test:3128;;;");
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
    EXPECT_THAT(head, HasSubstr("User-Agent: Mozilla/5.0 ("));
    EXPECT_THAT(head, HasSubstr(" Norvale/"));
    EXPECT_THAT(head, HasSubstr("\r\nAccept-Language: "));
}

// Written title, and the title a browser's user reads.
TEST(PageReading, TitlesAreCleaned)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Tom &amp; Jerry&#33;", "Tom & Jerry!"},
        {"Caf&eacute; &amp; Cr&egrave;me  M&uuml;nchen", "Caf\u00e9 & Cr\u00e8me M\u00fcnchen"},
        {"A &ndash; B&hellip;", "A \u2013 B\u2026"},
        {"Brand&trade;", "Brand\u2122"},
        // The first and last names of the table, two characters, one past 0xFFFF.
        {"&AElig;&AMP;&zwnj;", "\u00c6&\u200c"},
        {"&NotEqualTilde;&Afr;", "\u2242\u0338\U0001D504"},
        {"&CounterClockwiseContourIntegral; &CounterClockwiseContourIntegrals;",
         "\u2233 &CounterClockwiseContourIntegrals;"},
        {"&eacute &notit; &unknown; &amp", "&eacute &notit; &unknown; &amp"},
        {"caf&#233; &#xE9;&#XE9; &#0000065;&#x1F600;", "caf\u00e9 \u00e9\u00e9 A\U0001F600"},
        {"&#128; &#153; &#x9F; &#129;", "\u20ac \u2122 \u0178 \u0081"},
        {"&#0;&#xD800;&#x110000;&#4294967361;", "\ufffd\ufffd\ufffd\ufffd"},
        {"&#38;#65; &amp;lt; &#38;amp;", "&#65; &lt; &amp;"},
        {"no end &#65 &#x; &#xG; &#; &#a&#66;;", "no end &#65 &#x; &#xG; &#; &#aB;"},
        {"Broken\r\nover\tlines", "Broken over lines"},
        {"\f  say &quot;hi&quot;&#10; &nbsp;\u00a0", "say \"hi\""},
        {"a&nbsp;&nbsp;b&#9;&#13;c", "a b c"},
    };
    for (const auto& [written, read] : rows)
        EXPECT_EQ(CleanTitle(written), read) << written;
}

// A cleaned title, then which of these say yes: Error title, Challenge title, Mentions an error.
TEST(PageReading, TitlesStatusAndErrorWords)
{
    EXPECT_EQ(FindTitle("<html><TiTlE>Home</tItLe>") + FindTitle("</title> then <title>late"),
              "Home");
    EXPECT_EQ(GetStatusCode("short") + GetStatusCode("<html>not a status line"), 0);
    const struct {
        const char *title, *says;
    } rows[] = {
        {"404", "E"},
        {"Error", "EM"},
        {"404 Not Found", "EM"},
        {"Error 404 - Example", "EM"},
        {"404 | Page not found | Example", "EM"},
        {"Page Not Found \u2013 Example Site", "EM"},
        {"Example \u2014 File not found", "EM"},
        {"Document Not Found \u00b7 Example", "EM"},
        {"Example :: Oops! Page not found.", "EM"},
        {"Example: Sorry, page not found", "EM"},
        {"500 Internal Server Error", "EM"},
        {"Server Error in '/' Application.", "EM"},
        {"400 Bad Request", "E"},
        {"This page does not exist. : Example", "E"},
        {"Error Handling in C++", "M"},
        {"Errors and omissions", "M"},
        {"Terrorism studies", "M"},
        {"How to fix error 404 on your site", "M"},
        {"Not Found - Example - Blog", "M"},
        {"Error - A - B - C", "M"},
        {"Room 404", ""},
        {"Welcome", ""},
        {"Gone with the Wind", ""},
        {"Just a moment...", "C"},
        {"Attention Required! | Cloudflare", "C"},
        {"Access Denied", "C"},
        {"Sign In - Google Accounts", "C"},
        {"Sign in to GitHub \u00b7 GitHub", "C"},
        {"Log In | Example", "C"},
        {"DDoS-Guard", "C"},
        {"Are you a robot?", "C"},
        {"Login Systems Explained", ""},
    };
    for (const auto& row : rows) {
        const QString title = row.title;
        const std::string says = std::string(IsErrorTitle(title) ? "E" : "") +
                                 (IsChallengeTitle(title) ? "C" : "") +
                                 (MentionsError(title) ? "M" : "");
        EXPECT_EQ(says, row.says) << row.title;
    }
}

TEST(PageReading, RefreshTargetsResolveAsABrowserResolvesThem)
{
    const QString ok = "HTTP/1.1 200 OK\r\n\r\n";
    const QString refresh = ok + "<meta http-equiv=\"refresh\" content=\"0; URL=";
    const struct {
        QString text;
        const char *url, *target;
    } rows[] = {{refresh + "http://h.test/moved\">", "http://h.test", "http://h.test/moved"},
                {ok + "<META HTTP-EQUIV=\"REFRESH\" CONTENT=\"5; url=relative.html\">",
                 "http://h.test/dir/page", "http://h.test/dir/relative.html"},
                {refresh + "../up\">", "http://h.test/a/b/c", "http://h.test/a/up"},
                {refresh + "//cdn.test/x\">", "https://h.test/y", "https://cdn.test/x"},
                // Any scheme stands as written: following it is the chain's decision.
                {refresh + "javascript:go()\">", "http://h.test/", "javascript:go()"},
                // A page that refreshes itself goes nowhere.
                {refresh + "/same\">", "http://h.test/same", ""},
                {refresh + "http://h.test/no-quote>", "http://h.test", ""},
                {refresh + "x", "http://h.test", ""},
                {"HTTP/1.1 301 Moved\r\nLocation: /new\r\n\r\n", "http://h.test/old", ""},
                {ok + "<p>plain page</p>", "http://h.test", ""}};
    for (const auto& row : rows)
        EXPECT_EQ(RefreshTarget(row.text, row.url), row.target) << row.text.toStdString();
}

TEST(PageReading, TheDateIsTheLastModifiedHeaderInGmt)
{
    EXPECT_EQ(PageDate("HTTP/1.1 200 OK\r\nLast-Modified: Wed, 21 Oct 2015 07:28:00 GMT\r\n\r\n"),
              QDateTime(QDate(2015, 10, 21), QTime(7, 28), QTimeZone::utc()));
    for (const char* undated :
         {"HTTP/1.1 200 OK\r\n\r\nno date", "Last-Modified: Wed, 21 Oct 2015 07:28:00 CET",
          "Last-Modified: 2015-10-21T07:28:00 GMT", "Last-Modified: Wed, 31 Feb 2015 07:28:00 GMT"})
        EXPECT_EQ(PageDate(undated), std::nullopt) << undated;
}

// The pause a server asks for: seconds, or a date counted from now; a
// header that is neither, or a date gone by, asks for none or none left.
TEST(PageReading, RetryAfterIsSecondsOrADate)
{
    const QDateTime now(QDate(2015, 10, 21), QTime(7, 27, 30), QTimeZone::utc());
    const struct {
        const char* header;
        std::optional<int> seconds;
    } rows[] = {
        {"Retry-After: 3", 3},
        {"retry-after:  120 ", 120},
        {"Retry-After: Wed, 21 Oct 2015 07:28:00 GMT", 30},
        {"Retry-After: Wed, 21 Oct 2015 07:00:00 GMT", 0},
        {"Retry-After: soon", std::nullopt},
        {"Retry-After: -5", std::nullopt},
        {"X-Retry-After: 3", std::nullopt},
    };
    for (const auto& row : rows) {
        const QString text =
            QStringLiteral("HTTP/1.1 429 Too Many\r\n%1\r\n\r\nRetry-After: 9").arg(row.header);
        EXPECT_EQ(RetryAfterSeconds(text, [&] { return now; }), row.seconds) << row.header;
    }
}

// Zero and high bytes over several chunks, the last of a single byte.
QByteArray iconBytes(char seed, int size = 2 * 1024 + 1)
{
    QByteArray bytes(size, '\0');
    for (int at = 0; at < size; ++at)
        bytes[at] = char((at * 7 + seed) % 256);
    return bytes;
}

// An address whose answer is exactly this status line, these headers and body.
QString answer(const QByteArray& head, const QByteArray& body)
{
    return server().url(FixtureServer::rawPath("HTTP/1.1 " + head + "\r\n" + body));
}
QString icon(const QByteArray& body, const QByteArray& status = "200 OK")
{
    return answer(status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n", body);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class IconFetcherTest : public testing::Test {
protected:
    IconFetcherTest()
    {
        m_control.setRemotePort(server().port());
        m_control.setRequestTimeout(10);
    }
    QString icons(const QString& name = {}) const { return m_program + "/Icons/" + name; }
    QStringList iconFiles() const { return QDir(icons()).entryList(QDir::Files); }

    TempFolder m_temp;
    QString m_program = m_temp.folder("program");
    FixedClock m_clock{QDateTime(QDate(2024, 2, 3), QTime(9, 5, 7))};
    FileSystem m_fs;
    TransferEngine m_engine;
    TransferControl m_control{m_engine};
    IconFetcher m_fetcher{m_control, m_fs, m_clock, m_program};
};

// Addresses off the web are never fetched; answers that are no whole icon leave no file.
TEST_F(IconFetcherTest, OnlyAWholeIconFromTheWebIsKept)
{
    const QString hostPort = "127.0.0.1:" + QString::number(server().port());
    const QString local = m_temp.file("local.ico", "local icon");
    const int before = FixtureNumber(server(), "/count");
    for (QString address : {"file://LOCAL", "LOCAL", "\\\\127.0.0.1\\share\\x.ico", "//HOST/echo",
                            "HOST/echo", "gopher://HOST/echo", "http:/HOST/echo", ""}) {
        address.replace("HOST", hostPort).replace("LOCAL", local);
        EXPECT_EQ(m_fetcher.DownloadIcon(address), QString()) << address.toStdString();
    }
    EXPECT_EQ(FixtureNumber(server(), "/count"), before);
    EXPECT_FALSE(QFileInfo::exists(icons()));

    m_temp.folder("program/Icons");
    const QStringList unusable = {
        server().url(FixtureServer::path("/page", {{"status", "404"}, {"body", "not an icon"}})),
        icon("no", "204 No Content"),
        icon("moved", "302 Found"),
        answer("200 OK\r\nConnection: close\r\n", "no length"),
        answer("200 OK\r\nContent-Length: 100\r\n", iconBytes(3, 40)),
        server().url("/drop?after=500&length=3000")};
    for (const QString& address : unusable) {
        EXPECT_EQ(m_fetcher.DownloadIcon(address), QString()) << address.toStdString();
        EXPECT_THAT(iconFiles(), IsEmpty()) << address.toStdString();
    }
}

// A whole answer (200 or 206) is written into an Icons folder made when missing, named
// for the time without leading zeros; times that read alike still give two files.
TEST_F(IconFetcherTest, EachWholeIconKeepsAFileNamedForItsTime)
{
    ASSERT_FALSE(QFileInfo::exists(icons()));
    const QString a = m_fetcher.DownloadIcon(icon(iconBytes(5), "206 Partial Content"));
    const QString b = m_fetcher.DownloadIcon(icon(iconBytes(6, 700)));
    const QString c = m_fetcher.DownloadIcon(icon(iconBytes(7, 1024)));
    EXPECT_EQ(QStringList({a, b, c}), QStringList({icons("202423957.ico"), icons("202423957-2.ico"),
                                                   icons("202423957-3.ico")}));
    EXPECT_EQ(readAll(a) + readAll(b) + readAll(c),
              iconBytes(5) + iconBytes(6, 700) + iconBytes(7, 1024));
    m_clock.setNow(QDateTime(QDate(2024, 1, 11), QTime(1, 1, 1)));
    const QString january = m_fetcher.DownloadIcon(icon("january"));
    m_clock.setNow(QDateTime(QDate(2024, 11, 1), QTime(1, 1, 1)));
    EXPECT_EQ(readAll(january) + readAll(m_fetcher.DownloadIcon(icon("november"))),
              "januarynovember");
}

// Asked for whole, from the icon's own port, whatever the last probe left on the control.
TEST_F(IconFetcherTest, RequestGoesToTheIconsOwnPortAndAsksForTheWholeIcon)
{
    FixtureServer other;
    m_control.setRemotePort(other.port());
    const QByteArray head = readAll(m_fetcher.DownloadIcon(server().url("/echo")));
    EXPECT_THAT(head.toStdString(), testing::StartsWith("GET /echo HTTP/1.1\r\n"));
    EXPECT_THAT(head.toStdString(), HasSubstr("\r\nRange: bytes=0 - \r\n"));
    EXPECT_EQ(m_control.RemotePort(), other.port());
    EXPECT_EQ(FixtureNumber(other, "/count"), 0);
}

} // namespace
