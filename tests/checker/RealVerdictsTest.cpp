// Verdicts as a browser's user sees them, against a real nginx and a real FTP
// server: status codes, whole redirect chains, titles and reasons, the same
// one at a time and many at once, with renaming on and off.

#include "CheckerRig.h"
#include "support/FtpServer.h"
#include "support/NginxServer.h"

#include <gmock/gmock.h>
#include <QUrl>

using namespace norvale;
using namespace norvale::test;

namespace {

QString html(const QString& body)
{
    return QStringLiteral("return 200 '%1';").arg(body);
}
QString at(const QString& location, const QString& body)
{
    return QStringLiteral("location = %1 { %2 }").arg(location, body);
}
// A redirect with a Location header nginx would not make itself.
QString bareRedirect(const QString& location, int code, const QString& target)
{
    return at(
        location,
        QStringLiteral("add_header Location \"%1\" always; return %2;").arg(target).arg(code));
}

const QStringList kSite{
    "default_type text/html;",
    at("/ok", html("<title>Fine Page</title>")),
    at("/empty", "return 200 '';"),
    at("/notfound", "return 404;"),
    at("/gone", "return 410;"),
    at("/bad", "return 400;"),
    at("/method", "return 405;"),
    at("/legal", "return 451;"),
    at("/login", "return 401;"),
    at("/forbidden", "return 403;"),
    at("/busy", "return 429;"),
    at("/unavailable", "return 503;"),
    at("/crash", "return 500;"),
    at("/friendly", "error_page 500 /friendly.html; return 500;"),
    at("/browsers-only",
       "if ($http_user_agent !~ Mozilla) { return 403; } " + html("<title>For Browsers</title>")),
    at("/handling", html("<title>Error Handling in C++</title>")),
    at("/titled-error", html("<title>Page Not Found | Example Shop</title>")),
    at("/signin", html("<title>Sign in</title>")),
    at("/challenge", html("<title>Just a moment...</title>")),
    at("/fine301", html("<title>Fine 301</title>")),
    at("/fine308", html("<title>Fine 308</title>")),
    at("/refreshed", html("<title>Refreshed</title>")),
    at("/long", html("<title>Long One</title>")),
    at("/r301", "return 301 /fine301;"),
    at("/r308", "return 308 /fine308;"),
    at("/r302", "return 302 /ok;"),
    at("/r301-404", "return 301 /notfound;"),
    at("/r301-503", "return 301 /unavailable;"),
    at("/bounce", "return 302 /signin?next=/account;"),
    at("/mixed", "return 301 /r302;"),
    at("/loop", "return 301 /loop;"),
    at("/refused", "return 302 http://127.0.0.1:1/;"),
    bareRedirect("/to-script", 301, "javascript:alert(1)"),
    bareRedirect("/to-nothing", 301, "http://"),
    at("/cookie", "if ($cookie_seen = 1) { " + html("<title>Welcome Back</title>") +
                      " } add_header Set-Cookie \"seen=1; Path=/\"; return 302 /cookie;"),
};

// A site that answers every address with success and the same page.
const QStringList kSoftSite{
    "default_type text/html;",
    at("/real", html("<title>Real Page</title>")),
    "location / { " + html("<title>Oops, that page was not found - Shop</title>") + " }",
};

struct Servers {
    Servers()
    {
        site.writeFile("friendly.html", "<title>We will be right back</title>");
        site.writeFile("with space.html", "<title>Spaced Out</title>");
        site.writeFile("refresh.html",
                       "<meta http-equiv=\"refresh\" content=\"0; URL=/refreshed\">");
        secure.writeFile("ok.html", "<title>Secure Page</title>");
        ftp.writeFile("file.txt", "a file");
        qputenv("NORVALE_CA_FILE", secure.caFile().toUtf8());
    }
    NginxServer site{kSite};
    NginxServer softSite{kSoftSite};
    NginxServer secure{{}, NginxServer::Scheme::Https};
    NginxServer untrusted{{}, NginxServer::Scheme::Https};
    FtpServer ftp;
};
Servers& servers()
{
    static Servers instance;
    return instance;
}

struct Case {
    QString name;
    QString url;
    QString want;        // "light, then the address written (a path) or the new name"
    QString reason = {}; // how the reason the favorite shows begins, where it matters
};

QList<Case> cases()
{
    Servers& s = servers();
    const QString longAddress = s.site.url("/long?q=" + QString(2500, 'x'));
    auto site = [&](const QString& path) { return s.site.url(path); };
    return {
        // The status code of the final answer decides first.
        {"Ok", site("/ok"), "GREENCHECK name Fine Page"},
        {"Empty", site("/empty"), "REDRESULT", "empty page"},
        {"Not Found", site("/notfound"), "REDRESULT", "404 Not Found"},
        {"Gone", site("/gone"), "REDRESULT", "410 Gone"},
        {"Bad", site("/bad"), "REDRESULT"},
        {"Method", site("/method"), "REDRESULT"},
        {"Legal", site("/legal"), "REDRESULT"},
        {"Login", site("/login"), "GREENCHECK", "401 Unauthorized: needs a login"},
        {"Forbidden", site("/forbidden"), "YELLOWRESULT", "refused (403): may be a bot check"},
        {"Busy", site("/busy"), "YELLOWRESULT"},
        {"Unavailable", site("/unavailable"), "YELLOWRESULT",
         "503 Service Unavailable (temporary)"},
        {"Crash", site("/crash"), "YELLOWRESULT"},
        {"Friendly", site("/friendly"), "YELLOWRESULT"},
        {"Browsers Only", site("/browsers-only"), "GREENCHECK name For Browsers"},
        {"FTP File", s.ftp.url("/file.txt"), "GREENCHECK"},
        {"FTP Missing", s.ftp.url("/missing.txt"), "REDRESULT", "550 no such file"},
        {"FTP Login", s.ftp.url("/file.txt", "user:secret"), "GREENCHECK"},
        {"FTP Refused", s.ftp.url("/file.txt", "user:wrong"), "YELLOWRESULT", "530 login refused"},
        {"Secure", s.secure.url("/ok.html"), "GREENCHECK name Secure Page"},
        {"Secure Missing", s.secure.url("/missing.html"), "REDRESULT", "404 Not Found"},
        {"Untrusted", s.untrusted.url("/"), "YELLOWRESULT", "self-signed certificate"},
        // Redirects: the verdict from the end; only permanent moves written (the
        // fixture server's cases add the other temporary codes and unusable targets).
        {"R301", site("/r301"), "GREENCHECK /fine301 name Fine 301"},
        {"R308", site("/r308"), "GREENCHECK /fine308 name Fine 308"},
        {"R302", site("/r302"), "GREENCHECK", "redirected to " + site("/ok") + " (temporary)"},
        {"R301 To 404", site("/r301-404"), "REDRESULT",
         "404 Not Found after a redirect to " + site("/notfound")},
        {"R301 To 503", site("/r301-503"), "YELLOWRESULT"},
        {"Bounce", site("/bounce"), "GREENCHECK"},
        {"Mixed", site("/mixed"), "GREENCHECK"},
        {"Loop", site("/loop"), "YELLOWRESULT", "redirect loop"},
        {"Refused", site("/refused"), "YELLOWRESULT",
         "connection refused after a redirect to http://127.0.0.1:1/"},
        {"To Script", site("/to-script"), "YELLOWRESULT",
         "redirect to an address a browser will not open"},
        {"To Nothing", site("/to-nothing"), "YELLOWRESULT",
         "redirect to an address a browser will not open"},
        {"Cookie", site("/cookie"), "GREENCHECK name Welcome Back"},
        {"Refresh", site("/refresh.html"), "GREENCHECK /refreshed name Refreshed"},
        // Addresses as a browser sends them, read whole.
        {"Spaced", site("/with space.html"), "GREENCHECK name Spaced Out"},
        {"Long", longAddress, "GREENCHECK name Long One"},
        // An error title only when it is an error page (PageReading has the words and
        // the decoding of titles).
        {"Handling", site("/handling"), "GREENCHECK name Error Handling in C++"},
        {"Titled Error", site("/titled-error"), "REDRESULT", "error page: "},
        {"Challenge", site("/challenge"), "GREENCHECK"},
        {"Soft Error", s.softSite.url("/gone-product"), "REDRESULT",
         "error page served with success"},
        {"Soft Real", s.softSite.url("/real"), "GREENCHECK name Real Page"},
    };
}

// One run over every case: what each favorite shows and how its file changed.
class CaseRun : public CheckerRig {
public:
    CaseRun(int parallel, bool rename)
    {
        settings.AutoThrottle = false;
        settings.Timeout = 3000;
        settings.Parallel = parallel;
        settings.ChangeName = rename;
        for (const Case& c : cases())
            favorite(c.name, c.url);
        checkAll();
    }
    // "light", then " PATH" when the address changed, then " name NAME" when renamed.
    QString outcome(const Case& c) const
    {
        for (const RunRecord& record : runner.lastRunRecords()) {
            if (record.path != c.name || !record.node)
                continue;
            QString text = pictureOf(record.node);
            if (record.url != c.url)
                text += " " + QUrl(record.url).path();
            if (!record.renamedTo.isEmpty())
                text += " name " + record.renamedTo;
            if (!c.reason.isEmpty() && !record.node->status().reason.startsWith(c.reason))
                text += " reason " + record.node->status().reason;
            return text;
        }
        return QStringLiteral("<not met>");
    }
};

// Every case's outcome in a run, each compared on its own so a failure names its case.
void expectOutcomes(const CaseRun& run, bool renaming, const char* how)
{
    for (const Case& c : cases()) {
        const QString want = renaming ? c.want : c.want.section(' ', 0, 0);
        EXPECT_EQ(c.name + ": " + run.outcome(c), c.name + ": " + want) << how;
    }
}

TEST(RealVerdicts, EachAnswerGivesTheLightAndChangeABrowsersUserExpects)
{
    servers(); // up before the first run, which reads the certificate to trust
    expectOutcomes(CaseRun(1, true), true, "one at a time");
    expectOutcomes(CaseRun(24, true), true, "many at once");
    // Renaming off, the shipped default: the same lights, and no file changes.
    expectOutcomes(CaseRun(24, false), false, "renaming off");
}

} // namespace
