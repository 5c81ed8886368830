#pragma once

#include "LinkResult.h"

#include <functional>
#include <QString>

namespace norvale {

// Fetches and judges one address, following the HTTP redirects of its
// answer (Probe::CheckLink, or a verdict fetched ahead of its turn).
using ProbeFunction = std::function<LinkResult(const QString& url, int timeoutMs)>;

// What a browser's user finds at url: the verdict on the page where the
// chain of redirects and refresh tags ends (at most kMostRedirects steps;
// a longer chain or a loop is no answer), after a second look at a live page
// whose title mentions an error. EndAddress, Hops and Permanent describe the
// whole chain, and the reason says where it went.
LinkResult FollowToTheEnd(const QString& url, int timeoutMs, const ProbeFunction& probe);

// Only a permanent move (every redirect 301 or 308, or a refresh tag) to a
// live page may change a favorite's address: a temporary one (a bounce to
// a login page) or one to a dead or silent end never does.
bool MovedForGood(const LinkResult& result);

// Only the title of a live page that answered with success at the
// favorite's address (as it stands after the check) may replace the name
// its owner gave it: never an error page's, a login page's, a bot check's,
// nor that of a page a temporary redirect led to.
bool TitleMayRename(const LinkResult& result, const QString& name, bool addressUpdated);

// An address on url's site that no page has: a random path.
QString AddressThatCannotExist(const QString& url);

} // namespace norvale
