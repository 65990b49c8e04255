// The fast inverse DCT in plain C++: inverse_dct's arithmetic, done in uint32
// (equal to the reference's wrapped int64 modulo 2^32) over eight lanes at a
// time so the compiler can vectorise it.
#include "jpeg/decoder_stages.h"
#include "jpeg/inverse_dct_paths.h"

#include <string.h>

namespace
{

// A constant as the uint32 factor of the wrapping arithmetic.
constexpr uint32_t k(int32_t constant)
{
    return static_cast<uint32_t>(constant);
}

// One 8-point transform on eight lanes: in[k][lane] is input k of that lane.
// `bias` is added to every output; it is folded into the DC term, which every
// output contains once. LOW_FOUR: inputs 4 to 7 are zero in every lane and
// are not read; zeros add nothing in the wrapping arithmetic, so the outputs
// are the full transform's, with a third of the work gone.
template <bool LOW_FOUR>
void idct_lanes(const uint32_t (*__restrict in)[8], uint32_t (*__restrict out)[8], uint32_t bias)
{
    for (int l = 0; l < 8; l++) {
        const uint32_t x4 = LOW_FOUR ? 0 : in[4][l], x5 = LOW_FOUR ? 0 : in[5][l];
        const uint32_t x6 = LOW_FOUR ? 0 : in[6][l], x7 = LOW_FOUR ? 0 : in[7][l];
        uint32_t z1 = (in[2][l] + x6) * k(IDCT_0_541196100);
        uint32_t t2 = z1 - x6 * k(IDCT_1_847759065);
        uint32_t t3 = z1 + in[2][l] * k(IDCT_0_765366865);
        uint32_t t0 = (in[0][l] + x4) * k(IDCT_ONE) + bias;
        uint32_t t1 = (in[0][l] - x4) * k(IDCT_ONE) + bias;
        uint32_t e10 = t0 + t3, e13 = t0 - t3, e11 = t1 + t2, e12 = t1 - t2;

        uint32_t o0 = x7, o1 = x5, o2 = in[3][l], o3 = in[1][l];
        uint32_t y1 = o0 + o3, y2 = o1 + o2, y3 = o0 + o2, y4 = o1 + o3;
        uint32_t y5 = (y3 + y4) * k(IDCT_1_175875602);
        o0 *= k(IDCT_0_298631336);
        o1 *= k(IDCT_2_053119869);
        o2 *= k(IDCT_3_072711026);
        o3 *= k(IDCT_1_501321110);
        y1 *= k(-IDCT_0_899976223);
        y2 *= k(-IDCT_2_562915447);
        y3 = y3 * k(-IDCT_1_961570560) + y5;
        y4 = y4 * k(-IDCT_0_390180644) + y5;
        o0 += y1 + y3;
        o1 += y2 + y4;
        o2 += y2 + y3;
        o3 += y1 + y4;

        out[0][l] = e10 + o3;
        out[7][l] = e10 - o3;
        out[1][l] = e11 + o2;
        out[6][l] = e11 - o2;
        out[2][l] = e12 + o1;
        out[5][l] = e12 - o1;
        out[3][l] = e13 + o0;
        out[4][l] = e13 - o0;
    }
}

// Arithmetic right shift of the 32-bit pattern, as the reference's int32 >> n.
inline int32_t shift_down(uint32_t v, int n)
{
    return static_cast<int32_t>(v) >> n;
}

}  // namespace

void inverse_dct_portable(int32_t block[64], const QuantTable *table)
{
    const int32_t *q = table->values;

    // Per column, the OR of its seven AC coefficients (zero: the reference's
    // shortcut); and whether rows 4 to 7, or columns 4 to 7, hold anything at
    // all. Most blocks have only low frequencies: those take the half transform.
    // The long loops have whole vectors of trips, so the compiler vectorises
    // them; any AC is found from their results, not by a pass of 63.
    uint32_t ac[8] = {}, high_rows = 0;
    for (int v = 1; v < 8; v++)
        for (int c = 0; c < 8; c++)
            ac[c] |= static_cast<uint32_t>(block[8 * v + c]);
    for (int i = 32; i < 64; i++)
        high_rows |= static_cast<uint32_t>(block[i]);
    uint32_t high_columns = 0, any_ac = 0;
    for (int c = 4; c < 8; c++)
        high_columns |= ac[c] | static_cast<uint32_t>(block[c]);
    for (int c = 0; c < 8; c++)
        any_ac |= ac[c] | (c == 0 ? 0 : static_cast<uint32_t>(block[c]));

    // All 63 AC zero means one value: column 0 takes the shortcut, the others
    // give 0, and each row transform of (w, 0, ..., 0) is w * 8192 at every output.
    if (any_ac == 0) {
        uint32_t w = static_cast<uint32_t>(block[0]) * static_cast<uint32_t>(q[0]) * k(1 << IDCT_FRACTION_BITS);
        int32_t sample = shift_down(w * k(IDCT_ONE) + k(IDCT_ROW_ROUND), IDCT_ROW_SHIFT) + SAMPLE_LEVEL_SHIFT;
        for (int i = 0; i < 64; i++)
            block[i] = sample;
        return;
    }

    // Columns, one per lane: in[v][c] is row v of column c, dequantised.
    uint32_t in[8][8], out[8][8];
    for (int v = 0; v < 8; v++)
        for (int c = 0; c < 8; c++)
            in[v][c] = static_cast<uint32_t>(block[8 * v + c]) * static_cast<uint32_t>(q[8 * v + c]);
    if (high_rows == 0)
        idct_lanes<true>(in, out, k(IDCT_COLUMN_ROUND));
    else
        idct_lanes<false>(in, out, k(IDCT_COLUMN_ROUND));

    // A column whose seven AC coefficients are zero takes the reference's shortcut,
    // which differs from the full transform once d * 8192 wraps.
    // Blended through a mask: which columns do is data, a branch would mispredict.
    uint32_t shortcut[8], dc[8];
    for (int c = 0; c < 8; c++) {
        shortcut[c] = 0u - static_cast<uint32_t>(ac[c] == 0);
        dc[c] = in[0][c] * k(1 << IDCT_FRACTION_BITS) & shortcut[c];
    }
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < 8; c++)
            in[r][c] = dc[c] | (static_cast<uint32_t>(shift_down(out[r][c], IDCT_COLUMN_SHIFT)) & ~shortcut[c]);

    // Rows, one per lane: transposed in, transposed back out. An all-zero
    // column gives zeros (through the shortcut), so columns 4 to 7 are zero
    // inputs here when their coefficients are.
    uint32_t rows[8][8];
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < 8; c++)
            rows[c][r] = in[r][c];
    if (high_columns == 0)
        idct_lanes<true>(rows, out, k(IDCT_ROW_ROUND));
    else
        idct_lanes<false>(rows, out, k(IDCT_ROW_ROUND));
    // Shifted in the transposing loop itself: a vector pass before it would
    // leave the scalar loads waiting on its stores.
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < 8; c++)
            block[8 * r + c] = shift_down(out[c][r], IDCT_ROW_SHIFT) + SAMPLE_LEVEL_SHIFT;
}
