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

// An address on url's site that no page has: a random path.
QString AddressThatCannotExist(const QString& url);

} // namespace norvale
