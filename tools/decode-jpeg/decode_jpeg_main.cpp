// decode-jpeg IN.jpg OUT.ppm [--repeat N]: decodes a picture with the game's own
// decoder and writes it as a binary PPM, so a picture can be checked before it
// goes into the game. Exit 0 decoded, 1 refused (with the reason), 2 unreadable
// or unwritable.
#include "jpeg/decode_jpeg.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <chrono>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "platform/whole_file.h"

static int usage()
{
    fprintf(stderr, "usage: decode-jpeg IN.jpg OUT.ppm [--repeat N]\n");
    return 2;
}

static bool write_ppm(const char *path, BITMAP *bitmap)
{
    FILE *f = fopen(path, "wb");
    if (!f)
        return false;
    fprintf(f, "P6\n%d %d\n255\n", bitmap->w, bitmap->h);
    std::vector<uint8_t> row(static_cast<size_t>(bitmap->w) * 3);
    for (int y = 0; y < bitmap->h; y++) {
        for (int x = 0; x < bitmap->w; x++) {
            int pixel = getpixel(bitmap, x, y);
            row[x * 3] = static_cast<uint8_t>(getr24(pixel));
            row[x * 3 + 1] = static_cast<uint8_t>(getg24(pixel));
            row[x * 3 + 2] = static_cast<uint8_t>(getb24(pixel));
        }
        fwrite(row.data(), 1, row.size(), f);
    }
    bool ok = !ferror(f);
    if (fclose(f) != 0 || !ok) {
        remove(path);  // no half-written picture left behind
        return false;
    }
    return true;
}

int main(int argc, char **argv)
{
    const char *in = nullptr, *out = nullptr;
    long repeat = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--repeat") == 0) {
            if (i + 1 >= argc)
                return usage();
            char *end;
            repeat = strtol(argv[++i], &end, 10);
            if (*end != '\0' || repeat < 1)
                return usage();
        } else if (!in) {
            in = argv[i];
        } else if (!out) {
            out = argv[i];
        } else {
            return usage();
        }
    }
    if (!in || !out)
        return usage();

    std::string file;
    if (read_whole_file(in, &file) != WholeFile::read) {
        fprintf(stderr, "decode-jpeg: cannot read %s: %s\n", in, strerror(errno));
        return 2;
    }

    // No screen: bitmaps only. Depth 24 so the decoder's result is not converted.
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        fprintf(stderr, "decode-jpeg: cannot start Allegro\n");
        return 2;
    }
    set_color_depth(24);

    const uint8_t *data = reinterpret_cast<const uint8_t *>(file.data());
    JpegRefusal refusal;
    BITMAP *bitmap = decode_jpeg_with_reason(data, file.size(), nullptr, &refusal);
    if (!bitmap) {
        char reason[160];
        describe_jpeg_refusal(&refusal, reason, sizeof reason);
        fprintf(stderr, "decode-jpeg: %s: refused: %s\n", in, reason);
        return 1;
    }

    if (repeat > 0) {
        auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < repeat; i++)
            destroy_bitmap(decode_jpeg(data, file.size(), nullptr));
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double ms = seconds * 1000.0 / repeat;
        double megapixels = static_cast<double>(bitmap->w) * bitmap->h / 1e6;
        fprintf(stderr, "decode-jpeg: %ld decodes, %.3f ms per decode, %.2f megapixels/s\n", repeat, ms,
                megapixels * repeat / seconds);
    }

    if (!write_ppm(out, bitmap)) {
        fprintf(stderr, "decode-jpeg: cannot write %s: %s\n", out, strerror(errno));
        destroy_bitmap(bitmap);
        return 2;
    }
    destroy_bitmap(bitmap);
    return 0;
}
