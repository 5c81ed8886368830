#include "favorites/TreeSearch.h"
#include "support/FavoritesRig.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <QDir>
#include <QFile>
#include <unistd.h>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class FavoritesTreeTest : public testing::Test, protected FavoritesRig {
protected:
    FavoritesTreeTest()
    {
        ChooseLightImages(m_settings, m_images);
        m_state.FavoritesPath = m_temp.folder(u"Favorites"_s);
        m_state.FolderCount = 1;
        m_temp.folder(u"program"_s);
    }

    void build()
    {
        m_tree.clear();
        m_state.FavoriteCount = 0;
        m_state.FolderCount = 1;
        m_favorites.BuildFavoritesTree();
    }
    // Each node as indentation + text, in index order.
    QStringList outline() const
    {
        QStringList lines;
        for (int i = 1; i <= m_tree.count(); ++i) {
            int depth = 0;
            for (const TreeNode* p = m_tree.node(i)->parent(); p; p = p->parent())
                ++depth;
            lines.append(QString(depth * 2, ' ') + m_tree.node(i)->text());
        }
        return lines;
    }
    QString fav(const QString& relative) const { return u"Favorites/"_s + relative; }
    QStringList logLines() const { return m_temp.lines(u"program/ERROR.LOG"_s); }
};

// What the tree shows for the files on disk: favorites before subfolders,
// each subtree complete; "Dead Favorites" folders inside the Favorites left
// out (case counts); links followed but never round in a circle.
TEST_F(FavoritesTreeTest, TheTreeShowsTheFavoritesOnDisk)
{
    // Files under Favorites/ ("program/..." and "elsewhere/..." outside it;
    // "a -> b" a link), and the outline they give.
    const struct {
        int favorites, folders;
        QString files, outline;
    } rows[] = {
        {5, 4, "zeta.url;Alpha.URL;B/inner.url;B/C/deep.url;a/first.url;readme.txt;link.lnk",
         "Favorites|  Alpha|  zeta|  a|    first|  B|    inner|    C|      deep"},
        {1, 1, ".url", "Favorites|  "},
        {1, 3,
         "Dead Favorites/gone.url;Sub/Dead Favorites/gone.url;Sub/Dead Favorites/Below/gone.url;"
         "Sub/dead favorites/shown.url",
         "Favorites|  Sub|    dead favorites|      shown"},
        {0, 1, "program/Dead Favorites/old.url", "Favorites"}, // moving them is off
        {0, 1, "", "Favorites"},
        {2, 3,
         "Real/r.url;elsewhere/e.url;Real/Up -> Favorites;Other -> elsewhere;broken.url -> nowhere",
         "Favorites|  Other|    e|  Real|    r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.files.toStdString());
        QDir(m_temp.path()).removeRecursively();
        m_temp.folder(u"Favorites"_s);
        m_temp.folder(u"program"_s);
        for (const QString& file : row.files.split(';', Qt::SkipEmptyParts)) {
            const QString path =
                file.startsWith(u"program/"_s) || file.startsWith(u"else"_s) ? file : fav(file);
            if (path.contains(u" -> "_s))
                QFile::link(m_temp.path(path.section(u" -> "_s, 1)),
                            m_temp.path(path.section(u" -> "_s, 0, 0)));
            else if (path.endsWith(u".url"_s, Qt::CaseInsensitive))
                m_temp.shortcut(path);
            else
                m_temp.file(path, "not a favorite");
        }
        build();
        EXPECT_EQ(outline().join('|'), row.outline);
        EXPECT_EQ(m_state.FavoriteCount, row.favorites);
        EXPECT_EQ(m_state.FolderCount, row.folders);
    }
    const TreeNode* root = m_tree.node(1);
    EXPECT_EQ(root->key(), m_state.FavoritesPath);
    EXPECT_TRUE(root->expanded());
    EXPECT_EQ(root->image(), m_images.position(u"OPENFOLDER"_s));
}

// The program's own Dead Favorites folder: made (and only logged) when it is
// missing, then shown first with its favorites only, none of them counted.
TEST_F(FavoritesTreeTest, DeadFavoritesNodeComesFirstWithItsFavoritesOnly)
{
    m_settings.MoveDead = true;
    build();
    EXPECT_TRUE(QDir(m_temp.path(u"program/Dead Favorites"_s)).exists());
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    EXPECT_TRUE(logLines().join('|').contains(u"Error 424:"_s));

    for (const QString& name : {u"old.url"_s, u"Older.URL"_s, u"Sub/hidden.url"_s})
        m_temp.shortcut(u"program/Dead Favorites/"_s + name);
    m_temp.shortcut(fav(u"live.url"_s));
    build();
    EXPECT_THAT(outline(),
                ElementsAre("Dead Favorites", "  old", "  Older", "Favorites", "  live"));
    EXPECT_EQ(m_tree.node(1)->key(), m_temp.path(u"program/Dead Favorites"_s));
    EXPECT_EQ(m_tree.node(2)->status(), (FavoriteStatus{Light::Dead, 0, u"in Dead Favorites"_s}));
    EXPECT_EQ(m_state.FavoriteCount, 1) << "dead favorites are not counted";

    // A malformed file is shown and left as it is; a name that is not UTF-8 is
    // logged, not shown.
    m_settings.MoveDead = false;
    m_temp.shortcut(fav(u"ok.url"_s));
    const QByteArray bad("\xff\xfe garbage \x00 [", 15);
    m_temp.file(fav(u"Sub/bad.url"_s), bad);
    const QByteArray rawName = QFile::encodeName(m_state.FavoritesPath) + "/caf\xe9.url";
    ::close(::creat(rawName.constData(), 0644));
    build();
    EXPECT_THAT(outline(), ElementsAre("Favorites", "  live", "  ok", "  Sub", "    bad"));
    EXPECT_EQ(m_temp.read(fav(u"Sub/bad.url"_s)), bad);
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
    ASSERT_EQ(logLines().size(), 2);
    EXPECT_TRUE(logLines()[1].contains(u"caf%E9.url"_s)) << logLines()[1].toStdString();
}

// 1 Favorites, 2 World News, 3 Sports, 4 News Archive, 5 Local news,
// 6 Weather, 7 Recipes: the archive is a folder holding 5 and 6.
class TreeSearchTest : public testing::Test {
protected:
    TreeSearchTest()
    {
        TreeNode* root =
            m_tree.add(nullptr, u"/f"_s, u"Favorites"_s, NodeKind::FavoritesRoot, 15, 15);
        m_tree.add(root, {}, u"World News"_s, NodeKind::Favorite, 17, 17);
        m_tree.add(root, {}, u"Sports"_s, NodeKind::Favorite, 17, 17);
        m_archive = m_tree.add(root, u"/f/a"_s, u"News Archive"_s, NodeKind::Folder, 15, 15);
        m_tree.add(m_archive, {}, u"Local news"_s, NodeKind::Favorite, 17, 17);
        m_tree.add(m_archive, {}, u"Weather"_s, NodeKind::Favorite, 17, 17);
        m_recipes = m_tree.add(root, {}, u"Recipes"_s, NodeKind::Favorite, 17, 17);
        QObject::connect(&m_tree, &TreeControl::ensureVisibleRequested,
                         [this](TreeNode* node) { m_shown.append(node->text()); });
    }

    int selectedIndex() const { return m_tree.indexOf(m_tree.selectedItem()); }

    TreeControl m_tree;
    TreeNode* m_archive = nullptr;
    TreeNode* m_recipes = nullptr;
    QStringList m_shown;
    ScriptedMessageBoxes m_boxes;
    TreeSearch m_search{m_tree, m_boxes};
};

// Every match of a search, first to last: case matters only with Match
// Case, spaces around the text are searched for as typed, and a reverse
// search runs from the last node to the first.
TEST_F(TreeSearchTest, FindFirstThenFindNextVisitEveryMatchInTurn)
{
    constexpr auto Forward = SearchDirection::Forward, Reverse = SearchDirection::Reverse;
    const struct {
        QString text;
        SearchDirection direction;
        bool matchCase;
        const char* visited;
    } rows[] = {
        {"NEWS", Forward, false, "2 4 5"},  {"news", Forward, true, "5"},
        {"WEATHER", Forward, true, ""},     {"e", Reverse, false, "7 6 5 4 2 1"},
        {"favorites", Forward, false, "1"}, {"News ", Forward, true, "4"},
        {" Sports", Forward, false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << '"' << row.text.toStdString() << "\" "
                                        << (row.matchCase ? "matching case" : "any case"));
        m_boxes = ScriptedMessageBoxes();
        m_tree.select(m_tree.node(3));
        QStringList hits;
        if (m_search.FindFirst(row.text, row.direction, row.matchCase)) {
            EXPECT_TRUE(m_search.found());
            do
                hits.append(QString::number(selectedIndex()));
            while (m_search.FindNext(row.matchCase));
            EXPECT_FALSE(m_search.FindNext(row.matchCase)) << "an ended search stays ended";
            EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Ended", "Search Ended"));
        } else {
            EXPECT_FALSE(m_search.found());
            EXPECT_EQ(selectedIndex(), 3) << "a miss leaves the selection";
            EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Text Not Found"));
        }
        EXPECT_EQ(hits.join(' '), row.visited);
        EXPECT_EQ(m_search.searchText(), row.text);
    }
    EXPECT_THAT(m_shown, testing::Contains("World News"));
    EXPECT_FALSE(TreeSearch::canSearch(u"   "_s));
    EXPECT_TRUE(TreeSearch::canSearch(u"  x "_s));
}

TEST_F(TreeSearchTest, FindNextStaysInsideATreeThatShrank)
{
    // Forward, the end fixed by Find, and reverse, the next index to examine,
    // lie past the tree's new end.
    ASSERT_TRUE(m_search.FindFirst(u"news"_s, SearchDirection::Forward, false));
    m_tree.remove(m_archive);
    EXPECT_FALSE(m_search.FindNext(false));
    ASSERT_TRUE(m_search.FindFirst(u"s"_s, SearchDirection::Reverse, false));
    m_tree.remove(m_recipes);
    m_tree.remove(m_tree.node(3));
    EXPECT_TRUE(m_search.FindNext(false));
    EXPECT_EQ(m_tree.selectedItem()->text(), u"World News"_s);

    m_tree.clear();
    EXPECT_FALSE(m_search.FindNext(false));
    EXPECT_FALSE(m_search.FindFirst(u"s"_s, SearchDirection::Reverse, false));
    EXPECT_THAT(m_boxes.titles(),
                ElementsAre("Search Ended", "Search Ended", "Search Text Not Found"));
}

} // namespace
