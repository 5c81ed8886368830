// The check runs over real favorites in a temporary folder, probing the
// fixture server on 127.0.0.1.

#include "checker/UnattendedReport.h"
#include "CheckerRig.h"
#include "platform/ProfileFile.h"
#include "support/FixtureServer.h"
#include "support/SmallDisk.h"
#include "support/TreeLookup.h"

#include <gmock/gmock.h>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <sys/stat.h>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

FixtureServer& server()
{
    static FixtureServer instance;
    return instance;
}

QString page(const QString& body, const QStringList& headers = {}, int status = 200)
{
    QList<std::pair<QString, QString>> query{{"body", body}, {"status", QString::number(status)}};
    for (const QString& header : headers)
        query.append({"header", header});
    return server().url(FixtureServer::path(QStringLiteral("/page"), query));
}

QString titled(const QString& title)
{
    return page(QStringLiteral("<html><title>") + title + QStringLiteral("</title></html>"));
}

class CheckRunnerTest : public testing::Test {
protected:
    CheckRunnerTest()
    {
        m_settings.AutoThrottle = false;
        m_runner.setCommandUpdater([this](CommandState state) { m_commands.append(int(state)); });
    }

    void favorite(const QString& relative, const QString& url, const QStringList& own = {})
    {
        m_rig.favorite(relative, url, own);
    }

    TreeNode* nodeNamed(const QString& text) const { return NodeNamed(m_tree, text); }

    QString lightOf(const QString& text) const
    {
        const TreeNode* node = nodeNamed(text);
        if (!node)
            return QStringLiteral("<gone>");
        const int image = node->image();
        EXPECT_EQ(image, node->selectedImage());
        return m_images.key(image);
    }

    QString urlIn(const QString& relative) const
    {
        return ProfileFile::read(
            m_temp.path(QStringLiteral("Favorites/") + relative + QStringLiteral(".url")),
            QStringLiteral("InternetShortcut"), QStringLiteral("URL"), {});
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const MessageRequest& box : m_boxes.shown())
            texts.append(box.text);
        return texts;
    }

    CheckerRig m_rig;
    TempFolder& m_temp = m_rig.temp;
    ImageList& m_images = m_rig.images;
    AppSettings& m_settings = m_rig.settings;
    MainWindowState& m_state = m_rig.state;
    TreeControl& m_tree = m_rig.tree;
    ScriptedMessageBoxes& m_boxes = m_rig.boxes;
    StatusBarModel& m_status = m_rig.status;
    FavoritesTree& m_favorites = m_rig.favorites;
    CheckRunner& m_runner = m_rig.runner;
    QList<int> m_commands;
};

TEST_F(CheckRunnerTest, AllFavoritesGetTheirLights)
{
    m_settings.ShowNew = true;
    favorite(QStringLiteral("Alive"), titled(QStringLiteral("Alive")));
    favorite(QStringLiteral("Dead"), page({}, {}, 404));
    favorite(QStringLiteral("Silent"), server().url(QStringLiteral("/silent?ms=3000")),
             {QStringLiteral("Timeout=500")});
    favorite(QStringLiteral("Skipped"), titled(QStringLiteral("Never asked")),
             {QStringLiteral("Bypass=1")});
    favorite(QStringLiteral("News/Fresh"),
             page(QStringLiteral("<title>Fresh</title>"),
                  {QStringLiteral("Last-Modified: Mon, 01 Jun 2026 08:00:00 GMT")}));
    favorite(QStringLiteral("News/Undated"), titled(QStringLiteral("Undated")));
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();

    EXPECT_EQ(lightOf(QStringLiteral("Alive")), QStringLiteral("GREENCHECK"));
    EXPECT_EQ(lightOf(QStringLiteral("Dead")), QStringLiteral("REDRESULT"));
    EXPECT_EQ(lightOf(QStringLiteral("Silent")), QStringLiteral("YELLOWRESULT"));
    EXPECT_EQ(lightOf(QStringLiteral("Skipped")), QStringLiteral("GRAYDOT"));
    EXPECT_EQ(lightOf(QStringLiteral("Fresh")), QStringLiteral("GREENNEW"));
    EXPECT_EQ(lightOf(QStringLiteral("Undated")), QStringLiteral("GREENCHECK"))
        << "a page with no date of its own is not shown as changed";
    EXPECT_THAT(messages(), ElementsAre("All Favorites Checked"));
    EXPECT_EQ(m_status.panelText(2), QString());
    EXPECT_FALSE(m_state.Checking);
    EXPECT_THAT(m_commands, ElementsAre(5, 6));
}

TEST_F(CheckRunnerTest, RedirectUpdatesTheAddressAndTitleRenamesWhenAllowed)
{
    const QString target = titled(QStringLiteral("New Home"));
    favorite(QStringLiteral("Moved"),
             server().url(FixtureServer::path(QStringLiteral("/redirect"), {{"to", target}})),
             {QStringLiteral("Rename=1")});
    favorite(QStringLiteral("Kept"),
             server().url(FixtureServer::path(QStringLiteral("/redirect"), {{"to", target}})),
             {QStringLiteral("Rename=0")});
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();

    EXPECT_EQ(urlIn(QStringLiteral("New Home")), target);
    EXPECT_EQ(lightOf(QStringLiteral("New Home")), QStringLiteral("GREENCHECK"));
    EXPECT_FALSE(QFile::exists(m_temp.path(QStringLiteral("Favorites/Moved.url"))));
    EXPECT_NE(urlIn(QStringLiteral("Kept")), target);
    EXPECT_EQ(lightOf(QStringLiteral("Kept")), QStringLiteral("GREENCHECK"));
}

// Where a redirect chain may lead a favorite's address: only to web and file
// transfer addresses the file gives back as written, within ten hops.
TEST_F(CheckRunnerTest, OnlyFetchableAddressesThatReadBackAreWrittenFromRedirects)
{
    const QString limit = server().url(QStringLiteral("/page?x="));
    auto redirect = [](const QString& to, int pad = 0) {
        return server().url(FixtureServer::path(QStringLiteral("/redirect"),
                                                {{"to", to}, {"pad", QString::number(pad)}}));
    };
    const struct {
        QString start;
        QString written; // empty: the start stays
    } rows[] = {
        {server().url(QStringLiteral("/hops?n=10")), server().url(QStringLiteral("/hops?n=0"))},
        {server().url(QStringLiteral("/hops?n=11")), {}},
        {server().url(QStringLiteral("/loop")), {}},
        {redirect(QStringLiteral("https://127.0.0.1:1/s")),
         QStringLiteral("https://127.0.0.1:1/s")},
        {redirect(QStringLiteral("ftp://127.0.0.1:1/f")), QStringLiteral("ftp://127.0.0.1:1/f")},
        {redirect(QStringLiteral("FTPS://127.0.0.1:1/f")), QStringLiteral("FTPS://127.0.0.1:1/f")},
        {redirect(QStringLiteral("javascript:alert(1)")), {}},
        {redirect(QStringLiteral("file:///etc/passwd")), {}},
        {redirect(QStringLiteral("gopher://127.0.0.1:1/")), {}},
        {redirect(QStringLiteral("/page?x="), 2083 - limit.size()),
         limit + QString(2083 - limit.size(), QLatin1Char('a'))},
        {redirect(QStringLiteral("/page?x="), 2084 - limit.size()), {}},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        favorite(QStringLiteral("Row %1").arg(i), rows[i].start, {QStringLiteral("Rename=1")});
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(urlIn(QStringLiteral("Row %1").arg(i)),
                  rows[i].written.isEmpty() ? rows[i].start : rows[i].written)
            << "row " << i;
    }
    EXPECT_EQ(FixtureNumber(server(), QStringLiteral("/count?path=/loop")), 1)
        << "a chain back to an address it passed is followed no further";
}

TEST_F(CheckRunnerTest, UpdatedPagesShowAsNewOnlyWhenAskedTo)
{
    m_settings.ShowNew = false;
    favorite(QStringLiteral("Fresh"),
             page(QStringLiteral("<title>Fresh</title>"),
                  {QStringLiteral("Last-Modified: Mon, 01 Jun 2026 08:00:00 GMT")}));
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();
    EXPECT_EQ(lightOf(QStringLiteral("Fresh")), QStringLiteral("GREENCHECK"));
}

TEST_F(CheckRunnerTest, DeadPagesKeepTheirOwnersNames)
{
    favorite(QStringLiteral("My Old Club"), titled(QStringLiteral("404 Not Found")),
             {QStringLiteral("Rename=1")});
    favorite(QStringLiteral("Dots"), titled(QStringLiteral("..")), {QStringLiteral("Rename=1")});
    favorite(QStringLiteral("Long"), server().url(QStringLiteral("/page?title=%C3%A9&repeat=300")),
             {QStringLiteral("Rename=1")});
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();
    EXPECT_EQ(lightOf(QStringLiteral("My Old Club")), QStringLiteral("REDRESULT"));
    EXPECT_EQ(lightOf(QStringLiteral("Dots")), QStringLiteral("GREENCHECK")) << "not renamed";
    // 127 characters of two bytes each would pass the file system's 255.
    const QString fitted(125, QChar(0x00e9));
    EXPECT_EQ(lightOf(fitted), QStringLiteral("GREENCHECK"));
    EXPECT_TRUE(QFile::exists(m_temp.path(QStringLiteral("Favorites/") + fitted + ".url")));
}

// Dead favorites from any depth (a folder called Favorites inside the root
// is no end of the tree) go to Dead Favorites without overwriting one there
// and without confusing names that differ only in case.
TEST_F(CheckRunnerTest, DeadFavoritesAreMovedWithoutLosingAny)
{
    m_settings.MoveDead = true;
    const QString live = titled(QStringLiteral("Live"));
    const QString dead = page({}, {}, 404);
    favorite(QStringLiteral("Gone"), page({}, {}, 410));
    favorite(QStringLiteral("Twin"), dead);
    favorite(QStringLiteral("Sub/Same"), dead);
    favorite(QStringLiteral("Favorites/Live"), live);
    favorite(QStringLiteral("Z/Last Dead"), dead);
    for (int round = 0; round < 2; ++round) {
        // Made in both orders, so the order the folder lists them in cannot help.
        const QString folder = QStringLiteral("Twins %1/").arg(round);
        favorite(folder + (round ? "C" : "c"), round ? dead + QStringLiteral("&r=1") : live);
        favorite(folder + (round ? "c" : "C"), round ? live : dead + QStringLiteral("&r=0"));
    }
    // Already dead: one copy the same as "Same", one "Twin" that differs.
    m_temp.file(QStringLiteral("program/Dead Favorites/Same.url"),
                m_temp.read(QStringLiteral("Favorites/Sub/Same.url")));
    m_temp.file(QStringLiteral("program/Dead Favorites/Twin.url"),
                "[InternetShortcut]\r\nURL=x\r\n");
    // A FIFO of a dead favorite's name, which nobody ever writes to.
    favorite(QStringLiteral("Pipe"), page({}, {}, 404));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(m_temp.path(QStringLiteral("program/Dead Favorites/Pipe.url"))),
                 0600),
        0);
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();

    EXPECT_THAT(m_rig.fs.listFolder(m_temp.path(QStringLiteral("program/Dead Favorites"))).files,
                ElementsAre("C (2).url", "C.url", "Gone.url", "Last Dead.url", "Pipe (2).url",
                            "Same.url", "Twin (2).url", "Twin.url"));
    for (const char* moved : {"Gone", "Sub/Same", "Z/Last Dead", "Twins 0/C", "Twins 1/C"})
        EXPECT_FALSE(QFile::exists(m_temp.path(QStringLiteral("Favorites/%1.url").arg(moved))));
    EXPECT_EQ(urlIn(QStringLiteral("Favorites/Live")), live);
    for (const char* kept : {"Twins 0/c", "Twins 1/c"})
        EXPECT_EQ(urlIn(QLatin1String(kept)), live);
    QStringList deadNodes;
    for (const auto& child : m_tree.node(1)->children())
        deadNodes.append(child->text());
    EXPECT_THAT(deadNodes, testing::UnorderedElementsAre("Same", "Twin", "Twin (2)", "Gone",
                                                         "Last Dead", "C", "C (2)", "Pipe (2)"));
}

// With the program's folder on a full disk no dead favorite can move: each
// stays where it was, whole and in the tree, and the log says why.
TEST_F(CheckRunnerTest, DeadFavoritesStayWholeWhenTheirFolderIsOnAFullDisk)
{
    const SmallDisk disk(m_temp.folder(QStringLiteral("program/Dead Favorites")));
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    disk.fill();
    m_settings.MoveDead = true;
    QList<QByteArray> before;
    for (int i = 0; i < 5; ++i) {
        favorite(QStringLiteral("Gone %1").arg(i), page(QString::number(i), {}, 404));
        before.append(m_temp.read(QStringLiteral("Favorites/Gone %1.url").arg(i)));
    }
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();

    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m_temp.read(QStringLiteral("Favorites/Gone %1.url").arg(i)), before[i]);
        EXPECT_EQ(lightOf(QStringLiteral("Gone %1").arg(i)), QStringLiteral("REDRESULT"));
    }
    EXPECT_THAT(m_rig.fs.listFolder(disk.path()).files, ElementsAre("filler"));
    EXPECT_EQ(m_temp.lines(QStringLiteral("program/ERROR.LOG")).size(), 5);
}

TEST_F(CheckRunnerTest, StopLeavesTheRestUncheckedButStillMovesTheDead)
{
    m_settings.MoveDead = true;
    favorite(QStringLiteral("A Dead"), page({}, {}, 404));
    favorite(QStringLiteral("B Slow"), server().url(QStringLiteral("/silent?ms=3000")));
    favorite(QStringLiteral("C Later"), titled(QStringLiteral("C Later")));
    m_favorites.BuildFavoritesTree();
    QTimer::singleShot(150, [this] {
        EXPECT_TRUE(m_state.Checking) << "a close would be refused now";
        const TreeNode* before = m_tree.node(3);
        m_favorites.RefreshLinks(); // as a dialog closed during the run would
        EXPECT_EQ(m_tree.node(3), before) << "the walked tree is never rebuilt under the run";
        m_runner.stop();
        m_runner.stop();
    });
    m_runner.CheckAllLinks();
    EXPECT_EQ(lightOf(QStringLiteral("C Later")), QStringLiteral("IELOGO"));
    EXPECT_TRUE(QFile::exists(m_temp.path(QStringLiteral("program/Dead Favorites/A Dead.url"))));
    EXPECT_THAT(messages(), ElementsAre("Favorites Checking Aborted"));
    EXPECT_EQ(m_status.panelText(2), QStringLiteral(" Verifying Favorites "));
    EXPECT_THAT(m_commands, ElementsAre(5, 6));
}

TEST_F(CheckRunnerTest, FolderRunChecksOnlyThatFoldersOwnFavorites)
{
    favorite(QStringLiteral("Top"), titled(QStringLiteral("Top")));
    favorite(QStringLiteral("Work/One"), titled(QStringLiteral("One")));
    favorite(QStringLiteral("Work/Two"), page({}, {}, 404));
    favorite(QStringLiteral("Work/Deeper/Three"), titled(QStringLiteral("Three")));
    favorite(QStringLiteral("Only Folders/Inner/x"), titled(QStringLiteral("x")));
    m_favorites.BuildFavoritesTree();
    // A subfolder closed in the view shows the closed picture, and stays a folder.
    m_tree.setImage(nodeNamed(QStringLiteral("Deeper")), ImageList::position(ImageKey::Folder));
    m_runner.CheckFolderLinks(nodeNamed(QStringLiteral("One")));
    EXPECT_EQ(lightOf(QStringLiteral("One")), QStringLiteral("GREENCHECK"));
    EXPECT_EQ(lightOf(QStringLiteral("Two")), QStringLiteral("REDRESULT"));
    EXPECT_EQ(nodeNamed(QStringLiteral("Deeper"))->image(), ImageList::position(ImageKey::Folder));
    EXPECT_EQ(lightOf(QStringLiteral("Three")), QStringLiteral("IELOGO"));
    EXPECT_EQ(lightOf(QStringLiteral("Top")), QStringLiteral("IELOGO"));
    EXPECT_THAT(messages(), ElementsAre("All Favorites in Directory Checked"));

    m_runner.CheckFolderLinks(nodeNamed(QStringLiteral("Only Folders")));
    EXPECT_EQ(m_status.panelText(2), QString());
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(messages().last(), QStringLiteral("All Favorites in Directory Checked"));
    EXPECT_THAT(m_commands, ElementsAre(5, 6, 5, 6));
}

TEST_F(CheckRunnerTest, OneFavoriteIsCheckedQuietly)
{
    favorite(QStringLiteral("Solo"), page({}, {}, 404));
    favorite(QStringLiteral("Skip"), titled(QStringLiteral("Skip")), {QStringLiteral("Bypass=1")});
    m_favorites.BuildFavoritesTree();
    m_tree.select(nodeNamed(QStringLiteral("Solo")));
    m_runner.CheckOneLink();
    EXPECT_EQ(lightOf(QStringLiteral("Solo")), QStringLiteral("REDRESULT"));
    m_tree.select(nodeNamed(QStringLiteral("Skip")));
    m_runner.CheckOneLink();
    EXPECT_EQ(lightOf(QStringLiteral("Skip")), QStringLiteral("GRAYDOT"));
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    EXPECT_THAT(m_commands, IsEmpty());
}

TEST_F(CheckRunnerTest, TroubleWithOneFavoriteNeverStopsTheRun)
{
    const QString target = titled(QStringLiteral("Target"));
    favorite(QStringLiteral("A Locked"),
             server().url(FixtureServer::path(QStringLiteral("/redirect"), {{"to", target}})),
             {QStringLiteral("Rename=1")});
    favorite(QStringLiteral("B Slow"), server().url(QStringLiteral("/page?delay=400")));
    favorite(QStringLiteral("C Vanishing"), titled(QStringLiteral("C")));
    favorite(QStringLiteral("D Folder"), titled(QStringLiteral("D")));
    favorite(QStringLiteral("E Last"), titled(QStringLiteral("E Last")));
    QFile::setPermissions(m_temp.path(QStringLiteral("Favorites/A Locked.url")),
                          QFileDevice::ReadOwner);
    // A favorite's first lines, then nothing for 2 GB (sparse, so it takes no disk).
    favorite(QStringLiteral("F Huge"), titled(QStringLiteral("Huge")));
    const qint64 huge = qint64(2) << 30;
    ASSERT_TRUE(QFile::resize(m_temp.path(QStringLiteral("Favorites/F Huge.url")), huge));
    // While the slow page is awaited, one favorite goes and one becomes a folder.
    QTimer::singleShot(150, [this] {
        QFile::remove(m_temp.path(QStringLiteral("Favorites/C Vanishing.url")));
        QFile::remove(m_temp.path(QStringLiteral("Favorites/D Folder.url")));
        m_temp.folder(QStringLiteral("Favorites/D Folder.url"));
    });
    m_runner.CheckAllLinks();
    EXPECT_EQ(lightOf(QStringLiteral("A Locked")), QStringLiteral("GREENCHECK"))
        << "the first verdict stands when the address cannot be written";
    EXPECT_EQ(lightOf(QStringLiteral("C Vanishing")), QStringLiteral("YELLOWRESULT"))
        << "a favorite gone from disk reads no address";
    EXPECT_EQ(lightOf(QStringLiteral("D Folder")), QStringLiteral("YELLOWRESULT"));
    EXPECT_EQ(lightOf(QStringLiteral("E Last")), QStringLiteral("GREENCHECK"));
    EXPECT_EQ(lightOf(QStringLiteral("F Huge")), QStringLiteral("IELOGO"))
        << "a malformed favorite gets no check";
    EXPECT_EQ(QFileInfo(m_temp.path(QStringLiteral("Favorites/F Huge.url"))).size(), huge);
    const QStringList log = m_temp.lines(QStringLiteral("program/ERROR.LOG"));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[1].contains(QStringLiteral("F Huge.url"))) << log[1].toStdString();
}

TEST_F(CheckRunnerTest, UnattendedRunReportsEveryFavorite)
{
    m_state.InspectMode = true;
    m_settings.MoveDead = true;
    favorite(QStringLiteral("Alive"), titled(QStringLiteral("Alive")));
    favorite(QStringLiteral("Folder/Dead"), page({}, {}, 404));
    favorite(QStringLiteral("Folder/Old Name"), titled(QStringLiteral("New Name")),
             {QStringLiteral("Rename=1")});
    favorite(QStringLiteral("Folder/Skipped"), titled(QStringLiteral("x")),
             {QStringLiteral("Bypass=1")});
    favorite(QStringLiteral("Odd\tname\nhere\\"), QStringLiteral("http://127.0.0.1:1/a\tb"),
             {QStringLiteral("Bypass=1")});
    m_favorites.BuildFavoritesTree();
    m_runner.CheckAllLinks();
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    const QList<ReportEntry> entries = UnattendedReportEntries(m_runner, m_settings);
    QStringList lines = UnattendedReportLines(entries);
    ASSERT_EQ(lines.size(), 6);
    // One row, with what would split it escaped.
    const qsizetype odd =
        lines.indexOf(QStringLiteral("skipped\tOdd\\tname\\nhere\\\\\thttp://127.0.0.1:1/a\\tb"));
    ASSERT_GE(odd, 0) << lines.join(QLatin1Char('|')).toStdString();
    lines.removeAt(odd);
    EXPECT_EQ(lines[0], QStringLiteral("alive\tAlive\t") + titled(QStringLiteral("Alive")));
    EXPECT_EQ(lines[1], QStringLiteral("dead\tDead Favorites/Dead\t") + page({}, {}, 404));
    // A renamed favorite is reported under the name the run met it by.
    const auto renamed = std::find_if(entries.begin(), entries.end(), [](const ReportEntry& e) {
        return e.renamedTo == QLatin1String("New Name");
    });
    ASSERT_NE(renamed, entries.end());
    EXPECT_EQ(renamed->path, QStringLiteral("Folder/Old Name"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("skipped\tFolder/Skipped\t")));
    EXPECT_EQ(lines[4], QStringLiteral("Checked 5 favorites: 2 alive, 0 changed, 0 no answer, 1 "
                                       "dead, 2 skipped, 1 moved to Dead Favorites"));
    EXPECT_EQ(m_tree.node(1)->childCount(), 0) << "no dead node is added when unattended";
}

// Ten alive in a row shorten the time-out by 25 ms, never below 500; four
// silences in a window of ten lengthen it by 50 ms, never above 1950 and
// never for a favorite with a time-out of its own.
TEST(Throttle, TheTimeOutFollowsTheLastTenLights)
{
    AppSettings settings;
    settings.AutoThrottle = true;
    TreeControl tree;
    TreeNode* node = tree.add(nullptr, QString(), QStringLiteral("f"), NodeKind::Favorite, 0, 0);
    const QDateTime lastRun;
    constexpr auto A = LinkResult::Alive, D = LinkResult::Dead, N = LinkResult::NoAnswer,
                   U = LinkResult::Unchecked;
    const struct {
        int start;
        QList<LinkResult::Verdict> statuses;
        bool ownTimeout;
        int end;
    } rows[] = {
        {1000, QList<LinkResult::Verdict>(9, A), false, 1000},
        {1000, QList<LinkResult::Verdict>(10, A), false, 975},
        {1000, {N, A, N, D, N, A, U, N, A, A}, false, 1050},
        {1000, {N, N, N, N, A, A, A, A, A, A}, false, 1050},
        {1000, {N, N, N, A, A, A, A, A, A, A}, false, 1000},
        {1950, QList<LinkResult::Verdict>(10, N), false, 1950},
        {1000, QList<LinkResult::Verdict>(10, N), true, 1000},
        {510, QList<LinkResult::Verdict>(10, A), false, 500},
        {500, QList<LinkResult::Verdict>(10, A), false, 500},
    };
    for (const auto& row : rows) {
        StatusLights lights(tree, settings, lastRun);
        settings.Timeout = row.start;
        for (const LinkResult::Verdict status : row.statuses)
            lights.SetLinkLight(status, node, std::nullopt, row.ownTimeout);
        EXPECT_EQ(settings.Timeout, row.end) << row.start << " " << row.statuses.size();
    }
}

} // namespace
