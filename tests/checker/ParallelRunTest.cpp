// Checking many favorites at once gives exactly what checking one at a time gives.

#include "CheckerRig.h"

#include <gmock/gmock.h>
#include <QDirIterator>
#include <QFile>
#include <QThread>
#include <QTimer>

using namespace norvale;
using namespace norvale::test;

namespace {

QString page(const QList<std::pair<QString, QString>>& query)
{
    return server().url(FixtureServer::path("/page", query));
}

// One collection, checked once with the given number of checks at once.
class CheckedCollection : public CheckerRig {
public:
    explicit CheckedCollection(int parallel)
    {
        settings.AutoThrottle = settings.ShowNew = settings.MoveDead = true;
        settings.Parallel = parallel;
        // The first look alone: the second asks the stalling pages again.
        settings.LookAgain = false;
        for (int i = 0; i < 14; ++i)
            favorite(
                QStringLiteral("Alive/Site %1").arg(i, 2, 10, QLatin1Char('0')),
                titled(QStringLiteral("Site %1").arg(i), QString::number(10 + (i * 37) % 120)));
        for (int i = 0; i < 5; ++i)
            favorite(QStringLiteral("Quiet/Never %1").arg(i),
                     server().url(QStringLiteral("/silent?ms=4000&n=%1").arg(i)));
        const QString chainEnd =
            FixtureServer::path("/page", {{"body", "<title>Chain End</title>"}});
        const QString middle =
            FixtureServer::path("/redirect", {{"to", chainEnd}, {"status", "302"}});
        const struct {
            const char* name;
            QString url;
            const char* own;
        } rows[] = {
            {"Mixed/Dead", page({{"status", "404"}}), nullptr},
            {"Mixed/Renamed", titled("Better Name"), "Rename=1"},
            {"Mixed/Skipped", titled("s"), "Bypass=1"},
            {"Mixed/Patient", titled("Patient", "1300"), "Timeout=2000"},
            {"Mixed/Hasty", titled("Hasty", "1600"), "Timeout=600"},
            {"Mixed/Fresh",
             page({{"body", "<title>Fresh</title>"},
                   {"header", "Last-Modified: Mon, 01 Jun 2026 08:00:00 GMT"}}),
             nullptr},
            // Answers the time-out cuts short: whatever had come, they are no answer.
            {"Mixed/Slow Start",
             server().url(FixtureServer::rawPath("HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n"
                                                 "<title>Trickle</title>" +
                                                     QByteArray(200, ' '),
                                                 0, 200)),
             nullptr},
            {"Cut/Headers Then Stall", server().url("/drop?after=0&length=100&hold=4000"), nullptr},
            {"Cut/Status Line Then Stall",
             server().url(FixtureServer::rawPath("HTTP/1.1 200 OK\r\n") + "&hold=4000"), nullptr},
            // A favorite's own time-out above two seconds holds as written.
            {"Cut/Very Patient", titled("Patient", "2400"), "Timeout=3000"},
            // Chains resolved as a browser resolves them; names only from success.
            {"Names/Chain",
             server().url(FixtureServer::path("/redirect", {{"to", middle}, {"status", "301"}})),
             "Rename=1"},
            {"Names/Forbidden", page({{"status", "403"}, {"body", "<title>403 Forbidden</title>"}}),
             "Rename=1"},
            {"Names/Looping", server().url("/loop"), "Rename=1"},
        };
        for (const auto& row : rows)
            favorite(row.name, row.url, row.own ? QStringList{row.own} : QStringList{});
    }

    // Everything a run leaves behind, as text to compare.
    QStringList snapshot() const
    {
        QStringList lines, contents;
        for (int i = 1; i <= tree.count(); ++i)
            lines.append("node " + tree.node(i)->text() + " " + pictureOf(tree.node(i)));
        QDirIterator files(temp.path(), {"*.url"}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = QDir(temp.path()).relativeFilePath(files.next());
            contents.append(path + " " + QString::fromUtf8(temp.read(path)));
        }
        contents.sort();
        return lines + contents + QStringList{QStringLiteral("timeout %1").arg(settings.Timeout)};
    }
};

// A folder run, then a run of all favorites, one at a time and 24 at once.
TEST(ParallelRun, FolderAndAllFavoritesGiveTheSameAsOneAtATime)
{
    CheckedCollection single(1), many(24);
    QStringList expected;
    for (CheckedCollection* run : {&single, &many}) {
        run->favorites.BuildFavoritesTree();
        run->runner.CheckFolderLinks(NodeNamed(run->tree, "Mixed"));
        const QStringList afterFolder = run->snapshot();
        run->runner.CheckAllLinks();
        if (run == &single)
            expected = afterFolder + single.snapshot();
        else
            EXPECT_EQ(afterFolder + many.snapshot(), expected);
        EXPECT_EQ(expected.last(), "timeout 1025")
            << "silences and alive streaks move the time-out";
    }
    EXPECT_EQ(
        single.lightsOf({"Better Name", "Patient", "Hasty", "Fresh", "Skipped", "Very Patient",
                         "Chain", "Looping", "Forbidden", "Slow Start", "Headers Then Stall",
                         "Status Line Then Stall"}),
        "GREENCHECK GREENCHECK YELLOWRESULT GREENNEW GRAYDOT GREENCHECK GREENCHECK YELLOWRESULT "
        "YELLOWRESULT YELLOWRESULT YELLOWRESULT YELLOWRESULT")
        << "own time-outs hold, a chain through a temporary move keeps address and name, a 403 "
           "is no answer, and an answer cut by the time-out is no answer, whatever had come";
}

// Each case runs one at a time and with several checks at once.
class EitherWay : public testing::TestWithParam<int>, public CheckerRig {
protected:
    EitherWay() { settings.Parallel = GetParam(); }
};

// Stop keeps the awaited favorite's verdict, leaves the rest and still moves the dead.
TEST_P(EitherWay, StopKeepsTheAwaitedVerdictAndStillMovesTheDead)
{
    settings.MoveDead = true;
    favorite("0 Dead", page({{"status", "404"}}));
    favorite("A Slow", titled("A", "900"));
    favorite("B Later", titled("B"));
    QTimer::singleShot(300, [this] {
        EXPECT_TRUE(state.Checking) << "a close would be refused now";
        const TreeNode* before = tree.node(3);
        favorites.RefreshLinks(); // as a dialog closed during the run would
        EXPECT_EQ(tree.node(3), before) << "the walked tree is never rebuilt under the run";
        runner.stop();
        runner.stop();
    });
    checkAll();
    EXPECT_EQ(lightsOf({"A Slow", "B Later"}), "GREENCHECK IELOGO");
    EXPECT_TRUE(QFile::exists(temp.path("program/Dead Favorites/0 Dead.url")));
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, "Favorites Checking Aborted");
    EXPECT_EQ(status.panelText(2), " Verifying Favorites ");
}

TEST_P(EitherWay, BusyWindowNeverTurnsAnAnswerIntoSilence)
{
    QStringList names;
    for (int i = 0; i < 8; ++i) {
        names.append(QStringLiteral("Quick %1").arg(i));
        favorite(names.last(), titled(QStringLiteral("Q%1").arg(i), "50"));
    }
    // The window's thread is held up for twice the time-out while pages come.
    QTimer::singleShot(0, [] { QThread::msleep(2000); });
    checkAll();
    EXPECT_EQ(lightsOf(names), QStringList(8, "GREENCHECK").join(' '));
}

INSTANTIATE_TEST_SUITE_P(OneOrMany, EitherWay, testing::Values(1, 24));

TEST(ParallelRun, NeverMoreThanTwoChecksAtOnceToOneHost)
{
    CheckerRig rig;
    rig.settings.Parallel = 8;
    // Each answer is held long enough for every fetch started ahead to overlap it.
    for (int i = 0; i < 6; ++i)
        rig.favorite(QStringLiteral("Same Host %1").arg(i),
                     server().url(QStringLiteral("/one-host?delay=600&n=%1").arg(i)));
    rig.checkAll();
    const int peak = FixtureNumber(server(), "/peak?path=/one-host");
    EXPECT_LE(peak, 2);
    EXPECT_GE(peak, 1) << "the server saw the run";
}

// Ten good answers in a row shorten the program-wide time-out by 25 ms, and
// four silences among ten lengthen it by 50 ms, but never below the floor
// or beyond the ceiling.
TEST(ParallelRun, TheThrottleKeepsTheTimeOutWithinItsLimits)
{
    const struct {
        const char* name;
        int start;
        bool silent;
        int after;
    } rows[] = {
        {"shortened", 1000, false, 975},
        {"at the floor", 510, false, 500},
        {"lengthened", 1000, true, 1050},
        {"at the ceiling", 1950, true, 1950},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CheckerRig rig;
        rig.settings.AutoThrottle = true;
        rig.settings.LookAgain = false;
        rig.settings.Timeout = row.start;
        for (int i = 0; i < 10; ++i)
            rig.favorite(QStringLiteral("Site %1").arg(i),
                         row.silent ? QStringLiteral("http://127.0.0.1:1/")
                                    : titled(QStringLiteral("S%1").arg(i)));
        rig.checkAll();
        EXPECT_EQ(rig.settings.Timeout, row.after);
    }
}

} // namespace
