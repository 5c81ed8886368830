#pragma once

#include <QString>

namespace norvale {

// Hands an address to the desktop's default handler (the browser, mostly).
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QString& address) = 0;
};

} // namespace norvale
