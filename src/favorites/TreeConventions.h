#pragma once

#include <QString>

namespace norvale {

class FileSystem;
class ImageList;
class TreeNode;

// Texts of the two top-level nodes, by which the window tells them apart.
inline const QString kRootText = QStringLiteral("Favorites");
inline const QString kDeadFavoritesText = QStringLiteral("Dead Favorites");
// A favorite's file ends in this, in any letter case.
inline const QString kShortcutExtension = QStringLiteral(".URL");

// A node is a folder exactly when it shows one of the two folder images.
bool IsFolderNode(const TreeNode* node, const ImageList& images);

// True for a file name that ends in ".url" in any letter case.
bool IsShortcutFileName(const QString& fileName);
// The node text for a shortcut file: the name without its extension.
QString FavoriteTextFor(const QString& fileName);

// A favorite's file: its parent's key, the node text and ".URL", resolved to
// the file on disk whatever the letter case of its extension.
QString FavoriteFilePath(const TreeNode* favorite, const FileSystem& fs);

} // namespace norvale
