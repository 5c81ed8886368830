#include "WindowWiring.h"

#include "CommandController.h"
#include "MainLifecycle.h"
#include "mainwindow/FindDialog.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/NewItemDialogs.h"
#include "options/ShowOptions.h"
#include "platform/NorvaleError.h"
#include "platform/UrlOpener.h"
#include "ProgramServices.h"
#include "services/AboutDialog.h"
#include "TrayIcon.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace norvale {

void MainWindowDialogs::newFolder()
{
    NewFolderDialog dialog(
        [this](const QString& name, QString& refusal) {
            return m_services.editor().CreateFolder(name, &refusal);
        },
        &m_window);
    dialog.exec();
}

void MainWindowDialogs::newFavorite()
{
    NewFavoriteDialog dialog(
        [this](const QString& description, QString& address, QString& refusal) {
            return m_services.editor().CreateFavorite(description, address, &refusal);
        },
        &m_window);
    dialog.exec();
}

void MainWindowDialogs::find()
{
    FindDialog::showFor(m_services.tree(), m_services.boxes(), &m_window);
}

void MainWindowDialogs::about()
{
    AboutDialog dialog(m_services.clock(), m_services.opener());
    dialog.exec();
}

void MainWindowDialogs::startRename()
{
    m_window.startRename();
}

void MainWindowDialogs::options(Command command)
{
    OptionsContext context{
        m_services.settings(),
        m_services.storePath(),
        m_services.programFolder(),
        QCoreApplication::applicationFilePath(),
        m_services.tree(),
        m_services.images(),
        m_services.fileSystem(),
        m_services.boxes(),
        [this](const QString& newName, TreeNode* node) {
            return m_commands.renameNode(newName, node) == RenameOutcome::Renamed;
        },
        [this] { m_services.favorites().RefreshLinks(); },
        [this](const NorvaleError& error) { m_services.log().LogError(error, true); },
        &m_window};
    if (command == Command::Properties)
        ShowPropertiesDialog(context);
    else
        ShowOptionsDialog(context, command == Command::OptionsFromTaskPane ? 0 : -1);
}

QString MainWindowDialogs::chooseBookmarkFile(bool save)
{
    const QString filter = QStringLiteral("Bookmark files (*.html *.htm);;All files (*)");
    return save ? QFileDialog::getSaveFileName(&m_window, QStringLiteral("Export Favorites"),
                                               QStringLiteral("bookmarks.html"), filter)
                : QFileDialog::getOpenFileName(&m_window, QStringLiteral("Import Bookmarks"),
                                               QString(), filter);
}

bool MainWindowDialogs::close()
{
    return m_window.close();
}

WindowWiring::WindowWiring(MainWindow& window, ProgramServices& services,
                           CommandController& commands, MainLifecycle& lifecycle, TrayIcon& tray)
    : m_dialogs(window, services, commands)
{
    window.setCloseGuard([&lifecycle] { return lifecycle.closeRequested(); });
    window.setUnloadHandler([&lifecycle] { lifecycle.unload(); });
    window.setContextMenuChooser([&commands] { return commands.chooseContextMenu(); });
    window.setLightImages(
        [&services](Light light) { return services.settings().lightImage(light); });
    QObject::connect(&window, &MainWindow::commandRequested, &window,
                     [&commands](Command command) { commands.RunCommand(command); });
    QObject::connect(
        &window, &MainWindow::labelEdited, &window,
        [&commands](TreeNode* node, const QString& text) { commands.labelEdited(node, text); });
    commands.setDialogs(m_dialogs);
    QObject::connect(&window, &MainWindow::noticeLinkActivated, &window,
                     [&services](const QString& address) {
                         if (UrlOpener* opener = services.opener())
                             opener->open(address);
                     });

    tray.setIcon(window.windowIcon());
    tray.setActions({services.opener(), [&window] { window.bringForward(); },
                     [&window] { return window.close(); }});
}

} // namespace norvale
