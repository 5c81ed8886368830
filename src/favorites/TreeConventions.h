#pragma once

#include <QString>

namespace norvale {

class FileSystem;
class TreeControl;
class TreeNode;

// Texts of the two top-level nodes, by which the window tells them apart.
inline const QString kRootText = QStringLiteral("Favorites");
inline const QString kDeadFavoritesText = QStringLiteral("Dead Favorites");
// A favorite's file ends in this, in any letter case.
inline const QString kShortcutExtension = QStringLiteral(".URL");
// The spelling the program gives the files it names itself.
inline const QString kNewShortcutExtension = QStringLiteral(".url");

// True for a file name that ends in ".url" in any letter case.
bool IsShortcutFileName(const QString& fileName);
// The node text for a shortcut file: the name without its extension.
QString FavoriteTextFor(const QString& fileName);

// A favorite node's tag holds the extension of its file as the file system
// spells it (".url", ".URL", ...), so that the node reaches exactly the file
// it was made from, even beside a file whose name differs only in case.
void SetShortcutExtension(TreeControl& tree, TreeNode* favorite, const QString& fileName);

// A favorite's file: the folder's path, the node text and its extension;
// only when no file has exactly that name, the one that matches it without
// regard to letter case.
QString FavoriteFilePath(const QString& folderPath, const TreeNode* favorite, const FileSystem& fs);
// The same, in the folder of the favorite's parent node.
QString FavoriteFilePath(const TreeNode* favorite, const FileSystem& fs);

// The folders below the top-level node and the node's own text, joined by
// "/": how a report names a favorite.
QString TreePathOf(const TreeNode* node);
// The same for a name inside the given folder node.
QString TreePathOf(const TreeNode* folder, const QString& name);

} // namespace norvale
