#include "checker/PageReading.h"

#include <gmock/gmock.h>
#include <QTimeZone>

using namespace norvale;

namespace {

TEST(PageReading, TitlesAreCleaned)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Tom &amp; Jerry&#33;", "Tom & Jerry!"},
        {"A&#8364;B", "AB"},
        {"A&#8364;B&#8364;C", "ABC"},
        {"Broken\r\nover\tlines", "Brokenoverlines"},
        {"&AMP;", "&AMP;"},
        {"  say &quot;hi&quot;  ", "say \"hi\""},
        {"&copy; 2026 &reg;", "\u00a9 2026 \u00ae"},
        {"Brand&trade;&#153; Shop", "Brand Shop"},
        {"caf&#233;", "caf\u00e9"},
        {"&#128; sign", "\u20ac sign"},
        {"&#38;#65;", "A"},
        {"hex &#x41; stays, &#65; goes", "hex &#x41; stays, A goes"},
        {"&#abc; and &#66;", "&#abc; and B"},
        {"no end &#65", "no end &#65"},
        {"Q&#A; time", "Q&#A; time"},
        {"&#38;#38;#65;&#38;#x;", "A&#x;"},
        {"&#0000065;&#4294967361;&#;", "A&#4294967361;&#;"},
        {"&#a&#66;;", "&#aB;"},
        {"", ""}};
    for (const auto& [raw, cleaned] : rows)
        EXPECT_EQ(CleanTitle(raw), cleaned) << raw;
}

TEST(PageReading, TitleStatusAndErrorWords)
{
    EXPECT_EQ(FindTitle("<html><TiTlE>Home</tItLe>"), "Home");
    for (const char* none :
         {"<html><body>none</body>", "</title> then <title>late", "<title></title>"})
        EXPECT_EQ(FindTitle(none), QString()) << none;
    for (const char* error : {"404 Not Found", "Server Error in Application",
                              "Errors and omissions", "page not found", "400 Bad Request"})
        EXPECT_TRUE(IsErrorTitle(error)) << error;
    EXPECT_FALSE(IsErrorTitle("Room 404"));
    EXPECT_FALSE(IsErrorTitle("Welcome"));
    // The status is characters ten to twelve.
    EXPECT_EQ(GetStatusCode("HTTP/1.1 302 Found\r\n"), 302);
    EXPECT_EQ(GetStatusCode("HTTP/1.0 200 OK"), 200);
    for (const char* none : {"<html>not a status line", "short", ""})
        EXPECT_EQ(GetStatusCode(none), 0) << none;
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
    EXPECT_EQ(CheckDate("last-modified: Sun, 06 Nov 1994 08:49:37 gmt", now),
              QDateTime(QDate(1994, 11, 6), QTime(8, 49, 37), QTimeZone::utc()));
    for (const char* undated :
         {"HTTP/1.1 200 OK\r\n\r\nno date", "Last-Modified: Wed, 21 Oct 2015 07:28:00 CET",
          "Last-Modified: 2015-10-21T07:28:00 GMT"})
        EXPECT_EQ(CheckDate(undated, now), nowWallClock) << undated;
}

} // namespace
