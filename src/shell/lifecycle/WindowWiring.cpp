#include "WindowWiring.h"

#include "MainLifecycle.h"
#include "mainwindow/FindDialog.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/NewItemDialogs.h"
#include "options/ShowOptions.h"
#include "platform/NorvaleError.h"

#include "services/AboutDialog.h"
#include <QCoreApplication>
#include <QFileDialog>

namespace norvale {

void ConnectWindow(MainLifecycle& lifecycle, MainWindow& window)
{
    window.setCloseGuard([&lifecycle] { return lifecycle.closeRequested(); });
    window.setUnloadHandler([&lifecycle] { lifecycle.unload(); });
    window.setContextMenuChooser([&lifecycle] { return lifecycle.chooseContextMenu(); });
    QObject::connect(&window, &MainWindow::commandRequested, &window,
                     [&lifecycle](Command command) { lifecycle.RunCommand(command); });
    QObject::connect(
        &window, &MainWindow::labelEdited, &window,
        [&lifecycle](TreeNode* node, const QString& text) { lifecycle.labelEdited(node, text); });

    WindowActions actions;
    // Dialogs are made afresh for each showing, so each starts empty.
    actions.newFolder = [&lifecycle] {
        NewFolderDialog dialog(
            [&lifecycle](const QString& name) { return lifecycle.editor().CreateFolder(name); });
        dialog.exec();
    };
    actions.newFavorite = [&lifecycle] {
        NewFavoriteDialog dialog([&lifecycle](const QString& description, QString& address) {
            return lifecycle.editor().CreateFavorite(description, address);
        });
        dialog.exec();
    };
    actions.find = [&lifecycle, &window] {
        FindDialog::showFor(lifecycle.tree(), lifecycle.messageBoxes(), &window);
    };
    actions.about = [&lifecycle] {
        AboutDialog dialog(lifecycle.clock(), lifecycle.opener());
        dialog.exec();
    };
    actions.options = [&lifecycle, &window](Command command) {
        OptionsContext context{
            lifecycle.settings(),
            lifecycle.storePath(),
            lifecycle.programFolder(),
            QCoreApplication::applicationFilePath(),
            lifecycle.tree(),
            lifecycle.images(),
            lifecycle.fileSystem(),
            lifecycle.messageBoxes(),
            [&lifecycle](const QString& newName, TreeNode* node) {
                return lifecycle.renameNode(newName, node) == RenameOutcome::Renamed;
            },
            [&lifecycle] { lifecycle.favorites().RefreshLinks(); },
            [&lifecycle](const NorvaleError& error) { lifecycle.errorLog().LogError(error, true); },
            &window};
        if (command == Command::Properties)
            ShowPropertiesDialog(context);
        else
            ShowOptionsDialog(context, command == Command::OptionsFromTaskPane ? 0 : -1);
    };
    actions.startRename = [&window] { window.startRename(); };
    actions.close = [&window] { return window.close(); };
    actions.show = [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    };
    actions.icon = [&window] { return window.windowIcon(); };
    actions.chooseBookmarkFile = [&window](bool save) {
        const QString filter = QStringLiteral("Bookmark files (*.html *.htm);;All files (*)");
        return save ? QFileDialog::getSaveFileName(&window, QStringLiteral("Export Favorites"),
                                                   QStringLiteral("bookmarks.html"), filter)
                    : QFileDialog::getOpenFileName(&window, QStringLiteral("Import Bookmarks"),
                                                   QString(), filter);
    };
    lifecycle.setWindowActions(std::move(actions));
}

} // namespace norvale
