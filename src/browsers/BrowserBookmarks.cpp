#include "BrowserBookmarks.h"

namespace norvale {

namespace {

int countIn(const BrowserNode& node)
{
    int count = node.isFolder ? 0 : 1;
    for (const BrowserNode& child : node.children)
        count += countIn(child);
    return count;
}

} // namespace

int CountBookmarks(const BrowserTree& tree)
{
    int count = 0;
    for (const BrowserNode& root : tree.roots)
        count += countIn(root);
    return count;
}

QHash<QString, const BrowserNode*> BrowserNodesById(const BrowserTree& tree)
{
    QHash<QString, const BrowserNode*> nodes;
    QList<const BrowserNode*> walk; // no recursion, however deep the tree
    for (const BrowserNode& root : tree.roots)
        walk.append(&root);
    while (!walk.isEmpty()) {
        const BrowserNode* node = walk.takeLast();
        nodes.insert(node->id, node);
        for (const BrowserNode& child : node->children)
            walk.append(&child);
    }
    return nodes;
}

} // namespace norvale
