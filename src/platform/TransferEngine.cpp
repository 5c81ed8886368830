#include "TransferEngine.h"

#include "TransferState.h"

#include <curl/curl.h>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace norvale {

namespace {

// How often a wait looks at its condition when no transfer ends: a Stop
// pressed meanwhile is seen this soon.
constexpr int kLookAgainMs = 50;
// How long the network thread sleeps when nothing happens at all.
constexpr int kIdlePollMs = 1000;

} // namespace

TransferEngine::TransferEngine()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
    m_multi = curl_multi_init();
    m_thread = std::thread([this] { run(); });
}

TransferEngine::~TransferEngine()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    wake();
    m_thread.join();
    for (const auto& [easy, state] : m_running)
        curl_multi_remove_handle(m_multi, easy);
    m_running.clear();
    curl_multi_cleanup(m_multi);
}

TransferEngine& TransferEngine::shared()
{
    static TransferEngine engine;
    return engine;
}

void TransferEngine::add(const std::shared_ptr<TransferState>& state)
{
    {
        const std::lock_guard lock(m_mutex);
        m_toAdd.push_back(state);
    }
    wake();
}

void TransferEngine::remove(const std::shared_ptr<TransferState>& state)
{
    {
        const std::lock_guard lock(m_mutex);
        m_toRemove.push_back(state);
    }
    wake();
}

void TransferEngine::wake()
{
    curl_multi_wakeup(m_multi);
}

// Network thread: takes the window's requests to start and stop transfers.
// Removals go first, and a transfer cancelled before it ever started is
// never added.
void TransferEngine::takeRequests()
{
    std::vector<std::shared_ptr<TransferState>> toAdd;
    std::vector<std::shared_ptr<TransferState>> toRemove;
    {
        const std::lock_guard lock(m_mutex);
        toAdd.swap(m_toAdd);
        toRemove.swap(m_toRemove);
    }
    for (const auto& state : toRemove) {
        if (m_running.erase(state->easy) > 0)
            curl_multi_remove_handle(m_multi, state->easy);
    }
    for (auto& state : toAdd) {
        if (state->cancelled.load(std::memory_order_acquire))
            continue;
        curl_multi_add_handle(m_multi, state->easy);
        m_running.emplace(state->easy, std::move(state));
    }
}

// Network thread: hands every transfer curl has finished to its owner.
void TransferEngine::collectFinished()
{
    bool any = false;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const auto it = m_running.find(message->easy_handle);
        if (it == m_running.end())
            continue;
        const std::shared_ptr<TransferState> state = std::move(it->second);
        m_running.erase(it);
        const CURLcode code = message->data.result;
        curl_multi_remove_handle(m_multi, state->easy);
        state->finish(code);
        any = true;
    }
    if (any && !m_announcementPending.exchange(true))
        QMetaObject::invokeMethod(this, &TransferEngine::announceFinished, Qt::QueuedConnection);
}

void TransferEngine::announceFinished()
{
    m_announcementPending = false;
    Q_EMIT transferFinished();
}

void TransferEngine::run()
{
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_quit)
                return;
        }
        takeRequests();
        int running = 0;
        curl_multi_perform(m_multi, &running);
        collectFinished();
        curl_multi_poll(m_multi, nullptr, 0, kIdlePollMs, nullptr);
    }
}

void TransferEngine::waitUntil(const std::function<bool()>& done, qint64 maxWaitMs)
{
    QElapsedTimer waited;
    waited.start();
    const auto over = [&] { return done() || (maxWaitMs >= 0 && waited.elapsed() >= maxWaitMs); };
    if (over())
        return;
    QEventLoop loop;
    const auto lookAgain = [&] {
        if (over())
            loop.quit();
    };
    const QMetaObject::Connection finished =
        connect(this, &TransferEngine::transferFinished, &loop, lookAgain);
    QTimer ticker;
    ticker.setInterval(maxWaitMs >= 0 ? int(std::min<qint64>(kLookAgainMs, maxWaitMs))
                                      : kLookAgainMs);
    connect(&ticker, &QTimer::timeout, &loop, lookAgain);
    ticker.start();
    loop.exec();
    disconnect(finished);
}

} // namespace norvale
