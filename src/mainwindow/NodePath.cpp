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

QList<NodePath> PlaceOf(const TreeNode* node)
{
    QList<NodePath> place;
    const TreeNode* parent = node ? node->parent() : nullptr;
    const int row = node ? node->row() : 0;
    const auto add = [&place](const TreeNode* candidate) {
        if (const std::optional<NodePath> path = PathOf(candidate))
            place.append(*path);
    };
    add(node);
    if (parent && row + 1 < parent->childCount())
        add(parent->child(row + 1));
    if (parent && row > 0)
        add(parent->child(row - 1));
    add(parent);
    return place;
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
