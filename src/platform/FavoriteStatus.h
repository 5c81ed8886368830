#pragma once

#include <QString>

namespace norvale {

// The six status lights a favorite shows.
enum class Light {
    Unchecked,
    Dead,
    Warning, // no answer
    Alive,
    Gray, // not checked: bypassed
    New,  // alive, and changed since the last run
};
inline constexpr Light kLights[] = {Light::Unchecked, Light::Dead, Light::Warning,
                                    Light::Alive,     Light::Gray, Light::New};

// What the last check of a favorite concluded, as its tree node keeps it:
// the light, the status code of the answer that decided (0 when there was
// none), and a short reason a user understands ("404 Not Found", "host not
// found"). The picture a view shows is derived from the light.
struct FavoriteStatus {
    Light light = Light::Unchecked;
    int code = 0;
    QString reason;

    bool operator==(const FavoriteStatus&) const = default;
};

} // namespace norvale
