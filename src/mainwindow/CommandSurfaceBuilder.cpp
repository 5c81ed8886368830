#include "CommandSurfaceBuilder.h"

#include "Commands.h"
#include "platform/CommandSurface.h"

namespace norvale {

namespace {

CommandItem item(const char* caption, Command command, const char* icon = "",
                 const char* shortcut = "")
{
    CommandItem result;
    result.caption = QString::fromUtf8(caption);
    result.iconKey = QString::fromUtf8(icon);
    result.shortcut = QString::fromUtf8(shortcut);
    result.command = int(command);
    return result;
}

CommandItem separator()
{
    CommandItem result;
    result.caption = QStringLiteral("-");
    result.separator = true;
    return result;
}

CommandItem button(const char* key, const char* tooltip, const char* icon, Command command)
{
    CommandItem result;
    result.key = QString::fromUtf8(key);
    result.tooltip = QString::fromUtf8(tooltip);
    result.iconKey = QString::fromUtf8(icon);
    result.command = int(command);
    return result;
}

TaskItem task(const char* key, const char* text, const char* icon, Command command)
{
    TaskItem result;
    result.key = QString::fromUtf8(key);
    result.text = QString::fromUtf8(text);
    result.iconKey = QString::fromUtf8(icon);
    result.command = int(command);
    return result;
}

TaskItem detail(int number)
{
    TaskItem result;
    result.key = QStringLiteral("EB_DETAIL%1").arg(number);
    result.text = QStringLiteral(" ");
    result.kind = TaskItemKind::Text;
    // The second line, when it shows a favorite's address, launches it.
    result.command = int(number == 2 ? Command::LaunchFromDetails : Command::None);
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
                          item("E&xit", Command::Exit, "FILEEXIT")}));
    surface.addMenu(menu(Menus::Edit, "&Edit",
                         {item("C&ut", Command::Cut, "CUT", "Ctrl+X"),
                          item("&Copy", Command::Copy, "COPY", "Ctrl+C"),
                          item("&Paste", Command::Paste, "PASTE", "Ctrl+V"), separator(),
                          item("New &Folder", Command::NewFolder, "FOLDER"),
                          item("&New Favorite", Command::NewFavorite, "IELOGO"), separator(),
                          item("&Delete", Command::Delete, "DELETE", "Del"),
                          item("&Rename", Command::Rename, "RENAME"), separator(),
                          item("Find", Command::Find, "FIND", "Ctrl+F"), separator(),
                          item("&Options", Command::OptionsFromMenu, "OPTIONS")}));
    surface.addMenu(
        menu(Menus::Links, "Fa&vorites",
             {item("Check &All Favorites", Command::CheckAll, "CHECKALL"),
              item("Check &This Favorite", Command::CheckOne, "CHECKONE"),
              item("Check Favorites in This &Directory", Command::CheckFolder, "CHECKDIR"),
              item("&Stop Checking", Command::Stop, "STOP"), separator(),
              item("&Launch Favorite", Command::Launch, "LAUNCH"), separator(),
              item("&Refresh", Command::Refresh, "REFRESH", "F5"), separator(),
              item("&Properties", Command::PropertiesOfFavorite, "PROPERTIES")}));
    surface.addMenu(menu(Menus::Help, "&Help",
                         {item("&Help Topics", Command::Help, "INFO", "F1"), separator(),
                          item("&About Norvale", Command::About),
                          item("&Brimwick Software", Command::MakerSite),
                          item("&Donate!", Command::Donate, "CHECKALL")}));
    CommandMenu node = menu(
        Menus::Node, " ",
        {item("&Check Favorite", Command::CheckOne, "CHECKALL"),
         item("&Launch Favorite", Command::Launch, "LAUNCH"), separator(),
         item("Cu&t", Command::Cut, "CUT"), item("&Copy", Command::Copy, "COPY"),
         item("&Paste", Command::Paste, "PASTE"), separator(),
         item("New Folder", Command::NewFolder, "FOLDER"),
         item("New Favorite", Command::NewFavorite, "IELOGO"), separator(),
         item("&Delete", Command::Delete, "DELETE"), item("&Rename", Command::Rename, "RENAME"),
         separator(), item("&Properties", Command::Properties, "PROPERTIES")},
        true);
    // A favorite's menu never offers Paste.
    node.items[int(NodeMenuItem::Paste) - 1].visible = false;
    surface.addMenu(node);
    surface.addMenu(menu(
        Menus::Folder, " ",
        {item("Check Favorites in This &Directory", Command::CheckFolder, "CHECKDIR"), separator(),
         item("Cu&t", Command::Cut, "CUT"), item("&Copy", Command::Copy, "COPY"),
         item("&Paste", Command::Paste, "PASTE"), separator(),
         item("New Folder", Command::NewFolder, "FOLDER"),
         item("New Favorite", Command::NewFavorite, "IELOGO"), separator(),
         item("&Delete", Command::Delete, "DELETE"), item("&Rename", Command::Rename, "RENAME")},
        true));
    surface.addMenu(
        menu(Menus::Dead, "",
             {item("Check Favorite", Command::CheckOne, "CHECKONE"),
              item("&Cut", Command::Cut, "CUT"), item("&Delete", Command::Delete, "DELETE"),
              item("&Launch Favorite", Command::Launch, "LAUNCH"), separator(),
              item("Properties", Command::Properties, "PROPERTIES")},
             true));

    surface.setToolbar({
        button("CheckAll", "Check All Favorites", "CHECKALL", Command::CheckAll),
        button("CheckOne", "Check Highlighted Favorite", "CHECKONE", Command::CheckOne),
        button("CheckDir", "Check Favorites in this Directory", "CHECKDIR", Command::CheckFolder),
        button("StopChecking", "Stop Checking Favorites", "STOP", Command::Stop),
        separator(),
        button("LaunchLink", "Launch Highlighted Favorite", "LAUNCH", Command::Launch),
        button("Find", "Find Favorite", "FIND", Command::Find),
        button("Properties", "Properties", "PROPERTIES", Command::Properties),
        separator(),
        button("Cut", "Cut", "CUT", Command::Cut),
        button("Copy", "Copy", "COPY", Command::Copy),
        button("Paste", "Paste", "PASTE", Command::Paste),
        button("Delete", "Delete", "DELETE", Command::Delete),
        separator(),
        button("Help", "Norvale Help", "INFO", Command::Help),
    });

    surface.addTaskGroup(
        {QStringLiteral("EB_FAVORITES"),
         QStringLiteral("Favorites Tasks"),
         {task("EB_FAVORITES_CHECK", "Check Favorite", "CHECKONE", Command::CheckOne),
          task("EB_FAVORITES_LAUNCH", "Launch Favorite", "LAUNCH", Command::Launch),
          task("EB_FAVORITES_NEW", "New Favorite", "IELOGO", Command::NewFavorite),
          task("EB_FAVORITES_DELETE", "Delete Favorite", "DELETE", Command::Delete)}});
    surface.addTaskGroup(
        {QStringLiteral("EB_FOLDER"),
         QStringLiteral("Folder Tasks"),
         {task("EB_FOLDER_CHECK", "Check Folder", "CHECKDIR", Command::CheckFolder),
          task("EB_FOLDER_NEW", "New Folder", "FOLDER", Command::NewFolder),
          task("EB_FOLDER_DELETE", "Delete Folder", "DELETE", Command::Delete)}});
    surface.addTaskGroup(
        {QStringLiteral("EB_OTHER"),
         QStringLiteral("Other Tasks"),
         {task("EB_OTHER_CHECK", "Check All Favorites", "CHECKALL", Command::CheckAll),
          task("EB_OTHER_FIND", "Find Favorite or Folder", "FIND", Command::Find),
          task("EB_OTHER_PROPERTIES", "Options", "PROPERTIES", Command::OptionsFromTaskPane),
          task("EB_OTHER_REFRESH", "Refresh List", "REFRESH", Command::Refresh),
          task("EB_OTHER_HELP", "View Help", "INFO", Command::Help)}});
    surface.addTaskGroup({QStringLiteral("EB_DETAILS"),
                          QStringLiteral("Details"),
                          {detail(1), detail(2), detail(3), detail(4), detail(5)}});
    surface.resumeDrawing();
}

} // namespace norvale
