#include "TreeConventions.h"

#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/TreeControl.h"

namespace norvale {

bool IsFolderNode(const TreeNode* node, const ImageList& images)
{
    const int image = node->image();
    return image == images.position(QStringLiteral("FOLDER")) ||
           image == images.position(QStringLiteral("OPENFOLDER"));
}

bool IsShortcutFileName(const QString& fileName)
{
    return fileName.endsWith(kShortcutExtension, Qt::CaseInsensitive);
}

QString FavoriteTextFor(const QString& fileName)
{
    return fileName.chopped(kShortcutExtension.size());
}

QString FavoriteFilePath(const TreeNode* favorite, const FileSystem& fs)
{
    const TreeNode* folder = favorite->parent();
    const QString derived =
        FileSystem::join(folder ? folder->key() : QString(), favorite->text() + kShortcutExtension);
    return fs.resolveCaseInsensitive(derived);
}

} // namespace norvale
