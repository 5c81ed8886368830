#include "TransferEngine.h"

#include "Transfer.h"

#include <curl/curl.h>

namespace norvale {

TransferEngine::TransferEngine()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
    m_multi = curl_multi_init();
}

TransferEngine::~TransferEngine()
{
    for (Transfer* transfer : std::as_const(m_running))
        curl_multi_remove_handle(m_multi, transfer->m_easy);
    curl_multi_cleanup(m_multi);
}

TransferEngine& TransferEngine::shared()
{
    static TransferEngine engine;
    return engine;
}

void TransferEngine::add(Transfer* transfer)
{
    m_running.insert(transfer);
    curl_multi_add_handle(m_multi, transfer->m_easy);
}

void TransferEngine::remove(Transfer* transfer)
{
    if (m_running.remove(transfer))
        curl_multi_remove_handle(m_multi, transfer->m_easy);
}

void TransferEngine::collectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        Transfer* transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        const CURLcode code = message->data.result;
        remove(transfer);
        transfer->finish(code);
    }
}

void TransferEngine::pump(int waitMs)
{
    if (m_running.isEmpty())
        return;
    int running = 0;
    curl_multi_perform(m_multi, &running);
    collectFinished();
    if (m_running.isEmpty())
        return;
    curl_multi_poll(m_multi, nullptr, 0, waitMs, nullptr);
    curl_multi_perform(m_multi, &running);
    collectFinished();
}

} // namespace norvale
