#include "Probe.h"

#include "AnswerReasons.h"
#include "BotChecks.h"
#include "PageReading.h"
#include "platform/Clock.h"
#include "platform/NorvaleError.h"
#include "platform/Transfer.h"
#include "platform/TransferControl.h"
#include "shell/AppSettings.h"

#include <algorithm>
#include <cmath>
#include <QUrl>

namespace norvale {

namespace {

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
    // A user name and password before the host have colons of their own.
    rest = rest.mid(rest.lastIndexOf(QLatin1Char('@')) + 1);
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

// True when the document text holds an answer but no page.
bool hasEmptyPage(const QString& text)
{
    const qsizetype blank = text.indexOf(QLatin1String("\r\n\r\n"));
    const bool hasHeaders = text.startsWith(QLatin1String("HTTP/"));
    if (!hasHeaders)
        return text.isEmpty();
    return blank < 0 || blank + 4 >= text.size();
}

// A redirect on the way went to the domain-parking service: the site's
// owner has given it up.
bool parked(const TransferOutcome& outcome, const QString& parkingHost)
{
    if (parkingHost.isEmpty())
        return false;
    const QByteArray marker = "http://" + parkingHost.toUtf8();
    return std::any_of(outcome.hops.begin(), outcome.hops.end(), [&](const TransferHop& hop) {
        return hop.location.startsWith(marker) && hop.location.contains("&domain=");
    });
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
    LinkResult failed =
        LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("the address's port is no number"));
    if (!target.valid)
        return failed;
    m_control.setRemotePort(target.port);
    m_control.setProxy(target.proxy);
    m_control.setURL(url);
    m_control.setRequestTimeout(target.requestTimeoutSeconds);
    m_control.setFollowRedirects(true);

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
    const bool whole = outcome.result == TransferOutcome::Result::Complete;
    return Settle(outcome, cutMs, whole ? JudgeAnswer(outcome, url) : LinkResult());
}

LinkResult Probe::JudgeAnswer(const TransferOutcome& outcome, const QString& url) const
{
    const bool redirected = outcome.hops.size() > 1;
    // A refresh tag's target is relative to the page that holds it.
    const QString at = redirected && !outcome.finalUrl.isEmpty() ? outcome.finalUrl : url;
    LinkResult result =
        Judge(QString::fromLatin1(outcome.headers) + DecodePageText(outcome.body), at);
    if (outcome.hops.isEmpty() && result.Code == 0)
        result.Code = outcome.httpStatus; // an FTP reply
    if (redirected) {
        result.EndAddress = at;
        result.Hops = int(outcome.hops.size()) - 1;
        result.Permanent =
            std::all_of(outcome.hops.begin(), outcome.hops.end() - 1,
                        [](const TransferHop& hop) { return hop.code == 301 || hop.code == 308; });
    }
    return result;
}

LinkResult Probe::Settle(const TransferOutcome& ending, int cutMs, LinkResult judged) const
{
    if (parked(ending, m_settings.ParkingHost))
        return LinkResult::Of(LinkResult::Dead, ending.hops.first().code,
                              QStringLiteral("parked domain"));
    if (CameWholeInTime(ending, cutMs))
        return judged;
    const bool failedInTime = ending.result == TransferOutcome::Result::Failed &&
                              ending.curlCode != TransferOutcome::kCancelled &&
                              ending.totalUs <= qint64(cutMs) * 1000;
    return failedInTime ? VerdictForFailure(ending) : NoAnswerWithin(cutMs);
}

LinkResult Probe::Judge(const QString& text, const QString& url) const
{
    const bool http = text.startsWith(QLatin1String("HTTP/"));
    const int code = http ? GetStatusCode(text) : 0;
    const QString title = CleanTitle(FindTitle(text));
    if (http && (code < 200 || code >= 300)) {
        LinkResult result = VerdictForStatus(code);
        // A page that is only a redirect's or an error's says nothing.
        if (code / 100 == 3 && !hasEmptyPage(text))
            result = LinkResult::Of(LinkResult::Alive, code, StatusText(code));
        if (IsBotCheck(code, text, title))
            result =
                LinkResult::Of(LinkResult::NoAnswer, code,
                               QStringLiteral("blocked by a bot check: open it in your browser"),
                               Trouble::BotCheck);
        result.Title = title;
        result.RetryAfterSeconds =
            RetryAfterSeconds(text, [this] { return m_clock.now().toUTC(); }).value_or(-1);
        return result;
    }
    if (hasEmptyPage(text))
        return LinkResult::Of(LinkResult::Dead, code, QStringLiteral("empty page"));
    if (IsErrorTitle(title)) {
        LinkResult result = LinkResult::Of(LinkResult::Dead, code,
                                           QStringLiteral("error page: \u201c%1\u201d").arg(title));
        result.Title = title;
        return result;
    }
    LinkResult result = LinkResult::Of(LinkResult::Alive, code,
                                       http ? StatusText(code) : QStringLiteral("file found"));
    result.Redirect = RefreshTarget(text, url);
    const std::optional<QDateTime> dated = PageDate(text);
    result.PageDated = dated.has_value();
    result.LastModified = dated.value_or(QDateTime());
    result.Title = title;
    result.SuspectTitle = MentionsError(title);
    result.Successful = true;
    return result;
}

} // namespace norvale
