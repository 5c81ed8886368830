#pragma once

#include <QString>

namespace norvale {

// True when an answer refused with 403, 429 or 503 is a bot check put in
// front of the page (a challenge a browser's user passes, a program never):
// the page may well be alive, and only the user's browser can tell.
// text: the answer's status line and headers, a blank line, the page;
// title: the page's cleaned title.
bool IsBotCheck(int code, const QString& text, const QString& title);

} // namespace norvale
