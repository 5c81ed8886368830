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

#include <algorithm>
#include <climits>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QProgressDialog>

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

namespace {

// A progress dialog over the window: it shows only when the task lasts,
// and while it shows, the window is repainted and Cancel heard, but the
// window takes no command (the dialog is modal to it).
class DialogProgress : public TaskProgress {
public:
    DialogProgress(QWidget* window, const QString& title, const QString& label)
        : m_dialog(label, QStringLiteral("Cancel"), 0, 0, window)
    {
        m_dialog.setWindowTitle(title);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
        m_sinceEvents.start();
    }

    bool advance(qsizetype done, qsizetype total) override
    {
        // Events a few dozen times a second, not once an item: a hundred
        // thousand favorites would otherwise spend their time painting.
        if (m_sinceEvents.elapsed() >= 40) {
            m_dialog.setMaximum(int(std::min<qsizetype>(total, INT_MAX)));
            m_dialog.setValue(int(std::min<qsizetype>(done, INT_MAX)));
            QCoreApplication::processEvents();
            m_sinceEvents.restart();
        }
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_sinceEvents;
};

} // namespace

std::unique_ptr<TaskProgress> MainWindowDialogs::showProgress(const QString& title,
                                                              const QString& label)
{
    return std::make_unique<DialogProgress>(&m_window, title, label);
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
    window.setContextMenuChooser([&commands] { return commands.contextMenu(); });
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
