// Writes the generated fuzz seeds into the folder given as argument: libjpeg-turbo
// pictures with restart markers inside MCU rows, hand-built streams with long
// codes, overfilled or stale tables and unmatched codes, cut or damaged
// copies, and pictures refused for a known reason. Deterministic: the same files every run (for one libjpeg-turbo).
// Build and run: cmake --build <build> --target jpeg_seed_corpus &&
//                <build>/tests/jpeg/jpeg_seed_corpus fuzz/corpus
#include "tests/support/hand_pictures.h"
#include "tests/support/libjpeg_codec.h"
#include "tests/support/scratch_files.h"
#include "tests/support/stream_edits.h"
#include "tests/support/test_pictures.h"

#include <stdio.h>
#include <string>

namespace
{

const size_t SEED_LIMIT = 4096;
std::string folder;
int written = 0, failures = 0;

void write_seed(const std::string &name, const Bytes &bytes)
{
    if (bytes.empty() || bytes.size() >= SEED_LIMIT) {
        fprintf(stderr, "%s: %zu bytes, not written\n", name.c_str(), bytes.size());
        failures++;
        return;
    }
    std::string path = folder + "/" + name + ".jpg";
    if (!write_file(path, bytes)) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        failures++;
    } else {
        written++;
    }
}

Bytes encode(int components, int h, int v, int w, int height, int quality, bool optimize, bool restart_rows,
             int restart_mcus)
{
    EncodeOptions o;
    o.components = components;
    o.luma_h = h;
    o.luma_v = v;
    o.quality = quality;
    o.optimize = optimize;
    o.restart_rows = restart_rows;
    o.restart_mcus = restart_mcus;
    return libjpeg_encode(make_picture(w, height, components, 11), w, height, o);
}

Bytes cut(const Bytes &b, size_t length)
{
    return Bytes(b.begin(), b.begin() + static_cast<long>(length < b.size() ? length : b.size()));
}

// The offset of the `n`th restart marker in the scan (or the scan's end).
size_t restart_marker(const Bytes &b, int n)
{
    for (size_t at : ff_offsets(b, scan_start(b)))
        if (at + 1 < b.size() && b[at + 1] >= 0xD0 && b[at + 1] <= 0xD7 && n-- == 0)
            return at;
    return scan_end(b);
}

// The offset of the `n`th stuffed FF 00 pair in the scan (or the scan's end).
size_t stuffed_ff(const Bytes &b, int n)
{
    for (size_t at : ff_offsets(b, scan_start(b)))
        if (at + 1 < b.size() && b[at + 1] == 0x00 && n-- == 0)
            return at;
    return scan_end(b);
}

// The offset of the first 0xFF `code` marker (or the stream's size).
size_t marker(const Bytes &b, uint8_t code)
{
    for (size_t at : ff_offsets(b, 0))
        if (at + 1 < b.size() && b[at + 1] == code)
            return at;
    return b.size();
}

Bytes edited(Bytes b, ScanEdit edit, uint32_t seed, int count)
{
    TestRng rng(seed);
    for (int i = 0; i < count; i++)
        apply_edit(&b, edit, rng);
    return b;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    folder = argv[1];

    // Restart intervals that are not a whole MCU row, and rows.
    Bytes every_mcu = encode(1, 1, 1, 23, 19, 85, false, false, 1);
    write_seed("gen-grey-23x19-restart-every-mcu", every_mcu);
    Bytes every_3 = encode(3, 2, 2, 40, 24, 60, false, false, 3);
    write_seed("gen-420-40x24-restart-every-3-mcus", every_3);
    write_seed("gen-422-50x17-restart-every-2-mcus-optimised", encode(3, 2, 1, 50, 17, 70, true, false, 2));
    write_seed("gen-444-17x9-q100-restart-every-mcu", encode(3, 1, 1, 17, 9, 100, false, false, 1));
    Bytes rows = encode(3, 2, 2, 33, 33, 40, false, true, 0);
    write_seed("gen-420-33x33-q40-row-restarts", rows);
    write_seed("gen-grey-7x5-q100", encode(1, 1, 1, 7, 5, 100, false, false, 0));
    write_seed("gen-444-1x1-optimised", encode(3, 1, 1, 1, 1, 75, true, false, 0));

    // Cuts right at, inside and after restart markers and stuffed bytes.
    write_seed("gen-truncated-420-at-second-restart", cut(rows, restart_marker(rows, 1)));
    write_seed("gen-truncated-420-inside-restart", cut(rows, restart_marker(rows, 1) + 1));
    write_seed("gen-truncated-420-after-restart", cut(rows, restart_marker(rows, 2) + 2));
    write_seed("gen-truncated-grey-after-stuffed-ff", cut(every_mcu, stuffed_ff(every_mcu, 0) + 1));
    write_seed("gen-truncated-420-mid-scan", cut(every_3, (scan_start(every_3) + scan_end(every_3)) / 2));
    write_seed("gen-truncated-grey-at-scan-start", cut(every_mcu, scan_start(every_mcu) + 1));

    // Damage of the kinds that move the reader's cursor.
    write_seed("gen-damaged-420-ff-ff-dn-inserted", edited(rows, EDIT_DOUBLE_FF, 1, 3));
    write_seed("gen-damaged-420-markers-inserted", edited(every_3, EDIT_MARKER, 2, 3));
    write_seed("gen-damaged-grey-stuffing-removed", edited(every_mcu, EDIT_UNSTUFF, 3, 2));
    write_seed("gen-damaged-grey-ff-00-pairs-removed", edited(every_mcu, EDIT_DROP_PAIR, 4, 2));
    write_seed("gen-damaged-420-bytes-deleted", edited(rows, EDIT_DELETE, 5, 2));
    write_seed("gen-damaged-420-bytes-inserted", edited(rows, EDIT_INSERT, 6, 2));

    // Hand-built tables.
    write_seed("gen-stale-ac-tables-444", build_hand_picture(stale_table_picture(1)));
    HandPicture stale = stale_table_picture(2);
    stale.luma_sampling = 0x22;
    stale.restart_mcus = 2;
    write_seed("gen-stale-ac-tables-420-restart-every-2-mcus", build_hand_picture(stale));
    write_seed("gen-overfilled-lengths-422", build_hand_picture(overfilled_table_picture(1)));
    HandPicture overfilled = overfilled_table_picture(2);
    overfilled.components = 1;
    write_seed("gen-overfilled-lengths-grey", build_hand_picture(overfilled));
    HandPicture long_codes = long_code_picture(1, false);
    long_codes.width = 17;
    write_seed("gen-long-codes-420", build_hand_picture(long_codes));
    HandPicture long_eob = long_code_picture(2, true);
    long_eob.luma_sampling = 0x11;
    long_eob.width = 16;
    long_eob.height = 16;
    write_seed("gen-long-codes-444-short-eob", build_hand_picture(long_eob));
    long_eob.restart_mcus = 3;
    long_eob.seed = 3;
    write_seed("gen-long-codes-444-restart-every-3-mcus", build_hand_picture(long_eob));
    HandPicture long_grey = long_code_picture(4, true);
    long_grey.components = 1;
    write_seed("gen-long-codes-grey", build_hand_picture(long_grey));
    HandPicture no_match = no_match_picture(1);
    no_match.width = 32;
    write_seed("gen-unmatched-codes-444", build_hand_picture(no_match));
    no_match.luma_sampling = 0x21;
    no_match.restart_mcus = 2;
    write_seed("gen-unmatched-codes-422-row-restarts", build_hand_picture(no_match));
    write_seed("gen-huge-coefficients-grey", build_hand_picture(huge_coefficient_picture(1)));
    HandPicture huge = huge_coefficient_picture(2);
    huge.components = 3;
    huge.luma_sampling = 0x22;
    huge.chroma_tables = 0x00;
    huge.width = 16;
    huge.height = 16;
    write_seed("gen-huge-coefficients-420", build_hand_picture(huge));
    for (int sampling : {0x31, 0x13, 0x41}) {
        HandPicture p = long_code_picture(5, true);
        p.dht_segments = {table_set(2, 5)};
        p.luma_sampling = sampling;
        p.width = 16;
        p.height = 16;
        char name[64];
        snprintf(name, sizeof name, "gen-sampling-%x-%s", sampling, sampling == 0x41 ? "as-420" : "as-grey");
        write_seed(name, build_hand_picture(p));
    }
    TestRng rng(99);
    for (int n = 0; n < 4; n++)
        write_seed("gen-random-tables-" + std::to_string(n), build_hand_picture(random_table_picture(rng)));

    // A scan that stops mid-MCU without EOI, and bytes after an EOI.
    HandPicture open = long_code_picture(6, true);
    open.eoi = false;
    open.width = 16;
    open.height = 16;
    Bytes open_scan = build_hand_picture(open);
    write_seed("gen-scan-ends-mid-mcu-without-eoi", cut(open_scan, (scan_start(open_scan) * 2 + open_scan.size()) / 3));
    Bytes after = encode(1, 1, 1, 16, 16, 50, false, true, 0);
    Bytes second = encode(3, 1, 1, 8, 8, 50, false, false, 0);
    after.insert(after.end(), second.begin(), second.end());
    write_seed("gen-data-after-eoi", after);
    Bytes short_scan = cut(every_3, (scan_start(every_3) + scan_end(every_3)) / 2);
    for (uint8_t b : {0xFF, 0xD9, 0xFF, 0xD0, 0x55, 0xFF, 0xFF, 0xD1, 0xAA})
        short_scan.push_back(b);
    write_seed("gen-short-scan-then-eoi-and-junk", short_scan);

    // Pictures the game refuses, each for one reason (fuzz/refusals.txt lists them).
    EncodeOptions progressive;
    progressive.progressive = true;
    write_seed("refused-progressive", libjpeg_encode(make_picture(24, 16, 3, 11), 24, 16, progressive));
    EncodeOptions arithmetic;
    arithmetic.arithmetic = true;
    write_seed("refused-arithmetic", libjpeg_encode(make_picture(24, 16, 3, 11), 24, 16, arithmetic));
    Bytes exif = every_mcu;
    const uint8_t app1[] = {0xFF, 0xE1, 0x00, 0x08, 'E', 'x', 'i', 'f', 0x00, 0x00};
    exif.insert(exif.begin() + static_cast<long>(marker(exif, 0xDB)), app1, app1 + sizeof app1);
    write_seed("refused-exif", exif);
    Bytes twelve_bit = every_mcu;
    twelve_bit[marker(twelve_bit, 0xC0) + 4] = 12;
    write_seed("refused-12-bit", twelve_bit);
    write_seed("refused-cut-in-huffman-table", cut(every_mcu, marker(every_mcu, 0xC4) + 30));
    write_seed("refused-cut-before-scan", cut(every_mcu, marker(every_mcu, 0xDA)));
    Bytes not_jfif = every_mcu;
    not_jfif[marker(not_jfif, 0xE0) + 7] = 'X';
    write_seed("refused-not-jfif", not_jfif);
    Bytes two_components = rows;
    two_components[marker(two_components, 0xDA) + 4] = 2;
    write_seed("refused-scan-of-two-components", two_components);

    printf("%d seeds written to %s\n", written, folder.c_str());
    return failures == 0 ? 0 : 1;
}
