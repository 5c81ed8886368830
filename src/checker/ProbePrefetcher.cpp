#include "ProbePrefetcher.h"

#include "favorites/ShortcutFile.h"
#include "platform/Transfer.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "platform/TreeControl.h"
#include "Probe.h"
#include "shell/AppSettings.h"

#include <cmath>
#include <QCoreApplication>
#include <QSet>
#include <QUrl>

namespace norvale {

namespace {

constexpr int kMostPerHost = 2;
constexpr int kPollMs = 10;
// Verdicts kept waiting for their turn, as many again as are in flight.
constexpr int kReadyAhead = 4;
// The effective cuts a time-out can give (500 to 2000 ms).
constexpr std::array<int, 3> kCuts = {500, 1000, 2000};

int cutSlot(int cutMs)
{
    return cutMs <= 500 ? 0 : cutMs <= 1000 ? 1 : 2;
}

// What had come by cutMs, as the probe's document text; empty when
// nothing had.
QString textBy(const TransferOutcome& outcome, qint64 cutMs)
{
    QByteArray headers;
    if (outcome.headersDoneAtMs >= 0 && outcome.headersDoneAtMs <= cutMs)
        headers = outcome.headers;
    qint64 bodySize = 0;
    for (const auto& [atMs, size] : outcome.bodyArrivals) {
        if (atMs > cutMs)
            break;
        bodySize = size;
    }
    return QString::fromLatin1(headers) + DecodePageText(outcome.body.left(bodySize));
}

} // namespace

int EffectiveCutMs(int timeoutMs)
{
    const int seconds = int(std::nearbyint(timeoutMs / 1000.0));
    return seconds > 0 ? seconds * 1000 : 500;
}

struct ProbePrefetcher::Entry {
    qsizetype index = 0; // in walk order
    const TreeNode* node = nullptr;
    int timeoutRead = 0;       // as read when the run began
    bool timeoutFixed = false; // the favorite's own key: throttling never touches it
    QString url;
    QString host;
    ProbeTarget target;
    bool fetch = false; // false: bypassed, or nothing to fetch ahead
    bool started = false;
    bool ready = false;
    std::unique_ptr<Transfer> transfer;
    std::array<LinkResult, 3> verdicts; // by effective cut
};

ProbePrefetcher::ProbePrefetcher(TransferEngine& engine, TransferControl& control,
                                 const Probe& judge, const AppSettings& settings,
                                 ShortcutFile& shortcuts, int parallel,
                                 std::function<int()> windowCount)
    : m_engine(engine)
    , m_control(control)
    , m_judge(judge)
    , m_settings(settings)
    , m_shortcuts(shortcuts)
    , m_parallel(std::max(1, parallel))
    , m_windowCount(std::move(windowCount))
{}

ProbePrefetcher::~ProbePrefetcher()
{
    abandon();
}

// The longest time-out the favorite can have at its turn: its own, or the
// program's plus what throttling could add in the windows that can still
// close before then (50 ms each).
int ProbePrefetcher::longestTimeout(const Entry& entry, qsizetype lightsBefore,
                                    int windowCount) const
{
    // The favorite's own key holds; the program's value can grow by 50 ms
    // for each throttling window that can still close before its turn.
    int longest = entry.timeoutRead;
    if (!entry.timeoutFixed) {
        const int growth =
            m_settings.AutoThrottle ? 50 * int((windowCount + lightsBefore) / 10) : 0;
        longest = m_settings.Timeout + growth;
    }
    return std::clamp(longest, kShortestProbeTimeout, kLongestProbeTimeout);
}

void ProbePrefetcher::plan(const QList<Work>& work)
{
    const int window = m_windowCount ? m_windowCount() : 0;
    int lightsBefore = 0;
    for (const Work& item : work) {
        auto entry = std::make_unique<Entry>();
        entry->index = qsizetype(m_entries.size());
        entry->node = item.node;
        CurrentLinkSettings current;
        entry->url =
            m_shortcuts.ReadCheckSettings(m_shortcuts.pathFor(item.folderPath, item.node), current);
        entry->timeoutRead = current.Timeout;
        entry->timeoutFixed = current.TimeoutFromFile;
        const int longest = longestTimeout(*entry, lightsBefore, window);
        entry->target = Probe::TargetFor(entry->url, longest, m_settings);
        entry->target.requestTimeoutSeconds = EffectiveCutMs(longest) / 1000;
        entry->fetch = !current.Bypass && entry->target.valid && !entry->url.isEmpty();
        entry->host = QUrl(entry->url).host().toLower();
        m_byNode.insert(item.node, entry.get());
        m_entries.push_back(std::move(entry));
        ++lightsBefore;
    }
    startWhatFits();
}

void ProbePrefetcher::startWhatFits()
{
    if (m_abandoned)
        return;
    QSet<QString> waitingHosts;
    int readyAhead = 0;
    for (qsizetype i = m_applied; i < qsizetype(m_entries.size()); ++i)
        readyAhead += m_entries[size_t(i)]->ready;
    for (qsizetype i = m_nextToStart; i < qsizetype(m_entries.size()); ++i) {
        if (m_inFlight >= m_parallel || readyAhead >= kReadyAhead * m_parallel)
            break;
        Entry& entry = *m_entries[size_t(i)];
        if (entry.started || !entry.fetch)
            continue;
        // A host's favorites go in walk order: once one waits, the later
        // ones of that host wait too.
        if (waitingHosts.contains(entry.host) || m_perHost.value(entry.host) >= kMostPerHost) {
            waitingHosts.insert(entry.host);
            continue;
        }
        TransferRequest request;
        request.url = entry.url;
        request.port = entry.target.port;
        request.proxy = entry.target.proxy;
        const int seconds = entry.target.requestTimeoutSeconds;
        request.timeoutMs = seconds > 0 ? seconds * 1000 : 500;
        request.caFile = m_control.caFile();
        entry.transfer = std::make_unique<Transfer>(request);
        entry.transfer->start(m_engine);
        entry.started = true;
        ++m_perHost[entry.host];
        ++m_inFlight;
    }
    while (m_nextToStart < qsizetype(m_entries.size()) &&
           (m_entries[size_t(m_nextToStart)]->started || !m_entries[size_t(m_nextToStart)]->fetch))
        ++m_nextToStart;
}

void ProbePrefetcher::judge(Entry& entry)
{
    const TransferOutcome& outcome = entry.transfer->outcome();
    LinkResult noAnswer;
    noAnswer.Status = LinkResult::NoAnswer;
    for (const int cut : kCuts) {
        LinkResult& verdict = entry.verdicts[size_t(cutSlot(cut))];
        const bool endedInTime = outcome.finishedAtMs >= 0 && outcome.finishedAtMs <= cut;
        if (endedInTime && outcome.result == TransferOutcome::Result::Complete) {
            verdict = m_judge.Judge(
                QString::fromLatin1(outcome.headers) + DecodePageText(outcome.body), entry.url);
        } else if (endedInTime && outcome.result == TransferOutcome::Result::Failed) {
            verdict = noAnswer; // refused, reset or dropped before the time-out
        } else {
            // Cut at the time-out: what had come is judged, if anything had.
            const QString text = textBy(outcome, cut);
            verdict = text.isEmpty() ? noAnswer : m_judge.Judge(text, entry.url);
        }
    }
    entry.ready = true;
    entry.transfer.reset(); // the verdicts are all that is kept
}

// A fetch that has run past the longest time-out its favorite can still get
// is cut now: the rest of its answer could never count.
void ProbePrefetcher::cutOverdue()
{
    const int window = m_windowCount ? m_windowCount() : 0;
    for (qsizetype i = m_applied; i < qsizetype(m_entries.size()); ++i) {
        Entry& entry = *m_entries[size_t(i)];
        if (!entry.transfer || entry.transfer->done())
            continue;
        const int cut = EffectiveCutMs(longestTimeout(entry, i - m_applied, window));
        if (entry.transfer->elapsedMs() <= cut)
            continue;
        entry.transfer->cancel();
        --m_perHost[entry.host];
        --m_inFlight;
        judge(entry);
    }
}

// Favorites before `index` have had their turn: a fetch of theirs still
// running (the favorite turned out to be skipped, or its address changed)
// is no longer wanted and must not keep its slot.
void ProbePrefetcher::releasePassed(qsizetype index)
{
    for (; m_applied < index; ++m_applied) {
        Entry& passed = *m_entries[size_t(m_applied)];
        if (!passed.transfer)
            continue;
        passed.transfer->cancel();
        passed.transfer.reset();
        --m_perHost[passed.host];
        --m_inFlight;
    }
}

void ProbePrefetcher::collectFinished()
{
    cutOverdue();
    for (qsizetype i = m_applied; i < qsizetype(m_entries.size()); ++i) {
        Entry& entry = *m_entries[size_t(i)];
        if (!entry.transfer || !entry.transfer->done())
            continue;
        --m_perHost[entry.host];
        --m_inFlight;
        judge(entry);
    }
}

bool ProbePrefetcher::waitFor(const TreeNode* node, const bool& keepGoing)
{
    Entry* entry = m_byNode.value(node);
    if (!entry)
        return keepGoing;
    releasePassed(entry->index);
    for (;;) {
        collectFinished();
        startWhatFits();
        if (!keepGoing) {
            abandon();
            return false;
        }
        if (!entry->fetch || entry->ready)
            return true;
        m_engine.pump(kPollMs);
        QCoreApplication::processEvents();
    }
}

std::optional<LinkResult> ProbePrefetcher::take(const TreeNode* node, const QString& url,
                                                int timeoutMs)
{
    Entry* entry = m_byNode.value(node);
    if (!entry || !entry->ready || entry->url != url)
        return std::nullopt;
    entry->ready = false; // only the first probe; a redirect's is fetched live
    entry->fetch = false;
    return entry->verdicts[size_t(cutSlot(EffectiveCutMs(timeoutMs)))];
}

void ProbePrefetcher::abandon()
{
    m_abandoned = true;
    for (auto& entry : m_entries) {
        if (entry->transfer) {
            entry->transfer->cancel();
            entry->transfer.reset();
        }
    }
    m_inFlight = 0;
    m_perHost.clear();
}

} // namespace norvale
