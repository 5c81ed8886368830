#include "mainwindow/CommandEnablement.h"
#include "mainwindow/Commands.h"
#include "mainwindow/CommandSurfaceBuilder.h"
#include "platform/CommandSurface.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

// One row of the enablement table: where the command is, then whether it is
// on in states 1-4 idle, 1-4 during a run, and state 5.
struct Row {
    const char* where; // "toolbar", a menu name, or "task"
    const char* id;    // position, index or key
    const char* flags; // nine characters, 'x' on, '-' off
};

const Row kTable[] = {
    {"toolbar", "1", "-xxx-----"},
    {"toolbar", "2", "--x------"},
    {"toolbar", "3", "xxxx-----"},
    {"toolbar", "4", "----xxxxx"},
    {"toolbar", "6", "--x---x--"},
    {"toolbar", "7", "xxxxxxxxx"},
    {"toolbar", "8", "--x------"},
    {"toolbar", "10", "--xx-----"},
    {"toolbar", "11", "--xx-----"},
    {"toolbar", "12", "-xxx-----"},
    {"toolbar", "13", "--xx-----"},
    {"toolbar", "15", "xxxxxxxxx"},
    {Menus::File, "1", "xxxx-----"},
    {Menus::File, "2", "xxxx-----"},
    {Menus::File, "4", "xxxxxxxxx"},
    {Menus::Edit, "1", "--xx-----"},
    {Menus::Edit, "2", "--xx-----"},
    {Menus::Edit, "3", "-xxx-----"},
    {Menus::Edit, "5", "-xxx-----"},
    {Menus::Edit, "6", "-xxx-----"},
    {Menus::Edit, "8", "--xx-----"},
    {Menus::Edit, "9", "--xx-----"},
    {Menus::Edit, "11", "xxxxxxxxx"},
    {Menus::Edit, "13", "xxxxxxxxx"},
    {Menus::Links, "1", "-xxx-----"},
    {Menus::Links, "2", "--x------"},
    {Menus::Links, "3", "xxxx-----"},
    {Menus::Links, "4", "----xxxxx"},
    {Menus::Links, "6", "--x---x--"},
    {Menus::Links, "8", "-xxx-----"},
    {Menus::Links, "10", "--x---x--"},
    {Menus::Node, "1", "xxxxxxxxx"},
    {Menus::Node, "2", "xxxxxxxxx"},
    {Menus::Node, "4", "--x------"},
    {Menus::Node, "5", "--x------"},
    {Menus::Node, "6", "--x------"},
    {Menus::Node, "8", "--x------"},
    {Menus::Node, "9", "--x------"},
    {Menus::Node, "11", "--x------"},
    {Menus::Node, "12", "--x------"},
    {Menus::Node, "14", "xxxxxxxxx"},
    {Menus::Folder, "1", "-x-x-----"},
    {Menus::Folder, "3", "---x-----"},
    {Menus::Folder, "4", "---x-----"},
    {Menus::Folder, "5", "-x-x-----"},
    {Menus::Folder, "7", "-x-x-----"},
    {Menus::Folder, "8", "-x-x-----"},
    {Menus::Folder, "10", "---x-----"},
    {Menus::Folder, "11", "---x-----"},
    {"task", "EB_FAVORITES_CHECK", "--x------"},
    {"task", "EB_FAVORITES_LAUNCH", "--x---x--"},
    {"task", "EB_FAVORITES_NEW", "-xxx-----"},
    {"task", "EB_FAVORITES_DELETE", "--x------"},
    {"task", "EB_FOLDER_CHECK", "-xxx-----"},
    {"task", "EB_FOLDER_NEW", "-x-x-----"},
    {"task", "EB_FOLDER_DELETE", "---x-----"},
    {"task", "EB_OTHER_CHECK", "-xxx-----"},
};

bool isOn(const CommandSurface& surface, const Row& row)
{
    const QString where = QLatin1String(row.where);
    const QString id = QLatin1String(row.id);
    if (where == QLatin1String("toolbar"))
        return surface.toolbarButton(id.toInt())->enabled;
    if (where == QLatin1String("task"))
        return surface.taskItem(id)->available;
    return surface.menuItem(where, id.toInt())->enabled;
}

class EnablementTest : public testing::Test {
protected:
    EnablementTest() { BuildCommandSurface(m_surface); }

    void update(CommandState state, bool checking, bool moveDead = false)
    {
        UpdateCommands(m_surface, state, {m_tree, m_images, checking, moveDead});
    }

    CommandSurface m_surface;
    TreeControl m_tree;
    ImageList m_images;
};

TEST_F(EnablementTest, EveryCommandFollowsTheTable)
{
    struct Column {
        CommandState state;
        bool checking;
    };
    const Column columns[] = {{CommandState::DeadFavoritesSelected, false},
                              {CommandState::RootSelected, false},
                              {CommandState::FavoriteSelected, false},
                              {CommandState::FolderSelected, false},
                              {CommandState::DeadFavoritesSelected, true},
                              {CommandState::RootSelected, true},
                              {CommandState::FavoriteSelected, true},
                              {CommandState::FolderSelected, true},
                              {CommandState::RunStarted, true}};
    for (int column = 0; column < 9; ++column) {
        // Start from the opposite of the answer, to prove nothing lingers.
        update(column % 2 ? CommandState::FavoriteSelected : CommandState::FolderSelected,
               column < 4);
        update(columns[column].state, columns[column].checking);
        for (const Row& row : kTable) {
            SCOPED_TRACE(testing::Message()
                         << row.where << " " << row.id << " column " << column + 1);
            EXPECT_EQ(isOn(m_surface, row), row.flags[column] == 'x');
        }
    }
}

TEST_F(EnablementTest, HelpAndDeadMenusAndTheOtherTasksStayOn)
{
    update(CommandState::RunStarted, true);
    for (int index = 1; index <= 5; ++index)
        EXPECT_TRUE(m_surface.menuItem(QLatin1String(Menus::Help), index)->enabled);
    for (int index = 1; index <= 6; ++index)
        EXPECT_TRUE(m_surface.menuItem(QLatin1String(Menus::Dead), index)->enabled);
    for (const char* key :
         {"EB_OTHER_FIND", "EB_OTHER_PROPERTIES", "EB_OTHER_REFRESH", "EB_OTHER_HELP"})
        EXPECT_TRUE(m_surface.taskItem(QLatin1String(key))->available) << key;
    EXPECT_FALSE(m_surface.menuItem(QLatin1String(Menus::Node), 6)->visible)
        << "a favorite's menu never shows Paste";
}

TEST_F(EnablementTest, StateFiveWithoutARunGivesTheIdleCommonSet)
{
    update(CommandState::RunStarted, false);
    EXPECT_TRUE(m_surface.toolbarButton(3)->enabled);
    EXPECT_TRUE(m_surface.menuItem(QLatin1String(Menus::Links), 3)->enabled);
    EXPECT_TRUE(m_surface.taskItem(QStringLiteral("EB_OTHER_CHECK"))->available);
    EXPECT_FALSE(m_surface.toolbarButton(1)->enabled);
    EXPECT_FALSE(m_surface.toolbarButton(4)->enabled);
}

TEST_F(EnablementTest, RunEndedDerivesTheStateFromTheSelection)
{
    const int folder = m_images.position(QStringLiteral("OPENFOLDER"));
    const int light = m_images.position(QStringLiteral("IELOGO"));
    TreeNode* dead =
        m_tree.add(nullptr, QStringLiteral("/p/Dead"), QStringLiteral("Dead Favorites"),
                   NodeKind::DeadFavoritesRoot, folder, folder);
    TreeNode* root = m_tree.add(nullptr, QStringLiteral("/f"), QStringLiteral("Favorites"),
                                NodeKind::FavoritesRoot, folder, folder);
    TreeNode* favorite =
        m_tree.add(root, QString(), QStringLiteral("x"), NodeKind::Favorite, light, light);
    const EnablementContext moveDeadOn{m_tree, m_images, false, true};
    EXPECT_EQ(DeriveCommandState(favorite, moveDeadOn), CommandState::FavoriteSelected);
    EXPECT_EQ(DeriveCommandState(dead, moveDeadOn), CommandState::DeadFavoritesSelected);
    EXPECT_EQ(DeriveCommandState(root, moveDeadOn), CommandState::FolderSelected)
        << "with MoveDead on the root is not the first node";

    m_tree.select(root);
    update(CommandState::RunEnded, false, true);
    EXPECT_FALSE(m_surface.menuItem(QLatin1String(Menus::Folder), 3)->enabled)
        << "a top-level folder cannot be cut";
    EXPECT_FALSE(m_surface.toolbarButton(13)->enabled) << "nor deleted";
    EXPECT_TRUE(m_surface.menuItem(QLatin1String(Menus::Folder), 5)->enabled) << "but pasted into";
    m_tree.select(favorite);
    update(CommandState::RunEnded, false, true);
    EXPECT_TRUE(m_surface.toolbarButton(2)->enabled);
    m_tree.select(nullptr);
    update(CommandState::RunEnded, false, true);
    EXPECT_TRUE(m_surface.toolbarButton(1)->enabled) << "after a rebuild, Check All again";
}

} // namespace
