// The time zone that the C library's local time follows.
#pragma once

namespace tellwick {

// Leaves the C library's local time to the system's time zone when TZ holds a
// zone the Windows C library cannot read (Wine passes the Unix TZ on, e.g.
// "Asia/Tokyo", which it would take as UTC); the system time zone already
// follows that same zone there.
void use_system_time_zone();

}  // namespace tellwick
