#include "TransferEngine.h"

#include "TransferState.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <curl/curl.h>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace norvale {

namespace {

// How often a wait looks at its condition when no transfer ends: a Stop
// pressed meanwhile is seen this soon.
constexpr int kLookAgainMs = 50;
// How long the network thread sleeps when nothing happens at all.
constexpr int kIdlePollMs = 1000;
// Readiness reports taken from epoll per wake-up.
constexpr int kEventsPerWait = 256;

qint64 nowMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

TransferEngine::TransferEngine()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
    m_multi = curl_multi_init();
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    m_wakeup = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epoll_event wakeup{};
    wakeup.events = EPOLLIN;
    wakeup.data.fd = m_wakeup;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wakeup, &wakeup);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &TransferEngine::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &TransferEngine::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
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
    ::close(m_wakeup);
    ::close(m_epoll);
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
    const quint64 one = 1;
    // A full counter already wakes the thread; nothing else can go wrong.
    [[maybe_unused]] const ssize_t written = ::write(m_wakeup, &one, sizeof one);
}

// Network thread: curl says which socket to watch for what. A socket curl
// has not named before carries no mark yet: it is added, then marked.
int TransferEngine::onSocket(CURL*, int socket, int what, void* engine, void* known)
{
    auto* self = static_cast<TransferEngine*>(engine);
    if (what == CURL_POLL_REMOVE) {
        ::epoll_ctl(self->m_epoll, EPOLL_CTL_DEL, socket, nullptr);
        return 0;
    }
    epoll_event event{};
    event.events = (what & CURL_POLL_IN ? EPOLLIN : 0u) | (what & CURL_POLL_OUT ? EPOLLOUT : 0u);
    event.data.fd = socket;
    if (known) {
        ::epoll_ctl(self->m_epoll, EPOLL_CTL_MOD, socket, &event);
        return 0;
    }
    ::epoll_ctl(self->m_epoll, EPOLL_CTL_ADD, socket, &event);
    curl_multi_assign(self->m_multi, socket, self);
    return 0;
}

// Network thread: curl says when it next wants to act without a socket
// being ready (a time-out, a connection attempt to retry).
int TransferEngine::onTimer(CURLM*, long timeoutMs, void* engine)
{
    auto* self = static_cast<TransferEngine*>(engine);
    self->m_timerDueMs = timeoutMs < 0 ? -1 : nowMs() + timeoutMs;
    return 0;
}

int TransferEngine::waitMs() const
{
    if (m_timerDueMs < 0)
        return kIdlePollMs;
    return int(std::clamp<qint64>(m_timerDueMs - nowMs(), 0, kIdlePollMs));
}

// Network thread: lets curl work on one socket (or, with CURL_SOCKET_TIMEOUT,
// on whatever is due).
void TransferEngine::act(int socket, int events)
{
    int flags = 0;
    if (events & EPOLLIN)
        flags |= CURL_CSELECT_IN;
    if (events & EPOLLOUT)
        flags |= CURL_CSELECT_OUT;
    if (events & (EPOLLERR | EPOLLHUP))
        flags |= CURL_CSELECT_ERR;
    int running = 0;
    curl_multi_socket_action(m_multi, socket, flags, &running);
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
    epoll_event events[kEventsPerWait];
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_quit)
                return;
        }
        takeRequests();
        const int ready = ::epoll_wait(m_epoll, events, kEventsPerWait, waitMs());
        for (int i = 0; i < ready; ++i) {
            if (events[i].data.fd == m_wakeup) {
                quint64 count = 0;
                [[maybe_unused]] const ssize_t read = ::read(m_wakeup, &count, sizeof count);
                continue;
            }
            act(events[i].data.fd, int(events[i].events));
        }
        if (m_timerDueMs >= 0 && m_timerDueMs <= nowMs()) {
            m_timerDueMs = -1;
            act(CURL_SOCKET_TIMEOUT, 0);
        }
        collectFinished();
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
