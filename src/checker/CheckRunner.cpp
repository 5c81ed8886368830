#include "CheckRunner.h"

#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "PageReading.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/RegularFile.h"
#include "platform/StatusBarModel.h"
#include "platform/TreeControl.h"
#include "Probe.h"
#include "ProbePrefetcher.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"

#include <QFile>
#include <QSet>

namespace norvale {

namespace {

const QString kMessageTitle = QStringLiteral("Norvale");

// An address fit to be written into a favorite: one every browser takes,
// that reads back from the file exactly as written (no outer blanks or
// quotes to be taken off).
bool survivesTheFile(const QString& url)
{
    return url.size() <= kMostWrittenAddress && url == url.trimmed() &&
           !(url.size() >= 2 && url.front() == url.back() &&
             (url.front() == QLatin1Char('"') || url.front() == QLatin1Char('\'')));
}

// Two regular files of shortcut size with the same bytes. Anything else (a
// FIFO that would never answer, a device, a huge file) is never the same.
bool sameContents(const QString& a, const QString& b)
{
    try {
        return ReadRegularFile(a, ProfileFile::kMostBytes) ==
               ReadRegularFile(b, ProfileFile::kMostBytes);
    } catch (const NorvaleError&) {
        return false;
    }
}

// Only a permanent move (every redirect 301 or 308, or a refresh tag) to a
// live page may change a favorite's address: a temporary one (a bounce to
// a login page) or one to a dead or silent end never does.
bool movedForGood(const LinkResult& result)
{
    return !result.EndAddress.isEmpty() && result.Permanent && result.Status == LinkResult::Alive &&
           Probe::IsWebAddress(result.EndAddress);
}

} // namespace

CheckRunner::CheckRunner(CheckRunParts parts)
    : m_parts(std::move(parts))
    , m_lights(m_parts.tree, m_parts.settings, m_parts.state.LastRunGmt)
{
    m_parts.shortcuts.setIconWriteFailureReporter(
        [this](const NorvaleError& error) { m_parts.log.LogError(error, false); });
}

CheckRunner::~CheckRunner() = default;

void CheckRunner::updateCommands(CommandState state)
{
    if (m_updateCommands)
        m_updateCommands(state);
}

void CheckRunner::busy(bool on)
{
    if (m_busy)
        m_busy(on);
}

void CheckRunner::progress(int done, int total)
{
    if (m_progress)
        m_progress(done, total);
}

void CheckRunner::stop()
{
    m_parts.state.Checking = false;
}

FavoriteCheckOutcome CheckRunner::CheckFavorite(const FavoriteCheck& check,
                                                const ProbeFunction& probe)
{
    FavoriteCheckOutcome outcome;
    CurrentLinkSettings current;
    TreeNode* node = check.node;
    outcome.url = m_parts.shortcuts.ReadLinkSettings(check.folderPath, node, current);
    outcome.originalUrl = outcome.url;
    if (current.Bypass) {
        outcome.bypassed = true;
        m_lights.SetLinkLight({.Status = LinkResult::Unchecked}, node, current.OwnTimeout);
        return outcome;
    }
    // The verdict always comes from where the redirects end.
    outcome.result = FollowToTheEnd(outcome.url, current.Timeout, probe);
    if (movedForGood(outcome.result)) {
        updateAddress(check, outcome, current);
        if (current.Bypass && check.kind != RunKind::One) {
            outcome.bypassed = true;
            m_lights.SetLinkLight({.Status = LinkResult::Unchecked}, node, current.OwnTimeout);
            return outcome;
        }
    }

    const LinkResult& result = outcome.result;
    m_lights.SetLinkLight(result, node, current.OwnTimeout);
    // Only the title of a live page that answered with success at the
    // favorite's address (as it stands after the check) may replace the name
    // its owner gave it: never an error page's, a login page's, a bot
    // check's, nor that of a page a temporary redirect led to.
    const bool atItsAddress = result.EndAddress.isEmpty() || outcome.addressUpdated;
    if (!result.Title.isEmpty() && result.Title != node->text() && current.Rename &&
        result.Status == LinkResult::Alive && result.Successful && atItsAddress &&
        !IsChallengeTitle(result.Title))
        outcome.renamed = m_parts.editor.RenameLink(result.Title, node) == RenameOutcome::Renamed;
    return outcome;
}

// Writes where the favorite's page has moved for good into its file, when
// renaming is allowed and the address is one to write; reads the favorite's
// settings again after the write.
void CheckRunner::updateAddress(const FavoriteCheck& check, FavoriteCheckOutcome& outcome,
                                CurrentLinkSettings& current)
{
    LinkResult& result = outcome.result;
    if (!current.Rename) {
        result.Reason += QStringLiteral(" (address kept: renaming is off)");
        return;
    }
    if (!survivesTheFile(result.EndAddress)) {
        result.Reason += QStringLiteral(" (address kept: not one to write into a favorite)");
        return;
    }
    try {
        m_parts.shortcuts.WriteUrl(m_parts.shortcuts.pathFor(check.folderPath, check.node),
                                   result.EndAddress);
    } catch (const NorvaleError& error) {
        // The address stays as it was.
        m_parts.log.LogError(error, false);
        result.Reason += QStringLiteral(" (address kept: the file could not be written)");
        return;
    }
    outcome.addressUpdated = true;
    outcome.url = m_parts.shortcuts.ReadLinkSettings(check.folderPath, check.node, current);
}

void CheckRunner::fetchAhead(const QList<FavoriteCheck>& work)
{
    m_prefetch.reset();
    if (m_parts.settings.Parallel <= 1)
        return; // one at a time, each probed at its turn
    m_prefetch = std::make_unique<ProbePrefetcher>(
        m_parts.transfers, m_parts.control, m_parts.probe, m_parts.settings, m_parts.shortcuts,
        m_parts.settings.Parallel, [this] { return m_lights.windowCount(); });
    QList<ProbePrefetcher::Work> plan;
    for (const FavoriteCheck& check : work)
        plan.append({check.node, check.folderPath});
    m_prefetch->plan(plan);
}

void CheckRunner::checkInRun(const FavoriteCheck& check)
{
    // A Stop while the page is awaited ends the other fetches, not this one:
    // the favorite whose turn it is still gets its verdict.
    if (m_prefetch)
        m_prefetch->waitFor(check.node, m_parts.state.Checking);
    try {
        const QString nameBefore = check.node->text();
        const FavoriteCheckOutcome outcome =
            CheckFavorite(check, [this, &check](const QString& url, int timeoutMs) {
                if (m_prefetch) {
                    if (auto ready = m_prefetch->take(check.node, url, timeoutMs))
                        return *ready;
                }
                return m_parts.probe.CheckLink(url, timeoutMs);
            });
        if (const auto it = m_recordOf.constFind(check.node); it != m_recordOf.cend()) {
            RunRecord& record = m_records[*it];
            record.url = outcome.url;
            record.originalUrl = outcome.originalUrl;
            record.status = check.node->status();
            record.title = outcome.result.Title;
            if (outcome.result.PageDated)
                record.pageDate = outcome.result.LastModified;
            if (outcome.renamed) {
                record.renamedTo = check.node->text();
                record.path = TreePathOf(check.node->parent(), nameBefore);
            }
        }
    } catch (const NorvaleError& error) {
        // One favorite's trouble (a file gone or locked) never ends the run.
        m_parts.log.LogError(error, false);
    }
}

// The favorites still unchecked, in walk order, each with its folder's path.
QList<FavoriteCheck> CheckRunner::uncheckedFavorites() const
{
    QList<FavoriteCheck> work;
    QString path;
    for (int index = 1; index <= m_parts.tree.count(); ++index) {
        TreeNode* node = m_parts.tree.node(index);
        if (node->isFolder())
            path = node->key();
        else if (node->status().light == Light::Unchecked)
            work.append({path, node, RunKind::All});
    }
    return work;
}

// A favorite below the root gets a line in the run's report.
void CheckRunner::noteForReport(TreeNode* favorite)
{
    m_recordOf.insert(favorite, m_records.size());
    RunRecord record;
    record.node = favorite;
    record.path = TreePathOf(favorite);
    m_records.append(record);
}

// The dead favorites, last first, walking back up to the root node itself
// (not to any folder that happens to share its name).
QList<TreeNode*> CheckRunner::deadBelowRoot() const
{
    QList<TreeNode*> dead;
    for (int index = m_parts.tree.count(); index >= 1; --index) {
        TreeNode* node = m_parts.tree.node(index);
        if (node->kind() == NodeKind::FavoritesRoot)
            break;
        if (!node->isFolder() && node->status().light == Light::Dead)
            dead.append(node);
    }
    return dead;
}

void CheckRunner::CheckAllLinks()
{
    m_parts.status.setPanelText(2, QStringLiteral(" Verifying Favorites "));
    m_parts.state.Checking = true;
    updateCommands(CommandState::RunStarted);
    try {
        m_parts.favorites.RefreshLinks();
        m_parts.state.TreeInUse = true;
        m_lights.resetRunCounters();
        m_records.clear();
        m_recordOf.clear();
        busy(true);
        const QList<FavoriteCheck> work = uncheckedFavorites();
        const int total = int(work.size());
        fetchAhead(work);
        int done = 0;
        progress(done, total);
        QString folderPath;
        bool underRoot = false;
        // The tree is read afresh at every step, so it may change meanwhile.
        for (int index = 1; index <= m_parts.tree.count(); ++index) {
            TreeNode* node = m_parts.tree.node(index);
            if (node->isFolder()) {
                underRoot = underRoot || node->kind() == NodeKind::FavoritesRoot;
                folderPath = node->key();
                continue;
            }
            if (underRoot)
                noteForReport(node);
            if (m_parts.state.Checking && node->status().light == Light::Unchecked) {
                checkInRun({folderPath, node, RunKind::All});
                progress(++done, total);
            }
        }
        busy(false);
        progress(0, 0);
        m_prefetch.reset();
        if (m_parts.settings.MoveDead)
            moveDeadFavorites(deadBelowRoot());
    } catch (const NorvaleError& error) {
        returnToIdle(error);
        return;
    }
    m_parts.state.TreeInUse = false;
    finishRun(QStringLiteral("All Favorites Checked"), QStringLiteral("Favorites Checking Aborted"),
              m_parts.state.InspectMode);
}

// The folder's own favorites, which come before its subfolders, get the
// unchecked light; their places in the tree, in order.
QList<int> CheckRunner::markOwnFavoritesUnchecked(TreeNode* folder)
{
    QList<int> noted;
    for (const auto& child : folder->children()) {
        if (child->isFolder())
            break;
        m_parts.tree.setStatus(child.get(), {});
        noted.append(m_parts.tree.indexOf(child.get()));
    }
    return noted;
}

// The dead among the noted places, last first: only favorites still in the
// folder, since the tree may have changed during the run.
QList<TreeNode*> CheckRunner::deadAmong(const QList<int>& noted, const TreeNode* folder) const
{
    QList<TreeNode*> dead;
    for (auto it = noted.crbegin(); it != noted.crend(); ++it) {
        TreeNode* favorite = m_parts.tree.node(*it);
        if (favorite && favorite->parent() == folder && !favorite->isFolder() &&
            favorite->status().light == Light::Dead)
            dead.append(favorite);
    }
    return dead;
}

void CheckRunner::CheckFolderLinks(TreeNode* node)
{
    if (!node)
        return;
    m_parts.status.setPanelText(2, QStringLiteral(" Verifying Directory ") + node->text() +
                                       QLatin1Char(' '));
    m_parts.state.Checking = true;
    m_lights.resetRunCounters();
    TreeNode* folder = node->isFolder() ? node : node->parent();
    try {
        if (!folder)
            throw NorvaleError(ErrorNumber::ObjectNotSet, QStringLiteral("No folder to check"),
                               QStringLiteral("CheckRunner"));
        m_parts.tree.setExpanded(folder, true);
        updateCommands(CommandState::RunStarted);
        m_parts.state.TreeInUse = true;

        const QList<int> noted = markOwnFavoritesUnchecked(folder);
        const QString folderPath = folder->key();
        QList<FavoriteCheck> work;
        for (const int index : noted)
            work.append({folderPath, m_parts.tree.node(index), RunKind::Folder});
        fetchAhead(work);
        busy(true);
        int done = 0;
        progress(done, int(noted.size()));
        for (const int index : noted) {
            TreeNode* favorite = m_parts.tree.node(index);
            if (!m_parts.state.Checking)
                continue;
            // The tree may have changed while the run waited: a node that is
            // no longer one of this folder's favorites ends the walk.
            if (!favorite || favorite->isFolder() || favorite->parent() != folder)
                break;
            if (favorite->status().light == Light::Unchecked)
                checkInRun({folderPath, favorite, RunKind::Folder});
            progress(++done, int(noted.size()));
        }
        busy(false);
        progress(0, 0);
        m_prefetch.reset();
        if (m_parts.settings.MoveDead)
            moveDeadFavorites(deadAmong(noted, folder));
    } catch (const NorvaleError& error) {
        returnToIdle(error);
        return;
    }
    m_parts.state.TreeInUse = false;
    finishRun(QStringLiteral("All Favorites in Directory Checked"),
              QStringLiteral("Link Checking Aborted"), false);
}

void CheckRunner::CheckOneLink()
{
    TreeNode* node = m_parts.tree.selectedItem();
    if (!node || node->isFolder() || !node->parent())
        return;
    busy(true);
    m_parts.tree.setStatus(node, {});
    try {
        CheckFavorite({node->parent()->key(), node, RunKind::One},
                      [this](const QString& url, int timeoutMs) {
                          return m_parts.probe.CheckLink(url, timeoutMs);
                      });
    } catch (const NorvaleError& error) {
        m_parts.log.LogError(error, true);
    }
    busy(false);
}

void CheckRunner::finishRun(const QString& doneMessage, const QString& abortedMessage, bool quiet)
{
    if (!quiet) {
        const bool completed = m_parts.state.Checking;
        if (completed) {
            m_parts.status.setPanelText(2, QString());
            m_parts.state.Checking = false;
        }
        m_parts.boxes.show({completed ? doneMessage : abortedMessage, kMessageTitle,
                            MessageIcon::None, MessageButtons::Ok});
    }
    updateCommands(CommandState::RunEnded);
}

void CheckRunner::returnToIdle(const NorvaleError& error)
{
    m_parts.state.TreeInUse = false;
    m_prefetch.reset();
    busy(false);
    progress(0, 0);
    m_parts.log.LogError(error, !m_parts.state.InspectMode);
    m_parts.state.Checking = false;
    m_parts.status.setPanelText(2, QString());
    updateCommands(CommandState::RunEnded);
}

void CheckRunner::moveDeadFavorites(const QList<TreeNode*>& candidates)
{
    // Gathered first and moved after: a move adds a node under the dead
    // favorites' folder, which shifts every later position in the tree. The
    // view hears of all the moves at once.
    const TreeControl::Batch batch(m_parts.tree);
    for (TreeNode* node : candidates)
        MoveDeadLink(node);
}

QString CheckRunner::freeDeadName(const QString& name, const QString& sourcePath) const
{
    const QString folder = FileSystem::join(m_parts.programFolder, kDeadFavoritesText);
    QString candidate = name;
    for (int number = 2;; ++number) {
        const QString path = FileSystem::join(folder, candidate + kNewShortcutExtension);
        if (!m_parts.fs.fileExists(path) || sameContents(path, sourcePath))
            return candidate;
        candidate = QStringLiteral("%1 (%2)").arg(name).arg(number);
    }
}

void CheckRunner::MoveDeadLink(TreeNode* node)
{
    if (!node || node->isFolder() || !node->parent())
        return;
    const QString source = FavoriteFilePath(node, m_parts.fs);
    const QString folder = FileSystem::join(m_parts.programFolder, kDeadFavoritesText);
    QString freeName;
    bool shown = false;
    try {
        if (!m_parts.fs.folderExists(folder))
            m_parts.fs.createFolder(folder);
        freeName = freeDeadName(node->text(), source);
        const QString destination = FileSystem::join(folder, freeName + kNewShortcutExtension);
        if (m_parts.fs.fileExists(destination)) {
            // The very same favorite is already there: only the copy goes.
            m_parts.fs.deleteFile(source, true);
        } else {
            m_parts.fs.moveFile(source, destination);
            shown = !m_parts.state.InspectMode;
        }
    } catch (const NorvaleError& error) {
        // The favorite stays where it was, and so does its node.
        if (error.number() != ErrorNumber::ObjectNotSet)
            m_parts.log.LogError(error, false);
        return;
    }
    // Only now that the file has gone does the node: nothing may point at
    // it afterwards.
    if (const auto record = m_recordOf.constFind(node); record != m_recordOf.cend()) {
        if (m_records[*record].path.isEmpty())
            m_records[*record].path = TreePathOf(node);
        m_records[*record].node = nullptr;
        m_records[*record].moved = true;
        m_records[*record].movedName = freeName;
        m_recordOf.erase(record);
    }
    const FavoriteStatus status = node->status(); // its node under Dead Favorites keeps it
    m_parts.tree.remove(node);
    const auto& topLevel = m_parts.tree.topLevel();
    TreeNode* deadNode = topLevel.empty() ? nullptr : topLevel.front().get();
    if (shown && deadNode && deadNode->kind() == NodeKind::DeadFavoritesRoot)
        m_parts.tree.setStatus(m_parts.tree.add(deadNode, QString(), freeName, NodeKind::Favorite),
                               status);
}

} // namespace norvale
