#pragma once

#include <QString>

namespace norvale {

// An http, https, ftp or ftps address with a host, in any letter case: the
// only kind a favorite holds, a check fetches, a redirect may write into a
// favorite, an icon is fetched from, a report links to and an import keeps.
bool IsWebAddress(const QString& url);

} // namespace norvale
