#include "mainwindow/CommandEnablement.h"
#include "mainwindow/Commands.h"
#include "mainwindow/CommandSurfaceBuilder.h"
#include "platform/CommandSurface.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

using C = Command;

// One row of the enablement table: a command in a place (the toolbar, a
// menu by name, or a task by key), then whether it is on ('x') in states
// 1-4 idle, 1-4 during a run, and state 5.
struct Row {
    const char* place;
    C command;
    const char* columns;
    const char* task = nullptr; // the task pane's items go by key
};

const char* const kToolbar = "toolbar";
const Row kTable[] = {{kToolbar, C::CheckAll, "-xxx-----"},
                      {kToolbar, C::CheckOne, "--x------"},
                      {kToolbar, C::CheckFolder, "xxxx-----"},
                      {kToolbar, C::Stop, "----xxxxx"},
                      {kToolbar, C::Launch, "--x---x--"},
                      {kToolbar, C::Find, "xxxxxxxxx"},
                      {kToolbar, C::Properties, "--x------"},
                      {kToolbar, C::Cut, "--xx-----"},
                      {kToolbar, C::Copy, "--xx-----"},
                      {kToolbar, C::Paste, "-xxx-----"},
                      {kToolbar, C::Delete, "--xx-----"},
                      {kToolbar, C::Help, "xxxxxxxxx"},
                      {Menus::File, C::ImportBookmarks, "xxxx-----"},
                      {Menus::File, C::ExportFavorites, "xxxx-----"},
                      {Menus::File, C::OpenBrowserBookmarks, "xxxxxxxxx"},
                      {Menus::File, C::Exit, "xxxxxxxxx"},
                      {Menus::Edit, C::Cut, "--xx-----"},
                      {Menus::Edit, C::Copy, "--xx-----"},
                      {Menus::Edit, C::Paste, "-xxx-----"},
                      {Menus::Edit, C::NewFolder, "-xxx-----"},
                      {Menus::Edit, C::NewFavorite, "-xxx-----"},
                      {Menus::Edit, C::Delete, "--xx-----"},
                      {Menus::Edit, C::Rename, "--xx-----"},
                      {Menus::Edit, C::Find, "xxxxxxxxx"},
                      {Menus::Edit, C::OptionsFromMenu, "xxxxxxxxx"},
                      {Menus::Links, C::CheckAll, "-xxx-----"},
                      {Menus::Links, C::CheckOne, "--x------"},
                      {Menus::Links, C::CheckFolder, "xxxx-----"},
                      {Menus::Links, C::Stop, "----xxxxx"},
                      {Menus::Links, C::Launch, "--x---x--"},
                      {Menus::Links, C::Refresh, "-xxx-----"},
                      {Menus::Links, C::PropertiesOfFavorite, "--x---x--"},
                      {Menus::Node, C::CheckOne, "xxxxxxxxx"},
                      {Menus::Node, C::Launch, "xxxxxxxxx"},
                      {Menus::Node, C::Cut, "--x------"},
                      {Menus::Node, C::Copy, "--x------"},
                      {Menus::Node, C::Paste, "--x------"},
                      {Menus::Node, C::NewFolder, "--x------"},
                      {Menus::Node, C::NewFavorite, "--x------"},
                      {Menus::Node, C::Delete, "--x------"},
                      {Menus::Node, C::Rename, "--x------"},
                      {Menus::Node, C::Properties, "xxxxxxxxx"},
                      {Menus::Folder, C::CheckFolder, "-x-x-----"},
                      {Menus::Folder, C::Cut, "---x-----"},
                      {Menus::Folder, C::Copy, "---x-----"},
                      {Menus::Folder, C::Paste, "-x-x-----"},
                      {Menus::Folder, C::NewFolder, "-x-x-----"},
                      {Menus::Folder, C::NewFavorite, "-x-x-----"},
                      {Menus::Folder, C::Delete, "---x-----"},
                      {Menus::Folder, C::Rename, "---x-----"},
                      {Menus::Help, C::Help, "xxxxxxxxx"},
                      {Menus::Help, C::About, "xxxxxxxxx"},
                      {Menus::Help, C::MakerSite, "xxxxxxxxx"},
                      {Menus::Help, C::Donate, "xxxxxxxxx"},
                      {Menus::Dead, C::CheckOne, "xxxxxxxxx"},
                      {Menus::Dead, C::Cut, "xxxxxxxxx"},
                      {Menus::Dead, C::Delete, "xxxxxxxxx"},
                      {Menus::Dead, C::Launch, "xxxxxxxxx"},
                      {Menus::Dead, C::Properties, "xxxxxxxxx"},
                      {"task", C::CheckOne, "--x------", "EB_FAVORITES_CHECK"},
                      {"task", C::Launch, "--x---x--", "EB_FAVORITES_LAUNCH"},
                      {"task", C::NewFavorite, "-xxx-----", "EB_FAVORITES_NEW"},
                      {"task", C::Delete, "--x------", "EB_FAVORITES_DELETE"},
                      {"task", C::CheckFolder, "-xxx-----", "EB_FOLDER_CHECK"},
                      {"task", C::NewFolder, "-x-x-----", "EB_FOLDER_NEW"},
                      {"task", C::Delete, "---x-----", "EB_FOLDER_DELETE"},
                      {"task", C::CheckAll, "-xxx-----", "EB_OTHER_CHECK"},
                      {"task", C::Find, "xxxxxxxxx", "EB_OTHER_FIND"},
                      {"task", C::OptionsFromTaskPane, "xxxxxxxxx", "EB_OTHER_PROPERTIES"},
                      {"task", C::Refresh, "xxxxxxxxx", "EB_OTHER_REFRESH"},
                      {"task", C::Help, "xxxxxxxxx", "EB_OTHER_HELP"}};

class EnablementTest : public testing::Test {
protected:
    EnablementTest() { BuildCommandSurface(m_surface); }

    void update(CommandState state, bool checking, bool moveDead = false)
    {
        UpdateCommands(m_surface, state, {m_tree, checking, moveDead});
    }
    // Whether the command in the place is on; the item must exist and run
    // the command the row names.
    bool isOn(const char* place, Command command) const
    {
        const CommandItem* item = QLatin1String(place) == QLatin1String(kToolbar)
                                      ? m_surface.toolbarButton(command)
                                      : m_surface.menuItem(QLatin1String(place), command);
        EXPECT_NE(item, nullptr) << place << " has no item for command " << int(command);
        return item && item->enabled;
    }
    bool isOn(const Row& row) const
    {
        if (!row.task)
            return isOn(row.place, row.command);
        const TaskItem* item = m_surface.taskItem(QLatin1String(row.task));
        EXPECT_TRUE(item && item->command == row.command) << row.task;
        return item && item->available;
    }
    // The row as a failure names it: the place and the item's caption.
    std::string name(const Row& row) const
    {
        if (row.task)
            return row.task;
        const CommandItem* item = QLatin1String(row.place) == QLatin1String(kToolbar)
                                      ? m_surface.toolbarButton(row.command)
                                      : m_surface.menuItem(QLatin1String(row.place), row.command);
        return std::string(row.place) + " " +
               (item ? (item->key.isEmpty() ? item->caption : item->key).toStdString() : "?");
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
    for (int column = 0; column < 9; ++column) {
        SCOPED_TRACE("state column " + std::to_string(column + 1));
        // Start from the opposite of the answer, to prove nothing lingers.
        update(column % 2 ? S::FavoriteSelected : S::FolderSelected, column < 4);
        update(columns[column].first, columns[column].second);
        for (const Row& row : kTable) {
            SCOPED_TRACE(name(row));
            EXPECT_EQ(isOn(row), row.columns[column] == 'x');
        }
    }
}

TEST_F(EnablementTest, RunStartedWithoutARunIsIdle)
{
    update(CommandState::RunStarted, false);
    EXPECT_TRUE(isOn(kToolbar, C::CheckFolder) && isOn(Menus::Links, C::CheckFolder) &&
                m_surface.taskItem(QStringLiteral("EB_OTHER_CHECK"))->available);
    EXPECT_FALSE(isOn(kToolbar, C::CheckAll) || isOn(kToolbar, C::Stop));
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
    EXPECT_TRUE(isOn(Menus::Folder, C::Paste)) << "a top-level folder can be pasted into";
    m_tree.select(nullptr);
    update(CommandState::RunEnded, false, true);
    EXPECT_TRUE(isOn(kToolbar, C::CheckAll)) << "after a rebuild, Check All again";
}

} // namespace
