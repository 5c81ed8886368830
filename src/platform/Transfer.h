#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

typedef void CURL;
struct curl_slist;

namespace norvale {

class TransferEngine;

// What one fetch asks for.
struct TransferRequest {
    QString url;
    long port = 0;             // 0: the address's own (or its scheme's)
    QString proxy;             // "host:port"; empty: straight to the site
    int timeoutMs = 1000;      // for the whole request, connection included
    QList<QByteArray> headers; // extra request header lines
    QString caFile;            // certificates to trust besides the system's
    qint64 bodyCap = 1 << 20;  // bytes of (decoded) body kept; the rest is not fetched
    // Offer compressed answers (decoded on arrival). Off where the body must
    // match the Content-Length it was sent with.
    bool acceptCompressed = true;
};

// What came back. Redirects are never followed: the headers are those of
// the one response the address gave.
struct TransferOutcome {
    enum class Result { Running, Complete, TimedOut, Failed };
    Result result = Result::Running;
    QString error;      // why it failed or timed out
    QByteArray headers; // status line and header lines, each with its CRLF, then CRLF
    QByteArray body;    // decoded, at most the request's cap
    bool bodyCapped = false;
    int httpStatus = 0;
    // When the answer arrived, in ms after the start: the header block's end
    // (-1 until then) and, for each body piece, the body size it brought.
    qint64 headersDoneAtMs = -1;
    qint64 finishedAtMs = -1; // when it completed, failed or timed out
    QList<QPair<qint64, qint64>> bodyArrivals;

    bool anythingReceived() const { return !headers.isEmpty() || !body.isEmpty(); }
};

// One fetch over libcurl, run by a TransferEngine together with others.
class Transfer {
public:
    explicit Transfer(TransferRequest request);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void start(TransferEngine& engine);
    void cancel();
    bool done() const { return m_outcome.result != TransferOutcome::Result::Running; }
    qint64 elapsedMs() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }
    const TransferOutcome& outcome() const { return m_outcome; }
    const TransferRequest& request() const { return m_request; }

private:
    friend class TransferEngine;
    void finish(int curlCode);
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);

    TransferRequest m_request;
    TransferOutcome m_outcome;
    CURL* m_easy = nullptr;
    curl_slist* m_headerList = nullptr;
    TransferEngine* m_engine = nullptr;
    QElapsedTimer m_clock;
    bool m_headerOverflow = false;
    char m_errorBuffer[256] = {};
};

} // namespace norvale
