// The fast inverse DCT with AVX2: the column pass runs the eight columns in the
// lanes of one vector per block row (in 16-bit pairs through pmaddwd when the
// values fit, else in 32-bit lanes), an 8x8 transpose turns rows into lanes for
// the row pass, a second one brings the samples back. 32-bit lane arithmetic
// wraps exactly as the reference's wrap32 does.
#include "jpeg/decoder_stages.h"
#include "jpeg/idct_pair_factors.h"
#include "jpeg/inverse_dct_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define AVX2_INLINE static inline __attribute__((target("avx2"), always_inline))

namespace
{

struct Rows {
    __m256i v[8];
};

AVX2_INLINE __m256i mul(__m256i a, int32_t k)
{
    return _mm256_mullo_epi32(a, _mm256_set1_epi32(k));
}

// One 8-point transform per lane; `bias` is added to every output through the
// DC term, which every output contains once.
// The last stage of both transforms: the even part plus and minus the odd part.
AVX2_INLINE Rows butterfly(__m256i e10, __m256i e11, __m256i e12, __m256i e13, __m256i o0, __m256i o1, __m256i o2,
                           __m256i o3)
{
    Rows out;
    out.v[0] = _mm256_add_epi32(e10, o3);
    out.v[7] = _mm256_sub_epi32(e10, o3);
    out.v[1] = _mm256_add_epi32(e11, o2);
    out.v[6] = _mm256_sub_epi32(e11, o2);
    out.v[2] = _mm256_add_epi32(e12, o1);
    out.v[5] = _mm256_sub_epi32(e12, o1);
    out.v[3] = _mm256_add_epi32(e13, o0);
    out.v[4] = _mm256_sub_epi32(e13, o0);
    return out;
}

AVX2_INLINE Rows idct_lanes(const Rows &in, __m256i bias)
{
    const __m256i *x = in.v;
    __m256i z1 = mul(_mm256_add_epi32(x[2], x[6]), IDCT_0_541196100);
    __m256i t2 = _mm256_sub_epi32(z1, mul(x[6], IDCT_1_847759065));
    __m256i t3 = _mm256_add_epi32(z1, mul(x[2], IDCT_0_765366865));
    __m256i t0 = _mm256_add_epi32(_mm256_slli_epi32(_mm256_add_epi32(x[0], x[4]), IDCT_CONST_BITS), bias);
    __m256i t1 = _mm256_add_epi32(_mm256_slli_epi32(_mm256_sub_epi32(x[0], x[4]), IDCT_CONST_BITS), bias);
    __m256i e10 = _mm256_add_epi32(t0, t3), e13 = _mm256_sub_epi32(t0, t3);
    __m256i e11 = _mm256_add_epi32(t1, t2), e12 = _mm256_sub_epi32(t1, t2);

    __m256i o0 = x[7], o1 = x[5], o2 = x[3], o3 = x[1];
    __m256i y1 = _mm256_add_epi32(o0, o3), y2 = _mm256_add_epi32(o1, o2);
    __m256i y3 = _mm256_add_epi32(o0, o2), y4 = _mm256_add_epi32(o1, o3);
    __m256i y5 = mul(_mm256_add_epi32(y3, y4), IDCT_1_175875602);
    o0 = mul(o0, IDCT_0_298631336);
    o1 = mul(o1, IDCT_2_053119869);
    o2 = mul(o2, IDCT_3_072711026);
    o3 = mul(o3, IDCT_1_501321110);
    y1 = mul(y1, -IDCT_0_899976223);
    y2 = mul(y2, -IDCT_2_562915447);
    y3 = _mm256_add_epi32(mul(y3, -IDCT_1_961570560), y5);
    y4 = _mm256_add_epi32(mul(y4, -IDCT_0_390180644), y5);
    o0 = _mm256_add_epi32(o0, _mm256_add_epi32(y1, y3));
    o1 = _mm256_add_epi32(o1, _mm256_add_epi32(y2, y4));
    o2 = _mm256_add_epi32(o2, _mm256_add_epi32(y2, y3));
    o3 = _mm256_add_epi32(o3, _mm256_add_epi32(y1, y4));

    return butterfly(e10, e11, e12, e13, o0, o1, o2, o3);
}

AVX2_INLINE Rows transpose(const Rows &m)
{
    const __m256i *r = m.v;
    // Pairs of rows interleaved, then pairs of pairs; each 128-bit half then
    // holds four entries of one column, and the halves are recombined last.
    __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]), t1 = _mm256_unpackhi_epi32(r[0], r[1]);
    __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]), t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    __m256i t4 = _mm256_unpacklo_epi32(r[4], r[5]), t5 = _mm256_unpackhi_epi32(r[4], r[5]);
    __m256i t6 = _mm256_unpacklo_epi32(r[6], r[7]), t7 = _mm256_unpackhi_epi32(r[6], r[7]);
    __m256i u0 = _mm256_unpacklo_epi64(t0, t2), u1 = _mm256_unpackhi_epi64(t0, t2);
    __m256i u2 = _mm256_unpacklo_epi64(t1, t3), u3 = _mm256_unpackhi_epi64(t1, t3);
    __m256i u4 = _mm256_unpacklo_epi64(t4, t6), u5 = _mm256_unpackhi_epi64(t4, t6);
    __m256i u6 = _mm256_unpacklo_epi64(t5, t7), u7 = _mm256_unpackhi_epi64(t5, t7);
    Rows out;
    out.v[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
    out.v[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
    out.v[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
    out.v[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
    out.v[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
    out.v[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
    out.v[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
    out.v[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
    return out;
}

// --- 16-bit lanes: pmaddwd does two multiplies and their sum in one step ---

// Two rows of 32-bit values that fit 16 bits, as pmaddwd pairs: lane j holds
// (a[j], b[j]), lanes in column order.
AVX2_INLINE __m256i pairs(__m256i a, __m256i b)
{
    // packs keeps 128-bit halves apart: [a0-3 b0-3 | a4-7 b4-7]; the shuffle
    // interleaves each half's a and b words.
    const __m256i interleave = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3,
                                                10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
    return _mm256_shuffle_epi8(_mm256_packs_epi32(a, b), interleave);
}

AVX2_INLINE __m256i madd(__m256i pairs_ab, int32_t a, int32_t b)
{
    return _mm256_madd_epi16(pairs_ab, _mm256_set1_epi32(pair_factors(a, b)));
}

// idct_lanes on inputs that fit 16 bits, through the grouped factors: the same
// outputs modulo 2^32.
AVX2_INLINE Rows idct_lanes_16(const Rows &in, __m256i bias)
{
    const __m256i *x = in.v;
    const __m256i x04 = pairs(x[0], x[4]), x26 = pairs(x[2], x[6]);
    const __m256i x17 = pairs(x[1], x[7]), x35 = pairs(x[3], x[5]);
    const __m256i t0 = _mm256_add_epi32(madd(x04, IDCT_ONE, IDCT_ONE), bias);
    const __m256i t1 = _mm256_add_epi32(madd(x04, IDCT_ONE, -IDCT_ONE), bias);
    const __m256i t2 = madd(x26, IDCT_0_541196100, EVEN_6);
    const __m256i t3 = madd(x26, EVEN_2, IDCT_0_541196100);
    const __m256i e10 = _mm256_add_epi32(t0, t3), e13 = _mm256_sub_epi32(t0, t3);
    const __m256i e11 = _mm256_add_epi32(t1, t2), e12 = _mm256_sub_epi32(t1, t2);
    const __m256i o0 = _mm256_add_epi32(madd(x17, ODD_17, ODD_X7_0), madd(x35, ODD_37, IDCT_1_175875602));
    const __m256i o1 = _mm256_add_epi32(madd(x17, ODD_15, IDCT_1_175875602), madd(x35, ODD_35, ODD_X5_1));
    const __m256i o2 = _mm256_add_epi32(madd(x17, IDCT_1_175875602, ODD_37), madd(x35, ODD_X3_2, ODD_35));
    const __m256i o3 = _mm256_add_epi32(madd(x17, ODD_X1_3, ODD_17), madd(x35, IDCT_1_175875602, ODD_15));
    return butterfly(e10, e11, e12, e13, o0, o1, o2, o3);
}

// True when every value of `m` fits 16 bits: bits above the low 16 of
// (v + 0x8000) are set exactly when v does not.
AVX2_INLINE bool all_int16(const Rows &m)
{
    const __m256i half = _mm256_set1_epi32(0x8000);
    __m256i outside = _mm256_setzero_si256();
#pragma GCC unroll 8
    for (int r = 0; r < 8; r++)
        outside = _mm256_or_si256(outside, _mm256_add_epi32(m.v[r], half));
    return _mm256_testz_si256(outside, _mm256_set1_epi32(~0xFFFF));
}

}  // namespace

__attribute__((target("avx2"))) void inverse_dct_avx2(int32_t block[64], const QuantTable *table)
{
    const int32_t *q = table->values;
    Rows coef, in;
#pragma GCC unroll 8
    for (int v = 0; v < 8; v++) {
        coef.v[v] = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(block + 8 * v));
        in.v[v] = _mm256_mullo_epi32(coef.v[v], _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q + 8 * v)));
    }

    // Per column: are its seven AC coefficients zero (the reference's shortcut)?
    __m256i ac = coef.v[1];
#pragma GCC unroll 8
    for (int v = 2; v < 8; v++)
        ac = _mm256_or_si256(ac, coef.v[v]);
    __m256i dc = _mm256_slli_epi32(in.v[0], IDCT_FRACTION_BITS);

    // All 63 AC coefficients zero: column 0 takes the shortcut, the others give
    // 0, and each row transform of (w, 0, ..., 0) is w * 8192 at every output.
    __m256i ac_first_row = _mm256_blend_epi32(coef.v[0], _mm256_setzero_si256(), 0x01);
    if (_mm256_testz_si256(_mm256_or_si256(ac, ac_first_row), _mm256_set1_epi32(-1))) {
        int32_t w = _mm256_cvtsi256_si32(dc);
        int32_t sample = static_cast<int32_t>(static_cast<uint32_t>(w) * IDCT_ONE + IDCT_ROW_ROUND) >> IDCT_ROW_SHIFT;
        __m256i all = _mm256_set1_epi32(sample + SAMPLE_LEVEL_SHIFT);
#pragma GCC unroll 8
        for (int r = 0; r < 8; r++)
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(block + 8 * r), all);
        return;
    }

    // Dequantised values of real pictures fit 16 bits, and so do the column
    // pass's outputs; there a column with zero AC needs no shortcut, as
    // (d * 8192 + 1024) >> 11 is d << 2 without wrapping.
    if (all_int16(in)) {
        Rows cols = idct_lanes_16(in, _mm256_set1_epi32(IDCT_COLUMN_ROUND));
#pragma GCC unroll 8
        for (int r = 0; r < 8; r++)
            cols.v[r] = _mm256_srai_epi32(cols.v[r], IDCT_COLUMN_SHIFT);
        if (all_int16(cols)) {
            Rows rows = idct_lanes_16(transpose(cols), _mm256_set1_epi32(IDCT_ROW_ROUND));
#pragma GCC unroll 8
            for (int c = 0; c < 8; c++)
                rows.v[c] = _mm256_add_epi32(_mm256_srai_epi32(rows.v[c], IDCT_ROW_SHIFT),
                                             _mm256_set1_epi32(SAMPLE_LEVEL_SHIFT));
            Rows samples = transpose(rows);
#pragma GCC unroll 8
            for (int r = 0; r < 8; r++)
                _mm256_storeu_si256(reinterpret_cast<__m256i *>(block + 8 * r), samples.v[r]);
            return;
        }
    }

    Rows cols = idct_lanes(in, _mm256_set1_epi32(IDCT_COLUMN_ROUND));
    __m256i shortcut = _mm256_cmpeq_epi32(ac, _mm256_setzero_si256());
#pragma GCC unroll 8
    for (int r = 0; r < 8; r++)
        cols.v[r] = _mm256_blendv_epi8(_mm256_srai_epi32(cols.v[r], IDCT_COLUMN_SHIFT), dc, shortcut);

    Rows rows = idct_lanes(transpose(cols), _mm256_set1_epi32(IDCT_ROW_ROUND));
#pragma GCC unroll 8
    for (int c = 0; c < 8; c++)
        rows.v[c] =
            _mm256_add_epi32(_mm256_srai_epi32(rows.v[c], IDCT_ROW_SHIFT), _mm256_set1_epi32(SAMPLE_LEVEL_SHIFT));
    Rows samples = transpose(rows);
#pragma GCC unroll 8
    for (int r = 0; r < 8; r++)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(block + 8 * r), samples.v[r]);
}

#else

void inverse_dct_avx2(int32_t block[64], const QuantTable *table)
{
    inverse_dct_portable(block, table);
}

#endif
