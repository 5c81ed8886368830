#pragma once

#include "checker/UnattendedReport.h"
#include "DeadFavoritesMirror.h"

#include <QList>
#include <QString>

namespace norvale {

class CommandController;
class FolderChooser;
class NorvaleError;
class ProgramServices;
class RegistryStore;
class TrayIcon;
class WindowFrame;

// What the main window's life needs besides the program's parts.
struct LifecycleParts {
    ProgramServices& services;
    CommandController& commands;
    WindowFrame& frame;
    FolderChooser* folderChooser; // may be null: nobody to ask
    TrayIcon& tray;
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

    LifecycleParts m_parts;
    ProgramServices& m_services;
    MirrorSnapshot m_mirroredIn;
};

} // namespace norvale
