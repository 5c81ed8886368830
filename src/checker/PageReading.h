#pragma once

#include "PageTitles.h"

#include <optional>
#include <QDateTime>
#include <QString>

namespace norvale {

// Reading a fetched document text: the status line and headers of the
// answer, a blank line, then the page.

// The number at characters 10 to 12 (the code of "HTTP/1.1 302 Found"),
// 0 when they are not a number.
int GetStatusCode(const QString& text);

// Where the answer sends its visitors: the "Location:" header of a redirect,
// else a refresh tag's URL, else "". A relative target is resolved against
// url, the address that was asked for, as a browser resolves it.
QString GetRedirect(const QString& text, const QString& url);

// The "Last-Modified" date (GMT, held as wall-clock time with a UTC time
// zone), or now when the text has none that reads as a date.
QDateTime CheckDate(const QString& text, const QDateTime& now);
// The "Last-Modified" date alone, when the text has one that reads as a date.
std::optional<QDateTime> PageDate(const QString& text);

// The text between "<TITLE>" and "</TITLE>" (any letter case), "" when
// either is missing or they stand the wrong way round; PageTitles.h reads it.
QString FindTitle(const QString& text);

} // namespace norvale
