#include "TreeConventions.h"

#include "platform/FileSystem.h"
#include "platform/TreeControl.h"

namespace norvale {

bool IsShortcutFileName(const QString& fileName)
{
    return fileName.endsWith(kShortcutExtension, Qt::CaseInsensitive);
}

QString FavoriteTextFor(const QString& fileName)
{
    return fileName.chopped(kShortcutExtension.size());
}

void SetShortcutExtension(TreeControl& tree, TreeNode* favorite, const QString& fileName)
{
    // Shared texts for the usual spellings: a tree of 100,000 favorites
    // holds no copies of them.
    const QString& lower = kNewShortcutExtension;
    const QString extension = fileName.right(kShortcutExtension.size());
    tree.setTag(favorite, extension == lower                ? lower
                          : extension == kShortcutExtension ? kShortcutExtension
                                                            : extension);
}

QString FavoriteFilePath(const QString& folderPath, const TreeNode* favorite, const FileSystem& fs)
{
    const QString& extension = favorite->tag().isEmpty() ? kShortcutExtension : favorite->tag();
    return fs.resolveCaseInsensitive(FileSystem::join(folderPath, favorite->text() + extension));
}

QString FavoriteFilePath(const TreeNode* favorite, const FileSystem& fs)
{
    const TreeNode* folder = favorite->parent();
    return FavoriteFilePath(folder ? folder->key() : QString(), favorite, fs);
}

QString TreePathOf(const TreeNode* folder, const QString& name)
{
    QStringList parts{name};
    for (; folder && folder->parent(); folder = folder->parent())
        parts.prepend(folder->text());
    return parts.join(QLatin1Char('/'));
}

QString TreePathOf(const TreeNode* node)
{
    return TreePathOf(node->parent(), node->text());
}

} // namespace norvale
