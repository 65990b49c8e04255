// inverse_dct_fast: the transform through the vector path fastest_vector_path picks.
#include "jpeg/decoder_stages.h"
#include "jpeg/inverse_dct_paths.h"

InverseDct inverse_dct_for(VectorPath path)
{
    if (path == VECTOR_PATH_AVX2)
        return inverse_dct_avx2;
    if (path == VECTOR_PATH_SSE2 || path == VECTOR_PATH_SSE4)
        return inverse_dct_sse2;
    return inverse_dct_portable;
}

void inverse_dct_on(VectorPath path, int32_t block[64], const QuantTable *table)
{
    inverse_dct_for(path)(block, table);
}

void inverse_dct_fast(int32_t block[64], const QuantTable *table)
{
    inverse_dct_on(fastest_vector_path(), block, table);
}
