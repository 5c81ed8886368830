#include "TreeInteraction.h"

#include "favorites/TreeConventions.h"
#include "platform/TreeControl.h"

namespace norvale {

ContextMenu ChooseContextMenu(const TreeControl& tree, const ImageList& images, bool checking)
{
    const TreeNode* node = tree.selectedItem();
    if (!node)
        return ContextMenu::None;
    if (node == tree.node(1)) {
        if (node->text() == kDeadFavoritesText)
            return ContextMenu::None;
        if (node->text() == kRootText)
            return ContextMenu::RootFolder;
    }
    if (IsFolderNode(node, images))
        return ContextMenu::Folder;
    if (node->parent() && node->parent()->text() == kDeadFavoritesText)
        return checking ? ContextMenu::None : ContextMenu::DeadFavorite;
    return ContextMenu::Favorite;
}

} // namespace norvale
