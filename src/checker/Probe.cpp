#include "Probe.h"

#include "PageReading.h"
#include "platform/Clock.h"
#include "platform/NorvaleError.h"
#include "platform/Transfer.h"
#include "platform/TransferControl.h"
#include "shell/AppSettings.h"

#include <cmath>

namespace norvale {

namespace {

// The two status lines that say outright that the page is dead.
constexpr int kHttpNotFound = 404;
constexpr int kHttpGone = 410;

struct Scheme {
    const char* prefix;
    long defaultPort;
};

// Matched exactly: an address written in capitals gets port 80.
const Scheme kSchemes[] = {
    {"https://", 443},
    {"ftps://", 990},
    {"http://", 80},
    {"ftp://", 21},
};

const Scheme* schemeOf(const QString& url)
{
    const qsizetype slashes = url.indexOf(QLatin1String("//"));
    if (slashes < 0)
        return nullptr;
    const QString prefix = url.left(slashes + 2);
    for (const Scheme& scheme : kSchemes) {
        if (prefix == QLatin1String(scheme.prefix))
            return &scheme;
    }
    return nullptr;
}

// The port written in the address's host part: absent (0), a number, or
// not a number (-1). A colon further on, in the path or query, is no port.
long writtenPort(const QString& url)
{
    const qsizetype slashes = url.indexOf(QLatin1String("//"));
    QString rest = slashes >= 0 ? url.mid(slashes + 2) : url.mid(1);
    rest = rest.left(rest.indexOf(QLatin1Char('/')));
    // An IPv6 address in brackets has colons of its own.
    const qsizetype bracket =
        rest.startsWith(QLatin1Char('[')) ? rest.indexOf(QLatin1Char(']')) : -1;
    const qsizetype colon = rest.indexOf(QLatin1Char(':'), std::max<qsizetype>(bracket, 0));
    if (colon < 0)
        return 0;
    bool ok = false;
    const double number = rest.mid(colon + 1).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < 0 || number > 65535)
        return -1;
    return long(number);
}

// Whole seconds, a half going to the even neighbour: 500 ms gives 0,
// 1500 ms gives 2, 2500 ms gives 2.
int wholeSeconds(int milliseconds)
{
    return int(std::nearbyint(milliseconds / 1000.0));
}

// A page that came with a success answer: a 2xx status line, or any answer
// of a protocol without one (FTP).
bool answeredWithSuccess(const QString& text)
{
    if (!text.startsWith(QLatin1String("HTTP/")))
        return !text.isEmpty();
    const int code = GetStatusCode(text);
    return code >= 200 && code < 300;
}

bool isRedirectWithLocation(const QString& text)
{
    const int code = GetStatusCode(text);
    return code >= 300 && code < 400 &&
           (text.startsWith(QLatin1String("Location:"), Qt::CaseInsensitive) ||
            text.contains(QLatin1String("\nLocation:"), Qt::CaseInsensitive));
}

// True when the document text holds an answer but no page.
bool hasEmptyPage(const QString& text)
{
    const qsizetype blank = text.indexOf(QLatin1String("\r\n\r\n"));
    const bool hasHeaders = text.startsWith(QLatin1String("HTTP/"));
    if (!hasHeaders)
        return text.isEmpty();
    return blank < 0 || blank + 4 >= text.size();
}

} // namespace

int EffectiveCutMs(int timeoutMs)
{
    const int seconds = wholeSeconds(timeoutMs);
    return seconds > 0 ? seconds * 1000 : 500;
}

Probe::Probe(TransferControl& control, const AppSettings& settings, const Clock& clock)
    : m_control(control)
    , m_settings(settings)
    , m_clock(clock)
{}

bool Probe::IsWebAddress(const QString& url)
{
    for (const char* scheme : {"http://", "https://", "ftp://", "ftps://"}) {
        if (url.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

ProbeTarget Probe::TargetFor(const QString& url, int timeoutMs, const AppSettings& settings)
{
    ProbeTarget target;
    const Scheme* scheme = schemeOf(url);
    const long port = writtenPort(url);
    target.valid = port >= 0;
    target.port = port > 0 ? port : scheme ? scheme->defaultPort : 80;
    if (settings.ProxyMode != ProxyMode::None && !settings.ProxyServer.trimmed().isEmpty())
        target.proxy = settings.ProxyServer + QLatin1Char(':') + settings.ProxyPort;
    target.requestTimeoutSeconds = wholeSeconds(timeoutMs);
    return target;
}

LinkResult Probe::CheckLink(const QString& url, int timeoutMs)
{
    m_control.Cancel();
    const ProbeTarget target = TargetFor(url, timeoutMs, m_settings);
    LinkResult failed;
    failed.Status = LinkResult::NoAnswer;
    if (!target.valid)
        return failed;
    m_control.setRemotePort(target.port);
    m_control.setProxy(target.proxy);
    m_control.setURL(url);
    m_control.setRequestTimeout(target.requestTimeoutSeconds);

    try {
        m_control.OpenURL(url);
    } catch (const NorvaleError&) {
        // A time-out or a failure: the outcome says which, and the verdict
        // is the same for both.
    }
    const TransferOutcome* outcome = m_control.lastOutcome();
    return outcome ? Verdict(*outcome, EffectiveCutMs(timeoutMs), url) : failed;
}

bool Probe::CameWholeInTime(const TransferOutcome& outcome, int cutMs)
{
    return outcome.result == TransferOutcome::Result::Complete &&
           outcome.totalUs <= qint64(cutMs) * 1000;
}

LinkResult Probe::Verdict(const TransferOutcome& outcome, int cutMs, const QString& url) const
{
    if (!CameWholeInTime(outcome, cutMs)) {
        LinkResult noAnswer;
        noAnswer.Status = LinkResult::NoAnswer;
        return noAnswer;
    }
    return Judge(QString::fromLatin1(outcome.headers) + DecodePageText(outcome.body), url);
}

LinkResult Probe::Judge(const QString& text, const QString& url) const
{
    LinkResult result;
    if (hasEmptyPage(text) && !isRedirectWithLocation(text)) {
        result.Status = LinkResult::Dead;
        return result;
    }
    result.Status = LinkResult::Alive;

    const QString parkingMarker = QStringLiteral("Location: http://") + m_settings.ParkingHost;
    if (text.contains(QLatin1String("&domain=")) && !m_settings.ParkingHost.isEmpty() &&
        text.contains(parkingMarker)) {
        result.Status = LinkResult::Dead;
        return result;
    }

    const QString rawTitle = FindTitle(text);
    const int code = GetStatusCode(text);
    if (code == kHttpNotFound || code == kHttpGone) {
        result.Status = code == kHttpGone ? LinkResult::Gone : LinkResult::Dead;
        result.Title = rawTitle;
        return result;
    }
    if (IsErrorTitle(rawTitle)) {
        result.Status = LinkResult::Dead;
        result.Title = rawTitle;
        return result;
    }
    result.Redirect = GetRedirect(text, url);
    result.LastModified = CheckDate(text, m_clock.now());
    result.PageDated = PageDate(text).has_value();
    result.Title = CleanTitle(rawTitle);
    result.Successful = answeredWithSuccess(text);
    return result;
}

} // namespace norvale
