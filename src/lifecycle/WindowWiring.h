#pragma once

#include "WindowDialogs.h"

namespace norvale {

class CommandController;
class MainLifecycle;
class MainWindow;
class ProgramServices;
class TrayIcon;

// The window's dialogs, label edit and closing, made afresh for each
// showing so that each starts empty.
class MainWindowDialogs : public WindowDialogs {
public:
    MainWindowDialogs(MainWindow& window, ProgramServices& services, CommandController& commands)
        : m_window(window)
        , m_services(services)
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
    ProgramServices& m_services;
    CommandController& m_commands;
};

// Connects the window's events to the commands and the lifecycle, gives the
// commands the window's dialogs, and gives the tray the window's icon and
// what its events do (show the window, close it). Make it before the
// lifecycle's load, since start-up's tray wants the window's icon, and keep
// it as long as the window runs commands.
class WindowWiring {
public:
    WindowWiring(MainWindow& window, ProgramServices& services, CommandController& commands,
                 MainLifecycle& lifecycle, TrayIcon& tray);
    WindowWiring(const WindowWiring&) = delete;
    WindowWiring& operator=(const WindowWiring&) = delete;

private:
    MainWindowDialogs m_dialogs;
};

} // namespace norvale
