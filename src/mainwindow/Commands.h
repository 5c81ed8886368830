#pragma once

namespace norvale {

// What the menus, the toolbar and the task pane can run.
enum class Command : int {
    None = 0,
    Exit,
    Cut,
    Copy,
    Paste,
    NewFolder,
    NewFavorite,
    Delete,
    Rename,
    Find,
    OptionsFromMenu,     // no page chosen, the properties page withheld
    OptionsFromTaskPane, // the first page
    Properties,
    PropertiesOfFavorite, // only when a favorite is selected
    CheckAll,
    CheckOne,
    CheckFolder,
    Stop,
    Launch,
    Refresh,
    Help,
    About,
    MakerSite,
    Donate,
    LaunchFromDetails,
    ImportBookmarks,
    ExportFavorites,
};

// The menus by name.
namespace Menus {
inline constexpr const char* File = "mnuFileMenu";
inline constexpr const char* Edit = "mnuEditMenu";
inline constexpr const char* Links = "mnuLinksMenu";
inline constexpr const char* Help = "mnuHelpMenu";
inline constexpr const char* Node = "mnuNodePopup";
inline constexpr const char* Folder = "mnuFolderPopup";
inline constexpr const char* Dead = "mnuDeadPopup";
} // namespace Menus

// Positions (counted from 1, separators included) of what the toolbar and
// the menus hold, as BuildCommandSurface lays them out: enablement names
// them here rather than by number.
enum class ToolbarButton : int {
    CheckAll = 1,
    CheckOne = 2,
    CheckDir = 3,
    StopChecking = 4,
    LaunchLink = 6,
    Find = 7,
    Properties = 8,
    Cut = 10,
    Copy = 11,
    Paste = 12,
    Delete = 13,
    Help = 15,
};

enum class FileMenuItem : int {
    ImportBookmarks = 1,
    ExportFavorites = 2,
    Exit = 4,
};

enum class EditMenuItem : int {
    Cut = 1,
    Copy = 2,
    Paste = 3,
    NewFolder = 5,
    NewFavorite = 6,
    Delete = 8,
    Rename = 9,
    Find = 11,
    Options = 13,
};

enum class LinksMenuItem : int {
    CheckAll = 1,
    CheckOne = 2,
    CheckFolder = 3,
    Stop = 4,
    Launch = 6,
    Refresh = 8,
    Properties = 10,
};

// The favorite's context menu.
enum class NodeMenuItem : int {
    CheckFavorite = 1,
    Launch = 2,
    Cut = 4,
    Copy = 5,
    Paste = 6,
    NewFolder = 8,
    NewFavorite = 9,
    Delete = 11,
    Rename = 12,
    Properties = 14,
};

// The folder's context menu.
enum class FolderMenuItem : int {
    CheckFolder = 1,
    Cut = 3,
    Copy = 4,
    Paste = 5,
    NewFolder = 7,
    NewFavorite = 8,
    Delete = 10,
    Rename = 11,
};

// The menu each kind of item belongs to.
constexpr const char* MenuOf(FileMenuItem)
{
    return Menus::File;
}
constexpr const char* MenuOf(EditMenuItem)
{
    return Menus::Edit;
}
constexpr const char* MenuOf(LinksMenuItem)
{
    return Menus::Links;
}
constexpr const char* MenuOf(NodeMenuItem)
{
    return Menus::Node;
}
constexpr const char* MenuOf(FolderMenuItem)
{
    return Menus::Folder;
}

} // namespace norvale
