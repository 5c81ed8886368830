#include "Transfer.h"

#include "TransferEngine.h"
#include "TransferState.h"

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

size_t onHeader(char* data, size_t size, size_t count, void* self)
{
    auto* state = static_cast<TransferState*>(self);
    TransferOutcome& outcome = state->outcome;
    const QByteArray line(data, qsizetype(size * count));
    // A new status line starts a new response (after "100 Continue" or a
    // proxy's tunnel answer): only the last one counts.
    if (line.startsWith("HTTP/"))
        outcome.headers.clear();
    if (outcome.headers.size() + line.size() > kHeaderCap) {
        state->headerOverflow = true;
        return 0;
    }
    outcome.headers += line;
    return size * count;
}

size_t onBody(char* data, size_t size, size_t count, void* self)
{
    auto* state = static_cast<TransferState*>(self);
    TransferOutcome& outcome = state->outcome;
    const qint64 bytes = qint64(size * count);
    const qint64 room = state->bodyCap - outcome.body.size();
    outcome.body.append(data, qsizetype(std::min(bytes, room)));
    if (bytes > room) {
        // Enough to judge the page: stop fetching the rest.
        outcome.bodyCapped = true;
        return 0;
    }
    return size * count;
}

} // namespace

TransferState::TransferState(const TransferRequest& request)
    : easy(curl_easy_init())
    , bodyCap(request.bodyCap)
{
    static const QByteArray agent = userAgent();
    const QByteArray url = request.url.toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    if (request.acceptCompressed)
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    // HTTP/1.1 keeps the status line in the form "HTTP/1.1 200 OK" that the
    // page reading relies on.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(request.timeoutMs));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(request.timeoutMs));
    if (request.port > 0)
        curl_easy_setopt(easy, CURLOPT_PORT, request.port);
    // An empty proxy also keeps curl from taking one from the environment.
    const QByteArray proxy = request.proxy.toUtf8();
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
    if (!request.caFile.isEmpty()) {
        const QByteArray caFile = request.caFile.toUtf8();
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.constData());
    }
    for (const QByteArray& header : request.headers)
        headerList = curl_slist_append(headerList, header.constData());
    if (headerList)
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
}

TransferState::~TransferState()
{
    curl_easy_cleanup(easy);
    curl_slist_free_all(headerList);
}

void TransferState::finish(int curlCode)
{
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    outcome.httpStatus = int(status);
    curl_off_t total = 0;
    curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME_T, &total);
    outcome.totalUs = qint64(total);
    const auto code = CURLcode(curlCode);
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && outcome.bodyCapped)) {
        outcome.result = TransferOutcome::Result::Complete;
    } else {
        outcome.result = code == CURLE_OPERATION_TIMEDOUT ? TransferOutcome::Result::TimedOut
                                                          : TransferOutcome::Result::Failed;
        outcome.error = headerOverflow   ? QStringLiteral("the answer's headers are too long")
                        : errorBuffer[0] ? QString::fromUtf8(errorBuffer)
                                         : QString::fromUtf8(curl_easy_strerror(code));
    }
    finished.store(true, std::memory_order_release);
}

Transfer::Transfer(TransferRequest request)
    : m_request(std::move(request))
{}

Transfer::~Transfer()
{
    cancel();
}

void Transfer::start(TransferEngine& engine)
{
    m_state = std::make_shared<TransferState>(m_request);
    m_engine = &engine;
    m_clock.start();
    engine.add(m_state);
}

void Transfer::cancel()
{
    if (done())
        return;
    m_cancelled = true;
    if (m_state) {
        m_state->cancelled.store(true, std::memory_order_release);
        if (m_engine)
            m_engine->remove(m_state);
    }
    m_localOutcome.result = TransferOutcome::Result::Failed;
    m_localOutcome.error = QStringLiteral("cancelled");
}

bool Transfer::done() const
{
    return m_cancelled || (m_state && m_state->finished.load(std::memory_order_acquire));
}

const TransferOutcome& Transfer::outcome() const
{
    if (!m_cancelled && m_state && m_state->finished.load(std::memory_order_acquire))
        return m_state->outcome;
    return m_localOutcome;
}

} // namespace norvale
