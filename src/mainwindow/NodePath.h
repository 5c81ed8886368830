#pragma once

#include <optional>
#include <QList>
#include <QString>

namespace norvale {

class TreeControl;
class TreeNode;

// Where a node stands on disk, so that the same node can be found again in
// a tree rebuilt from the disk: a folder by its key, a favorite by its
// folder's key and its name.
struct NodePath {
    QString folderKey;
    QString favoriteText; // empty for a folder
};

std::optional<NodePath> PathOf(const TreeNode* node);

// Where a node stands, best first: its own path, then the sibling after it,
// the one before it and its folder, which take its place when it goes.
QList<NodePath> PlaceOf(const TreeNode* node);

// The node at that path, or null when the rebuilt tree has none. A favorite
// whose name now differs in letter case only still counts as found.
TreeNode* FindByPath(const TreeControl& tree, const NodePath& path);

} // namespace norvale
