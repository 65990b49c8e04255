// Quiet input at the start of each screen: keys and clicks meant for the
// screen before are dropped rather than handed to the next dialog.
#include <chrono>

#include "shell/screens.h"

void settle_input()
{
    typedef std::chrono::steady_clock Clock;
    const Clock::duration settle = std::chrono::milliseconds(INPUT_SETTLE_MS);
    // The dialog manager acts on a button that is down when it starts, and on
    // every key left in the buffer, so both must be quiet before it does.
    Clock::time_point button_up_since = Clock::now();
    for (;;) {
        if (mouse_needs_poll())
            poll_mouse();
        if (keyboard_needs_poll())
            poll_keyboard();
        clear_keybuf();
        Clock::time_point now = Clock::now();
        if (mouse_b)
            button_up_since = now;
        else if (now - button_up_since >= settle)
            return;
        rest(IDLE_REST_MS);
    }
}
