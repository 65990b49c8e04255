// inverse_dct_fast: the transform through the vector path fastest_vector_path picks.
#include "jpeg/decoder_stages.h"
#include "jpeg/inverse_dct_paths.h"

void inverse_dct_on(VectorPath path, int32_t block[64], const QuantTable *table)
{
    if (path == VECTOR_PATH_AVX2)
        inverse_dct_avx2(block, table);
    else
        inverse_dct_portable(block, table);
}

void inverse_dct_fast(int32_t block[64], const QuantTable *table)
{
    inverse_dct_on(fastest_vector_path(), block, table);
}
