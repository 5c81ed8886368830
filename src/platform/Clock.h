#pragma once

#include <QDateTime>

namespace norvale {

// The system's time-zone information, in minutes, with the convention
// GMT = local time + bias.
struct TimeZoneInfo {
    int bias = 0;
    int standardBias = 0;
    int daylightBias = 0;
    bool daylightInEffect = false;
};

// The current local time and time zone; tests set both.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual TimeZoneInfo timeZone() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    TimeZoneInfo timeZone() const override;
};

} // namespace norvale
