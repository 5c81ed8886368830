#pragma once

#include "LinkResult.h"
#include "platform/Transfer.h"

#include <functional>
#include <memory>
#include <optional>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <queue>
#include <vector>

namespace norvale {

class Probe;
class ShortcutFile;
class TransferControl;
class TransferEngine;
class TreeNode;
struct AppSettings;

// Fetches the pages of a run's favorites ahead of their turn, several at
// once: at most `parallel` in flight, at most `mostPerHost` to one host name, each
// host's favorites in walk order. A page's verdict is taken at its turn
// with the time-out the favorite has then (Probe::Verdict), so the run gives
// exactly the lights that checking one at a time gives.
//
// The work per round is proportional to the fetches in flight, never to
// the size of the run.
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
                    int mostPerHost, std::function<int()> windowCount);
    ~ProbePrefetcher();

    // The run's favorites in walk order. Reads each one's address and
    // settings (nothing is written) to know what to fetch.
    void plan(const QList<Work>& work);
    // Waits, keeping the window alive, until the node's page is in (or
    // there is none to wait for). Once keepGoing turns false every other
    // fetch stops, but this one is still awaited: a Stop never discards
    // the favorite whose turn it is.
    void waitFor(const TreeNode* node, const bool& keepGoing);
    // The verdict for the node's first probe, when it is for this address.
    std::optional<LinkResult> take(const TreeNode* node, const QString& url, int timeoutMs);

private:
    struct Entry;
    // A host's entries not started yet, in walk order, are a list threaded
    // through the entries themselves: a run may have as many hosts as
    // favorites, and a container per host would cost more than the host.
    struct Host {
        qsizetype firstWaiting = -1;
        qsizetype lastWaiting = -1;
        int inFlight = 0;
        bool hasWaiting() const { return firstWaiting >= 0; }
    };
    using Candidate = std::pair<qsizetype, QString>; // a host's next entry

    bool fits() const;
    void startWhatFits();
    void start(Entry& entry);
    void offer(const QString& host);
    void queueBehindHost(Entry& entry);
    void unqueueFirstOfHost(const QString& hostName);
    void collectFinished();
    void land(Entry& entry);
    void landInFlight(Entry& entry);
    void stopFetch(Entry& entry);
    void releasePassed(qsizetype index);
    void abandonAllBut(const Entry* keep);
    int longestTimeout(const Entry& entry) const;

    TransferEngine& m_engine;
    TransferControl& m_control;
    const Probe& m_judge;
    const AppSettings& m_settings;
    ShortcutFile& m_shortcuts;
    int m_parallel;
    int m_mostPerHost;
    std::function<int()> m_windowCount;
    std::vector<Entry> m_entries; // walk order
    QHash<const TreeNode*, qsizetype> m_byNode;
    QHash<QString, Host> m_hosts;
    // Hosts that may start their next entry, earliest entry first. A
    // candidate that no longer holds (the entry started or was passed) is
    // dropped when it comes up.
    std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> m_candidates;
    std::vector<qsizetype> m_inFlight; // entries whose fetch runs
    qsizetype m_applied = 0;           // entries before this one have had their turn
    int m_readyAhead = 0;              // landed verdicts waiting for their turn
    bool m_abandoned = false;
    QElapsedTimer m_sweep; // since the last look for fetches past their time
    // The network thread's word of which fetches ended, by entry index.
    std::shared_ptr<FinishedTransfers> m_finished = std::make_shared<FinishedTransfers>();
};

} // namespace norvale
