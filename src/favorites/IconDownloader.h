#pragma once

#include <QString>

namespace norvale {

// Fetches a favorite's site icon into the program's Icons folder. The real
// one lives with the checker; the shortcut files only need to ask.
class IconDownloader {
public:
    virtual ~IconDownloader() = default;
    // The downloaded file's full path, or "" when nothing usable came.
    virtual QString DownloadIcon(const QString& iconAddress) = 0;
};

} // namespace norvale
