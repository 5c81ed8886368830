#pragma once

namespace norvale {

class TreeControl;

enum class ContextMenu { None, Folder, RootFolder, Favorite, DeadFavorite };

// Which context menu the selected node gets. RootFolder is the folder menu
// after the root's command state has been set.
ContextMenu ChooseContextMenu(const TreeControl& tree, bool checking);

} // namespace norvale
