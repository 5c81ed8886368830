#include "TransferControl.h"

#include "NorvaleError.h"
#include "TextDecoding.h"
#include "TransferEngine.h"

namespace norvale {

QString DecodePageText(const QByteArray& bytes)
{
    return DecodeUtf8OrWindows1252(bytes);
}

TransferControl::TransferControl(TransferEngine& engine)
    : m_engine(engine)
{}

TransferControl::~TransferControl() = default;

void TransferControl::Cancel()
{
    m_transfer.reset();
    m_chunkPosition = 0;
}

TransferRequest TransferControl::requestFor(const QString& url) const
{
    TransferRequest request;
    request.url = url;
    request.port = m_remotePort;
    request.proxy = m_proxy;
    request.timeoutMs = m_requestTimeoutSeconds > 0 ? m_requestTimeoutSeconds * 1000 : 500;
    request.caFile = m_caFile;
    request.followRedirects = m_followRedirects;
    return request;
}

void TransferControl::waitForAnswer()
{
    m_engine.waitUntil([this] { return !StillExecuting(); });
}

QString TransferControl::OpenURL(const QString& url)
{
    Cancel();
    m_transfer = std::make_unique<Transfer>(requestFor(url));
    m_transfer->start(m_engine);
    waitForAnswer();
    const TransferOutcome& outcome = m_transfer->outcome();
    switch (outcome.result) {
    case TransferOutcome::Result::Complete:
    case TransferOutcome::Result::Running:
        break;
    case TransferOutcome::Result::TimedOut:
        throw NorvaleError(ErrorNumber::TransferTimedOut,
                           QStringLiteral("Request timed out: ") + outcome.error,
                           QStringLiteral("TransferControl"));
    case TransferOutcome::Result::Failed:
        throw NorvaleError(ErrorNumber::TransferFailed, outcome.error,
                           QStringLiteral("TransferControl"));
    }
    return documentText();
}

bool TransferControl::StillExecuting() const
{
    return m_transfer && !m_transfer->done();
}

void TransferControl::Execute(const QString& url, const QString& operation, const QString& data,
                              const QString& requestHeaders)
{
    Q_UNUSED(operation); // only GET is ever asked for
    Q_UNUSED(data);
    Cancel();
    TransferRequest request = requestFor(url.isEmpty() ? m_url : url);
    request.acceptCompressed = false; // a download is judged by its Content-Length
    request.followRedirects = false;
    for (const QString& line : requestHeaders.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        request.headers.append(line.toUtf8());
    m_transfer = std::make_unique<Transfer>(request);
    m_transfer->start(m_engine);
}

QString TransferControl::GetHeader() const
{
    return m_transfer ? QString::fromLatin1(m_transfer->outcome().headers) : QString();
}

QString TransferControl::GetHeader(const QString& name) const
{
    if (!m_transfer)
        return QString();
    const QList<QByteArray> lines = m_transfer->outcome().headers.split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 &&
            QString::fromLatin1(line.left(colon)).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(line.mid(colon + 1)).trimmed();
    }
    return QString();
}

QByteArray TransferControl::GetChunk(int size)
{
    if (!m_transfer)
        return QByteArray();
    const QByteArray& body = m_transfer->outcome().body;
    QByteArray chunk = body.mid(m_chunkPosition, size);
    m_chunkPosition += chunk.size();
    return chunk;
}

QString TransferControl::documentText() const
{
    if (!m_transfer)
        return QString();
    const TransferOutcome& outcome = m_transfer->outcome();
    return QString::fromLatin1(outcome.headers) + DecodePageText(outcome.body);
}

const TransferOutcome* TransferControl::lastOutcome() const
{
    return m_transfer ? &m_transfer->outcome() : nullptr;
}

} // namespace norvale
