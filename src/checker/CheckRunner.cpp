#include "CheckRunner.h"

#include "favorites/FavoriteEditor.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TreeConventions.h"
#include "favorites/WebAddress.h"
#include "PageReading.h"
#include "platform/Clock.h"
#include "platform/FavoritesFence.h"
#include "platform/FileSystem.h"
#include "platform/ImageList.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/RegularFile.h"
#include "platform/StatusBarModel.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "Probe.h"
#include "ProbePrefetcher.h"
#include "shell/AppSettings.h"
#include "shell/ErrorLog.h"
#include "shell/MainWindowState.h"

#include <algorithm>
#include <chrono>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

namespace norvale {

namespace {

const QString kMessageTitle = QStringLiteral("Norvale");

// Why a favorite in a folder linked from elsewhere was left as it is.
const QString kLinkedOut =
    QStringLiteral(" (left as it is: its folder is linked from outside Favorites)");

// The longest wait a server may ask for before the second look; one that
// asks for more gets this much.
constexpr std::chrono::seconds kLongestAskedWait{60};
// How often the status bar's count of the seconds left is brought up to date.
constexpr qint64 kCountdownStepMs = 250;
// One at a time to each host: a host that was busy is not pressed.
constexpr int kSecondLooksPerHost = 1;
// The checks a run keeps to each host at once otherwise, as a browser does.
constexpr int kChecksPerHost = 2;

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
// FIFO that would never answer, a device, a huge file) is never the same,
// and neither is a link: it may lead to the very favorite being compared,
// whose only copy would then be deleted as a duplicate.
bool sameContents(const QString& a, const QString& b)
{
    if (QFileInfo(a).isSymLink() || QFileInfo(b).isSymLink())
        return false;
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
           IsWebAddress(result.EndAddress);
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

void CheckRunner::tellCommands(CommandState state)
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
    outcome.history = current.History;
    if (current.Bypass) {
        outcome.bypassed = true;
        m_lights.SetLinkLight(LinkResult::Of(LinkResult::Unchecked, 0, {}), node,
                              current.OwnTimeout);
        return outcome;
    }
    // The verdict always comes from where the redirects end.
    outcome.result = FollowToTheEnd(outcome.url, current.Timeout, probe);
    if (movedForGood(outcome.result)) {
        updateAddress(check, outcome, current);
        if (current.Bypass && check.kind != RunKind::One) {
            outcome.bypassed = true;
            m_lights.SetLinkLight(LinkResult::Of(LinkResult::Unchecked, 0, {}), node,
                                  current.OwnTimeout);
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
        !IsChallengeTitle(result.Title)) {
        const QString path = m_parts.shortcuts.pathFor(check.folderPath, node);
        if (changeable(check.folderPath, path)) {
            if (stillHolds(path, outcome.url))
                outcome.renamed =
                    m_parts.editor.RenameLink(result.Title, node) == RenameOutcome::Renamed;
            else
                changedMeanwhile(path, QStringLiteral("its name"));
        }
    }
    return outcome;
}

// Whether the favorite's file lies inside the Favorites folder on disk,
// asked only before a change. A folder's answer is kept for the run
// (finding it resolves every link on the way); every write still asks the
// fence itself.
bool CheckRunner::changeable(const QString& folderPath, const QString& path)
{
    auto known = m_folderInside.constFind(folderPath);
    if (known == m_folderInside.cend())
        known = m_folderInside.insert(folderPath, !FavoritesFence::leadsOut(folderPath));
    return *known && !(QFileInfo(path).isSymLink() && FavoritesFence::leadsOut(path));
}

// Another program (the browser, a sync client) may have given the favorite
// another address, or deleted it, while its page was fetched: what the
// check found then belongs to an address the favorite no longer has.
bool CheckRunner::stillHolds(const QString& path, const QString& url) const
{
    return m_parts.fs.fileExists(path) && m_parts.shortcuts.ReadUrl(path) == url;
}

void CheckRunner::changedMeanwhile(const QString& path, const QString& kept) const
{
    m_parts.log.LogError(NorvaleError(ErrorNumber::PathFileAccess,
                                      QStringLiteral("The favorite changed or went while it was "
                                                     "checked, so it keeps %1: %2")
                                          .arg(kept, QDir::toNativeSeparators(path)),
                                      QStringLiteral("CheckRunner")),
                         false);
}

// Writes where the favorite's page has moved for good into its file, when
// renaming is allowed and the address is one to write; reads the favorite's
// settings again after the write.
void CheckRunner::updateAddress(const FavoriteCheck& check, FavoriteCheckOutcome& outcome,
                                CurrentLinkSettings& current)
{
    LinkResult& result = outcome.result;
    const QString path = m_parts.shortcuts.pathFor(check.folderPath, check.node);
    if (!changeable(check.folderPath, path)) {
        result.Reason += kLinkedOut;
        return;
    }
    if (!current.Rename) {
        result.Reason += QStringLiteral(" (address kept: renaming is off)");
        return;
    }
    if (!survivesTheFile(result.EndAddress)) {
        result.Reason += QStringLiteral(" (address kept: not one to write into a favorite)");
        return;
    }
    try {
        if (!m_parts.shortcuts.ReplaceUrl(path, outcome.url, result.EndAddress)) {
            changedMeanwhile(path, QStringLiteral("its address"));
            result.Reason += QStringLiteral(" (address kept: the favorite changed meanwhile)");
            return;
        }
    } catch (const NorvaleError& error) {
        // The address stays as it was.
        m_parts.log.LogError(error, false);
        result.Reason += QStringLiteral(" (address kept: the file could not be written)");
        return;
    }
    outcome.addressUpdated = true;
    outcome.url = m_parts.shortcuts.ReadLinkSettings(check.folderPath, check.node, current);
}

void CheckRunner::fetchAhead(const QList<FavoriteCheck>& work, int mostPerHost)
{
    m_prefetch.reset();
    if (m_parts.settings.Parallel <= 1)
        return; // one at a time, each probed at its turn
    m_prefetch = std::make_unique<ProbePrefetcher>(
        m_parts.transfers, m_parts.control, m_parts.probe, m_parts.settings, m_parts.shortcuts,
        m_parts.settings.Parallel, mostPerHost, [this] { return m_lights.windowCount(); });
    QList<ProbePrefetcher::Work> plan;
    for (const FavoriteCheck& check : work)
        plan.append({check.node, check.folderPath});
    m_prefetch->plan(plan);
}

void CheckRunner::checkInRun(const FavoriteCheck& check, Look look)
{
    // A Stop while the page is awaited ends the other fetches, not this one:
    // the favorite whose turn it is still gets its verdict.
    if (m_prefetch)
        m_prefetch->waitFor(check.node, m_parts.state.Checking);
    try {
        const QString nameBefore = check.node->text();
        FavoriteCheckOutcome outcome =
            CheckFavorite(check, [this, &check](const QString& url, int timeoutMs) {
                if (m_prefetch) {
                    if (auto ready = m_prefetch->take(check.node, url, timeoutMs))
                        return *ready;
                }
                return m_parts.probe.CheckLink(url, timeoutMs);
            });
        if (look == Look::First && mayLookAgain(outcome)) {
            const auto wait = std::min<std::chrono::seconds>(
                std::chrono::seconds(std::max(outcome.result.RetryAfterSeconds, 0)),
                kLongestAskedWait);
            m_secondLooks.push_back({check, outcome, nameBefore, QDeadlineTimer(wait)});
        } else {
            settleHistory(check, outcome);
        }
        noteOutcome(check, outcome, nameBefore);
    } catch (const NorvaleError& error) {
        // One favorite's trouble (a file gone or locked) never ends the run.
        m_parts.log.LogError(error, false);
    }
}

void CheckRunner::noteOutcome(const FavoriteCheck& check, const FavoriteCheckOutcome& outcome,
                              const QString& nameBefore)
{
    const auto it = m_recordOf.constFind(check.node);
    if (it == m_recordOf.cend())
        return;
    RunRecord& record = m_records[*it];
    record.url = outcome.url;
    record.originalUrl = outcome.originalUrl;
    record.status = check.node->status();
    record.title = outcome.result.Title;
    record.history = outcome.history;
    if (outcome.result.PageDated)
        record.pageDate = outcome.result.LastModified;
    if (outcome.renamed) {
        record.renamedTo = check.node->text();
        record.path = TreePathOf(check.node->parent(), nameBefore);
    }
}

bool CheckRunner::mayLookAgain(const FavoriteCheckOutcome& outcome) const
{
    return m_parts.settings.LookAgain && !outcome.bypassed && MayPass(outcome.result.Trouble);
}

// The second look at the favorites whose trouble may have passed: those
// whose server named no wait at once, several hosts at a time, the others
// once their wait is over; each host one at a time. A Stop ends it at once,
// and whatever was not looked at again keeps its first verdict.
void CheckRunner::lookAgain()
{
    std::vector<SecondLook> looks = std::exchange(m_secondLooks, {});
    std::stable_sort(looks.begin(), looks.end(), [](const SecondLook& a, const SecondLook& b) {
        return a.due.remainingTimeAsDuration() < b.due.remainingTimeAsDuration();
    });
    QList<FavoriteCheck> atOnce;
    for (const SecondLook& look : looks) {
        if (look.due.hasExpired())
            atOnce.append(look.check);
    }
    if (m_parts.state.Checking && !looks.empty())
        fetchAhead(atOnce, kSecondLooksPerHost);
    for (qsizetype done = 0; done < qsizetype(looks.size()); ++done) {
        SecondLook& look = looks[size_t(done)];
        if (m_parts.state.Checking && waitUntilDue(look)) {
            m_parts.status.setPanelText(
                2, QStringLiteral(" Looking again at favorites that gave no answer (%1 of %2) ")
                       .arg(done + 1)
                       .arg(looks.size()));
            checkInRun(look.check, Look::Again);
        } else {
            settleHistory(look.check, look.first);
            noteOutcome(look.check, look.first, look.nameBefore);
        }
    }
    m_prefetch.reset();
}

// Waits, keeping the window alive and the status bar counting down, until
// the favorite's server may be asked again; false when a Stop came first.
bool CheckRunner::waitUntilDue(const SecondLook& look)
{
    const QString host = QUrl(look.first.url).host();
    while (m_parts.state.Checking && !look.due.hasExpired()) {
        const qint64 left = look.due.remainingTime();
        m_parts.status.setPanelText(
            2, QStringLiteral(" Waiting %1 s to look again at %2, which asked for a pause ")
                   .arg((left + 999) / 1000)
                   .arg(host));
        m_parts.transfers.waitUntil(
            [&] { return !m_parts.state.Checking || look.due.hasExpired(); },
            std::min(left, kCountdownStepMs));
    }
    return m_parts.state.Checking;
}

// Brings the favorite's failure history up to date with its final verdict:
// no answer counts one more failure (from today when it is the first), a
// live page clears it, anything else leaves it. A favorite whose
// site has stayed unreachable long enough is counted as dead.
void CheckRunner::settleHistory(const FavoriteCheck& check, FavoriteCheckOutcome& outcome)
{
    const LinkResult& result = outcome.result;
    // Only a live page or no answer tells about the history: a dead page is
    // dead at once, and a bot check says nothing of the site.
    const bool alive = result.Status == LinkResult::Alive;
    const bool failed = result.Status == LinkResult::NoAnswer;
    if (outcome.bypassed || !(alive || failed) || result.Trouble == Trouble::BotCheck)
        return;
    const FailureHistory now =
        failed ? outcome.history.afterFailure(m_parts.clock.now().date()) : FailureHistory{};
    if (now != outcome.history) {
        // Nothing is written through a link out of Favorites, nor for an
        // address the favorite no longer has.
        const QString path = m_parts.shortcuts.pathFor(check.folderPath, check.node);
        if (!changeable(check.folderPath, path) || !stillHolds(path, outcome.url))
            return;
        try {
            m_parts.shortcuts.WriteFailureHistory(path, now);
        } catch (const NorvaleError& error) {
            // The history stays as the file holds it; the verdict stands. A
            // favorite deleted meanwhile has nothing left to remember.
            if (error.number() != ErrorNumber::FileNotFound)
                m_parts.log.LogError(error, false);
            return;
        }
        outcome.history = now;
    }
    if (now.failures < 2)
        return;
    FavoriteStatus status = check.node->status();
    status.reason = result.Reason + QLatin1Char(' ') + now.sinceText();
    if (CountsTowardsDead(result.Trouble) && deadByNow(now))
        status.light = Light::Dead;
    m_parts.tree.setStatus(check.node, status);
}

bool CheckRunner::deadByNow(const FailureHistory& history) const
{
    const AppSettings& settings = m_parts.settings;
    return settings.DeadAfterFailures && history.failures >= settings.DeadAfterChecks &&
           history.since.daysTo(m_parts.clock.now().date()) >= settings.DeadAfterDays;
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
    tellCommands(CommandState::RunStarted);
    try {
        m_parts.favorites.RefreshLinks();
        m_parts.state.TreeInUse = true;
        m_lights.resetRunCounters();
        m_records.clear();
        m_recordOf.clear();
        m_secondLooks.clear();
        m_folderInside.clear();
        busy(true);
        const QList<FavoriteCheck> work = uncheckedFavorites();
        const int total = int(work.size());
        fetchAhead(work, kChecksPerHost);
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
        progress(0, 0);
        m_prefetch.reset();
        lookAgain();
        busy(false);
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
        tellCommands(CommandState::RunStarted);
        m_parts.state.TreeInUse = true;

        m_secondLooks.clear();
        m_folderInside.clear();
        const QList<int> noted = markOwnFavoritesUnchecked(folder);
        const QString folderPath = folder->key();
        QList<FavoriteCheck> work;
        for (const int index : noted)
            work.append({folderPath, m_parts.tree.node(index), RunKind::Folder});
        fetchAhead(work, kChecksPerHost);
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
        progress(0, 0);
        m_prefetch.reset();
        lookAgain();
        busy(false);
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
    m_folderInside.clear();
    m_parts.tree.setStatus(node, {});
    try {
        const FavoriteCheck check{node->parent()->key(), node, RunKind::One};
        const auto probe = [this](const QString& url, int timeoutMs) {
            return m_parts.probe.CheckLink(url, timeoutMs);
        };
        FavoriteCheckOutcome outcome = CheckFavorite(check, probe);
        // One favorite is looked at again at once; a server that asked for
        // a pause keeps its first verdict, since this check has no Stop.
        if (mayLookAgain(outcome) && outcome.result.RetryAfterSeconds <= 0)
            outcome = CheckFavorite(check, probe);
        settleHistory(check, outcome);
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
    tellCommands(CommandState::RunEnded);
}

void CheckRunner::returnToIdle(const NorvaleError& error)
{
    m_parts.state.TreeInUse = false;
    m_secondLooks.clear();
    m_prefetch.reset();
    busy(false);
    progress(0, 0);
    m_parts.log.LogError(error, !m_parts.state.InspectMode);
    m_parts.state.Checking = false;
    m_parts.status.setPanelText(2, QString());
    tellCommands(CommandState::RunEnded);
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
        // A link there takes the name, even one that leads nowhere.
        const bool taken = m_parts.fs.fileExists(path) || QFileInfo(path).isSymLink();
        if (!taken || sameContents(path, sourcePath))
            return candidate;
        candidate = QStringLiteral("%1 (%2)").arg(name).arg(number);
    }
}

void CheckRunner::MoveDeadLink(TreeNode* node)
{
    // One already in Dead Favorites is where it belongs: moving it onto
    // itself would find "the same favorite" there and delete the only copy.
    if (!node || node->isFolder() || !node->parent() ||
        node->parent()->kind() == NodeKind::DeadFavoritesRoot)
        return;
    const QString source = FavoriteFilePath(node, m_parts.fs);
    if (FavoritesFence::leadsOut(source)) {
        FavoriteStatus status = node->status();
        status.reason += kLinkedOut;
        m_parts.tree.setStatus(node, status);
        return;
    }
    const QString folder = FileSystem::join(m_parts.programFolder, kDeadFavoritesText);
    QString freeName;
    bool shown = false;
    try {
        if (!m_parts.fs.folderExists(folder))
            m_parts.fs.makeFolder(folder);
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
