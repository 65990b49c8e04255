// The bytes of every "graphics.dat" picture: the markers before the scan, the
// frame's sampling, restart markers and Huffman tables, against the layouts the
// ten pictures are meant to cover.
#include <gtest/gtest.h>

#include <cstring>

#include "play_datafiles.h"

namespace
{

enum Sampling { grey, s444, s422, s420 };

struct Expected {
    Sampling sampling;
    bool restarts;
    bool optimised;
};

// Object n: 0 title, 1 form, 2 board, 3..9 results.
const Expected expected[10] = {
    {s444, false, false}, {s422, true, true},   {s444, true, true},  {s420, false, false}, {s420, false, true},
    {s422, false, false}, {s420, false, false}, {s422, false, true}, {s444, false, false}, {grey, false, true},
};

// Huffman code-length counts of the tables in the JPEG standard's annex K.
const uint8_t std_bits[4][16] = {
    {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},     // DC luminance
    {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},     // DC chrominance
    {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},  // AC luminance
    {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},  // AC chrominance
};

struct Layout {
    bool ok = false;  // parsed to SOS without surprises
    std::string problem;
    size_t sos_offset = 0;
    int jfif_major = -1, jfif_minor = -1;
    int width = 0, height = 0, precision = 0, frame = 0;
    int components = 0;
    int ids[3] = {0, 0, 0};
    int h[3] = {0, 0, 0}, v[3] = {0, 0, 0};
    int scan_components = 0;
    int restart_interval = 0;
    int dht_tables = 0, standard_tables = 0;
    int restart_markers = 0;
    bool restarts_in_order = true;
    bool clean_entropy = true;  // only stuffed zeros, RSTn and the final EOI
};

int be16(const uint8_t *p)
{
    return (p[0] << 8) | p[1];
}

Layout parse(const uint8_t *p, size_t size)
{
    Layout l;
    size_t i = 2;
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8) {
        l.problem = "no SOI";
        return l;
    }
    while (i + 4 <= size) {
        if (p[i] != 0xFF) {
            l.problem = "bytes between segments";
            return l;
        }
        const int code = p[i + 1];
        const uint8_t *s = p + i + 4;  // segment body
        const int len = be16(p + i + 2);
        switch (code) {
        case 0xE0:
            if (std::memcmp(s, "JFIF", 5) != 0) {
                l.problem = "APP0 not JFIF";
                return l;
            }
            l.jfif_major = s[5];
            l.jfif_minor = s[6];
            break;
        case 0xDB:
            break;
        case 0xC0:
            l.frame = code;
            l.precision = s[0];
            l.height = be16(s + 1);
            l.width = be16(s + 3);
            l.components = s[5];
            for (int c = 0; c < l.components && c < 3; ++c) {
                l.ids[c] = s[6 + 3 * c];
                l.h[c] = s[7 + 3 * c] >> 4;
                l.v[c] = s[7 + 3 * c] & 15;
            }
            break;
        case 0xC4: {
            const uint8_t *t = s;
            while (t < p + i + 2 + len) {
                const int cls = t[0] >> 4, id = t[0] & 15;
                int count = 0;
                for (int k = 0; k < 16; ++k)
                    count += t[1 + k];
                ++l.dht_tables;
                if (std::memcmp(t + 1, std_bits[cls * 2 + (id ? 1 : 0)], 16) == 0)
                    ++l.standard_tables;
                t += 17 + count;
            }
            break;
        }
        case 0xDD:
            l.restart_interval = be16(s);
            break;
        case 0xDA:
            l.scan_components = s[0];
            l.sos_offset = i;
            break;
        default:
            l.problem = "marker " + std::to_string(code) + " before the scan";
            return l;
        }
        i += 2 + size_t(len);
        if (code == 0xDA)
            break;
    }
    // Entropy-coded data up to EOI.
    int next_rst = 0;
    for (; i + 1 < size; ++i) {
        if (p[i] != 0xFF)
            continue;
        const int m = p[i + 1];
        if (m == 0x00) {
            ++i;
        } else if (m >= 0xD0 && m <= 0xD7) {
            if (m - 0xD0 != next_rst)
                l.restarts_in_order = false;
            next_rst = (next_rst + 1) & 7;
            ++l.restart_markers;
            ++i;
        } else if (m == 0xD9 && i + 2 == size) {
            break;
        } else {
            l.clean_entropy = false;
        }
    }
    l.ok = true;
    return l;
}

Layout layout_of(int index)
{
    DATAFILE *d = play_datafile("graphics.dat");
    return parse(static_cast<const uint8_t *>(d[index].dat), size_t(d[index].size));
}

TEST(ContentJpegLayout, OnlyAcceptedMarkersBeforeAnEarlyScan)
{
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        Layout l = layout_of(n);
        ASSERT_TRUE(l.ok) << l.problem;
        EXPECT_EQ(l.jfif_major, 1);
        EXPECT_EQ(l.jfif_minor, 1);
        EXPECT_EQ(l.frame, 0xC0);  // baseline
        EXPECT_EQ(l.precision, 8);
        EXPECT_EQ(l.width, 800);
        EXPECT_EQ(l.height, 600);
        EXPECT_GT(l.sos_offset, 0u);
        EXPECT_LE(l.sos_offset, 10000u);
        EXPECT_TRUE(l.clean_entropy);
    }
}

TEST(ContentJpegLayout, EachPictureHasItsSamplingAndComponents)
{
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        Layout l = layout_of(n);
        ASSERT_TRUE(l.ok) << l.problem;
        if (expected[n].sampling == grey) {
            EXPECT_EQ(l.components, 1);
            EXPECT_EQ(l.scan_components, 1);
            EXPECT_EQ(l.ids[0], 1);
            continue;
        }
        ASSERT_EQ(l.components, 3);
        EXPECT_EQ(l.scan_components, 3);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(l.ids[c], c + 1);
        // Chroma: one block per MCU. Luma: 1x1, 2x1 (side by side) or 2x2.
        for (int c = 1; c < 3; ++c) {
            EXPECT_EQ(l.h[c], 1);
            EXPECT_EQ(l.v[c], 1);
        }
        const int h = expected[n].sampling == s444 ? 1 : 2;
        const int v = expected[n].sampling == s420 ? 2 : 1;
        EXPECT_EQ(l.h[0], h);
        EXPECT_EQ(l.v[0], v);
    }
}

TEST(ContentJpegLayout, RestartMarkersEndEveryMcuRow)
{
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        Layout l = layout_of(n);
        ASSERT_TRUE(l.ok) << l.problem;
        if (!expected[n].restarts) {
            EXPECT_EQ(l.restart_interval, 0);
            EXPECT_EQ(l.restart_markers, 0);
            continue;
        }
        const int mcu_w = 8 * (l.components == 3 ? l.h[0] : 1);
        const int mcu_h = 8 * (l.components == 3 ? l.v[0] : 1);
        const int per_row = (l.width + mcu_w - 1) / mcu_w;
        const int rows = (l.height + mcu_h - 1) / mcu_h;
        EXPECT_EQ(l.restart_interval, per_row);
        EXPECT_EQ(l.restart_markers, rows - 1);  // the last row ends at EOI
        EXPECT_TRUE(l.restarts_in_order);
    }
}

TEST(ContentJpegLayout, StandardAndOptimisedHuffmanTables)
{
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        Layout l = layout_of(n);
        ASSERT_TRUE(l.ok) << l.problem;
        const int tables = l.components == 3 ? 4 : 2;
        EXPECT_EQ(l.dht_tables, tables);
        if (expected[n].optimised)
            EXPECT_EQ(l.standard_tables, 0);
        else
            EXPECT_EQ(l.standard_tables, tables);
    }
}

TEST(ContentJpegLayout, TheTenPicturesCoverEveryAcceptedLayout)
{
    int grey_count = 0, restart_count = 0, optimised = 0, standard = 0;
    int samplings[4] = {0, 0, 0, 0};
    for (const Expected &e : expected) {
        samplings[e.sampling]++;
        grey_count += e.sampling == grey;
        restart_count += e.restarts;
        optimised += e.optimised;
        standard += !e.optimised;
    }
    EXPECT_GE(grey_count, 1);
    EXPECT_GE(samplings[s444], 1);
    EXPECT_GE(samplings[s422], 1);
    EXPECT_GE(samplings[s420], 1);
    EXPECT_GE(restart_count, 2);
    EXPECT_GE(optimised, 1);
    EXPECT_GE(standard, 1);
}

}  // namespace
