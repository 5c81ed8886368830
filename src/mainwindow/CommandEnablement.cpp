#include "CommandEnablement.h"

#include "Commands.h"
#include "favorites/TreeConventions.h"
#include "platform/CommandSurface.h"
#include "platform/TreeControl.h"

#include <initializer_list>

namespace norvale {

namespace {

const char* const kManagedMenus[] = {Menus::File, Menus::Edit, Menus::Links, Menus::Folder,
                                     Menus::Node};
const char* const kManagedTasks[] = {
    "EB_FAVORITES_CHECK", "EB_FAVORITES_LAUNCH", "EB_FAVORITES_NEW", "EB_FAVORITES_DELETE",
    "EB_FOLDER_CHECK",    "EB_FOLDER_NEW",       "EB_FOLDER_DELETE"};

template <typename Item> void SetEnabled(CommandSurface& surface, Item item, bool enabled)
{
    surface.setMenuItemEnabled(QLatin1String(MenuOf(item)), int(item), enabled);
}

void SetEnabled(CommandSurface& surface, ToolbarButton button, bool enabled)
{
    surface.setToolbarEnabled(int(button), enabled);
}

class Switcher {
public:
    explicit Switcher(CommandSurface& surface)
        : m_surface(surface)
    {}
    template <typename Item> void menu(std::initializer_list<Item> items)
    {
        for (const Item item : items)
            SetEnabled(m_surface, item, true);
    }
    void toolbar(std::initializer_list<ToolbarButton> buttons)
    {
        for (const ToolbarButton button : buttons)
            SetEnabled(m_surface, button, true);
    }
    void tasks(std::initializer_list<const char*> keys, bool available = true)
    {
        for (const char* key : keys)
            m_surface.setTaskAvailable(QLatin1String(key), available);
    }

private:
    CommandSurface& m_surface;
};

void switchAllOff(CommandSurface& surface)
{
    for (int position = 1; position <= surface.toolbarButtons().size(); ++position)
        surface.setToolbarEnabled(position, false);
    for (const char* name : kManagedMenus) {
        const CommandMenu* menu = surface.menu(QLatin1String(name));
        for (int index = 1; menu && index <= menu->items.size(); ++index)
            surface.setMenuItemEnabled(QLatin1String(name), index, false);
    }
}

// A top-level folder (the root, the dead favorites' folder) cannot be cut,
// copied, deleted or renamed: the commands that would do nothing are off.
void switchOffWhatTopLevelRefuses(CommandSurface& surface)
{
    for (const auto item :
         {EditMenuItem::Cut, EditMenuItem::Copy, EditMenuItem::Delete, EditMenuItem::Rename})
        SetEnabled(surface, item, false);
    for (const auto item : {FolderMenuItem::Cut, FolderMenuItem::Copy, FolderMenuItem::Delete,
                            FolderMenuItem::Rename})
        SetEnabled(surface, item, false);
    for (const auto button : {ToolbarButton::Cut, ToolbarButton::Copy, ToolbarButton::Delete})
        SetEnabled(surface, button, false);
    surface.setTaskAvailable(QStringLiteral("EB_FOLDER_DELETE"), false);
}

} // namespace

CommandState DeriveCommandState(const TreeNode* node, const EnablementContext& context)
{
    if (node && !node->isFolder())
        return CommandState::FavoriteSelected;
    // With nothing selected (a run rebuilt the tree), the commands are
    // those of the root, so that another run can be started at once.
    if (!node)
        return context.moveDead ? CommandState::FolderSelected : CommandState::RootSelected;
    if (node == context.tree.node(1)) {
        return context.moveDead ? CommandState::DeadFavoritesSelected : CommandState::RootSelected;
    }
    return CommandState::FolderSelected;
}

void UpdateCommands(CommandSurface& surface, CommandState state, const EnablementContext& context)
{
    if (state == CommandState::RunEnded) {
        UpdateCommands(surface, DeriveCommandState(context.tree.selectedItem(), context), context);
        return;
    }
    surface.suspendDrawing();
    Switcher on(surface);
    switchAllOff(surface);
    for (const char* key : kManagedTasks)
        surface.setTaskAvailable(QLatin1String(key), false);

    on.menu({FileMenuItem::Exit});
    if (!context.checking)
        on.menu({FileMenuItem::ImportBookmarks, FileMenuItem::ExportFavorites});
    on.menu({EditMenuItem::Find, EditMenuItem::Options});
    on.menu({NodeMenuItem::CheckFavorite, NodeMenuItem::Properties, NodeMenuItem::Launch});
    on.toolbar({ToolbarButton::Find, ToolbarButton::Help});
    if (context.checking) {
        on.toolbar({ToolbarButton::StopChecking});
        on.menu({LinksMenuItem::Stop});
        on.tasks({"EB_OTHER_CHECK"}, false);
    } else {
        on.toolbar({ToolbarButton::CheckDir});
        on.menu({LinksMenuItem::CheckFolder});
        on.tasks({"EB_OTHER_CHECK"});
    }

    const bool idle = !context.checking;
    switch (state) {
    case CommandState::DeadFavoritesSelected:
        SetEnabled(surface, LinksMenuItem::CheckAll, false);
        SetEnabled(surface, ToolbarButton::CheckAll, false);
        on.tasks({"EB_OTHER_CHECK"}, false);
        break;
    case CommandState::RootSelected:
        if (idle) {
            on.toolbar({ToolbarButton::CheckAll, ToolbarButton::Paste});
            on.menu({EditMenuItem::NewFavorite, EditMenuItem::NewFolder, EditMenuItem::Paste});
            on.menu({LinksMenuItem::CheckAll, LinksMenuItem::CheckFolder, LinksMenuItem::Refresh});
            on.menu({FolderMenuItem::NewFavorite, FolderMenuItem::NewFolder,
                     FolderMenuItem::CheckFolder, FolderMenuItem::Paste});
            on.tasks({"EB_FOLDER_CHECK", "EB_FOLDER_NEW", "EB_FAVORITES_NEW"});
        }
        break;
    case CommandState::FavoriteSelected:
        if (idle) {
            on.toolbar({ToolbarButton::CheckAll, ToolbarButton::CheckOne, ToolbarButton::Copy,
                        ToolbarButton::Cut, ToolbarButton::Delete, ToolbarButton::Paste,
                        ToolbarButton::Properties});
            on.menu({EditMenuItem::Copy, EditMenuItem::Cut, EditMenuItem::Delete,
                     EditMenuItem::NewFavorite, EditMenuItem::NewFolder, EditMenuItem::Paste,
                     EditMenuItem::Rename});
            on.menu({LinksMenuItem::CheckAll, LinksMenuItem::CheckFolder, LinksMenuItem::CheckOne,
                     LinksMenuItem::Refresh});
            on.menu({NodeMenuItem::Copy, NodeMenuItem::Cut, NodeMenuItem::Delete,
                     NodeMenuItem::NewFavorite, NodeMenuItem::NewFolder, NodeMenuItem::Paste,
                     NodeMenuItem::Rename});
            on.tasks({"EB_FAVORITES_CHECK", "EB_FOLDER_CHECK", "EB_FAVORITES_DELETE",
                      "EB_FAVORITES_NEW"});
        }
        on.menu({LinksMenuItem::Launch, LinksMenuItem::Properties});
        on.toolbar({ToolbarButton::LaunchLink});
        on.tasks({"EB_FAVORITES_LAUNCH"});
        break;
    case CommandState::FolderSelected:
        if (idle) {
            on.toolbar({ToolbarButton::CheckAll, ToolbarButton::Copy, ToolbarButton::Cut,
                        ToolbarButton::Delete, ToolbarButton::Paste});
            on.menu({EditMenuItem::Copy, EditMenuItem::Cut, EditMenuItem::Delete,
                     EditMenuItem::NewFavorite, EditMenuItem::NewFolder, EditMenuItem::Paste,
                     EditMenuItem::Rename});
            on.menu({LinksMenuItem::CheckAll, LinksMenuItem::CheckFolder, LinksMenuItem::Refresh});
            on.menu({FolderMenuItem::CheckFolder, FolderMenuItem::Copy, FolderMenuItem::Cut,
                     FolderMenuItem::Delete, FolderMenuItem::NewFavorite, FolderMenuItem::NewFolder,
                     FolderMenuItem::Paste, FolderMenuItem::Rename});
            on.tasks({"EB_FOLDER_CHECK", "EB_FOLDER_DELETE", "EB_FOLDER_NEW", "EB_FAVORITES_NEW"});
        }
        break;
    case CommandState::RunStarted:
    case CommandState::RunEnded:
        break;
    }
    if (const TreeNode* selected = context.tree.selectedItem(); selected && !selected->parent())
        switchOffWhatTopLevelRefuses(surface);
    surface.resumeDrawing();
}

} // namespace norvale
