#include "favorites/TreeSearch.h"
#include "favorites/FavoritesTree.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempFavorites.h"

#include <gmock/gmock.h>

using namespace norvale;
using namespace norvale::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// 1 Favorites, 2 World News, 3 Sports, 4 News Archive, 5 Local news,
// 6 Weather, 7 Recipes: the archive is a folder holding 5 and 6.
class TreeSearchTest : public testing::Test {
protected:
    TreeSearchTest()
    {
        TreeNode* root = m_tree.add(nullptr, QStringLiteral("/f"), QStringLiteral("Favorites"),
                                    NodeKind::FavoritesRoot, 15, 15);
        m_tree.add(root, {}, QStringLiteral("World News"), NodeKind::Favorite, 17, 17);
        m_tree.add(root, {}, QStringLiteral("Sports"), NodeKind::Favorite, 17, 17);
        m_archive = m_tree.add(root, QStringLiteral("/f/a"), QStringLiteral("News Archive"),
                               NodeKind::Folder, 15, 15);
        m_tree.add(m_archive, {}, QStringLiteral("Local news"), NodeKind::Favorite, 17, 17);
        m_tree.add(m_archive, {}, QStringLiteral("Weather"), NodeKind::Favorite, 17, 17);
        m_recipes = m_tree.add(root, {}, QStringLiteral("Recipes"), NodeKind::Favorite, 17, 17);
        QObject::connect(&m_tree, &TreeControl::ensureVisibleRequested,
                         [this](TreeNode* node) { m_shown.append(node->text()); });
    }

    QString selected() const
    {
        return m_tree.selectedItem() ? m_tree.selectedItem()->text() : QString();
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
    const struct {
        const char* text;
        SearchDirection direction;
        bool matchCase;
        QList<int> hits;
    } rows[] = {
        {"NEWS", SearchDirection::Forward, false, {2, 4, 5}},
        {"news", SearchDirection::Forward, true, {5}},
        {"WEATHER", SearchDirection::Forward, true, {}},
        {"e", SearchDirection::Reverse, false, {7, 6, 5, 4, 2, 1}},
        {"Favorites", SearchDirection::Reverse, true, {1}},
        {"Recipes", SearchDirection::Forward, true, {7}},
        {"News ", SearchDirection::Forward, true, {4}},
        {" Sports", SearchDirection::Forward, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        m_boxes = ScriptedMessageBoxes();
        m_tree.select(m_tree.node(3));
        QList<int> hits;
        if (m_search.FindFirst(QString::fromLatin1(row.text), row.direction, row.matchCase)) {
            EXPECT_TRUE(m_search.found());
            do
                hits.append(selectedIndex());
            while (m_search.FindNext(row.matchCase));
            EXPECT_FALSE(m_search.FindNext(row.matchCase)) << "an ended search stays ended";
            EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Ended", "Search Ended"));
        } else {
            EXPECT_FALSE(m_search.found());
            EXPECT_EQ(selectedIndex(), 3) << "a miss leaves the selection";
            EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Text Not Found"));
        }
        EXPECT_EQ(hits, row.hits);
        EXPECT_EQ(m_search.searchText(), QString::fromLatin1(row.text));
    }
    EXPECT_THAT(m_shown, testing::Contains("World News"));
    const MessageRequest& box = m_boxes.shown().first();
    EXPECT_EQ(box.text, QStringLiteral("Search Text is not Found"));
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_FALSE(TreeSearch::canSearch(QString()));
    EXPECT_FALSE(TreeSearch::canSearch(QStringLiteral("   ")));
    EXPECT_TRUE(TreeSearch::canSearch(QStringLiteral("  x ")));
}

TEST_F(TreeSearchTest, FindNextStaysInsideATreeThatShrank)
{
    // Forward: the end fixed by Find lies past the tree's new end.
    ASSERT_TRUE(m_search.FindFirst(QStringLiteral("news"), SearchDirection::Forward, false));
    m_tree.remove(m_archive);
    ASSERT_EQ(m_tree.count(), 4);
    EXPECT_FALSE(m_search.FindNext(false));
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Ended"));

    // Reverse: the next index to examine lies past the tree's new end.
    ASSERT_TRUE(m_search.FindFirst(QStringLiteral("s"), SearchDirection::Reverse, false));
    ASSERT_EQ(selectedIndex(), 4);
    m_tree.remove(m_recipes);
    m_tree.remove(m_tree.node(3));
    ASSERT_EQ(m_tree.count(), 2);
    EXPECT_TRUE(m_search.FindNext(false));
    EXPECT_EQ(selected(), QStringLiteral("World News"));

    m_tree.clear();
    EXPECT_FALSE(m_search.FindNext(false));
    EXPECT_FALSE(m_search.FindFirst(QStringLiteral("s"), SearchDirection::Reverse, false));
    EXPECT_THAT(m_boxes.titles(),
                ElementsAre("Search Ended", "Search Ended", "Search Text Not Found"));
}

// A tree built from disk with the dead-favorites folder shown.
TEST(TreeSearchOnDisk, FindsFoldersAndDeadFavorites)
{
    TempFolder temp;
    ImageList images;
    AppSettings settings;
    ChooseLightImages(settings, images);
    settings.MoveDead = true;
    MainWindowState state;
    state.FavoritesPath = temp.folder(QStringLiteral("Favorites"));
    temp.shortcut(QStringLiteral("program/Dead Favorites/Gone Site.url"));
    temp.shortcut(QStringLiteral("Favorites/Travel/Trains.url"));
    temp.shortcut(QStringLiteral("Favorites/Daily.url"));
    TreeControl tree;
    FileSystem fs;
    ScriptedMessageBoxes boxes;
    FixedClock clock;
    ErrorLog log(temp.path(QStringLiteral("program")), boxes, clock);
    FavoritesTree(tree, images, settings, state, fs, log, temp.path(QStringLiteral("program")))
        .BuildFavoritesTree();
    TreeSearch search(tree, boxes);

    ASSERT_TRUE(search.FindFirst(QStringLiteral("favorites"), SearchDirection::Forward, false));
    EXPECT_EQ(tree.selectedItem()->text(), QStringLiteral("Dead Favorites"));
    ASSERT_TRUE(search.FindNext(false));
    EXPECT_EQ(tree.selectedItem()->key(), state.FavoritesPath);

    ASSERT_TRUE(search.FindFirst(QStringLiteral("gone"), SearchDirection::Reverse, false));
    EXPECT_EQ(tree.selectedItem()->text(), QStringLiteral("Gone Site"));
    EXPECT_EQ(tree.selectedItem()->parent()->text(), QStringLiteral("Dead Favorites"));

    ASSERT_TRUE(search.FindFirst(QStringLiteral("Travel"), SearchDirection::Forward, true));
    EXPECT_EQ(tree.selectedItem()->key(), temp.path(QStringLiteral("Favorites/Travel")));
    EXPECT_THAT(boxes.shown(), IsEmpty());
}

} // namespace
