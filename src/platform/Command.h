#pragma once

namespace norvale {

// What the menus, the toolbar and the task pane can run.
enum class Command {
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
    OpenBrowserBookmarks, // a browser profile's bookmarks, in a window of their own
};

} // namespace norvale
