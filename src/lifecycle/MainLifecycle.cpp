#include "MainLifecycle.h"

#include "checker/CheckRunner.h"
#include "CommandController.h"
#include "DeadFavoritesMirror.h"
#include "favorites/FavoritesTree.h"
#include "favorites/TreeConventions.h"
#include "FavoritesFolder.h"
#include "FavoriteTotals.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/WindowFrame.h"
#include "services/UpdateCheck.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"
#include "shell/SettingsStore.h"
#include "shell/TimeConversion.h"
#include "TrayControl.h"
#include "WindowPlacement.h"

#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace norvale {

namespace {

bool isInspectCommand(const QString& commandLine)
{
    return commandLine.trimmed() == QLatin1String("/inspect");
}

} // namespace

MainLifecycle::MainLifecycle(LifecycleParts parts)
    : m_parts(std::move(parts))
{}

bool MainLifecycle::closeRequested() const
{
    return !m_parts.state.Checking;
}

QList<ReportEntry> MainLifecycle::runInspection()
{
    m_parts.checker.CheckAllLinks();
    return UnattendedReportEntries(m_parts.checker);
}

QString MainLifecycle::deadFavoritesMirror() const
{
    return FileSystem::join(m_parts.state.FavoritesPath, kDeadFavoritesText);
}

bool MainLifecycle::mirrorsDeadFavorites() const
{
    return m_parts.settings.DeadFavoritesInIE && m_shownFolder.isEmpty();
}

void MainLifecycle::reportQuietly(const NorvaleError& error)
{
    m_parts.log.LogError(error, false);
}

MainLifecycle::LoadOutcome MainLifecycle::load(const QString& commandLine)
{
    AppSettings& settings = m_parts.settings;
    MainWindowState& state = m_parts.state;
    state.InspectMode = isInspectCommand(commandLine);
    installHelpFile();

    RegistryStore store = OpenStore(m_parts.storePath);
    for (const QString& line : store.unparsedLines()) {
        reportQuietly(NorvaleError(ErrorNumber::InvalidFileFormat,
                                   QStringLiteral("A line of the settings file %1 was not "
                                                  "understood and is kept as it is: %2")
                                       .arg(store.filePath(), line),
                                   QStringLiteral("RegistryStore")));
    }
    const auto report = [this](const NorvaleError& error) { reportQuietly(error); };

    state.FolderCount = 1;
    state.Clipboard = ClipboardMode{};
    RestoreWindowPlacement(m_parts.frame, store, report);
    LoadAppSettings(settings, store, m_parts.clock.now(), report);
    ChooseLightImages(settings, m_parts.images);
    state.LastRunGmt = LocalToGmt(settings.LastRun, m_parts.clock);
    LoadProxySettings(settings, OpenStore(m_parts.storePath));

    if (!m_shownFolder.isEmpty()) {
        state.FavoritesPath = QDir::cleanPath(m_shownFolder);
    } else if (!findFavoritesFolder(store)) {
        m_parts.boxes.show({QStringLiteral("Cannot Find Favorites Folder"),
                            QStringLiteral("Favorites Not Found"), MessageIcon::None,
                            MessageButtons::Ok});
        return LoadOutcome::FavoritesNotFound;
    }
    removeLeftoverTemporaryFiles();
    if (mirrorsDeadFavorites())
        m_mirroredIn = MirrorDeadFavoritesIn(
            m_parts.fileSystem, m_parts.favorites.deadFavoritesPath(), deadFavoritesMirror(),
            [this](const NorvaleError& error) { reportQuietly(error); });
    m_parts.favorites.BuildFavoritesTree();
    m_parts.status.setPanelText(1, FavoriteTotalsText(m_parts.tree, m_parts.state.FavoritesPath));
    m_parts.commands.start();
    setUpTray();
    showUpdateNews();
    return LoadOutcome::Running;
}

// The store's Shell Folders value names the folder. When it is absent (not
// when it is empty), ~/Favorites is used if it exists, else the user is
// asked and the answer kept in the store.
bool MainLifecycle::findFavoritesFolder(RegistryStore& store)
{
    const auto stored = StoredFavoritesValue(store);
    QString path = stored.value_or(QString());
    if (!stored) {
        const QString home = HomeFavoritesFolder();
        if (m_parts.fileSystem.folderExists(home)) {
            path = home;
        } else if (!m_parts.state.InspectMode && m_parts.folderChooser) {
            path =
                m_parts.folderChooser->chooseFolder(QStringLiteral("Choose your Favorites folder"));
            if (!path.isEmpty()) {
                try {
                    SaveFavoritesFolder(store, path);
                } catch (const NorvaleError& error) {
                    m_parts.log.LogError(error, true);
                }
            }
        }
    }
    if (path.trimmed().isEmpty())
        return false;
    m_parts.state.FavoritesPath = QDir::cleanPath(path);
    return true;
}

// A run killed in the middle of a write leaves a hidden temporary file
// behind; only the program writes such names, and no other run is going
// on (a second instance ends before it gets here), so they can all go.
void MainLifecycle::removeLeftoverTemporaryFiles()
{
    RemoveOwnTemporaryFiles(QFileInfo(m_parts.storePath).absolutePath(), false);
    RemoveOwnTemporaryFiles(m_parts.programFolder, false);
    RemoveOwnTemporaryFiles(m_parts.favorites.deadFavoritesPath(), false);
    RemoveOwnTemporaryFiles(m_parts.state.FavoritesPath, true);
}

// The help file lives in the program's folder; the program carries a copy
// and puts it there when it is missing.
void MainLifecycle::installHelpFile()
{
    const QString target = FileSystem::join(m_parts.programFolder, QStringLiteral("Norvale.html"));
    QFile bundled(QStringLiteral(":/norvale/Norvale.html"));
    if (QFile::exists(target) || !bundled.open(QIODevice::ReadOnly))
        return;
    try {
        WriteFileAtomically(target, bundled.readAll());
    } catch (const NorvaleError&) {
        return; // no help beside the program: the help commands do nothing
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
}

// The window gave the tray its icon and its actions (see ConnectWindow);
// start-up adds the menu and the tip.
void MainLifecycle::setUpTray()
{
    m_parts.tray.setUp();
}

// Every 30 days, when asked to, the maker's site is asked for news, which
// shows as a balloon from the tray. LastCheck moves on only once the news
// was shown: where no balloon can be shown (no tray on the desktop), the
// window shows it in a bar above the tree until the user closes it.
void MainLifecycle::showUpdateNews()
{
    if (!AutomaticUpdateCheckDue(m_parts.settings, m_parts.clock.now()))
        return;
    constexpr int kBalloonMs = 30000;
    auto check = std::make_shared<UpdateCheck>(m_parts.settings, m_parts.clock, m_parts.transfers);
    const QString notice = check->CheckForUpdate();
    if (notice.isEmpty())
        return;
    if (m_parts.tray.showBalloonTip(notice, QStringLiteral("Brimwick Norvale"),
                                    BalloonIcon::Information, kBalloonMs)) {
        check->NoticeShown();
        return;
    }
    m_parts.frame.showNotice(notice.simplified(), check->downloadPage(),
                             [check] { check->NoticeShown(); });
}

void MainLifecycle::unload()
{
    m_parts.tray.unload();
    try {
        RegistryStore store = OpenStore(m_parts.storePath);
        store.holdWrites(); // the whole record goes to disk in one write
        SaveWindowPlacement(m_parts.frame, store);
        SaveAppSettings(m_parts.settings, store, m_parts.clock.now());
        store.releaseWrites();
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, true);
        return;
    }
    if (mirrorsDeadFavorites())
        MirrorDeadFavoritesOut(m_parts.fileSystem, m_parts.favorites.deadFavoritesPath(),
                               deadFavoritesMirror(), m_mirroredIn,
                               [this](const NorvaleError& error) { reportQuietly(error); });
}

} // namespace norvale
