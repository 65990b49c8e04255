// The game's folder lock held by the test itself through a second open file
// description (a second handle on Windows), as a running game holds it.
#pragma once

bool hold_lock_elsewhere();
void release_lock_elsewhere();
