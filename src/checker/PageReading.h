#pragma once

#include "PageTitles.h"

#include <functional>
#include <optional>
#include <QDateTime>
#include <QString>

namespace norvale {

// Reading a fetched document text: the status line and headers of the
// answer, a blank line, then the page.

// The number at characters 10 to 12 (the code of "HTTP/1.1 302 Found"),
// 0 when they are not a number.
int GetStatusCode(const QString& text);

// Where the page's refresh tag sends its visitors, resolved against url
// (the address the page came from) as a browser resolves it; "" when it has
// none, or refreshes itself.
QString RefreshTarget(const QString& text, const QString& url);

// The "Last-Modified" date (GMT, held with a UTC time zone), when the text
// has one that reads as a date.
std::optional<QDateTime> PageDate(const QString& text);

// The value of the answer's first header of that name (any letter case),
// trimmed; "" when it has none.
QString HeaderValue(const QString& text, QLatin1StringView name);

// The wait in seconds a "Retry-After" header asks for: a number of seconds
// or a date (counted from nowUtc(), asked only then; never below 0). None when the header is
// absent or reads as neither.
std::optional<int> RetryAfterSeconds(const QString& text, const std::function<QDateTime()>& nowUtc);

// The text between "<TITLE>" and "</TITLE>" (any letter case), "" when
// either is missing or they stand the wrong way round; PageTitles.h reads it.
QString FindTitle(const QString& text);

} // namespace norvale
