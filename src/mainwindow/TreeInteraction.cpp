#include "TreeInteraction.h"

#include "favorites/TreeConventions.h"
#include "platform/TreeControl.h"

namespace norvale {

ContextMenu ChooseContextMenu(const TreeControl& tree, bool checking)
{
    const TreeNode* node = tree.selectedItem();
    if (!node)
        return ContextMenu::None;
    if (node == tree.node(1)) {
        if (node->kind() == NodeKind::DeadFavoritesRoot)
            return ContextMenu::None;
        if (node->kind() == NodeKind::FavoritesRoot)
            return ContextMenu::RootFolder;
    }
    if (node->isFolder())
        return ContextMenu::Folder;
    if (node->parent() && node->parent()->kind() == NodeKind::DeadFavoritesRoot)
        return checking ? ContextMenu::None : ContextMenu::DeadFavorite;
    return ContextMenu::Favorite;
}

} // namespace norvale
