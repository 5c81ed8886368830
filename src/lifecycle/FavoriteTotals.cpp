#include "FavoriteTotals.h"

#include "platform/Counted.h"
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
    return QStringLiteral("Total: %1 in %2  ")
        .arg(Counted(favorites, QStringLiteral("Favorite"), QStringLiteral("Favorites")),
             Counted(folders, QStringLiteral("Folder"), QStringLiteral("Folders")));
}

} // namespace norvale
