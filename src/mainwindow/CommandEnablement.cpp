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

class Switcher {
public:
    explicit Switcher(CommandSurface& surface)
        : m_surface(surface)
    {}
    void menu(const char* name, std::initializer_list<int> indexes)
    {
        for (const int index : indexes)
            m_surface.setMenuItemEnabled(QLatin1String(name), index, true);
    }
    void toolbar(std::initializer_list<int> positions)
    {
        for (const int position : positions)
            m_surface.setToolbarEnabled(position, true);
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
    for (int position = 1; position <= surface.toolbar().size(); ++position)
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
    for (const int index : {1, 2, 8, 9})
        surface.setMenuItemEnabled(QLatin1String(Menus::Edit), index, false);
    for (const int index : {3, 4, 10, 11})
        surface.setMenuItemEnabled(QLatin1String(Menus::Folder), index, false);
    for (const int position : {10, 11, 13})
        surface.setToolbarEnabled(position, false);
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

    on.menu(Menus::File, {4});
    if (!context.checking)
        on.menu(Menus::File, {1, 2}); // import and export
    on.menu(Menus::Edit, {11, 13});
    on.menu(Menus::Node, {1, 14, 2});
    on.toolbar({7, 15});
    if (context.checking) {
        on.toolbar({4});
        on.menu(Menus::Links, {4});
        on.tasks({"EB_OTHER_CHECK"}, false);
    } else {
        on.toolbar({3});
        on.menu(Menus::Links, {3});
        on.tasks({"EB_OTHER_CHECK"});
    }

    const bool idle = !context.checking;
    switch (state) {
    case CommandState::DeadFavoritesSelected:
        surface.setMenuItemEnabled(QLatin1String(Menus::Links), 1, false);
        surface.setToolbarEnabled(1, false);
        on.tasks({"EB_OTHER_CHECK"}, false);
        break;
    case CommandState::RootSelected:
        if (idle) {
            on.toolbar({1, 12});
            on.menu(Menus::Edit, {6, 5, 3});
            on.menu(Menus::Links, {1, 3, 8});
            on.menu(Menus::Folder, {8, 7, 1, 5});
            on.tasks({"EB_FOLDER_CHECK", "EB_FOLDER_NEW", "EB_FAVORITES_NEW"});
        }
        break;
    case CommandState::FavoriteSelected:
        if (idle) {
            on.toolbar({1, 2, 11, 10, 13, 12, 8});
            on.menu(Menus::Edit, {2, 1, 8, 6, 5, 3, 9});
            on.menu(Menus::Links, {1, 3, 2, 8});
            on.menu(Menus::Node, {5, 4, 11, 9, 8, 6, 12});
            on.tasks({"EB_FAVORITES_CHECK", "EB_FOLDER_CHECK", "EB_FAVORITES_DELETE",
                      "EB_FAVORITES_NEW"});
        }
        on.menu(Menus::Links, {6, 10});
        on.toolbar({6});
        on.tasks({"EB_FAVORITES_LAUNCH"});
        break;
    case CommandState::FolderSelected:
        if (idle) {
            on.toolbar({1, 11, 10, 13, 12});
            on.menu(Menus::Edit, {2, 1, 8, 6, 5, 3, 9});
            on.menu(Menus::Links, {1, 3, 8});
            on.menu(Menus::Folder, {1, 4, 3, 10, 8, 7, 5, 11});
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
