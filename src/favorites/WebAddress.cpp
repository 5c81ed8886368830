#include "WebAddress.h"

#include <algorithm>
#include <QUrl>

namespace norvale {

namespace {

// Every scheme a favorite may hold; a new one is one line.
const QLatin1StringView kWebSchemes[] = {
    QLatin1StringView("http"),
    QLatin1StringView("https"),
    QLatin1StringView("ftp"),
    QLatin1StringView("ftps"),
};

} // namespace

bool IsWebAddress(const QString& url)
{
    const qsizetype separator = url.indexOf(QLatin1String("://"));
    if (separator <= 0)
        return false;
    const QStringView scheme = QStringView(url).left(separator);
    const bool known = std::ranges::any_of(kWebSchemes, [&](QLatin1StringView name) {
        return scheme.compare(name, Qt::CaseInsensitive) == 0;
    });
    return known && !QUrl(url, QUrl::TolerantMode).host().isEmpty();
}

} // namespace norvale
