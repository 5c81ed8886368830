#pragma once

#include "checker/UnattendedReport.h"
#include "lifecycle/DeadFavoritesMirror.h"

#include <QList>
#include <QString>

namespace norvale {

class CheckRunner;
class Clock;
class CommandController;
class ErrorLog;
class FavoritesTree;
class FileSystem;
class FolderChooser;
class ImageList;
class MessageBoxes;
class NorvaleError;
class RegistryStore;
class StatusBarModel;
class TransferEngine;
class TrayControl;
class TreeControl;
class WindowFrame;
struct AppSettings;
struct MainWindowState;

// What the main window's life works with: the program's parts it loads,
// saves and starts, and the window's.
struct LifecycleParts {
    AppSettings& settings;
    MainWindowState& state;
    TreeControl& tree;
    StatusBarModel& status;
    FavoritesTree& favorites;
    CheckRunner& checker;
    MessageBoxes& boxes;
    ErrorLog& log;
    const FileSystem& fileSystem;
    const Clock& clock;
    const ImageList& images;
    TransferEngine& transfers;
    QString storePath;     // the settings store file
    QString programFolder; // ERROR.LOG, Dead Favorites, the help file
    CommandController& commands;
    WindowFrame& frame;
    FolderChooser* folderChooser; // may be null: nobody to ask
    TrayControl& tray;
};

// The main window's life from load to unload: restores the settings and the
// window, finds the Favorites folder, mirrors the dead favorites, builds the
// tree and shows the totals; refuses to close during a check; saves it all
// back at the end. The commands run in the CommandController.
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
    // Called before load: the tree shows this folder in place of the
    // Favorites folder (a browser's bookmarks laid out as favorites), and
    // no dead favorites are mirrored into it.
    void showFolder(const QString& folder) { m_shownFolder = folder; }
    // A close request: false (refused) while a check runs.
    bool closeRequested() const;
    void unload();

    // The unattended run: checks all favorites and returns what it found,
    // for the caller to print and write.
    QList<ReportEntry> runInspection();

private:
    bool findFavoritesFolder(RegistryStore& store);
    void removeLeftoverTemporaryFiles();
    void installHelpFile();
    void setUpTray();
    void showUpdateNews();
    void reportQuietly(const NorvaleError& error);
    QString deadFavoritesMirror() const;
    bool mirrorsDeadFavorites() const;

    LifecycleParts m_parts;
    MirrorSnapshot m_mirroredIn;
    QString m_shownFolder;
};

} // namespace norvale
