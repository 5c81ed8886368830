#pragma once

#include <QString>

namespace norvale {

// Reading a page's <title> text as a browser's user reads it.

// The title as document.title gives it: every character reference decoded
// in one pass (named ones of HTML5 only with their ";", numeric ones with
// the browsers' Windows code page reading of 128 to 159 and U+FFFD for
// numbers no character has), then white space, no-break spaces included,
// collapsed to single spaces and trimmed.
QString CleanTitle(const QString& title);

// True for a title that is nothing but an error ("404 Not Found", "Page not
// found | Example"), with at most a site's name beside it.
bool IsErrorTitle(const QString& title);

// True when the title holds "error" or "not found" in any letter case: a
// hint worth checking, not yet a judgement.
bool MentionsError(const QString& title);

// True for the title of a bot check, challenge, sign-in or other page put in
// front of the one asked for ("Just a moment...", "Sign in to GitHub"), which
// must never become a favorite's name.
bool IsChallengeTitle(const QString& title);

} // namespace norvale
