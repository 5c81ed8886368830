#pragma once

#include <QString>

namespace norvale {

class ErrorLog;
class FavoritesTree;
class FileSystem;
class MessageBoxes;
class ShortcutFile;
class TreeControl;
class TreeNode;
class UrlOpener;
struct MainWindowState;

struct EditorParts {
    TreeControl& tree;
    const FileSystem& fs;
    ErrorLog& log;
    MessageBoxes& boxes;
    MainWindowState& state;
    FavoritesTree& favorites;
    ShortcutFile& shortcuts;
    UrlOpener* opener; // may be null: launching does nothing
};

// What was last copied or cut: enough to paste it, even after the node
// itself has left the tree.
struct ClipboardItem {
    bool valid = false;
    bool favorite = false; // a favorite, else a folder (whatever its name ends in)
    QString key;           // the item's path; a favorite's ends in ".URL"
    QString text;
    QString file; // the item on disk: a favorite's own file, found when it was taken
};

// What became of a rename, so that the caller can say why nothing changed.
enum class RenameOutcome {
    Renamed,      // renamed, or the name was the node's already
    EmptyName,    // nothing but blanks once cleaned
    UnusableName, // "." or ".."
    NameTaken,    // the folder already holds an item of that name
    Failed,       // reported, or a node without a folder to rename in
};

// The editing operations on favorites and folders. Each changes the disk
// and keeps the tree in step with it; most act on the selected node.
class FavoriteEditor {
public:
    explicit FavoriteEditor(EditorParts parts);

    // Renames the folder or the favorite's file to the cleaned name, then
    // the node (and, for a folder, the keys of every node below it). A name
    // that cleans to nothing usable is refused; a name already taken is
    // dropped silently; any other failure is reported.
    RenameOutcome RenameLink(const QString& strNewName, TreeNode* node);

    void CopyNode();
    void CutNode();
    void PasteNode();
    // Asks first; what goes, goes to the desktop trash where there is one.
    void DeleteNode();
    void LaunchFavorite();

    // The new-folder and new-favorite dialogs' OK: true when the dialog
    // should close; when not, refusal (if given) says why.
    bool CreateFolder(const QString& typedName, QString* refusal = nullptr);
    bool CreateFavorite(const QString& description, QString& address, QString* refusal = nullptr);

    const ClipboardItem& clipboard() const { return m_clipboard; }

private:
    void takeOntoClipboard(bool cut);
    TreeNode* newItemTarget() const;
    void rekeyBelow(TreeNode* folder, const QString& oldPath, const QString& newPath);
    void pasteInto(TreeNode* target, bool favorite, const QString& destination);
    bool removeFromDisk(const QString& path, bool folder);

    EditorParts m_parts;
    ClipboardItem m_clipboard;
};

} // namespace norvale
