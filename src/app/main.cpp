// The program: wires the real parts together and runs the main window.

#include "browsers/BrowserProfiles.h"
#include "BrowserSession.h"
#include "BrowserTasks.h"
#include "checker/RunReport.h"
#include "CommandLine.h"
#include "CommandLineTasks.h"
#include "ConsoleOutput.h"
#include "lifecycle/CommandController.h"
#include "lifecycle/MainLifecycle.h"
#include "lifecycle/ProgramParts.h"
#include "lifecycle/TrayIcon.h"
#include "lifecycle/WindowWiring.h"
#include "mainwindow/BrowserProfilesDialog.h"
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
#include "program/ProgramServices.h"
#include "shell/AppSettings.h"
#include "shell/SettingsStore.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>

using namespace norvale;

namespace {

// The actions that end without the window: their exit code; nothing when
// the window is to run.
std::optional<int> runWithoutWindow(int argc, char** argv, const CommandLine& line)
{
    switch (line.action) {
    case CommandLine::Action::Help:
        PrintText(stdout, line.usage);
        return 0;
    case CommandLine::Action::Version:
        PrintText(stdout, QStringLiteral("Norvale " NORVALE_VERSION "\n"));
        return 0;
    case CommandLine::Action::Invalid:
        PrintText(stderr,
                  QStringLiteral("norvale: ") + line.error + QLatin1Char('\n') + line.usage);
        return 2;
    // These run without the window and without the single-instance lock.
    case CommandLine::Action::Open:
        return OpenFavoriteFile(argc, argv, line);
    case CommandLine::Action::Import:
        return ImportBookmarkFile(line);
    case CommandLine::Action::Export:
        return ExportBookmarkFile(line);
    case CommandLine::Action::Browsers:
        return ListBrowserProfiles();
    case CommandLine::Action::Browser:
        if (line.print)
            return PrintBrowserBookmarks(line);
        break;
    case CommandLine::Action::Window:
        break;
    }
    // A report that could not be written is found out before any check.
    if (!line.reportPath.isEmpty()) {
        const QString problem = ReportPathProblem(line.reportPath);
        if (!problem.isEmpty()) {
            PrintText(stderr, QStringLiteral("norvale: ") + problem + QLatin1Char('\n'));
            return 2;
        }
    }
    return std::nullopt;
}

// Qt ends the process with an abort when its window system cannot be
// reached; the user is told why instead, and the start ends with 1.
bool displayReachable()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.isEmpty() || platform.startsWith(QLatin1String("xcb")) ||
                              platform.startsWith(QLatin1String("wayland"));
    return !needsDisplay || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void showBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

// Unattended: once the window is up, check everything, report, and unload
// as a close would (the run leaves its flag set, so the close guard is set
// aside). reportStatus turns 1 when the report file could not be written.
void runUnattendedOnceShown(MainWindow& window, MainLifecycle& lifecycle, BrowserSession* browser,
                            const QString& reportPath, int& reportStatus)
{
    QTimer::singleShot(0, &window, [&window, &lifecycle, browser, reportPath, &reportStatus] {
        QList<ReportEntry> entries = lifecycle.runInspection();
        if (browser)
            browser->finishUnattended(entries);
        // Line by line: the report of 100,000 favorites is never held twice
        // more as one text.
        for (const QString& reportLine : UnattendedReportLines(entries))
            std::fputs(qUtf8Printable(reportLine + QLatin1Char('\n')), stdout);
        std::fflush(stdout);
        if (!reportPath.isEmpty() && !WriteReportFile(reportPath, entries))
            reportStatus = 1;
        window.setCloseGuard({});
        window.close();
    });
}

// The browser profile the command line asks a window for: nullopt for the
// Favorites folder, and when there is none such (the reason is printed, and
// exitCode set).
std::optional<BrowserProfile> browserProfileFor(const CommandLine& line, int& exitCode)
{
    if (line.action != CommandLine::Action::Browser)
        return std::nullopt;
    QString error;
    auto profile =
        FindBrowserProfile(DiscoverBrowserProfiles(QDir::homePath()), line.browser, error);
    if (!profile)
        exitCode = Fail(error);
    return profile;
}

// The profile's bookmarks laid out for the window; nullptr when they cannot
// be (the reason is printed and, with nobody reading the terminal of a
// window started from the menu, shown).
std::unique_ptr<BrowserSession> browserSessionFor(const BrowserProfile& profile,
                                                  const FileSystem& fs, bool unattended)
{
    auto session = std::make_unique<BrowserSession>(profile, fs);
    // Dead bookmarks stand apart as the Dead Favorites do when the
    // settings move dead ones there.
    AppSettings settings;
    LoadAppSettings(settings, OpenStore(RegistryStore::defaultFilePath()),
                    QDateTime::currentDateTime(), [](const NorvaleError&) {});
    const QString error = session->prepare(settings.MoveDead);
    if (!error.isEmpty()) {
        Fail(error);
        if (!unattended)
            QMessageBox::critical(nullptr, QStringLiteral("Open Browser Bookmarks"),
                                  QStringLiteral("The bookmarks of %1 (%2) cannot be shown: %3")
                                      .arg(profile.browserName, profile.name, error));
        return nullptr;
    }
    return session;
}

// One window for the Favorites folder, and one for each browser profile,
// however the command line named it.
QString instanceName(const std::optional<BrowserProfile>& profile)
{
    if (!profile)
        return QStringLiteral("Vintrel");
    return QStringLiteral("Vintrel-") +
           QString::fromLatin1(
               QCryptographicHash::hash(profile->storeFile().toUtf8(), QCryptographicHash::Sha1)
                   .toHex()
                   .left(12));
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = ParseCommandLine(arguments);
    if (const std::optional<int> exitCode = runWithoutWindow(argc, argv, line))
        return *exitCode;

    // Unattended runs need no screen.
    const bool inspect = line.inspect || line.words.trimmed() == QLatin1String("/inspect");
    if (inspect && !displayReachable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!displayReachable()) {
        PrintText(stderr, QStringLiteral("norvale: no display to open the window on (DISPLAY and "
                                         "WAYLAND_DISPLAY are not set); /inspect, --import, "
                                         "--export and --open work without one.\n"));
        return 1;
    }
    QApplication app(argc, argv);

    // A second instance brings the running window forward and ends, before
    // it touches settings or files. The lock is held until the process ends.
    int browserFailure = 0;
    const std::optional<BrowserProfile> profile = browserProfileFor(line, browserFailure);
    if (browserFailure != 0)
        return browserFailure;
    InstanceLock instance(instanceName(profile));
    if (!instance.tryAcquire()) {
        instance.callHolder();
        return 0;
    }
    QApplication::setApplicationName(QStringLiteral("Norvale"));
    QApplication::setOrganizationName(QStringLiteral("Brimwick"));
    QApplication::setApplicationVersion(QStringLiteral(NORVALE_VERSION));

    const FileSystem fs;
    // Laid out only once this window holds the profile: another's work
    // there is never written over.
    const std::unique_ptr<BrowserSession> browser =
        profile ? browserSessionFor(*profile, fs, inspect) : nullptr;
    if (profile && !browser)
        return 1;
    const ImageList images;
    TreeControl tree;
    StatusBarModel status(2);
    const SystemClock clock;
    CommandSurface surface;
    MainWindow window(tree, status, surface, images);
    QtMessageBoxes boxes(&window);
    QtFolderChooser chooser(&window);
    QtUrlOpener opener;
    QtBrowserProfileChooser profileChooser(boxes, &window);
    QtProgramStarter starter;

    ProgramServices services({RegistryStore::defaultFilePath(),
                              browser ? browser->programFolder() : programFolder(), fs, clock,
                              boxes, images, tree, status, TransferEngine::shared(), &opener});
    services.favorites().setBusyIndicator(showBusyCursor);
    services.checker().setBusyIndicator(showBusyCursor);
    CommandController commands(commandPartsOf(services, &profileChooser, &starter), &surface);
    TrayIcon tray;
    MainLifecycle lifecycle(lifecyclePartsOf(services, commands, window, &chooser, tray));

    // Wired before the load, so that the tray has the window's icon when
    // the start-up's update check wants to show a balloon.
    const WindowWiring wiring(window, dialogPartsOf(services), commands, lifecycle, tray);
    QObject::connect(&instance, &InstanceLock::called, &window, &MainWindow::bringForward);
    if (browser) {
        lifecycle.showFolder(browser->favoritesPath());
        window.setWindowTitle(browser->windowTitle());
        services.favorites().setRootText(browser->rootText());
        browser->start([&services] { return services.state().Checking; }, status, &window, inspect);
        window.setCloseGuard([&lifecycle, &browser, &boxes] {
            return lifecycle.closeRequested() && browser->mayClose(boxes);
        });
    }
    if (lifecycle.load(inspect ? QStringLiteral("/inspect") : line.words) ==
        MainLifecycle::LoadOutcome::FavoritesNotFound)
        return 1;

    window.show();
    window.treeView()->setFocus();
    int reportStatus = 0;
    if (services.state().InspectMode)
        runUnattendedOnceShown(window, lifecycle, browser.get(), line.reportPath, reportStatus);
    const int exitCode = app.exec();
    return exitCode != 0 ? exitCode : reportStatus;
}
