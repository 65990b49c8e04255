// The integer offsets of the colour step: a table over chroma values, built
// once from the very doubles put_ycbcr_pixel computes, and the test that they
// give its channels exactly.
#include "jpeg/chroma_offsets.h"

#include "jpeg/decoder_stages.h"

#include <math.h>

namespace
{

// Green's two terms in fixed point: each within half a unit of the double, so
// their sum is within one unit of -(a + b).
constexpr int GREEN_FRACTION_BITS = 17;
constexpr int32_t GREEN_UNIT = 1 << GREEN_FRACTION_BITS;

// Red and blue round once: only a term just under a whole number can carry
// the sum up onto it, so only those are refused.
constexpr double MARGIN = 1.0 / (1 << 30);

struct ChromaEntry {
    int32_t green_cb;  // -(c - 128) * CB_G, fixed point, rounded
    int32_t green_cr;  // -(c - 128) * CR_G, fixed point, rounded
    int16_t red;       // floor((c - 128) * CR_R)
    int16_t blue;      // floor((c - 128) * CB_B)
    uint8_t red_refused, blue_refused;
};

constexpr int TABLE_SIZE = CHROMA_TABLE_HIGH - CHROMA_TABLE_LOW;

struct ChromaTable {
    ChromaEntry at[TABLE_SIZE];
};

void floor_term(double t, int16_t *value, uint8_t *refused)
{
    const double whole = floor(t);
    *value = static_cast<int16_t>(whole);
    *refused = t - whole > 1.0 - MARGIN;
}

const ChromaTable *build_table()
{
    static ChromaTable table;
    for (int i = 0; i < TABLE_SIZE; i++) {
        const double d = (CHROMA_TABLE_LOW + i) - YCBCR_CHROMA_CENTRE;
        ChromaEntry &e = table.at[i];
        e.green_cb = static_cast<int32_t>(llround(-(d * YCBCR_CB_G) * GREEN_UNIT));
        e.green_cr = static_cast<int32_t>(llround(-(d * YCBCR_CR_G) * GREEN_UNIT));
        floor_term(d * YCBCR_CR_R, &e.red, &e.red_refused);
        floor_term(d * YCBCR_CB_B, &e.blue, &e.blue_refused);
    }
    return &table;
}

}  // namespace

bool chroma_offsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out)
{
    // Built at the first call, once, safely across threads.
    static const ChromaTable *const table = build_table();
    uint32_t refused = 0;
    for (int i = 0; i < 64; i++) {
        // Unsigned, so a wild sample cannot overflow the test; one outside
        // reads entry 0 and is refused.
        uint32_t icb = static_cast<uint32_t>(cb[i]) - static_cast<uint32_t>(CHROMA_TABLE_LOW);
        uint32_t icr = static_cast<uint32_t>(cr[i]) - static_cast<uint32_t>(CHROMA_TABLE_LOW);
        const uint32_t outside = (icb >= TABLE_SIZE) | (icr >= TABLE_SIZE);
        icb = outside ? 0 : icb;
        icr = outside ? 0 : icr;
        const ChromaEntry &ecb = table->at[icb], &ecr = table->at[icr];
        const int32_t green = ecb.green_cb + ecr.green_cr;
        const uint32_t fraction = static_cast<uint32_t>(green) & (GREEN_UNIT - 1);
        // Within a unit (or two, to be safe) of a whole number, green is
        // refused, unless both terms are 0 and green is the luma itself.
        const uint32_t both_centre = (cb[i] == 128) & (cr[i] == 128);
        const uint32_t near_whole = (fraction - 2u) > static_cast<uint32_t>(GREEN_UNIT - 4);
        refused |= outside | ecr.red_refused | ecb.blue_refused | (near_whole & !both_centre);
        out->r[i] = ecr.red;
        out->g[i] = static_cast<int16_t>(green >> GREEN_FRACTION_BITS);
        out->b[i] = ecb.blue;
    }
    return refused == 0;
}
