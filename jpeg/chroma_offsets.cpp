// The integer offsets of the colour step: each the floor of an exact fraction.
// SSE2 computes them in fixed point (red, blue) and by one correctly rounded
// division (green); plain C++ reads them from a table built at compile time.
#include "jpeg/chroma_offsets.h"

#include "jpeg/chroma_fractions.h"
#include "jpeg/idct_pair_factors.h"

using namespace chroma_fractions;

namespace
{

// floor(num / den) for den > 0, whatever the sign of num.
constexpr int32_t floor_div(int32_t num, int32_t den)
{
    return num / den - (num % den < 0 ? 1 : 0);
}

// One chroma sample's part of the offsets: its own channel's offset (red for
// Cr, blue for Cb) and its share of green's numerator, as a quotient and a
// remainder (0 to GREEN_DEN - 1) by GREEN_DEN. Green is then floor(n /
// GREEN_DEN) = the two quotients plus one where the remainders reach
// GREEN_DEN, and its fraction is whole where they sum to 0 or GREEN_DEN. A
// remainder is 0 only at the centre (GREEN_DEN shares no factor with either
// numerator), so a sum of 0 is n = 0, which is taken, and GREEN_DEN is refused.
struct SampleShare {
    int16_t own;
    int16_t green_quotient;
    int32_t green_remainder;
};

enum { SAMPLES_OF_RANGE = CHROMA_OFFSETS_HIGH - CHROMA_OFFSETS_LOW };

struct SampleShares {
    SampleShare cb[SAMPLES_OF_RANGE];
    SampleShare cr[SAMPLES_OF_RANGE];
};

constexpr SampleShare share_of(int32_t d, int32_t own_num, int32_t own_den, int32_t green_num)
{
    const int32_t green = -green_num * d;
    const int32_t quotient = floor_div(green, GREEN_DEN);
    return SampleShare{static_cast<int16_t>(floor_div(own_num * d, own_den)), static_cast<int16_t>(quotient),
                       green - quotient * GREEN_DEN};
}

constexpr SampleShares make_sample_shares()
{
    SampleShares t = {};
    for (int32_t i = 0; i < SAMPLES_OF_RANGE; i++) {
        const int32_t d = i - LARGEST_D;
        t.cb[i] = share_of(d, CB_B_NUM, CB_B_DEN, CB_G_NUM);
        t.cr[i] = share_of(d, CR_R_NUM, CR_R_DEN, CR_G_NUM);
    }
    return t;
}

constexpr SampleShares sample_shares = make_sample_shares();
static_assert(sample_shares.cr[LARGEST_D].green_remainder == 0 && sample_shares.cb[LARGEST_D + 1].green_remainder != 0,
              "only the centre has no green remainder");

}  // namespace

// The first `count` samples' offsets by the table, in scalar code on any
// processor: two table entries per sample instead of the multiplications and
// a division.
static bool offsets_of_samples(const int32_t *cb, const int32_t *cr, int count, ChromaOffsets *out)
{
    bool refused = false;
    for (int i = 0; i < count; i++) {
        // Unsigned, so a wild sample cannot overflow the test.
        const uint32_t icb = static_cast<uint32_t>(cb[i]) - static_cast<uint32_t>(CHROMA_OFFSETS_LOW);
        const uint32_t icr = static_cast<uint32_t>(cr[i]) - static_cast<uint32_t>(CHROMA_OFFSETS_LOW);
        const bool outside = icb >= SAMPLES_OF_RANGE || icr >= SAMPLES_OF_RANGE;
        const SampleShare &b = sample_shares.cb[outside ? LARGEST_D : icb];
        const SampleShare &r = sample_shares.cr[outside ? LARGEST_D : icr];
        const int32_t remainders = b.green_remainder + r.green_remainder;
        refused |= outside || remainders == GREEN_DEN;
        out->r[i] = r.own;
        out->g[i] = static_cast<int16_t>(b.green_quotient + r.green_quotient + (remainders >= GREEN_DEN));
        out->b[i] = b.own;
    }
    return !refused;
}

bool chroma_offsets_portable(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out)
{
    return offsets_of_samples(cb, cr, 64, out);
}

bool flat_chroma_offsets(int32_t cb, int32_t cr, ChromaOffsets *out)
{
    const int32_t one_cb[1] = {cb}, one_cr[1] = {cr};
    ChromaOffsets one;
    const bool given = offsets_of_samples(one_cb, one_cr, 1, &one);
    for (int i = 0; i < 64; i++) {
        out->r[i] = one.r[0];
        out->g[i] = one.g[0];
        out->b[i] = one.b[0];
    }
    return given;
}

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

namespace
{

// Eight samples, less the centre, as int16 (saturated, so a wild one stays outside).
inline __m128i centred(const int32_t *samples)
{
    const __m128i s = _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(samples)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i *>(samples + 4)));
    return _mm_subs_epi16(s, _mm_set1_epi16(128));
}

// Lanes with |d| above LARGEST_D.
inline __m128i outside(__m128i d)
{
    return _mm_or_si128(_mm_cmpgt_epi16(d, _mm_set1_epi16(LARGEST_D)), _mm_cmpgt_epi16(_mm_set1_epi16(-LARGEST_D), d));
}

// Red or blue of eight samples: d F as (d << 6) (F >> 6) + d (F & 63), both
// halves in int16 since |d| < 2^9 and F < 2^21.
inline __m128i fixed_term(__m128i d, int32_t fixed)
{
    const __m128i factor = _mm_set1_epi32(pair_factors(fixed >> 6, fixed & 63));
    const __m128i d64 = _mm_slli_epi16(d, 6);
    const __m128i bias = _mm_set1_epi32(FIXED_BIAS);
    const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(d64, d), factor);
    const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(d64, d), factor);
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(lo, bias), FIXED_BITS),
                           _mm_srai_epi32(_mm_add_epi32(hi, bias), FIXED_BITS));
}

// Green of four samples from n as int32: the float quotient is correctly
// rounded, and as |n| < 2^24 and a fraction that is not whole lies at least
// 1/GREEN_DEN from a whole number (more than half a unit in the last place
// below 512), its truncation and whether it is whole are the exact ones.
inline __m128i green_four(__m128i n, __m128i *refused)
{
    const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(n), _mm_set1_ps(static_cast<float>(GREEN_DEN)));
    const __m128i t = _mm_cvttps_epi32(q);
    const __m128 tf = _mm_cvtepi32_ps(t);
    const __m128i whole = _mm_andnot_si128(_mm_cmpeq_epi32(n, _mm_setzero_si128()), _mm_castps_si128(_mm_cmpeq_ps(q, tf)));
    *refused = _mm_or_si128(*refused, whole);
    return _mm_add_epi32(t, _mm_castps_si128(_mm_cmplt_ps(q, tf)));  // floor: one less where truncation went up
}

}  // namespace

bool chroma_offsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out)
{
    // n = -(CB_G_NUM dcb + CR_G_NUM dcr) as one pmaddwd: CR_G_NUM is above the
    // int16 range, CR_G_NUM - 2 CB_G_NUM is not, and dcb + 2 dcr fits.
    const __m128i green_factor = _mm_set1_epi32(pair_factors(-CB_G_NUM, -(CR_G_NUM - 2 * CB_G_NUM)));
    __m128i refused = _mm_setzero_si128();
    for (int row = 0; row < 8; row++) {
        const __m128i dcb = centred(cb + 8 * row), dcr = centred(cr + 8 * row);
        refused = _mm_or_si128(refused, _mm_or_si128(outside(dcb), outside(dcr)));
        _mm_store_si128(reinterpret_cast<__m128i *>(out->r + 8 * row), fixed_term(dcr, RED_FIXED));
        _mm_store_si128(reinterpret_cast<__m128i *>(out->b + 8 * row), fixed_term(dcb, BLUE_FIXED));
        const __m128i sum = _mm_add_epi16(dcb, _mm_add_epi16(dcr, dcr));
        __m128i green_refused = _mm_setzero_si128();
        const __m128i g0 = green_four(_mm_madd_epi16(_mm_unpacklo_epi16(sum, dcr), green_factor), &green_refused);
        const __m128i g1 = green_four(_mm_madd_epi16(_mm_unpackhi_epi16(sum, dcr), green_factor), &green_refused);
        refused = _mm_or_si128(refused, green_refused);
        _mm_store_si128(reinterpret_cast<__m128i *>(out->g + 8 * row), _mm_packs_epi32(g0, g1));
    }
    return _mm_movemask_epi8(refused) == 0;
}

#else

bool chroma_offsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out)
{
    return chroma_offsets_portable(cb, cr, out);
}

#endif
