#pragma once

#include <memory>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

namespace norvale {

class TransferEngine;
struct TransferState;

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
    // Follow HTTP redirects (at most kMostRedirects), keeping the cookies
    // the chain sets, as a browser does.
    bool followRedirects = false;
};

// The longest chain of redirects a browser follows.
constexpr int kMostRedirects = 20;

// One answer of a chain: its status code and where it sent the request on.
struct TransferHop {
    int code = 0;
    QByteArray location; // the Location header as sent, empty when none

    bool operator==(const TransferHop&) const = default;
};

// What came back: the headers and body of the last answer, and how the
// chain of answers before it went.
struct TransferOutcome {
    enum class Result { Running, Complete, TimedOut, Failed };
    Result result = Result::Running;
    QString error;      // why it failed or timed out
    QByteArray headers; // status line and header lines, each with its CRLF, then CRLF
    QByteArray body;    // decoded, at most the request's cap
    bool bodyCapped = false;
    int httpStatus = 0; // the last answer's HTTP status, or the last FTP reply code
    int curlCode = 0;   // libcurl's result code, 0 when the transfer succeeded
    static constexpr int kCancelled = -1; // the curl code of a fetch stopped by its owner
    // Every HTTP answer in order, redirects first; empty for FTP.
    QList<TransferHop> hops;
    QString finalUrl; // the address the last answer came from
    // The certificate check's verdict (an X.509 verification result code),
    // 0 when it passed or there was none.
    long certificateResult = 0;
    // How long the transfer took from its start to its end, as the network
    // side measured it (so a busy window never stretches it).
    qint64 totalUs = 0;
};

// One fetch over libcurl. The engine's network thread runs it; the owner
// reads outcome() once done() says it has ended. Created, started,
// cancelled and destroyed on one thread (the window's).
class Transfer {
public:
    explicit Transfer(TransferRequest request);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void start(TransferEngine& engine);
    // Stops the fetch; from then on it counts as failed, with the curl code
    // kCancelled, unless it had already ended.
    void abort();
    bool done() const;
    qint64 elapsedMs() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }
    // The outcome so far: Running until done().
    const TransferOutcome& outcome() const;
    const TransferRequest& request() const { return m_request; }

private:
    TransferRequest m_request;
    std::shared_ptr<TransferState> m_state; // shared with the network thread while it runs
    TransferEngine* m_engine = nullptr;
    QElapsedTimer m_clock;
    bool m_cancelled = false;
    TransferOutcome m_localOutcome; // before the start, and after a cancel
};

// An address as a browser puts it on the wire: spaces, non-ASCII letters and
// the other characters a browser percent-encodes are encoded (the host in
// its ASCII form); an address that needs none of that is sent as written.
QByteArray WireAddress(const QString& url);

} // namespace norvale
