#include "PageReading.h"

#include <algorithm>
#include <climits>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>

namespace norvale {

namespace {

// A redirect target as a browser follows it: a relative one is resolved
// against the address that was asked for ("/new" on "http://h/old" is
// "http://h/new"); one with a scheme of its own stands as it is.
QString resolved(const QString& target, const QString& url)
{
    QString trimmed = target.trimmed();
    if (trimmed.isEmpty())
        return QString();
    const QUrl reference(trimmed);
    if (!reference.isRelative())
        return trimmed;
    const QUrl base(url);
    if (!base.isValid() || base.isRelative())
        return QString();
    return base.resolved(reference).toString(QUrl::FullyEncoded);
}

QString refreshValueTarget(const QString& text)
{
    const qsizetype tag =
        text.indexOf(QLatin1String("<META HTTP-EQUIV=\"REFRESH\""), 0, Qt::CaseInsensitive);
    if (tag < 0)
        return QString();
    const qsizetype tagEnd = text.indexOf(QLatin1Char('>'), tag);
    if (tagEnd < 0)
        return QString();
    const QString inside = text.mid(tag, tagEnd - tag);
    const qsizetype url = inside.indexOf(QLatin1String("URL="), 0, Qt::CaseInsensitive);
    if (url < 0)
        return QString();
    const qsizetype quote = inside.indexOf(QLatin1Char('"'), url);
    if (quote < 0)
        return QString();
    // An attribute's "&" is written "&amp;" in a well-made page.
    return inside.mid(url + 4, quote - url - 4).replace(QLatin1String("&amp;"), QLatin1String("&"));
}

} // namespace

int GetStatusCode(const QString& text)
{
    bool ok = false;
    const int code = text.mid(9, 3).trimmed().toInt(&ok);
    return ok ? code : 0;
}

QString RefreshTarget(const QString& text, const QString& url)
{
    const QString target = resolved(refreshValueTarget(text), url);
    // A page that refreshes itself goes nowhere.
    return target == url ? QString() : target;
}

std::optional<QDateTime> PageDate(const QString& text)
{
    const qsizetype header = text.indexOf(QLatin1String("Last-Modified"), 0, Qt::CaseInsensitive);
    if (header < 0 || text.indexOf(QLatin1String("GMT"), header, Qt::CaseInsensitive) < 0)
        return std::nullopt;
    // "21 Oct 2015 07:28:00" after the day's name. The date and the time are
    // read apart: a date and time read together are taken as local time,
    // which costs a look at the system's time zone for every page.
    const QStringList parts = text.mid(header + 20, 20).trimmed().split(QLatin1Char(' '));
    if (parts.size() != 4)
        return std::nullopt;
    const QDate date =
        QLocale::c().toDate(parts.mid(0, 3).join(QLatin1Char(' ')), QStringLiteral("d MMM yyyy"));
    const QTime time = QTime::fromString(parts[3], QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, QTimeZone::utc());
}

QString HeaderValue(const QString& text, QLatin1StringView name)
{
    // The status line comes first; the headers end at the first empty line.
    qsizetype start = text.indexOf(QLatin1Char('\n')) + 1;
    while (start > 0 && start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(start, end - start).trimmed();
        if (line.isEmpty())
            break;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed().toString();
        start = end + 1;
    }
    return QString();
}

std::optional<int> RetryAfterSeconds(const QString& text, const std::function<QDateTime()>& nowUtc)
{
    const QString value = HeaderValue(text, QLatin1StringView("Retry-After"));
    if (value.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const qint64 seconds = value.toLongLong(&isNumber);
    if (isNumber)
        return seconds < 0 ? std::nullopt
                           : std::optional<int>(int(std::min<qint64>(seconds, INT_MAX)));
    // An HTTP date, always in GMT: "Wed, 21 Oct 2015 07:28:00 GMT".
    const QDateTime stamp =
        QLocale::c().toDateTime(value, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!stamp.isValid())
        return std::nullopt;
    const QDateTime when(stamp.date(), stamp.time(), QTimeZone::utc());
    return int(std::clamp<qint64>(nowUtc().secsTo(when), 0, INT_MAX));
}

QString FindTitle(const QString& text)
{
    const qsizetype open = text.indexOf(QLatin1String("<TITLE>"), 0, Qt::CaseInsensitive);
    const qsizetype close = text.indexOf(QLatin1String("</TITLE>"), 0, Qt::CaseInsensitive);
    if (open < 0 || close < open + 7)
        return QString();
    return text.mid(open + 7, close - open - 7);
}

} // namespace norvale
