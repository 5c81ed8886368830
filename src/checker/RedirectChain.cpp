#include "RedirectChain.h"

#include "favorites/WebAddress.h"
#include "PageTitles.h"
#include "platform/Transfer.h"
#include "Probe.h"

#include <QRandomGenerator>
#include <QSet>
#include <QUrl>

namespace norvale {

namespace {

// A site that serves its error page with success answers an address that
// cannot exist with the same title as the favorite's page: then that page
// is the error page. Anything else (another title, a redirect elsewhere, an
// honest 404, no answer) leaves the page alive.
bool servesErrorPageWithSuccess(const QString& at, const LinkResult& page, int timeoutMs,
                                const ProbeFunction& probe)
{
    const LinkResult other = probe(AddressThatCannotExist(at), timeoutMs);
    return other.Successful && other.Hops == 0 && other.Title == page.Title;
}

QString whereItWent(const LinkResult& result)
{
    if (result.Status == LinkResult::Alive)
        return result.Permanent
                   ? QStringLiteral("moved permanently to %1").arg(result.EndAddress)
                   : QStringLiteral("redirected to %1 (temporary)").arg(result.EndAddress);
    return QStringLiteral("%1 after a redirect to %2").arg(result.Reason, result.EndAddress);
}

} // namespace

QString AddressThatCannotExist(const QString& url)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString path = QStringLiteral("/");
    for (int i = 0; i < 24; ++i)
        path += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(36)]);
    QUrl address(url, QUrl::TolerantMode);
    address.setPath(path);
    address.setQuery(QString());
    address.setFragment(QString());
    return address.toString(QUrl::FullyEncoded);
}

LinkResult FollowToTheEnd(const QString& url, int timeoutMs, const ProbeFunction& probe)
{
    LinkResult result = probe(url, timeoutMs);
    QString at = result.EndAddress.isEmpty() ? url : result.EndAddress;
    int hops = result.Hops;
    bool permanent = result.Permanent;
    QSet<QString> seen{url, at};
    // A refresh tag is one more step, and a permanent one.
    QString broken; // why the chain leads nowhere a browser goes
    while (result.Status == LinkResult::Alive && !result.Redirect.isEmpty()) {
        const QString target = result.Redirect;
        if (!IsWebAddress(target)) {
            broken = QStringLiteral("redirect to an address a browser will not open");
            break;
        }
        if (++hops > kMostRedirects || seen.contains(target)) {
            broken = QStringLiteral("redirect loop");
            break;
        }
        seen.insert(target);
        result = probe(target, timeoutMs);
        hops += result.Hops;
        permanent = permanent && result.Permanent;
        at = result.EndAddress.isEmpty() ? target : result.EndAddress;
    }
    if (broken.isEmpty() && hops > kMostRedirects) // the last page's own redirects
        broken = QStringLiteral("redirect loop");
    if (!broken.isEmpty()) {
        result = LinkResult::Of(LinkResult::NoAnswer, 0, broken);
        at = url;
    }
    result.Redirect.clear();
    result.Hops = hops;
    result.Permanent = permanent;
    result.EndAddress = at == url ? QString() : at;
    if (result.Status == LinkResult::Alive && result.Successful && result.SuspectTitle &&
        servesErrorPageWithSuccess(at, result, timeoutMs, probe)) {
        result.Status = LinkResult::Dead;
        result.Successful = false;
        result.Reason = QStringLiteral("error page served with success");
    }
    if (!result.EndAddress.isEmpty())
        result.Reason = whereItWent(result);
    return result;
}

bool MovedForGood(const LinkResult& result)
{
    return !result.EndAddress.isEmpty() && result.Permanent && result.Status == LinkResult::Alive &&
           IsWebAddress(result.EndAddress);
}

bool TitleMayRename(const LinkResult& result, const QString& name, bool addressUpdated)
{
    const bool atItsAddress = result.EndAddress.isEmpty() || addressUpdated;
    return !result.Title.isEmpty() && result.Title != name && result.Status == LinkResult::Alive &&
           result.Successful && atItsAddress && !IsChallengeTitle(result.Title);
}

} // namespace norvale
