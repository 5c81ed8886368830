#include "Clock.h"

#include <QTimeZone>

namespace norvale {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

TimeZoneInfo SystemClock::timeZone() const
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime current = QDateTime::currentDateTimeUtc();
    TimeZoneInfo info;
    info.bias = -zone.standardTimeOffset(current) / 60;
    info.standardBias = 0;
    info.daylightInEffect = zone.isDaylightTime(current);
    info.daylightBias = info.daylightInEffect ? -zone.daylightTimeOffset(current) / 60 : -60;
    if (!zone.hasDaylightTime())
        info.daylightBias = 0;
    return info;
}

} // namespace norvale
