#pragma once

#include "lifecycle/WindowDialogs.h"

#include <QString>
#include <utility>

namespace norvale {

class Clock;
class CommandController;
class ErrorLog;
class FavoriteEditor;
class FavoritesTree;
class FileSystem;
class ImageList;
class MainLifecycle;
class MainWindow;
class MessageBoxes;
class TrayIcon;
class TreeControl;
class UrlOpener;
struct AppSettings;

// The program's parts the window's dialogs work with.
struct DialogParts {
    AppSettings& settings;
    TreeControl& tree;
    FavoritesTree& favorites;
    FavoriteEditor& editor;
    MessageBoxes& boxes;
    ErrorLog& log;
    const FileSystem& fileSystem;
    const Clock& clock;
    const ImageList& images;
    QString storePath;
    QString programFolder;
    UrlOpener* opener = nullptr;
};

class ProgramServices;
// The dialogs' parts picked out of the whole graph, by main and the test rigs.
DialogParts dialogPartsOf(ProgramServices& services);

// The window's dialogs, label edit and closing, made afresh for each
// showing so that each starts empty.
class MainWindowDialogs : public WindowDialogs {
public:
    MainWindowDialogs(MainWindow& window, DialogParts parts, CommandController& commands)
        : m_window(window)
        , m_parts(std::move(parts))
        , m_commands(commands)
    {}

    void newFolder() override;
    void newFavorite() override;
    void find() override;
    void about() override;
    void startRename() override;
    void options(Command command) override;
    QString chooseBookmarkFile(bool save) override;
    std::unique_ptr<TaskProgress> showProgress(const QString& title, const QString& label) override;
    bool close() override;

private:
    MainWindow& m_window;
    DialogParts m_parts;
    CommandController& m_commands;
};

// Connects the window's events to the commands and the lifecycle, gives the
// commands the window's dialogs, and gives the tray the window's icon and
// what its events do (show the window, close it). Make it before the
// lifecycle's load, since start-up's tray wants the window's icon, and keep
// it as long as the window runs commands.
class WindowWiring {
public:
    WindowWiring(MainWindow& window, const DialogParts& parts, CommandController& commands,
                 MainLifecycle& lifecycle, TrayIcon& tray);
    WindowWiring(const WindowWiring&) = delete;
    WindowWiring& operator=(const WindowWiring&) = delete;

private:
    MainWindowDialogs m_dialogs;
};

} // namespace norvale
