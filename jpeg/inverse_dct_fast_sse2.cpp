// The fast inverse DCT with SSE2, in 16-bit lanes: eight columns (then eight
// rows) per vector, products summed in pairs by pmaddwd into 32 bits. Between
// the two shifts the transform is only sums and products, so any regrouping of
// it is the same modulo 2^32 as the reference's wrapping arithmetic: the
// grouped constants below give bit for bit the reference's samples whenever the
// dequantised coefficients and the column pass's outputs fit in 16 bits (the
// grouping is in idct_pair_factors.h). A block where they do not (damaged
// data, wild tables) goes to the portable path.
#include "jpeg/decoder_stages.h"
#include "jpeg/idct_pair_factors.h"
#include "jpeg/inverse_dct_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#define SSE2_INLINE inline __attribute__((always_inline))

namespace
{

SSE2_INLINE __m128i pair(int32_t a, int32_t b)
{
    return _mm_set1_epi32(pair_factors(a, b));
}

// Eight lanes of one pass: x[k] holds input k of every lane, 16-bit.
// Results are 32-bit, lanes 0..3 in lo, 4..7 in hi, before the shift.
struct Wide {
    __m128i lo[8], hi[8];
};

SSE2_INLINE __m128i madd2(__m128i pairs_ab, __m128i k_ab, __m128i pairs_cd, __m128i k_cd)
{
    return _mm_add_epi32(_mm_madd_epi16(pairs_ab, k_ab), _mm_madd_epi16(pairs_cd, k_cd));
}

// One half (unpacklo or unpackhi of the inputs) of the 8-point transform.
SSE2_INLINE void transform_half(__m128i x04, __m128i x26, __m128i x17, __m128i x35, __m128i bias, __m128i out[8])
{
    const __m128i t0 = _mm_add_epi32(_mm_madd_epi16(x04, pair(IDCT_ONE, IDCT_ONE)), bias);
    const __m128i t1 = _mm_add_epi32(_mm_madd_epi16(x04, pair(IDCT_ONE, -IDCT_ONE)), bias);
    const __m128i t2 = _mm_madd_epi16(x26, pair(IDCT_0_541196100, EVEN_6));
    const __m128i t3 = _mm_madd_epi16(x26, pair(EVEN_2, IDCT_0_541196100));
    const __m128i e10 = _mm_add_epi32(t0, t3), e13 = _mm_sub_epi32(t0, t3);
    const __m128i e11 = _mm_add_epi32(t1, t2), e12 = _mm_sub_epi32(t1, t2);

    const __m128i o0 = madd2(x17, pair(ODD_17, ODD_X7_0), x35, pair(ODD_37, IDCT_1_175875602));
    const __m128i o1 = madd2(x17, pair(ODD_15, IDCT_1_175875602), x35, pair(ODD_35, ODD_X5_1));
    const __m128i o2 = madd2(x17, pair(IDCT_1_175875602, ODD_37), x35, pair(ODD_X3_2, ODD_35));
    const __m128i o3 = madd2(x17, pair(ODD_X1_3, ODD_17), x35, pair(IDCT_1_175875602, ODD_15));

    out[0] = _mm_add_epi32(e10, o3);
    out[7] = _mm_sub_epi32(e10, o3);
    out[1] = _mm_add_epi32(e11, o2);
    out[6] = _mm_sub_epi32(e11, o2);
    out[2] = _mm_add_epi32(e12, o1);
    out[5] = _mm_sub_epi32(e12, o1);
    out[3] = _mm_add_epi32(e13, o0);
    out[4] = _mm_sub_epi32(e13, o0);
}

SSE2_INLINE void transform(const __m128i x[8], __m128i bias, Wide *w)
{
    transform_half(_mm_unpacklo_epi16(x[0], x[4]), _mm_unpacklo_epi16(x[2], x[6]), _mm_unpacklo_epi16(x[1], x[7]),
                   _mm_unpacklo_epi16(x[3], x[5]), bias, w->lo);
    transform_half(_mm_unpackhi_epi16(x[0], x[4]), _mm_unpackhi_epi16(x[2], x[6]), _mm_unpackhi_epi16(x[1], x[7]),
                   _mm_unpackhi_epi16(x[3], x[5]), bias, w->hi);
}

// 8x8 transpose of 16-bit values.
SSE2_INLINE void transpose(__m128i m[8])
{
    const __m128i a0 = _mm_unpacklo_epi16(m[0], m[1]), a1 = _mm_unpackhi_epi16(m[0], m[1]);
    const __m128i a2 = _mm_unpacklo_epi16(m[2], m[3]), a3 = _mm_unpackhi_epi16(m[2], m[3]);
    const __m128i a4 = _mm_unpacklo_epi16(m[4], m[5]), a5 = _mm_unpackhi_epi16(m[4], m[5]);
    const __m128i a6 = _mm_unpacklo_epi16(m[6], m[7]), a7 = _mm_unpackhi_epi16(m[6], m[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    m[0] = _mm_unpacklo_epi64(b0, b4);
    m[1] = _mm_unpackhi_epi64(b0, b4);
    m[2] = _mm_unpacklo_epi64(b1, b5);
    m[3] = _mm_unpackhi_epi64(b1, b5);
    m[4] = _mm_unpacklo_epi64(b2, b6);
    m[5] = _mm_unpackhi_epi64(b2, b6);
    m[6] = _mm_unpacklo_epi64(b3, b7);
    m[7] = _mm_unpackhi_epi64(b3, b7);
}

SSE2_INLINE __m128i load4(const int32_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// Bits above the low 16 of (v + 0x8000) are set exactly when v is no int16.
SSE2_INLINE __m128i outside_int16(__m128i v)
{
    return _mm_add_epi32(v, _mm_set1_epi32(0x8000));
}

SSE2_INLINE bool all_int16(__m128i outside)
{
    return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_srli_epi32(outside, 16), _mm_setzero_si128())) == 0xFFFF;
}

}  // namespace

// Fills `block` with the reference's samples and returns true, or returns false
// with `block` untouched when some value does not fit the 16-bit lanes.
// The table must fit them.
// Its loops are unrolled so that the rows stay in registers: as loops, GCC
// keeps them in arrays on the stack, stored and loaded again at every pass.
static bool inverse_dct_16(int32_t block[64], const NarrowQuant *narrow)
{
    __m128i x[8], outside = _mm_setzero_si128(), wrong = _mm_setzero_si128(), ac = _mm_setzero_si128();
#pragma GCC unroll 8
    for (int v = 0; v < 8; v++) {
        const __m128i c0 = load4(block + 8 * v), c1 = load4(block + 8 * v + 4);
        outside = _mm_or_si128(outside, _mm_or_si128(outside_int16(c0), outside_int16(c1)));
        const __m128i c = _mm_packs_epi32(c0, c1);
        const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i *>(narrow->values + 8 * v));
        ac = _mm_or_si128(ac, v == 0 ? _mm_srli_si128(c, 2) : c);
        // The product fits in 16 bits when its high half is the low half's sign.
        const __m128i low = _mm_mullo_epi16(c, k), high = _mm_mulhi_epi16(c, k);
        wrong = _mm_or_si128(wrong, _mm_xor_si128(high, _mm_srai_epi16(low, 15)));
        x[v] = low;
    }
    if (!all_int16(outside) || _mm_movemask_epi8(_mm_cmpeq_epi16(wrong, _mm_setzero_si128())) != 0xFFFF)
        return false;

    if (_mm_movemask_epi8(_mm_cmpeq_epi16(ac, _mm_setzero_si128())) == 0xFFFF) {
        // All 63 AC coefficients zero: the reference's shortcut, every sample
        // (w * 8192 + round) >> 18 of w = 4 d, the column pass's value.
        const int32_t w = static_cast<int16_t>(_mm_cvtsi128_si32(x[0])) * (1 << IDCT_FRACTION_BITS);
        const __m128i all = _mm_set1_epi32(((w * IDCT_ONE + IDCT_ROW_ROUND) >> IDCT_ROW_SHIFT) + SAMPLE_LEVEL_SHIFT);
        for (int i = 0; i < 16; i++)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(block + 4 * i), all);
        return true;
    }

    // Columns. A column whose AC coefficients are zero needs no shortcut here:
    // with a 16-bit DC d, (d * 8192 + 1024) >> 11 is d << 2 without wrapping.
    Wide w;
    transform(x, _mm_set1_epi32(IDCT_COLUMN_ROUND), &w);
    outside = _mm_setzero_si128();
#pragma GCC unroll 8
    for (int r = 0; r < 8; r++) {
        const __m128i lo = _mm_srai_epi32(w.lo[r], IDCT_COLUMN_SHIFT);
        const __m128i hi = _mm_srai_epi32(w.hi[r], IDCT_COLUMN_SHIFT);
        outside = _mm_or_si128(outside, _mm_or_si128(outside_int16(lo), outside_int16(hi)));
        x[r] = _mm_packs_epi32(lo, hi);
    }
    if (!all_int16(outside))
        return false;

    // Rows: a 32-bit value shifted down by 18 always fits 16 bits, so the
    // samples go back through a 16-bit transpose.
    transpose(x);
    transform(x, _mm_set1_epi32(IDCT_ROW_ROUND), &w);
#pragma GCC unroll 8
    for (int c = 0; c < 8; c++)
        x[c] = _mm_packs_epi32(_mm_srai_epi32(w.lo[c], IDCT_ROW_SHIFT), _mm_srai_epi32(w.hi[c], IDCT_ROW_SHIFT));
    transpose(x);
    const __m128i level = _mm_set1_epi32(SAMPLE_LEVEL_SHIFT);
#pragma GCC unroll 8
    for (int r = 0; r < 8; r++) {
        const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(x[r], x[r]), 16);
        const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(x[r], x[r]), 16);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(block + 8 * r), _mm_add_epi32(lo, level));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(block + 8 * r + 4), _mm_add_epi32(hi, level));
    }
    return true;
}

bool inverse_dct_sse2_16(int32_t block[64], const QuantTable *table)
{
    NarrowQuant narrow;
    narrow_quant(table, &narrow);
    return narrow.fits && inverse_dct_16(block, &narrow);
}

void inverse_dct_sse2_narrowed(int32_t block[64], const QuantTable *table, const NarrowQuant *narrow)
{
    if (!narrow->fits || !inverse_dct_16(block, narrow))
        inverse_dct_portable(block, table);
}

void inverse_dct_sse2(int32_t block[64], const QuantTable *table)
{
    NarrowQuant narrow;
    narrow_quant(table, &narrow);
    inverse_dct_sse2_narrowed(block, table, &narrow);
}

#else

bool inverse_dct_sse2_16(int32_t *, const QuantTable *)
{
    return false;
}

void inverse_dct_sse2_narrowed(int32_t block[64], const QuantTable *table, const NarrowQuant *)
{
    inverse_dct_portable(block, table);
}

void inverse_dct_sse2(int32_t block[64], const QuantTable *table)
{
    inverse_dct_portable(block, table);
}

#endif
