#pragma once

#include <QDateTime>

namespace norvale {

class Clock;
struct TimeZoneInfo;

// Local date and time to GMT with the zone's bias; the daylight-saving state
// is the one in effect now, not at localTime. The result is marked UTC.
QDateTime LocalToGmt(const QDateTime& localTime, const TimeZoneInfo& zone);
QDateTime LocalToGmt(const QDateTime& localTime, const Clock& clock);

} // namespace norvale
