#pragma once

#include "checker/CheckRunner.h"
#include "checker/IconFetcher.h"
#include "checker/Probe.h"
#include "checker/UnattendedReport.h"
#include "DeadFavoritesMirror.h"
#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "mainwindow/Commands.h"
#include "mainwindow/NodePath.h"
#include "mainwindow/TreeInteraction.h"
#include "platform/CommandSurface.h"
#include "platform/TransferControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "shell/RoutedMessageBoxes.h"
#include "TrayIcon.h"

#include <functional>
#include <memory>
#include <optional>
#include <QObject>
#include <QString>

namespace norvale {

class Clock;
class FileSystem;
class CommandSurface;
class FolderChooser;
class ImageList;
class RegistryStore;
class StatusBarModel;
class TransferEngine;
class UrlOpener;
class TreeControl;
class WindowFrame;

// What the main window's life needs from the rest of the program.
struct LifecycleParts {
    QString storePath;     // the settings store file
    QString programFolder; // ERROR.LOG, Dead Favorites, ...
    const FileSystem& fs;
    const Clock& clock;
    MessageBoxes& interactiveBoxes;
    FolderChooser* folderChooser; // may be null: nobody to ask
    const ImageList& images;
    TreeControl& tree;
    StatusBarModel& status;
    WindowFrame& frame;
    TransferEngine& transfers;
    UrlOpener* opener = nullptr;       // launches favorites; none in tests
    CommandSurface* surface = nullptr; // the window's commands; its own when none
};

// What only the window can do for a command: its dialogs and its label edit.
struct WindowActions {
    std::function<void()> newFolder;
    std::function<void()> newFavorite;
    std::function<void()> find;
    std::function<void()> about;
    std::function<void()> startRename;
    std::function<bool()> close; // false when the window refused
    std::function<void()> show;  // shows and raises the window
    std::function<QIcon()> icon; // the window's own icon
    // Shows the options dialog for the command that asked for it.
    std::function<void(Command)> options;
    // Asks for a bookmark file to read (save false) or write; "" when none.
    std::function<QString(bool save)> chooseBookmarkFile;
};

// The main window's life from load to unload: restores the settings and the
// window, finds the Favorites folder, mirrors the dead favorites, builds the
// tree and shows the totals; refuses to close during a check; saves it all
// back at the end.
//
// Once loaded, whatever selects a node (a click, a find, a new item) shows
// its details, status and commands; a rebuild of the tree selects the same
// node again (or the root when it is gone), and so does the end of every
// command and run, so that the window always describes the selected node.
class MainLifecycle {
public:
    enum class LoadOutcome {
        Running,           // the window is up and the tree built
        FavoritesNotFound, // told the user; end without saving anything
    };

    explicit MainLifecycle(LifecycleParts parts);

    // The load sequence after the single-instance check, which the process
    // makes before anything else (see main).
    LoadOutcome load(const QString& commandLine);
    // A close request: false (refused) while a check runs.
    bool closeRequested() const { return !m_state.Checking; }
    void unload();

    // The unattended run: checks all favorites and returns what it found,
    // for the caller to print and write.
    QList<ReportEntry> runInspection();
    // The Favorites folder as the store names it, or ~/Favorites when the
    // store names none and that folder exists; "" when neither.
    static QString StoredFavoritesFolder(const QString& storePath, const FileSystem& fs);

    // The window's commands, clicks and edits. The window's actions may be
    // given before load, and must be for the tray to have its icon then.
    void setWindowActions(WindowActions actions);
    void RunCommand(Command command);
    void UpdateCommands(CommandState state);
    void ShowNodeDetails(TreeNode* node);
    ContextMenu chooseContextMenu();
    void labelEdited(TreeNode* node, const QString& text);
    // Renames as the editor does and, when the name is refused, says why in
    // the status bar.
    RenameOutcome renameNode(const QString& newName, TreeNode* node);
    CommandSurface& commandSurface() { return *m_surface; }
    TrayIcon& tray() { return m_tray; }
    TreeControl& tree() { return m_parts.tree; }
    const Clock& clock() const { return m_parts.clock; }
    UrlOpener* opener() const { return m_parts.opener; }
    QString storePath() const { return m_parts.storePath; }
    QString programFolder() const { return m_parts.programFolder; }
    const ImageList& images() const { return m_parts.images; }
    const FileSystem& fileSystem() const { return m_parts.fs; }

    static bool IsInspectCommand(const QString& commandLine);
    static QString TotalsText(qint64 favorites, qint64 folders);

    AppSettings& settings() { return m_settings; }
    MainWindowState& state() { return m_state; }
    FavoritesTree& favorites() { return m_favorites; }
    CheckRunner& checker() { return m_checker; }
    ShortcutFile& shortcuts() { return m_shortcuts; }
    FavoriteEditor& editor() { return m_editor; }
    TransferControl& transferControl() { return m_transfer; }
    ErrorLog& errorLog() { return m_log; }
    MessageBoxes& messageBoxes() { return m_boxes; }
    QString deadFavoritesMirror() const;

private:
    bool findFavoritesFolder(RegistryStore& store);
    void removeLeftoverTemporaryFiles();
    void runOptions(Command command);
    void openHelp();
    void importBookmarks();
    void exportFavorites();
    void installHelpFile();
    void setUpTray();
    void checkForUpdate();
    void reportQuietly(const NorvaleError& error);
    void runCommand(Command command);
    void watchTree();
    void selectionChanged(TreeNode* node);
    void restoreSelection();
    void showSelection();
    TreeNode* rootNode() const;

    LifecycleParts m_parts;
    AppSettings m_settings;
    MainWindowState m_state;
    RoutedMessageBoxes m_boxes;
    ErrorLog m_log;
    FavoritesTree m_favorites;
    TransferControl m_transfer;
    Probe m_probe;
    IconFetcher m_icons;
    ShortcutFile m_shortcuts;
    FavoriteEditor m_editor;
    CheckRunner m_checker;
    TrayIcon m_tray;
    std::unique_ptr<CommandSurface> m_ownSurface;
    CommandSurface* m_surface;
    WindowActions m_window;
    MirrorSnapshot m_mirroredIn;
    bool m_running = false;         // loaded: selections are the user's now
    bool m_quietSelection = false;  // a selection that shows no details
    std::optional<NodePath> m_kept; // the selection across a rebuild
    QObject m_treeWatch;            // last: its connections go first
};

} // namespace norvale
