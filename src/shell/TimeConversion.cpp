#include "TimeConversion.h"

#include "platform/Clock.h"

#include <QTimeZone>

namespace norvale {

QDateTime LocalToGmt(const QDateTime& localTime, const TimeZoneInfo& zone)
{
    const int totalBias =
        zone.bias + (zone.daylightInEffect ? zone.daylightBias : zone.standardBias);
    // The wall-clock fields are taken as they are and shifted by the bias.
    const QDateTime wallClock(localTime.date(), localTime.time(), QTimeZone::utc());
    return wallClock.addSecs(qint64(totalBias) * 60);
}

QDateTime LocalToGmt(const QDateTime& localTime, const Clock& clock)
{
    return LocalToGmt(localTime, clock.timeZone());
}

} // namespace norvale
