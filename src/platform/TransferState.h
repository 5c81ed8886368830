#pragma once

#include "Transfer.h"

#include <atomic>

typedef void CURL;
struct curl_slist;

namespace norvale {

// The part of a transfer that the network thread works on. The window's
// thread reads `outcome` only once `finished` is set; until then only the
// network thread touches it.
struct TransferState {
    explicit TransferState(const TransferRequest& request);
    ~TransferState();
    TransferState(const TransferState&) = delete;
    TransferState& operator=(const TransferState&) = delete;

    // Called by the network thread when curl is done with the transfer.
    void finish(int curlCode);

    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    qint64 bodyCap = 0;
    TransferOutcome outcome;
    bool headerOverflow = false;
    char errorBuffer[256] = {};
    std::shared_ptr<FinishedTransfers> finishedTo;
    qint64 tag = 0;
    std::atomic<bool> finished{false};
    std::atomic<bool> cancelled{false};
};

} // namespace norvale
