#include "mainwindow/CommandEnablement.h"
#include "mainwindow/Commands.h"
#include "mainwindow/CommandSurfaceBuilder.h"
#include "platform/CommandSurface.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

// The enablement table, one row a place (the toolbar, a menu by name, the
// task pane): each command's position, index or key, then whether it is on
// ('x') in states 1-4 idle, 1-4 during a run, and state 5.
const std::pair<const char*, const char*> kTable[] = {
    {"toolbar", "1 -xxx----- 2 --x------ 3 xxxx----- 4 ----xxxxx 6 --x---x-- 7 xxxxxxxxx "
                "8 --x------ 10 --xx----- 11 --xx----- 12 -xxx----- 13 --xx----- 15 xxxxxxxxx"},
    {"mnuFileMenu", "1 xxxx----- 2 xxxx----- 4 xxxxxxxxx"},
    {"mnuEditMenu", "1 --xx----- 2 --xx----- 3 -xxx----- 5 -xxx----- 6 -xxx----- 8 --xx----- "
                    "9 --xx----- 11 xxxxxxxxx 13 xxxxxxxxx"},
    {"mnuLinksMenu", "1 -xxx----- 2 --x------ 3 xxxx----- 4 ----xxxxx 6 --x---x-- 8 -xxx----- "
                     "10 --x---x--"},
    {"mnuNodePopup", "1 xxxxxxxxx 2 xxxxxxxxx 4 --x------ 5 --x------ 6 --x------ 8 --x------ "
                     "9 --x------ 11 --x------ 12 --x------ 14 xxxxxxxxx"},
    {"mnuFolderPopup", "1 -x-x----- 3 ---x----- 4 ---x----- 5 -x-x----- 7 -x-x----- "
                       "8 -x-x----- 10 ---x----- 11 ---x-----"},
    {"task", "EB_FAVORITES_CHECK --x------ EB_FAVORITES_LAUNCH --x---x-- "
             "EB_FAVORITES_NEW -xxx----- EB_FAVORITES_DELETE --x------ EB_FOLDER_CHECK -xxx----- "
             "EB_FOLDER_NEW -x-x----- EB_FOLDER_DELETE ---x----- EB_OTHER_CHECK -xxx----- "
             "EB_OTHER_FIND xxxxxxxxx EB_OTHER_PROPERTIES xxxxxxxxx EB_OTHER_REFRESH xxxxxxxxx "
             "EB_OTHER_HELP xxxxxxxxx"},
    {"mnuHelpMenu", "1 xxxxxxxxx 2 xxxxxxxxx 3 xxxxxxxxx 4 xxxxxxxxx 5 xxxxxxxxx"},
    {"mnuDeadPopup", "1 xxxxxxxxx 2 xxxxxxxxx 3 xxxxxxxxx 4 xxxxxxxxx 5 xxxxxxxxx 6 xxxxxxxxx"}};

class EnablementTest : public testing::Test {
protected:
    EnablementTest() { BuildCommandSurface(m_surface); }

    void update(CommandState state, bool checking, bool moveDead = false)
    {
        UpdateCommands(m_surface, state, {m_tree, checking, moveDead});
    }
    // Whether the command at where / id is on.
    bool isOn(const QString& where, const QString& id) const
    {
        if (where == "toolbar")
            return m_surface.toolbarButton(id.toInt())->enabled;
        return where == "task" ? m_surface.taskItem(id)->available
                               : m_surface.menuItem(where, id.toInt())->enabled;
    }

    CommandSurface m_surface;
    TreeControl m_tree;
    ImageList m_images;
};

TEST_F(EnablementTest, EveryCommandFollowsTheTable)
{
    using S = CommandState;
    const std::pair<CommandState, bool> columns[] = {{S::DeadFavoritesSelected, false},
                                                     {S::RootSelected, false},
                                                     {S::FavoriteSelected, false},
                                                     {S::FolderSelected, false},
                                                     {S::DeadFavoritesSelected, true},
                                                     {S::RootSelected, true},
                                                     {S::FavoriteSelected, true},
                                                     {S::FolderSelected, true},
                                                     {S::RunStarted, true}};
    int seen = 0;
    for (int column = 0; column < 9; ++column) {
        // Start from the opposite of the answer, to prove nothing lingers.
        update(column % 2 ? S::FavoriteSelected : S::FolderSelected, column < 4);
        update(columns[column].first, columns[column].second);
        for (const auto& [where, commands] : kTable) {
            const QStringList parts = QString(commands).split(' ');
            for (int i = 0; i + 1 < parts.size(); i += 2) {
                ++seen;
                EXPECT_EQ(isOn(where, parts[i]), parts[i + 1][column] == 'x')
                    << where << " " << parts[i].toStdString() << " column " << column + 1;
            }
        }
    }
    EXPECT_EQ(seen, 9 * 72);
}

TEST_F(EnablementTest, RunStartedWithoutARunIsIdle)
{
    update(CommandState::RunStarted, false);
    EXPECT_TRUE(isOn("toolbar", "3") && isOn(Menus::Links, "3") && isOn("task", "EB_OTHER_CHECK"));
    EXPECT_FALSE(isOn("toolbar", "1") || isOn("toolbar", "4"));
}

TEST_F(EnablementTest, RunEndedDerivesTheStateFromTheSelection)
{
    const int folder = m_images.position("OPENFOLDER");
    m_tree.add(nullptr, "/p/Dead", "Dead Favorites", NodeKind::DeadFavoritesRoot, folder, folder);
    TreeNode* root =
        m_tree.add(nullptr, "/f", "Favorites", NodeKind::FavoritesRoot, folder, folder);
    const EnablementContext moveDeadOn{m_tree, false, true};
    EXPECT_EQ(DeriveCommandState(root, moveDeadOn), CommandState::FolderSelected)
        << "with MoveDead on the root is not the first node";

    m_tree.select(root);
    update(CommandState::RunEnded, false, true);
    EXPECT_TRUE(isOn(Menus::Folder, "5")) << "a top-level folder can be pasted into";
    m_tree.select(nullptr);
    update(CommandState::RunEnded, false, true);
    EXPECT_TRUE(isOn("toolbar", "1")) << "after a rebuild, Check All again";
}

} // namespace
