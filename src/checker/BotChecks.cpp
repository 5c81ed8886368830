#include "BotChecks.h"

#include "PageReading.h"

#include <algorithm>

namespace norvale {

namespace {

// What marks one service's bot check. Every field that is not empty must
// match: the header's value holds valueHas, the title starts with
// titleStarts (both in any letter case).
struct BotCheckSignature {
    const char* header;
    const char* valueHas;
    const char* titleStarts;
};

// A new service's check is one more line.
constexpr BotCheckSignature kBotChecks[] = {
    // Cloudflare's managed challenge names itself in a header of its own.
    {"cf-mitigated", "challenge", ""},
    // Cloudflare's JavaScript challenge page.
    {"server", "cloudflare", "Just a moment"},
    // Cloudflare's older captcha and block page.
    {"server", "cloudflare", "Attention Required!"},
    // DDoS-Guard's browser check.
    {"server", "ddos-guard", "DDoS-Guard"},
    // Sucuri's website firewall in front of a site.
    {"server", "Sucuri/Cloudproxy", "Sucuri WebSite Firewall"},
};

bool matches(const BotCheckSignature& signature, const QString& text, const QString& title)
{
    const QString value = HeaderValue(text, QLatin1StringView(signature.header));
    return !value.isEmpty() &&
           value.contains(QLatin1StringView(signature.valueHas), Qt::CaseInsensitive) &&
           title.startsWith(QLatin1StringView(signature.titleStarts), Qt::CaseInsensitive);
}

} // namespace

bool IsBotCheck(int code, const QString& text, const QString& title)
{
    if (code != 403 && code != 429 && code != 503)
        return false;
    return std::ranges::any_of(kBotChecks, [&](const BotCheckSignature& signature) {
        return matches(signature, text, title);
    });
}

} // namespace norvale
