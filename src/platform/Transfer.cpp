#include "Transfer.h"

#include "TransferEngine.h"
#include "TransferState.h"

#include <algorithm>
#include <curl/curl.h>
#include <QLocale>
#include <QStringList>
#include <QUrl>
#include <utility>

namespace norvale {

namespace {

// Header blocks larger than this are not a page anyone wants to read.
constexpr qint64 kHeaderCap = qint64(256) * 1024;

const char* const kProtocols = "http,https,ftp,ftps";

// Sites answer programs differently from browsers (some refuse them with
// 403): Norvale asks as the desktop browser it stands in for, and says who
// it is at the end.
QByteArray userAgent()
{
    return QByteArrayLiteral("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like "
                             "Gecko) Chrome/143.0.0.0 Safari/537.36 Norvale/") +
           NORVALE_VERSION;
}

// The user's languages first, as a browser lists them, then English.
QByteArray acceptLanguage()
{
    QByteArray header;
    double weight = 1.0;
    QStringList languages = QLocale::system().uiLanguages();
    languages.append(QStringLiteral("en"));
    languages.removeDuplicates();
    for (const QString& language : std::as_const(languages)) {
        if (language == QLatin1String("C") || weight < 0.5)
            continue;
        if (!header.isEmpty())
            header += ',';
        header += language.toLatin1();
        if (weight < 1.0)
            header += ";q=" + QByteArray::number(weight, 'f', 1);
        weight -= 0.1;
    }
    return header;
}

// What a browser sends with every page request, unless the request names
// the header itself.
QList<QByteArray> browserHeaders(const QList<QByteArray>& own)
{
    static const QList<QByteArray> defaults{
        "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
        "Accept-Language: " + acceptLanguage(),
    };
    QList<QByteArray> headers;
    for (const QByteArray& header : defaults) {
        const QByteArray name = header.left(header.indexOf(':') + 1).toLower();
        const bool overridden = std::any_of(own.begin(), own.end(), [&](const QByteArray& line) {
            return line.toLower().startsWith(name);
        });
        if (!overridden)
            headers.append(header);
    }
    return headers + own;
}

// The port an address names, or its scheme's.
long naturalPort(const QString& url)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    const QString scheme = parsed.scheme().toLower();
    const int standard = scheme == QLatin1String("https")  ? 443
                         : scheme == QLatin1String("ftp")  ? 21
                         : scheme == QLatin1String("ftps") ? 990
                                                           : 80;
    return parsed.port(standard);
}

// The status code of a status line ("HTTP/1.1 301 Moved"), 0 when none.
int statusCodeOf(const QByteArray& line)
{
    const QList<QByteArray> parts = line.simplified().split(' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

size_t onHeader(char* data, size_t size, size_t count, void* self)
{
    auto* state = static_cast<TransferState*>(self);
    TransferOutcome& outcome = state->outcome;
    const QByteArray line(data, qsizetype(size * count));
    // A new status line starts a new response (a redirect's next answer, or
    // one after "100 Continue"): only the last one's headers are kept, and
    // every final answer's code and Location are noted in order.
    if (line.startsWith("HTTP/")) {
        outcome.headers.clear();
        const int code = statusCodeOf(line);
        if (code >= 200)
            outcome.hops.append(TransferHop{code, {}});
    } else if (!outcome.hops.isEmpty() && line.toLower().startsWith("location:")) {
        outcome.hops.last().location = line.mid(9).trimmed();
    }
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
    const qint64 bytes = qint64(size) * qint64(count);
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
    , finishedTo(request.finishedTo)
    , tag(request.tag)
{
    static const QByteArray agent = userAgent();
    const QByteArray url = WireAddress(request.url);
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, long(request.followRedirects));
    if (request.followRedirects) {
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(kMostRedirects));
        // The chain's own cookies, in memory: a site that sets one and sends
        // the visitor back to itself answers as it would a browser.
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    }
    // A proxy's answer to the tunnel request is no answer of the site.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    if (request.acceptCompressed)
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    // HTTP/1.1 keeps the status line in the form "HTTP/1.1 200 OK" that the
    // page reading relies on.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(request.timeoutMs));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(request.timeoutMs));
    // A port set here holds for every hop of a redirect chain, so it is set
    // only when it is not the one the address itself names.
    if (request.port > 0 && request.port != naturalPort(request.url))
        curl_easy_setopt(easy, CURLOPT_PORT, request.port);
    // An empty proxy also keeps curl from taking one from the environment.
    const QByteArray proxy = request.proxy.toUtf8();
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
    if (!request.caFile.isEmpty()) {
        const QByteArray caFile = request.caFile.toUtf8();
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.constData());
    }
    for (const QByteArray& header : browserHeaders(request.headers))
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
    outcome.curlCode = curlCode;
    char* finalUrl = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl)
        outcome.finalUrl = QString::fromUtf8(finalUrl);
    long certificate = 0;
    if (curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &certificate) == CURLE_OK)
        outcome.certificateResult = certificate;
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
    if (finishedTo)
        finishedTo->add(tag);
}

void FinishedTransfers::add(qint64 tag)
{
    const std::lock_guard lock(m_mutex);
    m_tags.push_back(tag);
}

std::vector<qint64> FinishedTransfers::take()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_tags, {});
}

Transfer::Transfer(TransferRequest request)
    : m_request(std::move(request))
{}

Transfer::~Transfer()
{
    abort();
}

void Transfer::start(TransferEngine& engine)
{
    m_state = std::make_shared<TransferState>(m_request);
    m_engine = &engine;
    m_clock.start();
    engine.add(m_state);
}

void Transfer::abort()
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
    m_localOutcome.curlCode = TransferOutcome::kCancelled;
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

QByteArray WireAddress(const QString& url)
{
    static const QString plain = QStringLiteral(" \"<>\\^`{|}");
    const bool asWritten = std::all_of(url.begin(), url.end(), [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7f && !plain.contains(c);
    });
    if (asWritten)
        return url.toLatin1();
    const QUrl parsed(url, QUrl::TolerantMode);
    return parsed.isValid() ? parsed.toEncoded() : url.toUtf8();
}

} // namespace norvale
