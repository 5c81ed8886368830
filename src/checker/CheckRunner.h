#pragma once

#include "favorites/FailureHistory.h"
#include "LinkResult.h"
#include "platform/FavoriteStatus.h"
#include "RedirectChain.h"
#include "shell/CommandState.h"
#include "StatusLights.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace norvale {

class Clock;
class ErrorLog;
struct CurrentLinkSettings;
class FavoriteEditor;
class FavoritesTree;
class FileSystem;
class MessageBoxes;
class NorvaleError;
class Probe;
class ShortcutFile;
class StatusBarModel;
class TransferControl;
class TransferEngine;
class ProbePrefetcher;
class TreeControl;
class TreeNode;
struct AppSettings;
struct MainWindowState;

enum class RunKind { All, Folder, One };

// One favorite's check: where it is, and which run checks it.
struct FavoriteCheck {
    QString folderPath;
    TreeNode* node = nullptr;
    RunKind kind = RunKind::One;
};

// What one favorite's check found and did.
struct FavoriteCheckOutcome {
    QString originalUrl; // the address as the check found it
    QString url;         // the address as it stands after the check
    bool bypassed = false;
    bool addressUpdated = false;
    bool renamed = false;
    LinkResult result;
    FailureHistory history; // as the file held it; once settled, as it holds it now
};

// A favorite met by a run over all favorites, for the unattended report.
struct RunRecord {
    TreeNode* node = nullptr; // null once moved: the node has left the tree
    QString url;
    bool moved = false;
    QString movedName;
    // Folders below the root and the name, as the run met it; kept only
    // once the node can no longer tell (renamed or moved): a run over
    // 100,000 favorites holds no second copy of every path.
    QString path;
    QString originalUrl;   // the address before the check
    FavoriteStatus status; // the node's, once checked
    QString title;
    QDateTime pageDate; // the page's own date, null when it gave none
    QString renamedTo;  // the new name when the page's title renamed it
    FailureHistory history;
};

struct CheckRunParts {
    TreeControl& tree;
    AppSettings& settings;
    MainWindowState& state;
    ShortcutFile& shortcuts;
    Probe& probe;
    FavoritesTree& favorites;
    FavoriteEditor& editor;
    StatusBarModel& status;
    MessageBoxes& boxes;
    ErrorLog& log;
    const FileSystem& fs;
    QString programFolder;
    TransferEngine& transfers; // runs the probes fetched ahead of their turn
    TransferControl& control;
    const Clock& clock; // the day a failure history counts from
};

// The three check runs: all favorites, one folder's favorites, the selected
// favorite. Each probes, lights, brings addresses up to date from redirects,
// renames to page titles and, at the end, looks once more at the favorites
// whose trouble may have passed, brings each favorite's failure history up
// to date and moves the dead aside.
class CheckRunner {
public:
    explicit CheckRunner(CheckRunParts parts);
    ~CheckRunner();

    void setCommandUpdater(std::function<void(CommandState)> update)
    {
        m_updateCommands = std::move(update);
    }
    void setBusyIndicator(std::function<void(bool)> busy) { m_busy = std::move(busy); }
    // Told how many favorites a folder or all-favorites run has done of how
    // many; (0, 0) when it ends.
    void setProgressReporter(std::function<void(int done, int total)> report)
    {
        m_progress = std::move(report);
    }

    void CheckAllLinks();
    void CheckFolderLinks(TreeNode* node);
    void CheckOneLink();
    // Stop: the run skips what is left, then finishes as usual.
    void stop();

    // The steps of one favorite's check, the same in every run.
    FavoriteCheckOutcome CheckFavorite(const FavoriteCheck& check, const ProbeFunction& probe);
    void MoveDeadLink(TreeNode* node);

    StatusLights& lights() { return m_lights; }
    // The favorites under the root met by the last run over all favorites.
    const QList<RunRecord>& lastRunRecords() const { return m_records; }

private:
    enum class Look { First, Again };
    // A favorite to look at again at the end of the run, not before `due`.
    struct SecondLook {
        FavoriteCheck check;
        FavoriteCheckOutcome first;
        QString nameBefore;
        QDeadlineTimer due;
    };

    void updateAddress(const FavoriteCheck& check, FavoriteCheckOutcome& outcome,
                       CurrentLinkSettings& current);
    bool changeable(const QString& folderPath, const QString& path);
    bool stillHolds(const QString& path, const QString& url) const;
    void changedMeanwhile(const QString& path, const QString& kept) const;
    void checkInRun(const FavoriteCheck& check, Look look = Look::First);
    bool mayLookAgain(const FavoriteCheckOutcome& outcome) const;
    void lookAgain();
    bool waitUntilDue(const SecondLook& look);
    void settleHistory(const FavoriteCheck& check, FavoriteCheckOutcome& outcome);
    bool deadByNow(const FailureHistory& history) const;
    void noteOutcome(const FavoriteCheck& check, const FavoriteCheckOutcome& outcome,
                     const QString& nameBefore);
    QList<FavoriteCheck> uncheckedFavorites() const;
    void noteForReport(TreeNode* favorite);
    QList<TreeNode*> deadBelowRoot() const;
    QList<int> markOwnFavoritesUnchecked(TreeNode* folder);
    QList<TreeNode*> deadAmong(const QList<int>& noted, const TreeNode* folder) const;
    void fetchAhead(const QList<FavoriteCheck>& work, int mostPerHost);
    void moveDeadFavorites(const QList<TreeNode*>& candidates);
    void finishRun(const QString& doneMessage, const QString& abortedMessage, bool quiet);
    void returnToIdle(const NorvaleError& error);
    void tellCommands(CommandState state);
    void busy(bool on);
    void progress(int done, int total);
    QString freeDeadName(const QString& name, const QString& sourcePath) const;

    CheckRunParts m_parts;
    StatusLights m_lights;
    std::function<void(CommandState)> m_updateCommands;
    std::function<void(bool)> m_busy;
    std::function<void(int, int)> m_progress;
    std::unique_ptr<ProbePrefetcher> m_prefetch; // during a run with Parallel above 1
    QList<RunRecord> m_records;
    QHash<const TreeNode*, qsizetype> m_recordOf;
    std::vector<SecondLook> m_secondLooks; // of the run under way
    QHash<QString, bool> m_folderInside;   // folder path: inside Favorites on disk
};

} // namespace norvale
