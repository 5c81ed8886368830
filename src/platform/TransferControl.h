#pragma once

#include "Transfer.h"

#include <memory>
#include <QString>

namespace norvale {

class TransferEngine;

namespace ErrorNumber {
constexpr int TransferFailed = 35754;
constexpr int TransferTimedOut = 35761;
} // namespace ErrorNumber

// The Internet transfer control: one fetch at a time, with the properties
// the probe and the icon fetcher set on it. OpenURL waits for the answer
// while the window keeps handling its events; Execute starts a fetch and
// returns at once (StillExecuting tells when it is done).
class TransferControl {
public:
    explicit TransferControl(TransferEngine& engine);
    ~TransferControl();

    void Cancel();

    long RemotePort() const { return m_remotePort; }
    void setRemotePort(long port) { m_remotePort = port; }
    QString Proxy() const { return m_proxy; }
    void setProxy(const QString& proxy) { m_proxy = proxy; }
    QString URL() const { return m_url; }
    void setURL(const QString& url) { m_url = url; }
    // Whole seconds; 0 means half a second, so that no request waits for ever.
    void setRequestTimeout(int seconds) { m_requestTimeoutSeconds = seconds; }
    void setCaFile(const QString& caFile) { m_caFile = caFile; }
    // OpenURL follows redirects to the end of the chain (Execute never does).
    void setFollowRedirects(bool follow) { m_followRedirects = follow; }
    QString caFile() const { return m_caFile; }

    // The status line and headers of the answer, a blank line, then its
    // body. Throws NorvaleError 35761 on a time-out and 35754 when there is
    // no answer; lastOutcome() then tells what had happened.
    QString OpenURL(const QString& url);
    bool StillExecuting() const;
    // Lets the window handle its events until the fetch has ended.
    void waitForAnswer();

    // Starts a fetch of URL() with extra request header lines ("Name:
    // value" lines, each ended by CRLF).
    void Execute(const QString& url, const QString& operation, const QString& data,
                 const QString& requestHeaders);
    QString GetHeader() const;
    QString GetHeader(const QString& name) const;
    // The next bytes of the body, at most size; empty at its end.
    QByteArray GetChunk(int size);

    QString documentText() const;
    const TransferOutcome* lastOutcome() const;

private:
    TransferRequest requestFor(const QString& url) const;

    TransferEngine& m_engine;
    long m_remotePort = 80;
    QString m_proxy;
    QString m_url;
    int m_requestTimeoutSeconds = 0;
    QString m_caFile;
    bool m_followRedirects = false;
    std::unique_ptr<Transfer> m_transfer;
    qsizetype m_chunkPosition = 0;
};

// Bytes of a page as text: UTF-8 when they are valid UTF-8, else the
// Windows code page that older pages use.
QString DecodePageText(const QByteArray& bytes);

} // namespace norvale
