// A deterministic random source for the deal (splitmix64), so a seed always deals the same board.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/random_source.h"

struct SeededRandom {
    static inline uint64_t state = 0;

    explicit SeededRandom(uint64_t seed)
    {
        reseed(seed);
        set_random_bytes(bytes);
    }
    ~SeededRandom()
    {
        set_random_bytes(nullptr);
    }
    void reseed(uint64_t seed)
    {
        state = seed;
    }

    static bool bytes(uint8_t *out, size_t size)
    {
        for (size_t i = 0; i < size; i++) {
            uint64_t z = state += 0x9E3779B97F4A7C15ull;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            out[i] = (uint8_t)((z ^ (z >> 31)) >> 56);
        }
        return true;
    }
};
