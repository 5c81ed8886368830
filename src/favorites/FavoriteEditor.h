#pragma once

#include <QString>

namespace norvale {

class ErrorLog;
class FileSystem;
class ImageList;
class TreeControl;
class TreeNode;

// The editing operations on favorites and folders: each changes the disk
// and keeps the tree in step with it.
class FavoriteEditor {
public:
    FavoriteEditor(TreeControl& tree, const ImageList& images, const FileSystem& fs, ErrorLog& log);

    // Renames the folder or the favorite's file to the cleaned name, then
    // the node (and, for a folder, the keys of every node below it). A name
    // that cleans to nothing usable is refused; a name already taken is
    // dropped silently; any other failure is reported. True when renamed.
    bool RenameLink(const QString& strNewName, TreeNode* node);

private:
    void rekeyBelow(TreeNode* folder, const QString& oldPath, const QString& newPath);

    TreeControl& m_tree;
    const ImageList& m_images;
    const FileSystem& m_fs;
    ErrorLog& m_log;
};

} // namespace norvale
