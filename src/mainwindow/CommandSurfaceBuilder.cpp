#include "CommandSurfaceBuilder.h"

#include "Commands.h"
#include "platform/CommandSurface.h"

namespace norvale {

namespace {

CommandItem item(const char* caption, Command command, ImageKey icon = ImageKey::None,
                 const char* shortcut = "")
{
    CommandItem result;
    result.caption = QString::fromUtf8(caption);
    result.icon = icon;
    result.shortcut = QString::fromUtf8(shortcut);
    result.command = command;
    return result;
}

// An item kept in its menu's shape but never shown.
CommandItem hidden(CommandItem item)
{
    item.visible = false;
    return item;
}

CommandItem separator()
{
    CommandItem result;
    result.caption = QStringLiteral("-");
    result.separator = true;
    return result;
}

CommandItem button(const char* key, const char* tooltip, ImageKey icon, Command command)
{
    CommandItem result;
    result.key = QString::fromUtf8(key);
    result.tooltip = QString::fromUtf8(tooltip);
    result.icon = icon;
    result.command = command;
    return result;
}

TaskItem task(const char* key, const char* text, ImageKey icon, Command command)
{
    TaskItem result;
    result.key = QString::fromUtf8(key);
    result.text = QString::fromUtf8(text);
    result.icon = icon;
    result.command = command;
    return result;
}

TaskItem detail(int number)
{
    TaskItem result;
    result.key = QStringLiteral("EB_DETAIL%1").arg(number);
    result.text = QStringLiteral(" ");
    result.kind = TaskItemKind::Text;
    // The second line, when it shows a favorite's address, launches it.
    result.command = number == 2 ? Command::LaunchFromDetails : Command::None;
    return result;
}

CommandMenu menu(const char* name, const char* caption, QList<CommandItem> items,
                 bool popupOnly = false)
{
    return {QString::fromUtf8(name), QString::fromUtf8(caption), popupOnly, std::move(items)};
}

} // namespace

void BuildCommandSurface(CommandSurface& surface)
{
    surface.suspendDrawing();
    surface.clear();
    surface.addMenu(menu(Menus::File, "&File",
                         {item("&Import Bookmarks...", Command::ImportBookmarks),
                          item("&Export Favorites...", Command::ExportFavorites), separator(),
                          item("Open &Browser Bookmarks...", Command::OpenBrowserBookmarks),
                          separator(), item("E&xit", Command::Exit, ImageKey::FileExit)}));
    surface.addMenu(menu(Menus::Edit, "&Edit",
                         {item("C&ut", Command::Cut, ImageKey::Cut, "Ctrl+X"),
                          item("&Copy", Command::Copy, ImageKey::Copy, "Ctrl+C"),
                          item("&Paste", Command::Paste, ImageKey::Paste, "Ctrl+V"), separator(),
                          item("New &Folder", Command::NewFolder, ImageKey::Folder),
                          item("&New Favorite", Command::NewFavorite, ImageKey::IeLogo),
                          separator(), item("&Delete", Command::Delete, ImageKey::Delete, "Del"),
                          item("&Rename", Command::Rename, ImageKey::Rename), separator(),
                          item("Find", Command::Find, ImageKey::Find, "Ctrl+F"), separator(),
                          item("&Options", Command::OptionsFromMenu, ImageKey::Options)}));
    surface.addMenu(
        menu(Menus::Links, "Fa&vorites",
             {item("Check &All Favorites", Command::CheckAll, ImageKey::CheckAll),
              item("Check &This Favorite", Command::CheckOne, ImageKey::CheckOne),
              item("Check Favorites in This &Directory", Command::CheckFolder, ImageKey::CheckDir),
              item("&Stop Checking", Command::Stop, ImageKey::Stop), separator(),
              item("&Launch Favorite", Command::Launch, ImageKey::Launch), separator(),
              item("&Refresh", Command::Refresh, ImageKey::Refresh, "F5"), separator(),
              item("&Properties", Command::PropertiesOfFavorite, ImageKey::Properties)}));
    surface.addMenu(menu(Menus::Help, "&Help",
                         {item("&Help Topics", Command::Help, ImageKey::Info, "F1"), separator(),
                          item("&About Norvale", Command::About),
                          item("&Brimwick Software", Command::MakerSite),
                          item("&Donate!", Command::Donate, ImageKey::CheckAll)}));
    // A favorite's menu never offers Paste.
    surface.addMenu(menu(Menus::Node, " ",
                         {item("&Check Favorite", Command::CheckOne, ImageKey::CheckAll),
                          item("&Launch Favorite", Command::Launch, ImageKey::Launch), separator(),
                          item("Cu&t", Command::Cut, ImageKey::Cut),
                          item("&Copy", Command::Copy, ImageKey::Copy),
                          hidden(item("&Paste", Command::Paste, ImageKey::Paste)), separator(),
                          item("New Folder", Command::NewFolder, ImageKey::Folder),
                          item("New Favorite", Command::NewFavorite, ImageKey::IeLogo), separator(),
                          item("&Delete", Command::Delete, ImageKey::Delete),
                          item("&Rename", Command::Rename, ImageKey::Rename), separator(),
                          item("&Properties", Command::Properties, ImageKey::Properties)},
                         true));
    surface.addMenu(
        menu(Menus::Folder, " ",
             {item("Check Favorites in This &Directory", Command::CheckFolder, ImageKey::CheckDir),
              separator(), item("Cu&t", Command::Cut, ImageKey::Cut),
              item("&Copy", Command::Copy, ImageKey::Copy),
              item("&Paste", Command::Paste, ImageKey::Paste), separator(),
              item("New Folder", Command::NewFolder, ImageKey::Folder),
              item("New Favorite", Command::NewFavorite, ImageKey::IeLogo), separator(),
              item("&Delete", Command::Delete, ImageKey::Delete),
              item("&Rename", Command::Rename, ImageKey::Rename)},
             true));
    surface.addMenu(menu(Menus::Dead, "",
                         {item("Check Favorite", Command::CheckOne, ImageKey::CheckOne),
                          item("&Cut", Command::Cut, ImageKey::Cut),
                          item("&Delete", Command::Delete, ImageKey::Delete),
                          item("&Launch Favorite", Command::Launch, ImageKey::Launch), separator(),
                          item("Properties", Command::Properties, ImageKey::Properties)},
                         true));

    surface.setToolbar({
        button("CheckAll", "Check All Favorites", ImageKey::CheckAll, Command::CheckAll),
        button("CheckOne", "Check Highlighted Favorite", ImageKey::CheckOne, Command::CheckOne),
        button("CheckDir", "Check Favorites in this Directory", ImageKey::CheckDir,
               Command::CheckFolder),
        button("StopChecking", "Stop Checking Favorites", ImageKey::Stop, Command::Stop),
        separator(),
        button("LaunchLink", "Launch Highlighted Favorite", ImageKey::Launch, Command::Launch),
        button("Find", "Find Favorite", ImageKey::Find, Command::Find),
        button("Properties", "Properties", ImageKey::Properties, Command::Properties),
        separator(),
        button("Cut", "Cut", ImageKey::Cut, Command::Cut),
        button("Copy", "Copy", ImageKey::Copy, Command::Copy),
        button("Paste", "Paste", ImageKey::Paste, Command::Paste),
        button("Delete", "Delete", ImageKey::Delete, Command::Delete),
        separator(),
        button("Help", "Norvale Help", ImageKey::Info, Command::Help),
    });

    surface.addTaskGroup(
        {QStringLiteral("EB_FAVORITES"),
         QStringLiteral("Favorites Tasks"),
         {task("EB_FAVORITES_CHECK", "Check Favorite", ImageKey::CheckOne, Command::CheckOne),
          task("EB_FAVORITES_LAUNCH", "Launch Favorite", ImageKey::Launch, Command::Launch),
          task("EB_FAVORITES_NEW", "New Favorite", ImageKey::IeLogo, Command::NewFavorite),
          task("EB_FAVORITES_DELETE", "Delete Favorite", ImageKey::Delete, Command::Delete)}});
    surface.addTaskGroup(
        {QStringLiteral("EB_FOLDER"),
         QStringLiteral("Folder Tasks"),
         {task("EB_FOLDER_CHECK", "Check Folder", ImageKey::CheckDir, Command::CheckFolder),
          task("EB_FOLDER_NEW", "New Folder", ImageKey::Folder, Command::NewFolder),
          task("EB_FOLDER_DELETE", "Delete Folder", ImageKey::Delete, Command::Delete)}});
    surface.addTaskGroup(
        {QStringLiteral("EB_OTHER"),
         QStringLiteral("Other Tasks"),
         {task("EB_OTHER_CHECK", "Check All Favorites", ImageKey::CheckAll, Command::CheckAll),
          task("EB_OTHER_FIND", "Find Favorite or Folder", ImageKey::Find, Command::Find),
          task("EB_OTHER_PROPERTIES", "Options", ImageKey::Properties,
               Command::OptionsFromTaskPane),
          task("EB_OTHER_REFRESH", "Refresh List", ImageKey::Refresh, Command::Refresh),
          task("EB_OTHER_HELP", "View Help", ImageKey::Info, Command::Help)}});
    surface.addTaskGroup({QStringLiteral("EB_DETAILS"),
                          QStringLiteral("Details"),
                          {detail(1), detail(2), detail(3), detail(4), detail(5)}});
    surface.resumeDrawing();
}

} // namespace norvale
