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

using C = Command;

class Switcher {
public:
    explicit Switcher(CommandSurface& surface)
        : m_surface(surface)
    {}
    void menu(const char* name, std::initializer_list<Command> commands, bool enabled = true)
    {
        for (const Command command : commands)
            m_surface.setMenuItemEnabled(QLatin1String(name), command, enabled);
    }
    void toolbar(std::initializer_list<Command> commands, bool enabled = true)
    {
        for (const Command command : commands)
            m_surface.setToolbarEnabled(command, enabled);
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
    for (const CommandItem& button : surface.toolbarButtons())
        surface.setToolbarEnabled(button.command, false);
    for (const char* name : kManagedMenus) {
        if (const CommandMenu* menu = surface.menu(QLatin1String(name))) {
            for (const CommandItem& item : menu->items)
                surface.setMenuItemEnabled(menu->name, item.command, false);
        }
    }
}

// A top-level folder (the root, the dead favorites' folder) cannot be cut,
// copied, deleted or renamed: the commands that would do nothing are off.
void switchOffWhatTopLevelRefuses(CommandSurface& surface)
{
    Switcher off(surface);
    off.menu(Menus::Edit, {C::Cut, C::Copy, C::Delete, C::Rename}, false);
    off.menu(Menus::Folder, {C::Cut, C::Copy, C::Delete, C::Rename}, false);
    off.toolbar({C::Cut, C::Copy, C::Delete}, false);
    off.tasks({"EB_FOLDER_DELETE"}, false);
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

    // A browser's bookmarks open in another process, which a check here
    // does not concern.
    on.menu(Menus::File, {C::Exit, C::OpenBrowserBookmarks});
    if (!context.checking)
        on.menu(Menus::File, {C::ImportBookmarks, C::ExportFavorites});
    on.menu(Menus::Edit, {C::Find, C::OptionsFromMenu});
    on.menu(Menus::Node, {C::CheckOne, C::Properties, C::Launch});
    on.toolbar({C::Find, C::Help});
    if (context.checking) {
        on.toolbar({C::Stop});
        on.menu(Menus::Links, {C::Stop});
        on.tasks({"EB_OTHER_CHECK"}, false);
    } else {
        on.toolbar({C::CheckFolder});
        on.menu(Menus::Links, {C::CheckFolder});
        on.tasks({"EB_OTHER_CHECK"});
    }

    const bool idle = !context.checking;
    switch (state) {
    case CommandState::DeadFavoritesSelected:
        on.menu(Menus::Links, {C::CheckAll}, false);
        on.toolbar({C::CheckAll}, false);
        on.tasks({"EB_OTHER_CHECK"}, false);
        break;
    case CommandState::RootSelected:
        if (idle) {
            on.toolbar({C::CheckAll, C::Paste});
            on.menu(Menus::Edit, {C::NewFavorite, C::NewFolder, C::Paste});
            on.menu(Menus::Links, {C::CheckAll, C::CheckFolder, C::Refresh});
            on.menu(Menus::Folder, {C::NewFavorite, C::NewFolder, C::CheckFolder, C::Paste});
            on.tasks({"EB_FOLDER_CHECK", "EB_FOLDER_NEW", "EB_FAVORITES_NEW"});
        }
        break;
    case CommandState::FavoriteSelected:
        if (idle) {
            on.toolbar(
                {C::CheckAll, C::CheckOne, C::Copy, C::Cut, C::Delete, C::Paste, C::Properties});
            on.menu(Menus::Edit, {C::Copy, C::Cut, C::Delete, C::NewFavorite, C::NewFolder,
                                  C::Paste, C::Rename});
            on.menu(Menus::Links, {C::CheckAll, C::CheckFolder, C::CheckOne, C::Refresh});
            on.menu(Menus::Node, {C::Copy, C::Cut, C::Delete, C::NewFavorite, C::NewFolder,
                                  C::Paste, C::Rename});
            on.tasks({"EB_FAVORITES_CHECK", "EB_FOLDER_CHECK", "EB_FAVORITES_DELETE",
                      "EB_FAVORITES_NEW"});
        }
        on.menu(Menus::Links, {C::Launch, C::PropertiesOfFavorite});
        on.toolbar({C::Launch});
        on.tasks({"EB_FAVORITES_LAUNCH"});
        break;
    case CommandState::FolderSelected:
        if (idle) {
            on.toolbar({C::CheckAll, C::Copy, C::Cut, C::Delete, C::Paste});
            on.menu(Menus::Edit, {C::Copy, C::Cut, C::Delete, C::NewFavorite, C::NewFolder,
                                  C::Paste, C::Rename});
            on.menu(Menus::Links, {C::CheckAll, C::CheckFolder, C::Refresh});
            on.menu(Menus::Folder, {C::CheckFolder, C::Copy, C::Cut, C::Delete, C::NewFavorite,
                                    C::NewFolder, C::Paste, C::Rename});
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
