// Random squares for the deal from the operating system's random source, or a test's.
#include "platform/random_source.h"

#include <errno.h>
#include <stdlib.h>

#include "platform/error_report.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

#ifdef _WIN32
bool os_random_bytes(uint8_t *out, size_t size)
{
    while (size > 0) {
        ULONG piece = size > 0x40000000 ? 0x40000000 : (ULONG)size;
        if (!BCRYPT_SUCCESS(BCryptGenRandom(NULL, out, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            return false;
        out += piece;
        size -= piece;
    }
    return true;
}
#else
bool os_random_bytes(uint8_t *out, size_t size)
{
    // getrandom may return fewer bytes than asked, or be interrupted by a signal.
    while (size > 0) {
        ssize_t n = getrandom(out, size, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        out += n;
        size -= (size_t)n;
    }
    return true;
}
#endif

static RandomBytes random_bytes = os_random_bytes;

void set_random_bytes(RandomBytes source)
{
    random_bytes = source ? source : os_random_bytes;
}

int random_below(int n)
{
    int limit = 256 - 256 % n;  // the largest multiple of n that a byte can reach
    for (;;) {
        uint8_t drawn;
        if (!random_bytes(&drawn, 1)) {
            report_error("the system's random source failed; the board cannot be dealt fairly");
            exit(1);
        }
        if (drawn < limit)
            return drawn % n;
    }
}
