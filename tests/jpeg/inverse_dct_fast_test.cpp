// The fast inverse DCT's paths (portable, SSE2 (also SSE4.1's), AVX2, and the dispatcher) against
// inverse_dct: every sample equal, for realistic blocks and for wild values
// where 32-bit wrapping and the per-column shortcut decide the result.
#include "jpeg/decoder_stages.h"
#include "jpeg/inverse_dct_paths.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <random>
#include <string.h>

namespace
{

typedef void (*IdctPath)(int32_t block[64], const QuantTable *table);

struct PathParam {
    const char *name;
    IdctPath run;
    VectorPath needs;
};

void PrintTo(const PathParam &path, std::ostream *os)
{
    *os << path.name;
}

const PathParam kPaths[] = {
    {"Portable", inverse_dct_portable, VECTOR_PATH_PORTABLE},
    {"Sse2", inverse_dct_sse2, VECTOR_PATH_SSE2},
    {"Avx2", inverse_dct_avx2, VECTOR_PATH_AVX2},
    {"Dispatched", inverse_dct_fast, VECTOR_PATH_PORTABLE},
};

class FastIdct : public testing::TestWithParam<PathParam>
{
protected:
    void SetUp() override
    {
        if (!vector_path_available(GetParam().needs))
            GTEST_SKIP() << "this processor cannot run the path";
    }

    // `expected_from` is what the reference runs on; normally the same input.
    testing::AssertionResult matches(const int32_t block[64], const QuantTable &q, const int32_t *ref_block = nullptr,
                                     const QuantTable *ref_q = nullptr)
    {
        int32_t expected[64], actual[64];
        memcpy(expected, ref_block ? ref_block : block, sizeof expected);
        inverse_dct(expected, ref_q ? ref_q : &q);
        memcpy(actual, block, sizeof actual);
        GetParam().run(actual, &q);
        for (int i = 0; i < 64; i++) {
            if (actual[i] == expected[i])
                continue;
            testing::AssertionResult fail = testing::AssertionFailure();
            fail << "sample " << i << ": " << actual[i] << ", reference " << expected[i] << "\ncoefficient:quant";
            for (int k = 0; k < 64; k++)
                fail << (k % 8 ? " " : "\n  ") << block[k] << ":" << q.values[k];
            return fail;
        }
        return testing::AssertionSuccess();
    }
};

QuantTable flat_table(int32_t value)
{
    QuantTable t;
    for (int i = 0; i < 64; i++)
        t.values[i] = value;
    return t;
}

int32_t uniform(std::mt19937 &rng, int32_t lo, int32_t hi)
{
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
}

int32_t any_int32(std::mt19937 &rng)
{
    static const int32_t edges[] = {INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1, -1,      1,         0,
                                    1 << 16,   -(1 << 16),    1 << 19,   1 << 30,       3 << 20, -(1 << 21)};
    if (rng() % 4 == 0)
        return edges[rng() % (sizeof edges / sizeof edges[0])];
    return static_cast<int32_t>(rng());
}

// The coefficient patterns of real pictures: DC only, a few low frequencies,
// columns with only a DC, one coefficient anywhere, everything set.
void realistic_block(std::mt19937 &rng, int pattern, int32_t block[64])
{
    memset(block, 0, 64 * sizeof block[0]);
    block[0] = uniform(rng, -2048, 2047);
    switch (pattern) {
    case 0:
        break;
    case 1:
        for (int n = uniform(rng, 1, 6); n > 0; n--)
            block[8 * uniform(rng, 0, 3) + uniform(rng, 0, 3)] = uniform(rng, -300, 300);
        break;
    case 2:
        for (int c = 1; c < 8; c++)
            block[c] = rng() % 2 ? uniform(rng, -500, 500) : 0;
        break;
    case 3:
        block[uniform(rng, 1, 63)] = uniform(rng, -1023, 1023);
        break;
    default:
        for (int i = 1; i < 64; i++)
            block[i] = uniform(rng, -1023, 1023) / (1 + i / 4);
        break;
    }
}

TEST_P(FastIdct, RealisticBlocksAndTables)
{
    std::mt19937 rng(20240611);
    for (int n = 0; n < 150000; n++) {
        QuantTable q;
        if (n % 3 == 0) {
            q = flat_table(uniform(rng, 1, 255));
        } else {
            for (int i = 0; i < 64; i++)
                q.values[i] = uniform(rng, 1, 255);
        }
        int32_t block[64];
        realistic_block(rng, n % 5, block);
        ASSERT_TRUE(matches(block, q)) << "block " << n;
    }
}

TEST_P(FastIdct, SingleCoefficientAtEveryPosition)
{
    const int32_t values[] = {1, -1, 2, -3, 7, 100, -1000, 2047, -2048, 32767, -32768, 1 << 20};
    const int32_t quants[] = {1, 16, 255, 65535};
    for (int pos = 0; pos < 64; pos++)
        for (int32_t value : values)
            for (int32_t quant : quants) {
                int32_t block[64] = {};
                block[pos] = value;
                QuantTable q = flat_table(quant);
                ASSERT_TRUE(matches(block, q)) << "position " << pos;
            }
}

// Coefficient times quant within 2^44 in magnitude: far past every 32-bit wrap
// in the transform, and still inside the reference's int64 intermediates.
TEST_P(FastIdct, WildValuesWithinTheReferenceRange)
{
    std::mt19937 rng(77);
    for (int n = 0; n < 100000; n++) {
        int32_t block[64] = {};
        QuantTable q;
        int density = n % 4;  // 0: DC only, 1: sparse, 2-3: dense
        for (int i = 0; i < 64; i++) {
            bool set = i == 0 || density >= 2 || (density == 1 && rng() % 8 == 0);
            int32_t b = any_int32(rng), k = any_int32(rng);
            if (rng() % 2)
                b = (b % 4096 + 4096) % 8192 - 4096;
            else
                k = (k % 4096 + 4096) % 8192 - 4096;
            block[i] = set ? b : 0;
            q.values[i] = k;
        }
        ASSERT_TRUE(matches(block, q)) << "block " << n;
    }
}

// Any int32 pair: the reference's own int64 products can overflow there, so it runs
// on an equivalent input instead. Its arithmetic is 32-bit wrapping, so only each
// product modulo 2^32 and whether each coefficient is zero (the column shortcut)
// matter; (d, 1) or, for a product that wraps to 0, (2^16, 2^16) keep both.
TEST_P(FastIdct, AnyInt32CoefficientsAndQuants)
{
    std::mt19937 rng(4242);
    for (int n = 0; n < 100000; n++) {
        int32_t block[64] = {}, ref_block[64] = {};
        QuantTable q, ref_q;
        int density = n % 4;
        for (int i = 0; i < 64; i++) {
            bool set = i == 0 || density >= 2 || (density == 1 && rng() % 8 == 0);
            block[i] = set ? any_int32(rng) : 0;
            q.values[i] = any_int32(rng);
            if (n % 16 == 0 && set)  // products that wrap to exactly 0
                block[i] = static_cast<int32_t>(static_cast<uint32_t>(block[i]) << 16 | 1u << 16);
            if (n % 16 == 0)
                q.values[i] = static_cast<int32_t>(static_cast<uint32_t>(q.values[i]) << 16);
            uint32_t d = static_cast<uint32_t>(block[i]) * static_cast<uint32_t>(q.values[i]);
            ref_block[i] = block[i] == 0 ? 0 : d != 0 ? static_cast<int32_t>(d) : 1 << 16;
            ref_q.values[i] = block[i] != 0 && d == 0 ? 1 << 16 : 1;
        }
        ASSERT_TRUE(matches(block, q, ref_block, &ref_q)) << "block " << n;
    }
}

// A nonzero coefficient with quant 0 adds nothing but turns the column's shortcut
// off, so the two blocks differ only in which way the reference takes.
TEST_P(FastIdct, ShortcutAndFullTransformOfTheSameColumn)
{
    std::mt19937 rng(9);
    int differing = 0;
    for (int n = 0; n < 4000; n++) {
        int32_t dc = n < 64 ? static_cast<int32_t>(1u << (n / 2)) * (n % 2 ? -1 : 1) : any_int32(rng);
        int col = n % 8;
        QuantTable q = flat_table(1);
        int32_t shortcut[64] = {}, full[64] = {};
        shortcut[col] = full[col] = dc;
        full[col + 8 * uniform(rng, 1, 7)] = 1 + n;
        q.values[col + 8 * 7] = 0;
        for (int v = 1; v < 7; v++)
            q.values[col + 8 * v] = 0;
        if (n % 2) {  // another column, transformed in full, beside it
            int other = (col + 3) % 8;
            shortcut[other] = full[other] = uniform(rng, -2000, 2000);
            shortcut[other + 8] = full[other + 8] = uniform(rng, 1, 500);
        }
        ASSERT_TRUE(matches(shortcut, q)) << "shortcut, dc " << dc;
        ASSERT_TRUE(matches(full, q)) << "full, dc " << dc;
        int32_t a[64], b[64];
        memcpy(a, shortcut, sizeof a);
        memcpy(b, full, sizeof b);
        inverse_dct(a, &q);
        inverse_dct(b, &q);
        differing += memcmp(a, b, sizeof a) != 0;
    }
    // Otherwise the pairs above would not tell the two ways apart.
    EXPECT_GT(differing, 1000);
}

TEST_P(FastIdct, DcOnlyBlocksOverTheWholeRange)
{
    std::mt19937 rng(31337);
    for (int n = 0; n < 200000; n++) {
        int32_t block[64] = {};
        int32_t quant = n % 2 ? 1 : uniform(rng, -255, 255);
        block[0] = n < 64 ? static_cast<int32_t>((1u << (n / 2)) - n % 2) : any_int32(rng);
        QuantTable q = flat_table(INT32_MAX);
        q.values[0] = quant;
        ASSERT_TRUE(matches(block, q)) << "dc " << block[0];
    }
}

TEST_P(FastIdct, UnalignedBlocksAndTables)
{
    std::mt19937 rng(5);
    alignas(64) int32_t block_storage[64 + 8];
    alignas(64) int32_t table_storage[64 + 8];
    for (int offset = 0; offset < 8; offset++)
        for (int n = 0; n < 50; n++) {
            int32_t *block = block_storage + offset;
            realistic_block(rng, n % 5, block);
            QuantTable *q = reinterpret_cast<QuantTable *>(table_storage + (7 - offset));
            for (int i = 0; i < 64; i++)
                q->values[i] = uniform(rng, 1, 255);
            ASSERT_TRUE(matches(block, *q)) << "offset " << offset;
        }
}

// The SSE paths' 16-bit lanes must take most blocks of real pictures (small
// dequantised values), not leave them all to the portable path, give the
// reference's samples when they do, and leave the block alone when refusing.
TEST(FastIdctSixteenBit, TakesRealisticBlocksAndRefusesWideOnesUntouched)
{
    if (!vector_path_available(VECTOR_PATH_SSE2))
        GTEST_SKIP() << "this processor cannot run the path";
    std::mt19937 rng(77);
    int taken = 0;
    const int blocks = 20000;
    for (int n = 0; n < blocks; n++) {
        QuantTable q;
        for (int i = 0; i < 64; i++)
            q.values[i] = uniform(rng, 1, 12);
        int32_t block[64], expected[64], before[64];
        realistic_block(rng, n % 5, block);
        for (int i = 0; i < 64; i++)
            block[i] /= q.values[i];  // dequantised values of real pictures' size
        memcpy(before, block, sizeof before);
        memcpy(expected, block, sizeof expected);
        inverse_dct(expected, &q);
        const bool took = inverse_dct_sse2_16(block, &q);
        taken += took;
        ASSERT_EQ(memcmp(block, took ? expected : before, sizeof block), 0) << "block " << n;
    }
    EXPECT_GT(taken, blocks * 9 / 10);
    // A dequantised coefficient past 16 bits, and a column pass output past them.
    QuantTable q = flat_table(255);
    int32_t wide[64] = {200}, kept[64];
    memcpy(kept, wide, sizeof kept);
    EXPECT_FALSE(inverse_dct_sse2_16(wide, &q));
    EXPECT_EQ(memcmp(wide, kept, sizeof wide), 0);
    q = flat_table(1);
    int32_t loud[64] = {};
    for (int v = 0; v < 8; v++)
        loud[8 * v] = v % 2 ? -32000 : 32000;
    memcpy(kept, loud, sizeof kept);
    EXPECT_FALSE(inverse_dct_sse2_16(loud, &q));
    EXPECT_EQ(memcmp(loud, kept, sizeof loud), 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, FastIdct, testing::ValuesIn(kPaths),
                         [](const testing::TestParamInfo<PathParam> &path) { return path.param.name; });

}  // namespace
