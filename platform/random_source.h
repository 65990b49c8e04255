// Random squares for the deal, from the operating system's random source
// (getrandom on Linux, BCryptGenRandom on Windows). Tests inject their own.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Fills out with size random bytes; false when the source fails.
typedef bool (*RandomBytes)(uint8_t *out, size_t size);

bool os_random_bytes(uint8_t *out, size_t size);

// Replaces the source; nullptr restores the operating system's.
void set_random_bytes(RandomBytes source);

// A number drawn uniformly from 0 to n - 1 (1 <= n <= 256), without modulo
// bias: bytes at or above the largest multiple of n are drawn again. If the
// source fails the program cannot deal fairly, so it stops (report_error,
// exit status 1).
int random_below(int n);
