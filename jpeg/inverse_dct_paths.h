// The two implementations behind inverse_dct_fast, exposed so tests can check
// each of them against inverse_dct whichever one the dispatcher picks.
#pragma once

#include "jpeg/cpu_features.h"

#include <stdint.h>

struct QuantTable;

// Plain C++ (uint32 arithmetic over 8-lane loops); runs anywhere.
void inverse_dct_portable(int32_t block[64], const QuantTable *table);

// AVX2 intrinsics; call only when cpu_has_avx2(). Elsewhere than x86 it is the
// portable path under another name.
void inverse_dct_avx2(int32_t block[64], const QuantTable *table);
