// Checking many favorites at once gives exactly what checking them one at a
// time gives: the same lights, files, names, addresses, moves and time-out.

#include "CheckerRig.h"
#include "support/FixtureServer.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <QDirIterator>
#include <QThread>
#include <QTimer>

using namespace norvale;
using namespace norvale::test;

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

// One collection, checked once with the given number of checks at once.
class CheckedCollection : public CheckerRig {
public:
    explicit CheckedCollection(int parallel)
    {
        settings.AutoThrottle = true;
        settings.ShowNew = true;
        settings.MoveDead = true;
        settings.Parallel = parallel;
        fill();
    }

    void fill()
    {
        for (int i = 0; i < 14; ++i) {
            favorite(QStringLiteral("Alive/Site %1").arg(i, 2, 10, QLatin1Char('0')),
                     page({{"delay", QString::number(10 + (i * 37) % 120)},
                           {"body", QStringLiteral("<title>Site %1</title>").arg(i)}}));
        }
        for (int i = 0; i < 5; ++i)
            favorite(QStringLiteral("Quiet/Never %1").arg(i),
                     server().url(QStringLiteral("/silent?ms=4000&n=%1").arg(i)));
        favorite(QStringLiteral("Mixed/Dead"), page({{"status", "404"}}));
        favorite(QStringLiteral("Mixed/Gone"),
                 page({{"status", "410"}, {"body", "<title>x</title>"}}));
        favorite(QStringLiteral("Mixed/Moved"),
                 server().url(FixtureServer::path(
                     QStringLiteral("/redirect"),
                     {{"to", page({{"body", QStringLiteral("<title>Moved Here</title>")}})}})),
                 {QStringLiteral("Rename=1")});
        favorite(QStringLiteral("Mixed/Renamed"),
                 page({{"body", QStringLiteral("<title>Better Name</title>")}}),
                 {QStringLiteral("Rename=1")});
        favorite(QStringLiteral("Mixed/Skipped"),
                 page({{"body", QStringLiteral("<title>s</title>")}}),
                 {QStringLiteral("Bypass=1")});
        favorite(QStringLiteral("Mixed/Patient"),
                 page({{"delay", "1300"}, {"body", QStringLiteral("<title>Patient</title>")}}),
                 {QStringLiteral("Timeout=2000")});
        favorite(QStringLiteral("Mixed/Hasty"),
                 page({{"delay", "1600"}, {"body", QStringLiteral("<title>Hasty</title>")}}),
                 {QStringLiteral("Timeout=600")});
        favorite(
            QStringLiteral("Mixed/Fresh"),
            page({{"body", QStringLiteral("<title>Fresh</title>")},
                  {"header", QStringLiteral("Last-Modified: Mon, 01 Jun 2026 08:00:00 GMT")}}));
        favorite(
            QStringLiteral("Mixed/Slow Start"),
            server().url(FixtureServer::rawPath("HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n"
                                                "<title>Trickle</title>" +
                                                    QByteArray(200, ' '),
                                                0, 200)));
        fillCutAnswers();
        fillRedirectsAndNames();
    }

    // Answers the time-out cuts short: whatever had come, they are no answer.
    void fillCutAnswers()
    {
        favorite(QStringLiteral("Cut/Headers Then Stall"),
                 server().url(QStringLiteral("/drop?after=0&length=100&hold=4000")));
        favorite(QStringLiteral("Cut/Status Line Then Stall"),
                 server().url(FixtureServer::rawPath("HTTP/1.1 200 OK\r\n") +
                              QStringLiteral("&hold=4000")));
        // A favorite's own time-out above two seconds holds as written.
        favorite(QStringLiteral("Cut/Very Patient"),
                 page({{"delay", "2400"}, {"body", QStringLiteral("<title>Patient</title>")}}),
                 {QStringLiteral("Timeout=3000")});
    }

    // Redirect chains, resolved as a browser resolves them, and names taken
    // only from pages that answered with success.
    void fillRedirectsAndNames()
    {
        const QString end =
            FixtureServer::path(QStringLiteral("/page"), {{"body", "<title>Chain End</title>"}});
        const QString middle =
            FixtureServer::path(QStringLiteral("/redirect"), {{"to", end}, {"status", "302"}});
        favorite(QStringLiteral("Names/Chain"),
                 server().url(FixtureServer::path(QStringLiteral("/redirect"),
                                                  {{"to", middle}, {"status", "301"}})),
                 {QStringLiteral("Rename=1")});
        favorite(
            QStringLiteral("Names/Forbidden"),
            page({{"status", "403"}, {"body", QStringLiteral("<title>403 Forbidden</title>")}}),
            {QStringLiteral("Rename=1")});
        favorite(QStringLiteral("Names/Looping"), server().url(QStringLiteral("/loop")),
                 {QStringLiteral("Rename=1")});
    }

    // Everything a run leaves behind, as text to compare.
    QStringList snapshot() const
    {
        QStringList lines;
        for (int i = 1; i <= tree.count(); ++i) {
            const TreeNode* node = tree.node(i);
            lines.append(QStringLiteral("node %1 %2").arg(node->text(), images.key(node->image())));
        }
        QDirIterator files(temp.path(), QDir::Files, QDirIterator::Subdirectories);
        QStringList contents;
        while (files.hasNext()) {
            const QString path = files.next();
            if (path.endsWith(QLatin1String(".url")))
                contents.append(
                    QDir(temp.path()).relativeFilePath(path) + QLatin1Char(' ') +
                    QString::fromUtf8(temp.read(QDir(temp.path()).relativeFilePath(path))));
        }
        contents.sort();
        lines += contents;
        lines.append(QStringLiteral("timeout %1").arg(settings.Timeout));
        return lines;
    }
};

// Paths inside the snapshot differ only by the temporary folder, which is
// not in it (paths are relative).
TEST(ParallelRun, AllFavoritesGiveTheSameAsOneAtATime)
{
    CheckedCollection single(1);
    single.favorites.BuildFavoritesTree();
    single.runner.CheckAllLinks();
    CheckedCollection many(24);
    many.favorites.BuildFavoritesTree();
    many.runner.CheckAllLinks();
    const QStringList expected = single.snapshot();
    EXPECT_EQ(many.snapshot(), expected);
    // The run did exercise what it should.
    EXPECT_TRUE(expected.contains(QStringLiteral("node Better Name GREENCHECK")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Patient GREENCHECK")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Hasty YELLOWRESULT")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Fresh GREENNEW")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Skipped GRAYDOT")));
    for (const char* cut : {"Slow Start", "Headers Then Stall", "Status Line Then Stall"}) {
        EXPECT_TRUE(expected.contains(QStringLiteral("node %1 YELLOWRESULT").arg(cut)))
            << cut << ": an answer cut by the time-out is no answer, whatever had come";
    }
    EXPECT_TRUE(expected.contains(QStringLiteral("node Very Patient GREENCHECK")));
    EXPECT_TRUE(expected.contains(QStringLiteral("node Chain End GREENCHECK")));
    EXPECT_TRUE(expected.contains(
        QStringLiteral("Favorites/Names/Chain End.url "
                       "[InternetShortcut]\r\nURL=%1\r\n"
                       "[Brimwick]\r\nRename=1\r\n")
            .arg(server().url(FixtureServer::path(QStringLiteral("/page"),
                                                  {{"body", "<title>Chain End</title>"}})))))
        << "the address written is the chain's end";
    EXPECT_TRUE(expected.contains(QStringLiteral("node Forbidden GREENCHECK")))
        << "a 403 page's title names no favorite";
    EXPECT_TRUE(expected.contains(QStringLiteral("node Looping GREENCHECK")));
}

TEST(ParallelRun, OneFolderGivesTheSameAsOneAtATime)
{
    CheckedCollection single(1);
    single.favorites.BuildFavoritesTree();
    CheckedCollection many(24);
    many.favorites.BuildFavoritesTree();
    auto folder = [](CheckedCollection& run) {
        for (int i = 1; i <= run.tree.count(); ++i) {
            if (run.tree.node(i)->text() == QLatin1String("Mixed"))
                return run.tree.node(i);
        }
        return static_cast<TreeNode*>(nullptr);
    };
    single.runner.CheckFolderLinks(folder(single));
    many.runner.CheckFolderLinks(folder(many));
    EXPECT_EQ(many.snapshot(), single.snapshot());
}

// Each case runs one at a time and with several checks at once.
class EitherWay : public testing::TestWithParam<int> {
protected:
    EitherWay() { m_rig.settings.Parallel = GetParam(); }

    int lightsOf(const QString& key) const
    {
        int count = 0;
        for (int i = 1; i <= m_rig.tree.count(); ++i)
            count += m_rig.images.key(m_rig.tree.node(i)->image()) == key;
        return count;
    }

    CheckerRig m_rig;
};

TEST_P(EitherWay, StopStillGivesTheAwaitedFavoriteItsVerdict)
{
    m_rig.favorite(QStringLiteral("A Slow"),
                   page({{"delay", "900"}, {"body", QStringLiteral("<title>A</title>")}}));
    m_rig.favorite(QStringLiteral("B Later"), page({{"body", QStringLiteral("<title>B</title>")}}));
    m_rig.favorites.BuildFavoritesTree();
    QTimer::singleShot(300, [this] { m_rig.runner.stop(); });
    m_rig.runner.CheckAllLinks();
    EXPECT_EQ(m_rig.images.key(NodeNamed(m_rig.tree, QStringLiteral("A Slow"))->image()),
              QStringLiteral("GREENCHECK"))
        << "the favorite whose turn it was when Stop came";
    EXPECT_EQ(m_rig.images.key(NodeNamed(m_rig.tree, QStringLiteral("B Later"))->image()),
              QStringLiteral("IELOGO"));
    EXPECT_EQ(m_rig.boxes.shown().last().text, QStringLiteral("Favorites Checking Aborted"));
}

TEST_P(EitherWay, BusyWindowNeverTurnsAnAnswerIntoSilence)
{
    for (int i = 0; i < 8; ++i) {
        m_rig.favorite(
            QStringLiteral("Quick %1").arg(i),
            page({{"delay", "50"}, {"body", QStringLiteral("<title>Q%1</title>").arg(i)}}));
    }
    m_rig.favorites.BuildFavoritesTree();
    // The window's thread is held up for twice the time-out while pages come.
    QTimer::singleShot(0, [] { QThread::msleep(2000); });
    m_rig.runner.CheckAllLinks();
    EXPECT_EQ(lightsOf(QStringLiteral("GREENCHECK")), 8);
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
    rig.favorites.BuildFavoritesTree();
    rig.runner.CheckAllLinks();
    const int peak = FixtureNumber(server(), QStringLiteral("/peak?path=/one-host"));
    EXPECT_LE(peak, 2);
    EXPECT_GE(peak, 1) << "the server saw the run";
}

} // namespace
