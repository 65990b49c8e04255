// Messages for the operator on standard error and, dated, in the errors file.
#include "platform/error_report.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <time.h>

#include <string>

#include "platform/durable_file.h"
#include "platform/local_time.h"

const char *const errors_file_name = "tabellone-errori.txt";

void report_error(const char *format, ...)
{
    // A fixed buffer: reporting must not fail for want of memory; longer messages are cut.
    int caller_errno = errno;  // callers read errno after reporting
    char message[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    fprintf(stderr, "tabellone: %s\n", message);
    fflush(stderr);

    struct tm now = {};
    char line[sizeof message + 32];
    // A clock the library cannot read leaves zeros, keeping the shape of the line.
    int n = local_calendar_time(time(NULL), &now)
                ? snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d %s\r\n", now.tm_year + 1900,
                           now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec, message)
                : snprintf(line, sizeof line, "0000-00-00 00:00:00 %s\r\n", message);
    // The file is best effort: its own failure has nowhere else to go.
    AppendPoint point;
    if (n > 0 && find_append_point(errors_file_name, &point))
        append_at_durably(errors_file_name, point.size,
                          point.line_break + std::string(line, (size_t)n < sizeof line ? (size_t)n : sizeof line - 1));
    errno = caller_errno;
}
