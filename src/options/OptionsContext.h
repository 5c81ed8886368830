#pragma once

#include <functional>
#include <QString>

class QWidget;

namespace norvale {

class FavoriteEditor;
class FileSystem;
class ImageList;
class MessageBoxes;
class NorvaleError;
class TreeControl;
class TreeNode;
struct AppSettings;

// Applies an edited favorite name: cleans it, renames the file and updates
// the node; reports its own failures. True when renamed.
using RenameLinkFunction = std::function<bool(const QString& newName, TreeNode* node)>;

// What the options dialog works on, handed in by the main window. The
// dialog edits `settings` in place; everything else it only uses.
struct OptionsContext {
    AppSettings& settings;
    QString storePath;      // the settings store file (browser version, extensions)
    QString programFolder;  // the program's own folder: Icons, checkmrk.ico
    QString executablePath; // the running program, which the browser is told to start
    TreeControl& tree;      // the favorites; its selected node in properties mode
    const ImageList& images;
    const FileSystem& fs;
    MessageBoxes& boxes;
    RenameLinkFunction renameLink;      // properties mode: an edited name on close
    std::function<void()> refreshLinks; // rebuilds the tree from disk
    // Failed writes to the favorite's file or to the store. Without one, the
    // error is shown in a message box titled "Error " + its number.
    std::function<void(const NorvaleError&)> reportError;
    QWidget* parent = nullptr; // the dialog is centred over it
};

// The editor's rename as the dialog's rename callback.
RenameLinkFunction RenameThrough(FavoriteEditor& editor);

} // namespace norvale
