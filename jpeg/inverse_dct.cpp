// Zigzag reordering and the Loeffler-Ligtenberg-Moschytz integer inverse DCT:
// 13-bit fixed-point constants, two extra fraction bits kept between the passes.
#include "jpeg/decoder_stages.h"

#include <string.h>

void dezigzag(int32_t values[64])
{
    int32_t natural[64];
    for (int i = 0; i < 64; i++)
        natural[i] = values[zigzag_order[i]];
    memcpy(values, natural, sizeof natural);
}

// The arithmetic is meant as 32-bit; intermediate values are carried in 64 bits
// (sums and products agree modulo 2^32) and wrapped to 32 bits only where a shift
// makes the high bits matter. This keeps the result of wild coefficients defined.
static int32_t wrap32(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// One 8-point transform of eight dequantised (or once-transformed) values.
static void idct_1d(const int64_t in[8], int64_t out[8])
{
    // Even part.
    int64_t z1 = (in[2] + in[6]) * IDCT_0_541196100;
    int64_t t2 = z1 - in[6] * IDCT_1_847759065;
    int64_t t3 = z1 + in[2] * IDCT_0_765366865;
    int64_t t0 = (in[0] + in[4]) * IDCT_ONE;
    int64_t t1 = (in[0] - in[4]) * IDCT_ONE;
    int64_t e10 = t0 + t3, e13 = t0 - t3, e11 = t1 + t2, e12 = t1 - t2;

    // Odd part.
    int64_t o0 = in[7], o1 = in[5], o2 = in[3], o3 = in[1];
    int64_t y1 = o0 + o3, y2 = o1 + o2, y3 = o0 + o2, y4 = o1 + o3;
    int64_t y5 = (y3 + y4) * IDCT_1_175875602;
    o0 *= IDCT_0_298631336;
    o1 *= IDCT_2_053119869;
    o2 *= IDCT_3_072711026;
    o3 *= IDCT_1_501321110;
    y1 *= -IDCT_0_899976223;
    y2 *= -IDCT_2_562915447;
    y3 *= -IDCT_1_961570560;
    y4 *= -IDCT_0_390180644;
    y3 += y5;
    y4 += y5;
    o0 += y1 + y3;
    o1 += y2 + y4;
    o2 += y2 + y3;
    o3 += y1 + y4;

    out[0] = e10 + o3;
    out[7] = e10 - o3;
    out[1] = e11 + o2;
    out[6] = e11 - o2;
    out[2] = e12 + o1;
    out[5] = e12 - o1;
    out[3] = e13 + o0;
    out[4] = e13 - o0;
}

void inverse_dct(int32_t block[64], const QuantTable *table)
{
    int32_t workspace[64];
    const int32_t *q = table->values;

    // Columns: dequantise, transform, keep the fraction bits (divide by 2^11, rounded).
    for (int c = 0; c < 8; c++) {
        bool ac_zero = true;
        for (int v = 1; v < 8; v++)
            if (block[c + 8 * v] != 0)
                ac_zero = false;
        if (ac_zero) {
            int32_t dc = wrap32(static_cast<int64_t>(block[c]) * q[c] * (1 << IDCT_FRACTION_BITS));
            for (int r = 0; r < 8; r++)
                workspace[c + 8 * r] = dc;
            continue;
        }
        int64_t in[8], out[8];
        for (int v = 0; v < 8; v++)
            in[v] = static_cast<int64_t>(block[c + 8 * v]) * q[c + 8 * v];
        idct_1d(in, out);
        for (int r = 0; r < 8; r++)
            workspace[c + 8 * r] = wrap32(out[r] + IDCT_COLUMN_ROUND) >> IDCT_COLUMN_SHIFT;
    }

    // Rows: transform and divide by 2^18 (constants, fraction bits, factor 8), rounded.
    for (int r = 0; r < 8; r++) {
        int64_t in[8], out[8];
        for (int c = 0; c < 8; c++)
            in[c] = workspace[8 * r + c];
        idct_1d(in, out);
        for (int c = 0; c < 8; c++)
            block[8 * r + c] = (wrap32(out[c] + IDCT_ROW_ROUND) >> IDCT_ROW_SHIFT) + SAMPLE_LEVEL_SHIFT;
    }
}
