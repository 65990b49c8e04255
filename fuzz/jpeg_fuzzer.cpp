// libFuzzer target: decode_jpeg over arbitrary bytes with their length. Under
// ASan and UBSan any read outside the input or undefined arithmetic is a crash,
// and so is any difference from decode_jpeg_reference (null-ness, size, a byte)
// on any vector path this processor runs (compare_decoders tries each).
#include "jpeg/decoder_stages.h"
#include "tests/support/compare_decoders.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

// Large frames are valid but only slow the search down: skip them here.
static const int64_t FUZZ_MAX_PIXELS = 1 << 18;

static bool start_allegro()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        abort();
    set_color_depth(24);
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = start_allegro();
    (void)ready;
    static JpegDecoder header;
    bool accepted = read_jpeg_headers(&header, data, size);
    if (accepted && static_cast<int64_t>(header.width) * header.height > FUZZ_MAX_PIXELS)
        return 0;
    BITMAP *bmp = decode_jpeg(data, size, nullptr);
    // The decoder accepts exactly what its header phase accepts, at the frame's size.
    if ((bmp != nullptr) != accepted)
        abort();
    if (bmp) {
        if (bmp->w != header.width || bmp->h != header.height || bitmap_color_depth(bmp) != 24)
            abort();
        destroy_bitmap(bmp);
    }
    DecoderComparison c = compare_decoders(data, size);
    if (!c.same || c.decoded != accepted) {
        fprintf(stderr, "fast and reference decodes differ: %s\n", c.difference);
        abort();
    }
    return 0;
}
