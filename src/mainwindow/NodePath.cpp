#include "NodePath.h"

#include "favorites/TreeConventions.h"
#include "platform/TreeControl.h"

namespace norvale {

std::optional<NodePath> PathOf(const TreeNode* node)
{
    if (!node)
        return std::nullopt;
    if (node->isFolder())
        return NodePath{node->key(), QString()};
    if (!node->parent())
        return std::nullopt;
    return NodePath{node->parent()->key(), node->text()};
}

TreeNode* FindByPath(const TreeControl& tree, const NodePath& path)
{
    TreeNode* folder = tree.findByKey(path.folderKey);
    if (!folder || path.favoriteText.isEmpty())
        return folder;
    TreeNode* sameButCase = nullptr;
    for (const auto& child : folder->children()) {
        if (child->text() == path.favoriteText)
            return child.get();
        if (!sameButCase && child->text().compare(path.favoriteText, Qt::CaseInsensitive) == 0)
            sameButCase = child.get();
    }
    return sameButCase;
}

} // namespace norvale
