// Verdicts over time: the second look at the end of a run, the failure
// history each favorite keeps in its file, dead only when it stays dead,
// and bot checks kept out of both.

#include "CheckerRig.h"
#include "platform/ProfileFile.h"

#include <gmock/gmock.h>
#include <QFile>
#include <QTimer>
#include <QUuid>

using namespace norvale;
using namespace norvale::test;

namespace {

// A /flaky page of the fixture server with a key of its own.
struct Flaky {
    QString key = QUuid::createUuid().toString(QUuid::Id128);
    QString url(int fails, int status, const QString& header = {}, int pauseMs = 0) const
    {
        QList<std::pair<QString, QString>> query{{"key", key},
                                                 {"fails", QString::number(fails)},
                                                 {"status", QString::number(status)},
                                                 {"pause", QString::number(pauseMs)}};
        if (!header.isEmpty())
            query.append({"header", header});
        return server().url(FixtureServer::path("/flaky", query));
    }
    int asked() const { return FixtureNumber(server(), "/count?key=" + key); }
};

// Nothing listens on port 1: the connection is refused at once.
const QString kRefused = QStringLiteral("http://127.0.0.1:1/");

QString botCheck(int status, const QString& header, const QString& title)
{
    return server().url(
        FixtureServer::path("/page", {{"status", QString::number(status)},
                                      {"header", header},
                                      {"body", "<html><title>" + title + "</title></html>"}}));
}

class VerdictsOverTimeTest : public testing::Test, public CheckerRig {
protected:
    VerdictsOverTimeTest() { settings.AutoThrottle = false; }

    QString history(const QString& name) const
    {
        const QString path = temp.path("Favorites/" + name + ".url");
        return ProfileFile::read(path, "Brimwick", "FailingSince", "-") + " " +
               ProfileFile::read(path, "Brimwick", "Failures", "-");
    }
    QString reasonOf(const QString& name) const
    {
        const TreeNode* node = NodeNamed(tree, name);
        return node ? node->status().reason : QStringLiteral("<gone>");
    }
    // Checks all favorites on the day given.
    void checkAllOn(const QDate& day)
    {
        clock.setNow(QDateTime(day, QTime(12, 0)));
        checkAll();
    }
    // Runs `during` every 20 ms while the run is under way.
    void watch(std::function<void()> during)
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, std::move(during));
        timer->start(20);
        m_timers.emplace_back(timer);
    }
    std::vector<std::unique_ptr<QTimer>> m_timers;
};

// Trouble that may pass is asked about once more at the end of the run,
// one at a time to each host; what is dead, a bot check, or the option off
// is not.
TEST_F(VerdictsOverTimeTest, SecondLookGivesTheVerdictOfTroubleThatPassed)
{
    const struct {
        const char* name;
        int fails;
        int status;
        const char* header;
        bool lookAgain;
        const char* light;
        int asked;
    } rows[] = {
        {"Busy Once", 1, 503, "", true, "GREENCHECK", 2},
        {"Dropped Once", 1, 0, "", true, "GREENCHECK", 2},
        {"Busy Twice", 2, 503, "", true, "YELLOWRESULT", 2},
        {"Gone", 9, 404, "", true, "REDRESULT", 1},
        {"Bot Check", 9, 503, "cf-mitigated: challenge", true, "YELLOWRESULT", 1},
        {"Option Off", 1, 503, "", false, "YELLOWRESULT", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings.LookAgain = row.lookAgain;
        const Flaky flaky;
        favorite(row.name, flaky.url(row.fails, row.status, row.header));
        checkAll();
        EXPECT_EQ(lightsOf({row.name}), row.light);
        EXPECT_EQ(flaky.asked(), row.asked);
        QFile::remove(temp.path(QStringLiteral("Favorites/%1.url").arg(row.name)));
    }
}

// A server that asks for a pause is asked again once the pause is over and
// not before (it answers only then); the status bar says what is awaited.
TEST_F(VerdictsOverTimeTest, AskedAgainOnlyAfterThePauseTheServerNamed)
{
    const Flaky flaky;
    favorite("Slow Down", flaky.url(1, 429, "Retry-After: 3", 3000));
    QStringList shown;
    watch([&] {
        if (status.panelText(2).contains("Waiting"))
            shown.append(status.panelText(2));
    });
    checkAll();
    EXPECT_EQ(lightsOf({"Slow Down"}), "GREENCHECK");
    EXPECT_EQ(flaky.asked(), 2);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), " Waiting 3 s to look again at 127.0.0.1, which asked for a pause ");
}

// Stop during the wait ends the run at once; the first verdict stands and
// counts in the history.
TEST_F(VerdictsOverTimeTest, StopDuringTheWaitKeepsTheFirstVerdict)
{
    const Flaky flaky;
    favorite("Pause", flaky.url(9, 503, "Retry-After: 600"));
    watch([&] {
        if (status.panelText(2).contains("Waiting"))
            runner.stop();
    });
    checkAll();
    EXPECT_EQ(lightsOf({"Pause"}), "YELLOWRESULT");
    EXPECT_EQ(flaky.asked(), 1);
    EXPECT_EQ(boxes.shown().last().text, "Favorites Checking Aborted");
    EXPECT_EQ(history("Pause"), "2026-06-01 1");
}

// The history keys come with the first failure, count up with each one
// after it, and go with the first answer; every other byte of the file
// stays as it was, whatever its line ends and sections.
TEST_F(VerdictsOverTimeTest, HistoryKeysComeCountUpAndGoLeavingEveryOtherByte)
{
    settings.LookAgain = false;
    const QByteArray plain = "[InternetShortcut]\r\nURL=" + Flaky().url(2, 0).toUtf8() + "\r\n";
    const QByteArray own = "; kept\n[InternetShortcut]\nURL=" + Flaky().url(2, 0).toUtf8() +
                           "\nIconIndex=0\n[Brimwick]\nRename=0\n\n[Other]\nx=1\n";
    temp.file("Favorites/Plain.url", plain);
    temp.file("Favorites/Own.url", own);

    checkAllOn(QDate(2026, 11, 20));
    EXPECT_EQ(history("Plain") + " | " + history("Own"), "2026-11-20 1 | 2026-11-20 1");
    EXPECT_EQ(temp.read("Favorites/Plain.url"),
              plain + "[Brimwick]\r\nFailingSince=2026-11-20\r\nFailures=1\r\n");
    EXPECT_EQ(reasonOf("Plain"), "closed without an answer") << "one failure is no history yet";

    checkAllOn(QDate(2026, 11, 27));
    EXPECT_EQ(history("Plain") + " | " + history("Own"), "2026-11-20 2 | 2026-11-20 2");
    EXPECT_EQ(reasonOf("Own"), "closed without an answer since 20 Nov 2026 (2 checks)");

    checkAllOn(QDate(2026, 12, 4)); // the flaky pages answer from their third request on
    EXPECT_EQ(lightsOf({"Plain", "Own"}), "GREENCHECK GREENCHECK");
    EXPECT_EQ(temp.read("Favorites/Plain.url"), plain);
    EXPECT_EQ(temp.read("Favorites/Own.url"), own);
}

// A favorite whose site stays unreachable is dead once both limits are
// reached, and moved aside; short of either, with the option off, or for
// trouble that says the site is there, it stays.
TEST_F(VerdictsOverTimeTest, DeadOnlyWhenBothLimitsAreReached)
{
    settings.MoveDead = true;
    settings.DeadAfterFailures = true;
    settings.LookAgain = false;
    const struct {
        const char* name;
        QString url;
        const char* since;
        int failures;
        bool optionOn;
        bool moved;
    } rows[] = {
        {"Long Refused", kRefused, "2026-05-01", 2, true, true},
        {"Recent Refused", kRefused, "2026-05-25", 2, true, false},
        {"Few Refused", kRefused, "2026-01-01", 1, true, false},
        {"Option Off", kRefused, "2026-01-01", 5, false, false},
        {"Slow Down", Flaky().url(9, 429), "2026-01-01", 5, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings.DeadAfterFailures = row.optionOn;
        favorite(row.name, row.url,
                 {QStringLiteral("FailingSince=%1").arg(row.since),
                  QStringLiteral("Failures=%1").arg(row.failures)});
        checkAll();
        EXPECT_EQ(
            QFile::exists(temp.path(QStringLiteral("program/Dead Favorites/%1.url").arg(row.name))),
            row.moved);
        EXPECT_EQ(QFile::exists(temp.path(QStringLiteral("Favorites/%1.url").arg(row.name))),
                  !row.moved);
        if (row.moved) {
            EXPECT_EQ(reasonOf(row.name), "connection refused since 1 May 2026 (3 checks)");
        }
        QFile::remove(temp.path(QStringLiteral("Favorites/%1.url").arg(row.name)));
    }
}

// A bot check of every kind known stays out of dead and out of the history.
TEST_F(VerdictsOverTimeTest, BotChecksNeverCountAsFailures)
{
    settings.DeadAfterFailures = true;
    settings.MoveDead = true;
    const QString rows[] = {
        botCheck(403, "cf-mitigated: challenge", "Example"),
        botCheck(503, "Server: cloudflare", "Just a moment..."),
        botCheck(403, "Server: cloudflare", "Attention Required! | Cloudflare"),
        botCheck(403, "Server: ddos-guard", "DDoS-Guard"),
        botCheck(403, "Server: Sucuri/Cloudproxy", "Sucuri WebSite Firewall - Access Denied"),
        botCheck(429, "cf-mitigated: challenge", "Example"),
    };
    QList<QByteArray> before;
    for (int i = 0; i < int(std::size(rows)); ++i) {
        favorite(QStringLiteral("Bot %1").arg(i), rows[i],
                 {"FailingSince=2026-01-01", "Failures=7"});
        before.append(temp.read(QStringLiteral("Favorites/Bot %1.url").arg(i)));
    }
    checkAll();
    for (int i = 0; i < int(std::size(rows)); ++i) {
        SCOPED_TRACE(rows[i].toStdString());
        const QString name = QStringLiteral("Bot %1").arg(i);
        EXPECT_EQ(lightsOf({name}), "YELLOWRESULT");
        EXPECT_EQ(reasonOf(name), "blocked by a bot check: open it in your browser");
        EXPECT_EQ(temp.read("Favorites/" + name + ".url"), before[i]);
    }
    // The same page without the service's header is a refusal like any other.
    favorite("Plain Refusal", botCheck(403, "Server: nginx", "Just a moment..."));
    checkAll();
    EXPECT_EQ(reasonOf("Plain Refusal"), "refused (403): may be a bot check");
}

// A favorite moved aside and alive again shows alive when the Dead
// Favorites folder is checked, forgets its failures and stays where it is.
TEST_F(VerdictsOverTimeTest, AliveAgainInDeadFavorites)
{
    settings.MoveDead = true;
    const QString url = titled("Back");
    temp.shortcut("program/Dead Favorites/Was Down.url", url,
                  {"FailingSince=2026-01-01", "Failures=4"});
    // Still dead: it stays the one copy it is.
    temp.shortcut("program/Dead Favorites/Still Down.url", server().url("/missing"));
    favorites.BuildFavoritesTree();
    runner.CheckFolderLinks(tree.node(1));
    EXPECT_EQ(lightsOf({"Was Down", "Still Down"}), "GREENCHECK REDRESULT");
    EXPECT_TRUE(QFile::exists(temp.path("program/Dead Favorites/Still Down.url")));
    EXPECT_EQ(temp.read("program/Dead Favorites/Was Down.url"),
              "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
}

} // namespace
