#include "Transfer.h"

#include "TransferEngine.h"

#include <curl/curl.h>

namespace norvale {

namespace {

// Header blocks larger than this are not a page anyone wants to read.
constexpr qint64 kHeaderCap = 256 * 1024;

const char* const kProtocols = "http,https,ftp,ftps";

QByteArray userAgent()
{
    return QByteArrayLiteral("Norvale/") + NORVALE_VERSION;
}

} // namespace

Transfer::Transfer(TransferRequest request)
    : m_request(std::move(request))
{}

Transfer::~Transfer()
{
    cancel();
    if (m_easy)
        curl_easy_cleanup(m_easy);
    curl_slist_free_all(m_headerList);
}

void Transfer::start(TransferEngine& engine)
{
    static const QByteArray agent = userAgent();
    m_easy = curl_easy_init();
    const QByteArray url = m_request.url.toUtf8();
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(m_easy, CURLOPT_USERAGENT, agent.constData());
    if (m_request.acceptCompressed)
        curl_easy_setopt(m_easy, CURLOPT_ACCEPT_ENCODING, "");
    // HTTP/1.1 keeps the status line in the form "HTTP/1.1 200 OK" that the
    // page reading relies on.
    curl_easy_setopt(m_easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(m_easy, CURLOPT_TIMEOUT_MS, long(m_request.timeoutMs));
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, long(m_request.timeoutMs));
    if (m_request.port > 0)
        curl_easy_setopt(m_easy, CURLOPT_PORT, m_request.port);
    // An empty proxy also keeps curl from taking one from the environment.
    const QByteArray proxy = m_request.proxy.toUtf8();
    curl_easy_setopt(m_easy, CURLOPT_PROXY, proxy.constData());
    if (!m_request.caFile.isEmpty()) {
        const QByteArray caFile = m_request.caFile.toUtf8();
        curl_easy_setopt(m_easy, CURLOPT_CAINFO, caFile.constData());
    }
    for (const QByteArray& header : m_request.headers)
        m_headerList = curl_slist_append(m_headerList, header.constData());
    if (m_headerList)
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headerList);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    m_clock.start();
    m_engine = &engine;
    engine.add(this);
}

void Transfer::cancel()
{
    if (m_engine) {
        m_engine->remove(this);
        m_engine = nullptr;
    }
    if (!done()) {
        m_outcome.result = TransferOutcome::Result::Failed;
        m_outcome.error = QStringLiteral("cancelled");
    }
}

size_t Transfer::onHeader(char* data, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    TransferOutcome& outcome = transfer->m_outcome;
    const QByteArray line(data, qsizetype(size * count));
    // A new status line starts a new response (after "100 Continue" or a
    // proxy's tunnel answer): only the last one counts.
    if (line.startsWith("HTTP/")) {
        outcome.headers.clear();
        outcome.headersDoneAtMs = -1;
    }
    if (outcome.headers.size() + line.size() > kHeaderCap) {
        transfer->m_headerOverflow = true;
        return 0;
    }
    outcome.headers += line;
    if (line == "\r\n" || line == "\n")
        outcome.headersDoneAtMs = transfer->m_clock.elapsed();
    return size * count;
}

size_t Transfer::onBody(char* data, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    TransferOutcome& outcome = transfer->m_outcome;
    const qint64 bytes = qint64(size * count);
    const qint64 room = transfer->m_request.bodyCap - outcome.body.size();
    outcome.body.append(data, qsizetype(std::min(bytes, room)));
    outcome.bodyArrivals.append({transfer->m_clock.elapsed(), outcome.body.size()});
    if (bytes > room) {
        // Enough to judge the page: stop fetching the rest.
        outcome.bodyCapped = true;
        return 0;
    }
    return size * count;
}

void Transfer::finish(int curlCode)
{
    m_engine = nullptr;
    m_outcome.finishedAtMs = m_clock.elapsed();
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    m_outcome.httpStatus = int(status);
    const auto code = CURLcode(curlCode);
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && m_outcome.bodyCapped)) {
        m_outcome.result = TransferOutcome::Result::Complete;
        return;
    }
    m_outcome.result = code == CURLE_OPERATION_TIMEDOUT ? TransferOutcome::Result::TimedOut
                                                        : TransferOutcome::Result::Failed;
    m_outcome.error = m_headerOverflow   ? QStringLiteral("the answer's headers are too long")
                      : m_errorBuffer[0] ? QString::fromUtf8(m_errorBuffer)
                                         : QString::fromUtf8(curl_easy_strerror(code));
}

} // namespace norvale
