// Local time with its UTC offset, computed from the broken-down times because
// the Windows C library's strftime %z gives a zone name, not a number.
#include "platform/local_time.h"

#include <stdio.h>

static bool utc_calendar_time(time_t when, struct tm *out)
{
#ifdef _WIN32
    return gmtime_s(out, &when) == 0;
#else
    return gmtime_r(&when, out) != nullptr;
#endif
}

bool local_calendar_time(time_t when, struct tm *out)
{
#ifdef _WIN32
    return localtime_s(out, &when) == 0;
#else
    return localtime_r(&when, out) != nullptr;
#endif
}

std::string local_time_iso(time_t when)
{
    struct tm local = {}, utc = {};
    if (!local_calendar_time(when, &local) || !utc_calendar_time(when, &utc))
        return "";
    // Offsets are under a day, so the two dates differ by at most one day,
    // across a year's end when the years differ.
    int days = local.tm_year != utc.tm_year ? (local.tm_year > utc.tm_year ? 1 : -1) : local.tm_yday - utc.tm_yday;
    long offset = days * 86400L + (local.tm_hour - utc.tm_hour) * 3600L + (local.tm_min - utc.tm_min) * 60L +
                  (local.tm_sec - utc.tm_sec);
    char sign = offset < 0 ? '-' : '+';
    long minutes = (offset < 0 ? -offset : offset) / 60;
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.tm_year + 1900, local.tm_mon + 1,
             local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, sign, minutes / 60, minutes % 60);
    return text;
}
