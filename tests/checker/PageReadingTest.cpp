#include "checker/PageReading.h"

#include <gmock/gmock.h>
#include <QTimeZone>

using namespace norvale;

namespace {

struct TitleCase {
    const char* raw;
    const char* cleaned;
};

class CleanTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(CleanTitleTest, CleansAsExpected)
{
    EXPECT_EQ(CleanTitle(QString::fromUtf8(GetParam().raw)), QString::fromUtf8(GetParam().cleaned));
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CleanTitleTest,
    testing::Values(TitleCase{"Tom &amp; Jerry&#33;", "Tom & Jerry!"}, TitleCase{"A&#8364;B", "AB"},
                    TitleCase{"A&#8364;B&#8364;C", "ABC"},
                    TitleCase{"Broken\r\nover\tlines", "Brokenoverlines"},
                    TitleCase{"&AMP;", "&AMP;"}, TitleCase{"  say &quot;hi&quot;  ", "say \"hi\""},
                    TitleCase{"&copy; 2026 &reg;", "\u00a9 2026 \u00ae"},
                    TitleCase{"Brand&trade;&#153; Shop", "Brand Shop"},
                    TitleCase{"caf&#233;", "caf\u00e9"}, TitleCase{"&#128; sign", "\u20ac sign"},
                    TitleCase{"&#38;#65;", "A"},
                    TitleCase{"hex &#x41; stays, &#65; goes", "hex &#x41; stays, A goes"},
                    TitleCase{"&#abc; and &#66;", "&#abc; and B"},
                    TitleCase{"no end &#65", "no end &#65"}, TitleCase{"Q&#A; time", "Q&#A; time"},
                    TitleCase{"&#38;#38;#65;&#38;#x;", "A&#x;"},
                    TitleCase{"&#0000065;&#4294967361;&#;", "A&#4294967361;&#;"},
                    TitleCase{"&#a&#66;;", "&#aB;"}, TitleCase{"", ""}));

TEST(FindTitle, BetweenTheTagsInAnyCase)
{
    EXPECT_EQ(FindTitle(QStringLiteral("<html><TiTlE>Home</tItLe>")), QStringLiteral("Home"));
    EXPECT_EQ(FindTitle(QStringLiteral("<html><body>none</body>")), QString());
    EXPECT_EQ(FindTitle(QStringLiteral("</title> then <title>late")), QString());
    EXPECT_EQ(FindTitle(QStringLiteral("<title></title>")), QString());
}

TEST(ErrorTitle, WordsAndCodesThatNameAnErrorPage)
{
    EXPECT_TRUE(IsErrorTitle(QStringLiteral("404 Not Found")));
    EXPECT_TRUE(IsErrorTitle(QStringLiteral("Server Error in Application")));
    EXPECT_TRUE(IsErrorTitle(QStringLiteral("Errors and omissions")));
    EXPECT_TRUE(IsErrorTitle(QStringLiteral("page not found")));
    EXPECT_TRUE(IsErrorTitle(QStringLiteral("400 Bad Request")));
    EXPECT_FALSE(IsErrorTitle(QStringLiteral("Room 404")));
    EXPECT_FALSE(IsErrorTitle(QStringLiteral("Welcome")));
}

TEST(StatusCode, CharactersTenToTwelve)
{
    EXPECT_EQ(GetStatusCode(QStringLiteral("HTTP/1.1 302 Found\r\n")), 302);
    EXPECT_EQ(GetStatusCode(QStringLiteral("HTTP/1.0 200 OK")), 200);
    EXPECT_EQ(GetStatusCode(QStringLiteral("<html>not a status line")), 0);
    EXPECT_EQ(GetStatusCode(QStringLiteral("short")), 0);
    EXPECT_EQ(GetStatusCode(QString()), 0);
}

struct RedirectCase {
    const char* text;
    const char* url;
    const char* target;
};

class RedirectTest : public testing::TestWithParam<RedirectCase> {};

TEST_P(RedirectTest, FindsTheTarget)
{
    EXPECT_EQ(GetRedirect(QString::fromUtf8(GetParam().text), QString::fromUtf8(GetParam().url)),
              QString::fromUtf8(GetParam().target));
}

INSTANTIATE_TEST_SUITE_P(
    Redirects, RedirectTest,
    testing::Values(
        // Relative targets resolve as a browser resolves them.
        RedirectCase{"HTTP/1.1 301 Moved\r\nLocation: /new\r\n\r\n", "http://h.test/old/page",
                     "http://h.test/new"},
        RedirectCase{"HTTP/1.1 302 Found\r\nLocation: next\r\n\r\n", "http://h.test/dir",
                     "http://h.test/next"},
        RedirectCase{"HTTP/1.1 302 Found\r\nLocation: next?a=1\r\n\r\n", "http://h.test/dir/",
                     "http://h.test/dir/next?a=1"},
        RedirectCase{"HTTP/1.1 302 Found\r\nLocation: ../up\r\n\r\n", "http://h.test/a/b/c",
                     "http://h.test/a/up"},
        RedirectCase{"HTTP/1.1 301 Moved\r\nLocation: //cdn.test/x\r\n\r\n", "https://h.test/y",
                     "https://cdn.test/x"},
        // A target with a scheme of its own stands as it is, whatever the scheme.
        RedirectCase{"HTTP/1.1 302 Found\r\nLocation: javascript:go()\r\n\r\n", "http://h.test/",
                     "javascript:go()"},
        RedirectCase{"HTTP/1.1 307 Temp\r\nlocation: https://other.test/x\r\n\r\n",
                     "http://h.test/", "https://other.test/x"},
        RedirectCase{"HTTP/1.1 303 See\r\nContent-Location: /wrong\r\nLocation: /right\r\n\r\n",
                     "http://h.test", "http://h.test/right"},
        RedirectCase{"HTTP/1.1 301 Moved\r\nContent-Location: /only\r\n\r\n", "http://h.test", ""},
        RedirectCase{"HTTP/1.1 301 Moved\r\nLocation: /no-line-end", "http://h.test", ""},
        RedirectCase{"HTTP/1.1 308 Permanent\r\nLocation: /ignored\r\n\r\n", "http://h.test", ""},
        RedirectCase{"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"0; "
                     "URL=http://h.test/moved\">",
                     "http://h.test", "http://h.test/moved"},
        RedirectCase{"HTTP/1.1 200 OK\r\n\r\n<META HTTP-EQUIV=\"REFRESH\" CONTENT=\"5; "
                     "url=relative.html\">",
                     "http://h.test/dir/page", "http://h.test/dir/relative.html"},
        RedirectCase{"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"0; "
                     "URL=http://h.test/no-quote>",
                     "http://h.test", ""},
        RedirectCase{"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"0; URL=x",
                     "http://h.test", ""},
        RedirectCase{"HTTP/1.1 200 OK\r\n\r\n<p>plain page</p>", "http://h.test", ""}));

TEST(CheckDate, ReadsTheLastModifiedHeader)
{
    const QDateTime now(QDate(2026, 6, 1), QTime(12, 0));
    const QDateTime nowWallClock(now.date(), now.time(), QTimeZone::utc());
    EXPECT_EQ(CheckDate(QStringLiteral("HTTP/1.1 200 OK\r\nLast-Modified: Wed, 21 Oct 2015 "
                                       "07:28:00 GMT\r\n\r\n"),
                        now),
              QDateTime(QDate(2015, 10, 21), QTime(7, 28), QTimeZone::utc()));
    EXPECT_EQ(CheckDate(QStringLiteral("last-modified: Sun, 06 Nov 1994 08:49:37 gmt"), now),
              QDateTime(QDate(1994, 11, 6), QTime(8, 49, 37), QTimeZone::utc()));
    EXPECT_EQ(CheckDate(QStringLiteral("HTTP/1.1 200 OK\r\n\r\nno date"), now), nowWallClock);
    EXPECT_EQ(CheckDate(QStringLiteral("Last-Modified: Wed, 21 Oct 2015 07:28:00 CET"), now),
              nowWallClock)
        << "no GMT";
    EXPECT_EQ(CheckDate(QStringLiteral("Last-Modified: 2015-10-21T07:28:00 GMT"), now),
              nowWallClock)
        << "a date in another form";
}

} // namespace
