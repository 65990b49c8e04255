// A small deterministic generator for the tests' random cases: the same seed
// gives the same sequence on every platform and library.
#pragma once

#include <stdint.h>

struct TestRng {
    uint32_t state;

    explicit TestRng(uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {}

    // xorshift32; never stuck at zero since the state never becomes zero.
    uint32_t next()
    {
        if (state == 0)
            state = 0x6D2B79F5u;
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // 0..n-1 (n > 0).
    uint32_t below(uint32_t n)
    {
        return next() % n;
    }
    bool chance(uint32_t percent)
    {
        return below(100) < percent;
    }
};
