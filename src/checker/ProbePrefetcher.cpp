#include "ProbePrefetcher.h"

#include "favorites/WebAddress.h"
#include "platform/NorvaleError.h"

#include "favorites/ShortcutFile.h"
#include "platform/Transfer.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "Probe.h"
#include "shell/AppSettings.h"
#include "StatusLights.h"

#include <algorithm>
#include <QUrl>

namespace norvale {

namespace {

// Fetches started ahead of the run's turn, in flight or landed: this many
// times the checks at once.
constexpr int kAheadFactor = 4;
// How often the fetches in flight are looked at for one past its time.
constexpr qint64 kSweepEveryMs = 20;

} // namespace

struct ProbePrefetcher::Entry {
    enum class Stage { Waiting, InFlight, Landed, Done };

    const TreeNode* node = nullptr;
    qsizetype index = 0; // in walk order
    QString url;
    QString host;
    qsizetype nextOfHost = -1; // the host's next waiting entry
    int timeoutRead = 0;       // as read when the run began
    bool timeoutFixed = false; // the favorite's own key: throttling never touches it
    bool fetch = false;        // false: bypassed, or nothing to fetch ahead
    Stage stage = Stage::Waiting;
    std::unique_ptr<Transfer> transfer;
    // Once landed: each fetch of the chain (the favorite's address, then
    // the refresh tags' targets), how it ended (without its text) and, when
    // it came whole, the judgement of its answer; weighed at its turn.
    struct Step {
        QString url;
        TransferOutcome ending;
        LinkResult judged;
    };
    std::vector<Step> steps;
};

ProbePrefetcher::ProbePrefetcher(TransferEngine& engine, TransferControl& control,
                                 const Probe& judge, const AppSettings& settings,
                                 ShortcutFile& shortcuts, int parallel, int mostPerHost,
                                 std::function<int()> windowCount)
    : m_engine(engine)
    , m_control(control)
    , m_judge(judge)
    , m_settings(settings)
    , m_shortcuts(shortcuts)
    , m_parallel(std::max(1, parallel))
    , m_mostPerHost(std::max(1, mostPerHost))
    , m_windowCount(std::move(windowCount))
{}

ProbePrefetcher::~ProbePrefetcher()
{
    abandonAllBut(nullptr);
}

// The longest time-out the favorite can have at its turn: its own, or the
// program's as throttling may still lengthen it before then.
int ProbePrefetcher::longestTimeout(const Entry& entry) const
{
    if (entry.timeoutFixed)
        return entry.timeoutRead;
    if (!m_settings.AutoThrottle)
        return m_settings.Timeout;
    const int window = m_windowCount ? m_windowCount() : 0;
    return StatusLights::LongestTimeoutAfter(m_settings.Timeout, window, entry.index - m_applied);
}

void ProbePrefetcher::plan(const QList<Work>& work)
{
    m_entries.resize(size_t(work.size()));
    for (qsizetype i = 0; i < work.size(); ++i) {
        const Work& item = work[i];
        Entry& entry = m_entries[size_t(i)];
        entry.index = i;
        entry.node = item.node;
        CurrentLinkSettings current;
        try {
            entry.url = m_shortcuts.ReadCheckSettings(
                m_shortcuts.pathFor(item.folderPath, item.node), current);
        } catch (const NorvaleError&) {
            // Its turn in the run logs the trouble; nothing to fetch ahead.
            current.Bypass = true;
        }
        entry.timeoutRead = current.Timeout;
        entry.timeoutFixed = current.TimeoutFromFile;
        entry.fetch = !current.Bypass && !entry.url.isEmpty() &&
                      Probe::TargetFor(entry.url, current.Timeout, m_settings).valid;
        m_byNode.insert(item.node, i);
        if (!entry.fetch)
            continue;
        entry.host = QUrl(entry.url).host().toLower();
        queueBehindHost(entry);
    }
    startWhatFits();
}

bool ProbePrefetcher::fits() const
{
    const qsizetype inFlight = qsizetype(m_inFlight.size());
    return inFlight < m_parallel && inFlight + m_readyAhead < qsizetype(kAheadFactor) * m_parallel;
}

void ProbePrefetcher::queueBehindHost(Entry& entry)
{
    Host& host = m_hosts[entry.host];
    const bool first = !host.hasWaiting();
    if (first)
        host.firstWaiting = entry.index;
    else
        m_entries[size_t(host.lastWaiting)].nextOfHost = entry.index;
    host.lastWaiting = entry.index;
    if (first)
        offer(entry.host);
}

void ProbePrefetcher::unqueueFirstOfHost(const QString& hostName)
{
    Host& host = m_hosts[hostName];
    Entry& first = m_entries[size_t(host.firstWaiting)];
    host.firstWaiting = first.nextOfHost;
    if (!host.hasWaiting())
        host.lastWaiting = -1;
    first.nextOfHost = -1;
}

void ProbePrefetcher::offer(const QString& hostName)
{
    const Host& host = m_hosts[hostName];
    if (!m_abandoned && host.inFlight < m_mostPerHost && host.hasWaiting())
        m_candidates.push({host.firstWaiting, hostName});
}

void ProbePrefetcher::startWhatFits()
{
    while (!m_abandoned && fits() && !m_candidates.empty()) {
        const Candidate candidate = m_candidates.top();
        m_candidates.pop();
        Host& host = m_hosts[candidate.second];
        if (host.firstWaiting != candidate.first || host.inFlight >= m_mostPerHost)
            continue; // no longer holds
        unqueueFirstOfHost(candidate.second);
        start(m_entries[size_t(candidate.first)]);
        offer(candidate.second);
    }
}

void ProbePrefetcher::start(Entry& entry)
{
    const int longest = longestTimeout(entry);
    const ProbeTarget target = Probe::TargetFor(entry.url, longest, m_settings);
    TransferRequest request;
    request.url = entry.url;
    request.port = target.port;
    request.proxy = target.proxy;
    request.timeoutMs = EffectiveCutMs(longest);
    request.caFile = m_control.caFile();
    request.followRedirects = true;
    request.finishedTo = m_finished;
    request.tag = entry.index;
    entry.transfer = std::make_unique<Transfer>(request);
    entry.transfer->start(m_engine);
    entry.stage = Entry::Stage::InFlight;
    ++m_hosts[entry.host].inFlight;
    m_inFlight.push_back(entry.index);
}

// The fetch has ended, or is of no more use: keep how it ended and the
// judgement of a whole answer; let go of the rest. A page whose refresh tag
// sends its visitors on has the next page fetched at once, so that the
// chain is in when its turn comes.
void ProbePrefetcher::land(Entry& entry)
{
    const TransferOutcome& outcome = entry.transfer->outcome();
    Entry::Step step{entry.url, outcome, LinkResult()};
    if (outcome.result == TransferOutcome::Result::Complete)
        step.judged = m_judge.JudgeAnswer(outcome, entry.url);
    step.ending.headers.clear();
    step.ending.body.clear();
    entry.transfer.reset();
    --m_hosts[entry.host].inFlight;
    offer(entry.host);
    const QString next = step.judged.Status == LinkResult::Alive ? step.judged.Redirect : QString();
    entry.steps.push_back(std::move(step));
    if (!m_abandoned && IsWebAddress(next) && entry.steps.size() <= size_t(kMostRedirects)) {
        entry.url = next;
        entry.host = QUrl(next).host().toLower();
        start(entry);
        return;
    }
    entry.stage = Entry::Stage::Landed;
    ++m_readyAhead;
}

void ProbePrefetcher::stopFetch(Entry& entry)
{
    entry.transfer->abort();
    entry.transfer.reset();
    --m_hosts[entry.host].inFlight;
    offer(entry.host);
}

// Lands the fetches the network thread said have ended, then, every few
// milliseconds only (this runs at every wake-up of a wait), cuts those in
// flight that have run past the longest time-out their favorite can still
// get: the rest of such an answer could never count.
void ProbePrefetcher::collectFinished()
{
    for (const qint64 index : m_finished->take()) {
        // A word about a fetch that was stopped or replaced meanwhile is stale.
        Entry& entry = m_entries[size_t(index)];
        if (entry.stage == Entry::Stage::InFlight && entry.transfer && entry.transfer->done())
            landInFlight(entry);
    }
    if (m_sweep.isValid() && m_sweep.elapsed() < kSweepEveryMs)
        return;
    m_sweep.start();
    for (size_t i = 0; i < m_inFlight.size();) {
        Entry& entry = m_entries[size_t(m_inFlight[i])];
        if (entry.transfer->elapsedMs() > EffectiveCutMs(longestTimeout(entry)))
            landInFlight(entry);
        else
            ++i;
    }
}

void ProbePrefetcher::landInFlight(Entry& entry)
{
    entry.transfer->abort(); // nothing when it had ended
    const auto found = std::find(m_inFlight.begin(), m_inFlight.end(), entry.index);
    *found = m_inFlight.back();
    m_inFlight.pop_back();
    land(entry);
}

// Favorites before `index` have had their turn (or were skipped): what is
// still kept for them goes, and a fetch of theirs still running stops.
void ProbePrefetcher::releasePassed(qsizetype index)
{
    for (; m_applied < index; ++m_applied) {
        Entry& passed = m_entries[size_t(m_applied)];
        switch (passed.stage) {
        case Entry::Stage::Waiting:
            if (passed.fetch) {
                // Its host's earlier favorites have all passed: it is first.
                unqueueFirstOfHost(passed.host);
                offer(passed.host);
            }
            break;
        case Entry::Stage::InFlight:
            std::erase(m_inFlight, passed.index);
            stopFetch(passed);
            break;
        case Entry::Stage::Landed:
            --m_readyAhead;
            break;
        case Entry::Stage::Done:
            break;
        }
        passed.stage = Entry::Stage::Done;
        passed.steps = {};
        passed.url = QString();
        passed.host = QString();
    }
}

void ProbePrefetcher::waitFor(const TreeNode* node, const bool& keepGoing)
{
    const auto found = m_byNode.constFind(node);
    if (found == m_byNode.cend())
        return;
    Entry& entry = m_entries[size_t(*found)];
    releasePassed(entry.index);
    if (!entry.fetch || entry.stage == Entry::Stage::Done)
        return;
    if (entry.stage == Entry::Stage::Waiting) {
        // Its turn has come: it never waits for a slot. Its host's earlier
        // favorites have all passed, so it is first in its host's line.
        unqueueFirstOfHost(entry.host);
        offer(entry.host);
        start(entry);
    }
    m_engine.waitUntil([&] {
        collectFinished();
        if (!keepGoing && !m_abandoned)
            abandonAllBut(&entry);
        startWhatFits();
        return entry.stage == Entry::Stage::Landed;
    });
}

std::optional<LinkResult> ProbePrefetcher::take(const TreeNode* node, const QString& url,
                                                int timeoutMs)
{
    const auto found = m_byNode.constFind(node);
    if (found == m_byNode.cend())
        return std::nullopt;
    Entry& entry = m_entries[size_t(*found)];
    if (entry.stage == Entry::Stage::Landed) {
        entry.stage = Entry::Stage::Done;
        --m_readyAhead;
    }
    // Each step once, while the favorite has its turn; anything else (a
    // second look at the site) is fetched live.
    const auto step = std::find_if(entry.steps.begin(), entry.steps.end(),
                                   [&](const Entry::Step& s) { return s.url == url; });
    if (entry.stage != Entry::Stage::Done || step == entry.steps.end())
        return std::nullopt;
    LinkResult result = m_judge.Settle(step->ending, EffectiveCutMs(timeoutMs), step->judged);
    entry.steps.erase(step);
    return result;
}

void ProbePrefetcher::abandonAllBut(const Entry* keep)
{
    m_abandoned = true;
    m_candidates = {};
    std::vector<qsizetype> kept;
    for (const qsizetype index : m_inFlight) {
        Entry& entry = m_entries[size_t(index)];
        if (&entry == keep) {
            kept.push_back(index);
            continue;
        }
        stopFetch(entry);
        entry.stage = Entry::Stage::Done;
    }
    m_inFlight.swap(kept);
}

} // namespace norvale
