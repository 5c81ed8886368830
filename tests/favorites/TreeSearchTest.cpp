#include "favorites/TreeSearch.h"
#include "platform/TreeControl.h"
#include "support/ScriptedMessageBoxes.h"

#include <gmock/gmock.h>

using namespace norvale;
using namespace norvale::test;
using namespace Qt::StringLiterals;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

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
        {"favorites", SearchDirection::Forward, false, {1}},
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
    EXPECT_EQ(box.text, u"Search Text is not Found"_s);
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_FALSE(TreeSearch::canSearch(QString()));
    EXPECT_FALSE(TreeSearch::canSearch(u"   "_s));
    EXPECT_TRUE(TreeSearch::canSearch(u"  x "_s));
}

TEST_F(TreeSearchTest, FindNextStaysInsideATreeThatShrank)
{
    // Forward: the end fixed by Find lies past the tree's new end.
    ASSERT_TRUE(m_search.FindFirst(u"news"_s, SearchDirection::Forward, false));
    m_tree.remove(m_archive);
    ASSERT_EQ(m_tree.count(), 4);
    EXPECT_FALSE(m_search.FindNext(false));
    EXPECT_THAT(m_boxes.titles(), ElementsAre("Search Ended"));

    // Reverse: the next index to examine lies past the tree's new end.
    ASSERT_TRUE(m_search.FindFirst(u"s"_s, SearchDirection::Reverse, false));
    ASSERT_EQ(selectedIndex(), 4);
    m_tree.remove(m_recipes);
    m_tree.remove(m_tree.node(3));
    ASSERT_EQ(m_tree.count(), 2);
    EXPECT_TRUE(m_search.FindNext(false));
    EXPECT_EQ(selected(), u"World News"_s);

    m_tree.clear();
    EXPECT_FALSE(m_search.FindNext(false));
    EXPECT_FALSE(m_search.FindFirst(u"s"_s, SearchDirection::Reverse, false));
    EXPECT_THAT(m_boxes.titles(),
                ElementsAre("Search Ended", "Search Ended", "Search Text Not Found"));
}

} // namespace
