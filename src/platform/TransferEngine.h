#pragma once

#include <QSet>

typedef void CURLM;

namespace norvale {

class Transfer;

// Runs any number of transfers at once on the calling thread through
// libcurl's multi interface. Nothing runs by itself: the owner calls pump()
// in its wait loop, between rounds of the window's own events.
class TransferEngine {
public:
    TransferEngine();
    ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // The program's engine for its one user-interface thread.
    static TransferEngine& shared();

    // Moves every running transfer on, waiting at most waitMs for the
    // network when there is nothing to do yet.
    void pump(int waitMs);
    bool idle() const { return m_running.isEmpty(); }

private:
    friend class Transfer;
    void add(Transfer* transfer);
    void remove(Transfer* transfer);
    void collectFinished();

    CURLM* m_multi = nullptr;
    QSet<Transfer*> m_running;
};

} // namespace norvale
