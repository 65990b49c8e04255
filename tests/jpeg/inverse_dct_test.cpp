// Zigzag reordering and the integer inverse DCT: exact samples of known blocks.
#include "jpeg/decoder_stages.h"

#include <gtest/gtest.h>
#include <math.h>

namespace
{

QuantTable flat_table(int32_t q)
{
    QuantTable t;
    for (int i = 0; i < 64; i++)
        t.values[i] = q;
    return t;
}

void expect_all(const int32_t block[64], int32_t value)
{
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(block[i], value) << "index " << i;
}

TEST(InverseDct, ZeroBlockIsMidGrey)
{
    int32_t block[64] = {};
    QuantTable q = flat_table(37);
    inverse_dct(block, &q);
    expect_all(block, 128);
}

TEST(InverseDct, DcOnlyRoundsHalvesUpAndDoesNotClamp)
{
    // floor((d*q + 4) / 8) + 128 for several products d*q.
    struct {
        int32_t d, q, sample;
    } cases[] = {
        {8, 1, 129},    {-4, 1, 128},   {-5, 1, 127}, {-1024, 1, 0},
        {1600, 1, 328}, {1020, 1, 256}, {-128, 8, 0}, {100, 16, 328},
    };
    for (auto c : cases) {
        int32_t block[64] = {c.d};
        QuantTable q = flat_table(c.q);
        inverse_dct(block, &q);
        SCOPED_TRACE(testing::Message() << "d=" << c.d << " q=" << c.q);
        expect_all(block, c.sample);
    }
}

TEST(InverseDct, FirstHorizontalAndVerticalFrequency)
{
    const int32_t ramp[8] = {130, 129, 129, 128, 128, 127, 127, 126};
    QuantTable q = flat_table(1);

    // Coefficient 1 varies along each row, coefficient 8 down each column.
    for (int coefficient : {1, 8}) {
        int32_t block[64] = {};
        block[coefficient] = 10;
        inverse_dct(block, &q);
        for (int r = 0; r < 8; r++)
            for (int c = 0; c < 8; c++)
                EXPECT_EQ(block[r * 8 + c], ramp[coefficient == 1 ? c : r]) << coefficient << ": " << r << "," << c;
    }
}

TEST(InverseDct, DequantisesEachCoefficientWithItsOwnValue)
{
    // Coefficient 5 at index 1 with table value 2 must equal 10 with value 1;
    // the other entries of the table must not matter for zero coefficients.
    QuantTable q = flat_table(99);
    q.values[1] = 2;
    int32_t a[64] = {};
    a[1] = 5;
    inverse_dct(a, &q);
    QuantTable one = flat_table(1);
    int32_t b[64] = {};
    b[1] = 10;
    inverse_dct(b, &one);
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(a[i], b[i]) << i;
}

// Every constant and output of the transform takes part here: a full block
// stays within one step of the exact real-valued inverse DCT.
TEST(InverseDct, DenseBlockMatchesRealTransformWithinOne)
{
    uint32_t seed = 12345;
    for (int trial = 0; trial < 200; trial++) {
        int32_t block[64];
        double coef[64];
        for (int i = 0; i < 64; i++) {
            seed = seed * 1103515245u + 12345u;
            int32_t v = static_cast<int32_t>((seed >> 16) % 201) - 100;
            if (i > 20 && (seed & 0x300))
                v = 0;
            block[i] = v;
            coef[i] = v;
        }
        QuantTable q = flat_table(1);
        inverse_dct(block, &q);
        for (int y = 0; y < 8; y++) {
            for (int x = 0; x < 8; x++) {
                double sum = 0;
                for (int v = 0; v < 8; v++)
                    for (int u = 0; u < 8; u++) {
                        double cu = u ? 1.0 : M_SQRT1_2, cv = v ? 1.0 : M_SQRT1_2;
                        sum += cu * cv * coef[v * 8 + u] * cos((2 * x + 1) * u * M_PI / 16) *
                               cos((2 * y + 1) * v * M_PI / 16);
                    }
                double exact = sum / 4 + 128;
                ASSERT_NEAR(block[y * 8 + x], exact, 1.0) << "trial " << trial << " at " << y << "," << x;
            }
        }
    }
}

TEST(InverseDct, HugeCoefficientsWrapWithoutFault)
{
    // Garbage input must give some samples, not undefined behaviour (checked
    // under the sanitizers); the values themselves are not specified.
    int32_t block[64];
    for (int i = 0; i < 64; i++)
        block[i] = (i & 1) ? 2147483647 : -2147483647 - 1;
    QuantTable q = flat_table(255);
    inverse_dct(block, &q);
    SUCCEED();
}

TEST(Zigzag, StreamOrderBecomesRowMajor)
{
    int32_t values[64];
    for (int i = 0; i < 64; i++)
        values[i] = i;
    dezigzag(values);
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(values[i], zigzag_order[i]) << i;
    // The standard's sequence: row 0 then down the first diagonals.
    EXPECT_EQ(values[1], 1);
    EXPECT_EQ(values[8], 2);
    EXPECT_EQ(values[16], 3);
    EXPECT_EQ(values[63], 63);
}

TEST(Zigzag, TableIsAPermutationWalkingTheDiagonals)
{
    bool seen[64] = {};
    for (int i = 0; i < 64; i++) {
        ASSERT_GE(zigzag_order[i], 0);
        ASSERT_LT(zigzag_order[i], 64);
        EXPECT_FALSE(seen[zigzag_order[i]]);
        seen[zigzag_order[i]] = true;
    }
    // Consecutive stream positions are neighbours (one step or one diagonal step).
    int where[64];
    for (int i = 0; i < 64; i++)
        where[zigzag_order[i]] = i;
    for (int z = 1; z < 64; z++) {
        int dr = abs(where[z] / 8 - where[z - 1] / 8), dc = abs(where[z] % 8 - where[z - 1] % 8);
        EXPECT_LE(dr, 1) << z;
        EXPECT_LE(dc, 1) << z;
    }
}

TEST(Zigzag, QuantTableSecondAndThirdStreamValues)
{
    int32_t table[64] = {};
    table[0] = 16;
    table[1] = 11;
    table[2] = 12;
    dezigzag(table);
    EXPECT_EQ(table[0], 16);
    EXPECT_EQ(table[1], 11);
    EXPECT_EQ(table[8], 12);
}

}  // namespace
