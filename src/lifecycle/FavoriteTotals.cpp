#include "FavoriteTotals.h"

#include "platform/TreeControl.h"

#include <vector>

namespace norvale {

QString FavoriteTotalsText(const TreeControl& tree, const QString& favoritesKey)
{
    qint64 favorites = 0;
    qint64 folders = 0;
    std::vector<const TreeNode*> open;
    if (const TreeNode* root = tree.findByKey(favoritesKey))
        open.push_back(root);
    // A walk with a list of its own: 100,000 nested nodes never run out of
    // stack.
    while (!open.empty()) {
        const TreeNode* folder = open.back();
        open.pop_back();
        ++folders;
        for (const auto& child : folder->children()) {
            if (child->isFolder())
                open.push_back(child.get());
            else
                ++favorites;
        }
    }
    return QStringLiteral("Total: %1 %2 in %3 %4  ")
        .arg(favorites)
        .arg(favorites == 1 ? QStringLiteral("Favorite") : QStringLiteral("Favorites"))
        .arg(folders)
        .arg(folders == 1 ? QStringLiteral("Folder") : QStringLiteral("Folders"));
}

} // namespace norvale
