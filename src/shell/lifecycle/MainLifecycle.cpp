#include "MainLifecycle.h"

#include "checker/UnattendedReport.h"
#include "DeadFavoritesMirror.h"
#include "favorites/TreeConventions.h"
#include "mainwindow/CommandEnablement.h"
#include "mainwindow/CommandSurfaceBuilder.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/CommandSurface.h"
#include "platform/FileSystem.h"
#include "platform/FolderChooser.h"
#include "platform/NorvaleError.h"
#include "platform/OwnTemporaryFiles.h"
#include "platform/RegistryStore.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "services/UpdateCheck.h"
#include "shell/SettingsStore.h"
#include "shell/TimeConversion.h"
#include "WindowPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace norvale {

namespace {

const QString kShellFoldersSection = QStringLiteral("Microsoft\\Windows\\CurrentVersion\\Explorer");
const QString kShellFoldersKey = QStringLiteral("Shell Folders");
const QString kFavoritesValue = QStringLiteral("Favorites");

} // namespace

MainLifecycle::MainLifecycle(LifecycleParts parts)
    : m_parts(std::move(parts))
    , m_boxes(m_parts.interactiveBoxes, m_state.InspectMode)
    , m_log(m_parts.programFolder, m_boxes, m_parts.clock)
    , m_favorites(m_parts.tree, m_parts.images, m_settings, m_state, m_parts.fs, m_log,
                  m_parts.programFolder)
    , m_transfer(m_parts.transfers)
    , m_probe(m_transfer, m_settings, m_parts.clock)
    , m_icons(m_transfer, m_parts.fs, m_parts.clock, m_parts.programFolder)
    , m_shortcuts(m_settings, m_parts.fs, m_parts.programFolder, &m_icons)
    , m_editor({m_parts.tree, m_parts.images, m_parts.fs, m_log, m_boxes, m_settings, m_state,
                m_favorites, m_shortcuts, m_parts.opener})
    , m_checker({m_parts.tree, m_parts.images, m_settings, m_state, m_shortcuts, m_probe,
                 m_favorites, m_editor, m_parts.status, m_boxes, m_log, m_parts.fs,
                 m_parts.programFolder, m_parts.transfers, m_transfer})
    , m_ownSurface(m_parts.surface ? nullptr : std::make_unique<CommandSurface>())
    , m_surface(m_parts.surface ? m_parts.surface : m_ownSurface.get())
{
    const QString caFile = qEnvironmentVariable("NORVALE_CA_FILE");
    if (!caFile.isEmpty())
        m_transfer.setCaFile(caFile);
    m_checker.setCommandUpdater([this](CommandState state) { UpdateCommands(state); });
    m_checker.setProgressReporter(
        [this](int done, int total) { m_parts.status.setProgress(done, total); });
    watchTree();
}

QList<ReportEntry> MainLifecycle::runInspection()
{
    m_checker.CheckAllLinks();
    return UnattendedReportEntries(m_checker, m_settings);
}

bool MainLifecycle::IsInspectCommand(const QString& commandLine)
{
    return commandLine.trimmed() == QLatin1String("/inspect");
}

QString MainLifecycle::TotalsText(qint64 favorites, qint64 folders)
{
    return QStringLiteral("Total: ") + QString::number(favorites) +
           QStringLiteral(" Favorites in ") + QString::number(folders) +
           QStringLiteral(" Folders  ");
}

QString MainLifecycle::deadFavoritesMirror() const
{
    return FileSystem::join(m_state.FavoritesPath, kDeadFavoritesText);
}

void MainLifecycle::reportQuietly(const NorvaleError& error)
{
    m_log.LogError(error, false);
}

MainLifecycle::LoadOutcome MainLifecycle::load(const QString& commandLine)
{
    m_state.InspectMode = IsInspectCommand(commandLine);
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

    m_state.FolderCount = 1;
    m_state.Clipboard = ClipboardMode{};
    RestoreWindowPlacement(m_parts.frame, store, report);
    LoadAppSettings(m_settings, store, m_parts.clock.now(), report);
    ChooseLightImages(m_settings, m_parts.images);
    m_state.LastRunGmt = LocalToGmt(m_settings.LastRun, m_parts.clock);
    LoadProxySettings(m_settings, OpenStore(m_parts.storePath));

    if (!findFavoritesFolder(store)) {
        m_boxes.show({QStringLiteral("Cannot Find Favorites Folder"),
                      QStringLiteral("Favorites Not Found"), MessageIcon::None,
                      MessageButtons::Ok});
        return LoadOutcome::FavoritesNotFound;
    }
    removeLeftoverTemporaryFiles();
    if (m_settings.DeadFavoritesInIE)
        m_mirroredIn = MirrorDeadFavoritesIn(m_parts.fs, m_favorites.deadFavoritesPath(),
                                             deadFavoritesMirror());
    m_favorites.BuildFavoritesTree();
    // The tree's first node counts as selected at start.
    m_parts.tree.select(m_parts.tree.node(1));
    BuildCommandSurface(*m_surface);
    UpdateCommands(m_settings.MoveDead ? CommandState::DeadFavoritesSelected
                                       : CommandState::RootSelected);
    m_surface->setTaskText(QStringLiteral("EB_DETAIL1"), QStringLiteral("Favorites Folder"));
    m_surface->setTaskText(QStringLiteral("EB_DETAIL2"), QString::number(m_parts.tree.count()) +
                                                             QStringLiteral(" items in tree"));
    m_parts.status.setPanelText(1, TotalsText(m_state.FavoriteCount, m_state.FolderCount));
    m_running = true;
    setUpTray();
    checkForUpdate();
    return LoadOutcome::Running;
}

// The store's Shell Folders value names the folder. When it is absent (not
// when it is empty), ~/Favorites is used if it exists, else the user is
// asked and the answer kept in the store.
QString MainLifecycle::StoredFavoritesFolder(const QString& storePath, const FileSystem& fs)
{
    const auto stored =
        OpenStore(storePath).value(kShellFoldersSection, kShellFoldersKey, kFavoritesValue);
    const QString home = QDir::home().filePath(QStringLiteral("Favorites"));
    return stored ? *stored : fs.folderExists(home) ? home : QString();
}

bool MainLifecycle::findFavoritesFolder(RegistryStore& store)
{
    const auto stored = store.value(kShellFoldersSection, kShellFoldersKey, kFavoritesValue);
    QString path = stored.value_or(QString());
    if (!stored) {
        const QString home = QDir::home().filePath(QStringLiteral("Favorites"));
        if (m_parts.fs.folderExists(home)) {
            path = home;
        } else if (!m_state.InspectMode && m_parts.folderChooser) {
            path =
                m_parts.folderChooser->chooseFolder(QStringLiteral("Choose your Favorites folder"));
            if (!path.isEmpty()) {
                try {
                    store.SaveSetting(kShellFoldersSection, kShellFoldersKey, kFavoritesValue,
                                      path);
                } catch (const NorvaleError& error) {
                    m_log.LogError(error, true);
                }
            }
        }
    }
    if (path.trimmed().isEmpty())
        return false;
    m_state.FavoritesPath = QDir::cleanPath(path);
    return true;
}

// A run killed in the middle of a write leaves a hidden temporary file
// behind; only the program writes such names, and no other run is going
// on (a second instance ends before it gets here), so they can all go.
void MainLifecycle::removeLeftoverTemporaryFiles()
{
    RemoveOwnTemporaryFiles(QFileInfo(m_parts.storePath).absolutePath(), false);
    RemoveOwnTemporaryFiles(m_parts.programFolder, false);
    RemoveOwnTemporaryFiles(m_favorites.deadFavoritesPath(), false);
    RemoveOwnTemporaryFiles(m_state.FavoritesPath, true);
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

void MainLifecycle::setWindowActions(WindowActions actions)
{
    m_window = std::move(actions);
    if (m_window.icon)
        m_tray.setIcon(m_window.icon());
}

void MainLifecycle::setUpTray()
{
    SetUpTrayIcon(m_tray, m_window.icon ? m_window.icon() : QIcon());
    m_tray.setActions({m_parts.opener,
                       [this] {
                           if (m_window.show)
                               m_window.show();
                       },
                       [this] { return m_window.close && m_window.close(); }});
}

// Every 30 days, when asked to, the maker's site is asked for news, which
// shows as a balloon from the tray. The check moves LastCheck on when it has
// news, so the news must reach the user: where no balloon can be shown (no
// tray on the desktop), it shows in the status bar for as long.
void MainLifecycle::checkForUpdate()
{
    if (!AutomaticUpdateCheckDue(m_settings, m_parts.clock.now()))
        return;
    constexpr int kNoticeMs = 30000;
    UpdateCheck check(m_settings, m_parts.clock, m_parts.transfers);
    const QString notice = check.CheckForUpdate();
    if (!m_tray.showBalloonTip(notice, QStringLiteral("Brimwick Norvale"), BalloonIcon::Information,
                               kNoticeMs) &&
        !notice.isEmpty())
        m_parts.status.showMessage(notice.simplified(), kNoticeMs);
}

void MainLifecycle::unload()
{
    m_tray.unload();
    try {
        RegistryStore store = OpenStore(m_parts.storePath);
        store.holdWrites(); // the whole record goes to disk in one write
        SaveWindowPlacement(m_parts.frame, store);
        SaveAppSettings(m_settings, store, m_parts.clock.now());
        store.releaseWrites();
    } catch (const NorvaleError& error) {
        m_log.LogError(error, true);
        return;
    }
    if (m_settings.DeadFavoritesInIE)
        MirrorDeadFavoritesOut(m_parts.fs, m_favorites.deadFavoritesPath(), deadFavoritesMirror(),
                               m_mirroredIn);
}

} // namespace norvale
