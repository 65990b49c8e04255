// The chroma offsets with AVX2: the SSE2 version's arithmetic on two chroma
// rows per vector.
#include "jpeg/chroma_fractions.h"
#include "jpeg/idct_pair_factors.h"

using namespace chroma_fractions;

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define AVX2_INLINE static inline __attribute__((target("avx2"), always_inline))

namespace
{

// Sixteen samples (two rows), less the centre, as int16 in row order,
// saturated so that a wild one stays outside. packs works within each
// 128-bit half; the permute puts the four quarters back in order.
AVX2_INLINE __m256i centred(const int32_t *samples)
{
    const __m256i packed = _mm256_packs_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(samples)),
                                              _mm256_loadu_si256(reinterpret_cast<const __m256i *>(samples + 8)));
    return _mm256_subs_epi16(_mm256_permute4x64_epi64(packed, 0xD8), _mm256_set1_epi16(128));
}

// Lanes with |d| above LARGEST_D.
AVX2_INLINE __m256i outside(__m256i d)
{
    return _mm256_or_si256(_mm256_cmpgt_epi16(d, _mm256_set1_epi16(LARGEST_D)),
                           _mm256_cmpgt_epi16(_mm256_set1_epi16(-LARGEST_D), d));
}

// Red or blue: d F as (d << 6) (F >> 6) + d (F & 63) through pmaddwd.
// Unpacking and packing both keep to each half, so the order is kept.
AVX2_INLINE __m256i fixed_term(__m256i d, int32_t fixed)
{
    const __m256i factor = _mm256_set1_epi32(pair_factors(fixed >> 6, fixed & 63));
    const __m256i d64 = _mm256_slli_epi16(d, 6);
    const __m256i bias = _mm256_set1_epi32(FIXED_BIAS);
    const __m256i lo = _mm256_madd_epi16(_mm256_unpacklo_epi16(d64, d), factor);
    const __m256i hi = _mm256_madd_epi16(_mm256_unpackhi_epi16(d64, d), factor);
    return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(lo, bias), FIXED_BITS),
                              _mm256_srai_epi32(_mm256_add_epi32(hi, bias), FIXED_BITS));
}

// Green of eight samples from n, by the correctly rounded float division
// (see chroma_fractions.h); whole nonzero quotients are added to `refused`.
AVX2_INLINE __m256i green_eight(__m256i n, __m256i *refused)
{
    const __m256 q = _mm256_div_ps(_mm256_cvtepi32_ps(n), _mm256_set1_ps(static_cast<float>(GREEN_DEN)));
    const __m256i t = _mm256_cvttps_epi32(q);
    const __m256 tf = _mm256_cvtepi32_ps(t);
    const __m256i whole = _mm256_andnot_si256(_mm256_cmpeq_epi32(n, _mm256_setzero_si256()),
                                              _mm256_castps_si256(_mm256_cmp_ps(q, tf, _CMP_EQ_OQ)));
    *refused = _mm256_or_si256(*refused, whole);
    return _mm256_add_epi32(t, _mm256_castps_si256(_mm256_cmp_ps(q, tf, _CMP_LT_OQ)));
}

}  // namespace

__attribute__((target("avx2"))) bool chroma_offsets_avx2(const int32_t cb[64], const int32_t cr[64],
                                                          ChromaOffsets *out)
{
    const __m256i green_factor = _mm256_set1_epi32(pair_factors(-CB_G_NUM, -(CR_G_NUM - 2 * CB_G_NUM)));
    __m256i refused = _mm256_setzero_si256();
    for (int i = 0; i < 64; i += 16) {
        const __m256i dcb = centred(cb + i), dcr = centred(cr + i);
        refused = _mm256_or_si256(refused, _mm256_or_si256(outside(dcb), outside(dcr)));
        _mm256_store_si256(reinterpret_cast<__m256i *>(out->r + i), fixed_term(dcr, RED_FIXED));
        _mm256_store_si256(reinterpret_cast<__m256i *>(out->b + i), fixed_term(dcb, BLUE_FIXED));
        const __m256i sum = _mm256_add_epi16(dcb, _mm256_add_epi16(dcr, dcr));
        const __m256i g0 = green_eight(_mm256_madd_epi16(_mm256_unpacklo_epi16(sum, dcr), green_factor), &refused);
        const __m256i g1 = green_eight(_mm256_madd_epi16(_mm256_unpackhi_epi16(sum, dcr), green_factor), &refused);
        _mm256_store_si256(reinterpret_cast<__m256i *>(out->g + i), _mm256_packs_epi32(g0, g1));
    }
    return _mm256_testz_si256(refused, refused);
}

#else

bool chroma_offsets_avx2(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out)
{
    return chroma_offsets_portable(cb, cr, out);
}

#endif
