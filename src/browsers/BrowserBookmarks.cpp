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

const BrowserNode* findIn(const BrowserNode& node, const QString& id)
{
    if (node.id == id)
        return &node;
    for (const BrowserNode& child : node.children) {
        if (const BrowserNode* found = findIn(child, id))
            return found;
    }
    return nullptr;
}

} // namespace

int CountBookmarks(const BrowserTree& tree)
{
    int count = 0;
    for (const BrowserNode& root : tree.roots)
        count += countIn(root);
    return count;
}

const BrowserNode* FindBrowserNode(const BrowserTree& tree, const QString& id)
{
    for (const BrowserNode& root : tree.roots) {
        if (const BrowserNode* found = findIn(root, id))
            return found;
    }
    return nullptr;
}

} // namespace norvale
