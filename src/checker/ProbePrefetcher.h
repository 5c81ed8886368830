#pragma once

#include "LinkResult.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace norvale {

class Probe;
class ShortcutFile;
class Transfer;
class TransferControl;
class TransferEngine;
class TreeNode;
struct AppSettings;

// Fetches the pages of a run's favorites ahead of their turn, several at
// once: at most `parallel` in flight, at most two to one host name, each
// host's favorites in walk order. A page's verdict is taken at its turn, as
// if the fetch had been cut at the time-out the favorite has then, so the
// run gives exactly the lights that checking one at a time gives.
class ProbePrefetcher {
public:
    struct Work {
        TreeNode* node = nullptr;
        QString folderPath;
    };

    // windowCount: lights set in the throttle's current window, which
    // bounds how much the time-out can still grow before a favorite's turn.
    ProbePrefetcher(TransferEngine& engine, TransferControl& control, const Probe& judge,
                    const AppSettings& settings, ShortcutFile& shortcuts, int parallel,
                    std::function<int()> windowCount);
    ~ProbePrefetcher();

    // The run's favorites in walk order. Reads each one's address and
    // settings (nothing is written) to know what to fetch.
    void plan(const QList<Work>& work);
    // Waits, keeping the window alive, until the node's page is in (or
    // there is none to wait for). False when the run was stopped.
    bool waitFor(const TreeNode* node, const bool& keepGoing);
    // The verdict for the node's first probe, when it is for this address.
    std::optional<LinkResult> take(const TreeNode* node, const QString& url, int timeoutMs);
    // Stops everything in flight; nothing more starts.
    void abandon();

    int inFlight() const { return m_inFlight; }

private:
    struct Entry;
    void startWhatFits();
    void collectFinished();
    void judge(Entry& entry);
    void cutOverdue();
    void releasePassed(qsizetype index);
    int longestTimeout(const Entry& entry, qsizetype lightsBefore, int windowCount) const;

    TransferEngine& m_engine;
    TransferControl& m_control;
    const Probe& m_judge;
    const AppSettings& m_settings;
    ShortcutFile& m_shortcuts;
    int m_parallel;
    std::function<int()> m_windowCount;
    std::vector<std::unique_ptr<Entry>> m_entries; // walk order
    QHash<const TreeNode*, Entry*> m_byNode;
    QHash<QString, int> m_perHost;
    qsizetype m_nextToStart = 0;
    qsizetype m_applied = 0;
    int m_inFlight = 0;
    bool m_abandoned = false;
};

// The time a fetch really gets for a time-out: whole seconds, a half going
// to the even neighbour, and half a second for none.
int EffectiveCutMs(int timeoutMs);

} // namespace norvale
