// The reference decoder and the fast one on every available vector path, over
// the same bytes, compared byte by byte.
#include "tests/support/compare_decoders.h"

#include "jpeg/decoder_stages.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <stdio.h>
#include <string.h>

// First difference of two bitmaps, written into `out`; false when identical.
static bool find_difference(BITMAP *fast, BITMAP *ref, char *out, size_t out_size)
{
    int depth = bitmap_color_depth(ref);
    if (bitmap_color_depth(fast) != depth || fast->w != ref->w || fast->h != ref->h) {
        snprintf(out, out_size, "fast gives %dx%d at %d bits, reference %dx%d at %d bits", fast->w, fast->h,
                 bitmap_color_depth(fast), ref->w, ref->h, depth);
        return true;
    }
    int pixel_bytes = (depth + 7) / 8;
    size_t line_bytes = static_cast<size_t>(ref->w) * pixel_bytes;
    for (int y = 0; y < ref->h; y++) {
        const uint8_t *a = fast->line[y], *b = ref->line[y];
        if (memcmp(a, b, line_bytes) == 0)
            continue;
        size_t i = 0;
        while (a[i] == b[i])
            i++;
        snprintf(out, out_size, "pixel (%d,%d) byte %d: fast %d, reference %d", static_cast<int>(i / pixel_bytes), y,
                 static_cast<int>(i % pixel_bytes), a[i], b[i]);
        return true;
    }
    return false;
}

DecoderComparison compare_decoders(const uint8_t *data, size_t size)
{
    DecoderComparison result;
    result.difference[0] = '\0';
    PALETTE ref_palette;
    memset(ref_palette, 0, sizeof ref_palette);
    BITMAP *ref = decode_jpeg_reference(data, size, ref_palette);
    result.decoded = ref != nullptr;
    result.reason[0] = '\0';
    JpegRefusal refusal;
    int32_t width, height;
    if (jpeg_picture_size(data, size, &width, &height, &refusal) != result.decoded)
        snprintf(result.difference, sizeof result.difference, "the header check %s, the reference %s",
                 result.decoded ? "refuses" : "accepts", result.decoded ? "decodes" : "refuses");
    else if (!result.decoded && refusal.code == JPEG_ACCEPTED)
        snprintf(result.difference, sizeof result.difference, "refused without a reason");
    else if (!result.decoded)
        describe_jpeg_refusal(&refusal, result.reason, sizeof result.reason);
    for (int p = 0; p < VECTOR_PATH_COUNT && result.difference[0] == '\0'; p++) {
        const VectorPath path = static_cast<VectorPath>(p);
        if (!vector_path_available(path))
            continue;
        PALETTE fast_palette;
        memset(fast_palette, 0, sizeof fast_palette);
        BITMAP *fast = decode_jpeg_on(path, data, size, fast_palette);
        char what[160] = "";
        if ((fast != nullptr) != (ref != nullptr)) {
            snprintf(what, sizeof what, "fast %s, reference %s", fast ? "decodes" : "refuses",
                     ref ? "decodes" : "refuses");
        } else if (ref) {
            if (!find_difference(fast, ref, what, sizeof what) &&
                memcmp(fast_palette, ref_palette, sizeof fast_palette) != 0)
                snprintf(what, sizeof what, "palettes differ");
        }
        if (what[0])
            snprintf(result.difference, sizeof result.difference, "%s path: %s", vector_path_name(path), what);
        if (fast)
            destroy_bitmap(fast);
    }
    if (ref)
        destroy_bitmap(ref);
    result.same = result.difference[0] == '\0';
    return result;
}
