// The time a screen has been left alone: every key, mouse move and button is
// counted as the library's input handlers see it, and the idle object of a
// dialog asks how long ago the count last changed.
#include <stdlib.h>

#include <atomic>
#include <chrono>

#include "shell/screens.h"

typedef std::chrono::steady_clock Clock;

// Written by the library's input handlers (a thread of their own on X11 and
// on Windows), read by the dialog's idle object.
static std::atomic<unsigned> inputs_seen(0);

static void count_key(int)
{
    inputs_seen.fetch_add(1, std::memory_order_relaxed);
}

static void count_mouse(int)
{
    inputs_seen.fetch_add(1, std::memory_order_relaxed);
}

void watch_input()
{
    // Below the dialogs, which use neither hook: a key an edit field takes
    // counts as much as one nobody takes, a press as much as a release.
    keyboard_lowlevel_callback = count_key;
    mouse_callback = count_mouse;
}

static unsigned inputs_at_last_look;
static Clock::time_point last_input;

void restart_left_alone()
{
    inputs_at_last_look = inputs_seen.load(std::memory_order_relaxed);
    last_input = Clock::now();
}

bool left_alone_for(int limit_ms)
{
    unsigned inputs = inputs_seen.load(std::memory_order_relaxed);
    Clock::time_point now = Clock::now();
    if (inputs != inputs_at_last_look) {
        inputs_at_last_look = inputs;
        last_input = now;
        return false;
    }
    return now - last_input >= std::chrono::milliseconds(limit_ms);
}

int left_alone_limit_ms(int normal_ms)
{
    // Test-only: TABELLONE_TEST_LEFT_ALONE_MS shortens every wait so the
    // end-to-end scenarios need seconds, not minutes. It can only shorten:
    // anything else (unset, not a number, longer) leaves the normal time.
    const char *value = getenv("TABELLONE_TEST_LEFT_ALONE_MS");
    if (!value || !*value)
        return normal_ms;
    char *end = nullptr;
    long test_ms = strtol(value, &end, 10);
    return *end == '\0' && test_ms > 0 && test_ms < normal_ms ? (int)test_ms : normal_ms;
}
