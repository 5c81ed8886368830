#pragma once

#include "checker/CheckRunner.h"
#include "checker/IconFetcher.h"
#include "checker/Probe.h"
#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "platform/TransferControl.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "shell/RoutedMessageBoxes.h"

#include <QString>

namespace norvale {

class Clock;
class FileSystem;
class ImageList;
class MessageBoxes;
class StatusBarModel;
class TransferEngine;
class TreeControl;
class UrlOpener;

// What the program's parts are built over: where its files live, and the
// pieces the process (or a test) provides.
struct ServiceParts {
    QString storePath;     // the settings store file
    QString programFolder; // ERROR.LOG, Dead Favorites, Icons, ...
    const FileSystem& fs;
    const Clock& clock;
    MessageBoxes& interactiveBoxes; // shown unless the run is unattended
    const ImageList& images;
    TreeControl& tree;
    StatusBarModel& status;
    TransferEngine& transfers;
    UrlOpener* opener = nullptr; // launches favorites; none in tests
};

// The program's parts, each made once and wired to the others as the
// program runs them: the settings and the window's state, the error log,
// the favorites tree, the transfers, the probe, the icon fetcher, the
// shortcut files, the editor and the check runner. The program and the test
// rigs build the same graph through this one class.
class ProgramServices {
public:
    explicit ProgramServices(ServiceParts parts);
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    // What it was given.
    const QString& storePath() const { return m_parts.storePath; }
    const QString& programFolder() const { return m_parts.programFolder; }
    const FileSystem& fileSystem() const { return m_parts.fs; }
    const Clock& clock() const { return m_parts.clock; }
    const ImageList& images() const { return m_parts.images; }
    TreeControl& tree() { return m_parts.tree; }
    StatusBarModel& status() { return m_parts.status; }
    TransferEngine& transfers() { return m_parts.transfers; }
    UrlOpener* opener() const { return m_parts.opener; }

    // What it made.
    AppSettings& settings() { return m_settings; }
    MainWindowState& state() { return m_state; }
    // The boxes every part shows, on the console while unattended.
    MessageBoxes& boxes() { return m_boxes; }
    ErrorLog& log() { return m_log; }
    FavoritesTree& favorites() { return m_favorites; }
    Probe& probe() { return m_probe; }
    IconFetcher& icons() { return m_icons; }
    ShortcutFile& shortcuts() { return m_shortcuts; }
    FavoriteEditor& editor() { return m_editor; }
    CheckRunner& checker() { return m_checker; }

private:
    ServiceParts m_parts;
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
};

} // namespace norvale
