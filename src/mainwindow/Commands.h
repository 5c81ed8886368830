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

} // namespace norvale
