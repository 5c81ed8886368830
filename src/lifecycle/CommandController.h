#pragma once

#include "favorites/FavoriteEditor.h"
#include "lifecycle/WindowDialogs.h"
#include "mainwindow/Commands.h"
#include "mainwindow/NodePath.h"
#include "mainwindow/TreeInteraction.h"
#include "shell/CommandState.h"

#include <memory>
#include <QList>
#include <QObject>
#include <QString>

namespace norvale {

struct AppSettings;
class BrowserProfileChooser;
class CheckRunner;
class CommandSurface;
class ErrorLog;
class FavoritesTree;
class FileSystem;
class MessageBoxes;
class ProgramStarter;
class ShortcutFile;
class StatusBarModel;
class TreeControl;
class TreeNode;
class UrlOpener;
struct EnablementContext;
struct MainWindowState;

// The program's parts the commands work with.
struct CommandParts {
    AppSettings& settings;
    MainWindowState& state;
    TreeControl& tree;
    StatusBarModel& status;
    FavoritesTree& favorites;
    FavoriteEditor& editor;
    ShortcutFile& shortcuts;
    CheckRunner& checker;
    MessageBoxes& boxes;
    ErrorLog& log;
    const FileSystem& fileSystem;
    QString programFolder;
    UrlOpener* opener = nullptr; // launches favorites; none in tests
    // Open Browser Bookmarks: which profile, and the process that shows it;
    // without either the command does nothing.
    BrowserProfileChooser* profileChooser = nullptr;
    ProgramStarter* starter = nullptr;
};

// Runs the window's commands, clicks and label edits, and keeps the
// commands' enablement and the details in step with the selection.
//
// Once started, whatever selects a node (a click, a find, a new item) shows
// its details, status and commands; a rebuild of the tree selects the same
// node again (or the root when it is gone), and so does the end of every
// command and run, so that the window always describes the selected node.
class CommandController {
public:
    // The window's command surface, or one of its own when none is given.
    explicit CommandController(CommandParts parts, CommandSurface* surface = nullptr);
    ~CommandController();
    CommandController(const CommandController&) = delete;
    CommandController& operator=(const CommandController&) = delete;

    // The window's dialogs; none until given. They must outlive the
    // controller or be replaced first.
    void setDialogs(WindowDialogs& dialogs) { m_dialogs = &dialogs; }

    // The end of start-up, once the tree is built: the first node counts as
    // selected, the commands and the tree's size show, and from then on the
    // window follows the selection.
    void start();

    void RunCommand(Command command);
    void UpdateCommands(CommandState state);
    void ShowNodeDetails(TreeNode* node);
    ContextMenu contextMenu();
    void labelEdited(TreeNode* node, const QString& text);
    // Renames as the editor does and, when the name is refused, says why in
    // the status bar.
    RenameOutcome renameNode(const QString& newName, TreeNode* node);

private:
    void dispatch(Command command);
    void runOptions(Command command);
    void openHelp();
    void openAddress(const QString& address);
    void importFromFile();
    void exportToFile();
    void openBrowserBookmarks();
    void watchTree();
    void selectionChanged(TreeNode* node);
    void restoreSelection();
    void showSelection();
    void showTotals();
    TreeNode* rootNode() const;
    EnablementContext enablement() const;

    CommandParts m_parts;
    std::unique_ptr<CommandSurface> m_ownSurface;
    CommandSurface& m_surface;
    NoWindowDialogs m_noWindow;
    WindowDialogs* m_dialogs = &m_noWindow;
    bool m_running = false;        // started: selections are the user's now
    bool m_quietSelection = false; // a selection that shows no details
    QList<NodePath> m_kept;        // the selection's place across a rebuild
    QObject m_treeWatch;           // last: its connections go first
};

} // namespace norvale
