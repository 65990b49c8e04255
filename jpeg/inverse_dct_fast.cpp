// inverse_dct_fast: the transform through the vector path fastest_vector_path picks.
#include "jpeg/decoder_stages.h"
#include "jpeg/inverse_dct_paths.h"

void narrow_quant(const QuantTable *table, NarrowQuant *narrow)
{
    narrow->fits = true;
    for (int i = 0; i < 64; i++) {
        const int32_t v = table->values[i];
        narrow->fits &= v >= INT16_MIN && v <= INT16_MAX;
        narrow->values[i] = static_cast<int16_t>(v);
    }
}

// The paths that take the table as it is.
static void portable_narrowed(int32_t block[64], const QuantTable *table, const NarrowQuant *)
{
    inverse_dct_portable(block, table);
}

static void avx2_narrowed(int32_t block[64], const QuantTable *table, const NarrowQuant *)
{
    inverse_dct_avx2(block, table);
}

InverseDct inverse_dct_for(VectorPath path)
{
    if (path == VECTOR_PATH_AVX2)
        return avx2_narrowed;
    if (path == VECTOR_PATH_SSE2 || path == VECTOR_PATH_SSE4)
        return inverse_dct_sse2_narrowed;
    return portable_narrowed;
}

void inverse_dct_on(VectorPath path, int32_t block[64], const QuantTable *table)
{
    NarrowQuant narrow;
    narrow_quant(table, &narrow);
    inverse_dct_for(path)(block, table, &narrow);
}

void inverse_dct_fast(int32_t block[64], const QuantTable *table)
{
    inverse_dct_on(fastest_vector_path(), block, table);
}
