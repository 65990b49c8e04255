// Local time with its offset from UTC, as the records write it.
#pragma once

#include <time.h>

#include <string>

// ISO 8601 local time with offset, to the second: "2026-12-09T10:11:12+01:00".
// Empty if the C library cannot convert the time.
std::string local_time_iso(time_t when);

// The local calendar time of `when`, thread-safe on every platform; false on failure.
bool local_calendar_time(time_t when, struct tm *out);
