// The program: wires the real parts together and runs the main window.

#include "mainwindow/MainWindow.h"
#include "mainwindow/QtDialogs.h"
#include "platform/Clock.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "shell/lifecycle/MainLifecycle.h"
#include "shell/lifecycle/WindowWiring.h"

#include <cstdio>
#include <QApplication>
#include <QTimer>
#include <QTreeView>

using namespace norvale;

int main(int argc, char** argv)
{
    // A second instance ends at once and silently, before it touches
    // settings or files. The lock is held until the process ends.
    InstanceLock instance(QStringLiteral("Vintrel"));
    if (!instance.tryAcquire())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norvale"));
    QApplication::setOrganizationName(QStringLiteral("Brimwick"));
    QApplication::setApplicationVersion(QStringLiteral(NORVALE_VERSION));

    const ImageList images;
    TreeControl tree;
    StatusBarModel status(2);
    const FileSystem fs;
    const SystemClock clock;
    CommandSurface surface;
    MainWindow window(tree, status, surface, images);
    QtMessageBoxes boxes(&window);
    QtFolderChooser chooser(&window);
    QtUrlOpener opener;

    MainLifecycle lifecycle({RegistryStore::defaultFilePath(), programFolder(), fs, clock, boxes,
                             &chooser, images, tree, status, window, TransferEngine::shared(),
                             &opener, &surface});
    const auto busyCursor = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    lifecycle.favorites().setBusyIndicator(busyCursor);
    lifecycle.checker().setBusyIndicator(busyCursor);

    // Connected before the load, so that the tray has the window's icon when
    // the start-up's update check wants to show a balloon.
    ConnectWindow(lifecycle, window);
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));
    if (lifecycle.load(commandLine) == MainLifecycle::LoadOutcome::FavoritesNotFound)
        return 1;

    window.show();
    window.treeView()->setFocus();
    if (lifecycle.state().InspectMode) {
        // Unattended: once the window is up, check everything, report, and
        // unload as a close would (the run leaves its flag set, so the close
        // guard is set aside).
        QTimer::singleShot(0, &window, [&] {
            const QStringList report = lifecycle.runInspection();
            std::fputs(qUtf8Printable(report.join(QLatin1Char('\n')) + QLatin1Char('\n')), stdout);
            std::fflush(stdout);
            window.setCloseGuard({});
            window.close();
        });
    }
    return app.exec();
}
