#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <QObject>
#include <thread>
#include <unordered_map>
#include <vector>

typedef void CURLM;
typedef void CURL;

namespace norvale {

struct TransferState;

// Runs any number of transfers at once on a network thread of its own,
// which owns the curl multi handle. So pages keep arriving, and time-outs
// keep being measured, however busy the window's thread is: a page that
// answered in time is never taken for a silent one because the window was
// drawing. Finished transfers are announced to the window's thread, where
// everything that acts on them runs.
//
// The thread waits in epoll on the sockets curl names (its socket
// interface), so a wake-up costs what became ready, not every transfer in
// flight: a run keeps hundreds of sockets open at once.
class TransferEngine : public QObject {
    Q_OBJECT
public:
    TransferEngine();
    ~TransferEngine() override;
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // The program's engine.
    static TransferEngine& shared();

    // Lets the window handle its events until done() holds, looking again
    // whenever a transfer ends and at least every few milliseconds; with
    // maxWaitMs of 0 or more, also returns once that much time has passed.
    // The one way the program waits for the network.
    void waitUntil(const std::function<bool()>& done, qint64 maxWaitMs = -1);

Q_SIGNALS:
    // A transfer has ended (several ends may come as one signal).
    void transferFinished();

private:
    friend class Transfer;
    void add(const std::shared_ptr<TransferState>& state);
    void remove(const std::shared_ptr<TransferState>& state);
    void wake();
    void run();
    void takeRequests();
    void collectFinished();
    void announceFinished();
    int waitMs() const;
    void act(int socket, int events);
    static int onSocket(CURL* easy, int socket, int what, void* engine, void* known);
    static int onTimer(CURLM* multi, long timeoutMs, void* engine);

    CURLM* m_multi = nullptr;
    int m_epoll = -1;
    int m_wakeup = -1; // an eventfd in m_epoll: the window's thread has requests
    // Network thread only: when curl next wants to act on its own, -1 for
    // no such time.
    qint64 m_timerDueMs = -1;
    std::thread m_thread;
    std::mutex m_mutex; // guards the two request lists and m_quit's meaning
    std::vector<std::shared_ptr<TransferState>> m_toAdd;
    std::vector<std::shared_ptr<TransferState>> m_toRemove;
    bool m_quit = false;
    std::atomic<bool> m_announcementPending{false};
    // Network thread only: the transfers curl is working on.
    std::unordered_map<CURL*, std::shared_ptr<TransferState>> m_running;
};

} // namespace norvale
