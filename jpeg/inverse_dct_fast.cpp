// inverse_dct_fast: picks the AVX2 path when the CPU has it, the portable one
// otherwise; the choice is made once.
#include "jpeg/decode_jpeg.h"
#include "jpeg/inverse_dct_paths.h"

void inverse_dct_fast(int32_t block[64], const QuantTable *table)
{
    // A function-local static: initialised once, safely across threads.
    static void (*const path)(int32_t *, const QuantTable *) =
        cpu_has_avx2() ? inverse_dct_avx2 : inverse_dct_portable;
    path(block, table);
}
