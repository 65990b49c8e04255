// dat-object DATAFILE INDEX OUT: writes one object of an Allegro datafile to a
// file, so the end-to-end tests can compare the screen with what the game was
// given: raw data as its bytes, a bitmap as a binary PPM, a sample as a WAV.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <allegro.h>

static int write_raw(const DATAFILE &object, FILE *out)
{
    return fwrite(object.dat, 1, object.size, out) == (size_t)object.size ? 0 : 1;
}

static int write_ppm(BITMAP *bitmap, FILE *out)
{
    fprintf(out, "P6\n%d %d\n255\n", bitmap->w, bitmap->h);
    int depth = bitmap_color_depth(bitmap);
    for (int y = 0; y < bitmap->h; y++)
        for (int x = 0; x < bitmap->w; x++) {
            int c = getpixel(bitmap, x, y);
            fputc(getr_depth(depth, c), out);
            fputc(getg_depth(depth, c), out);
            fputc(getb_depth(depth, c), out);
        }
    return 0;
}

static void put16(FILE *out, unsigned v)
{
    fputc(v & 0xFF, out);
    fputc((v >> 8) & 0xFF, out);
}
static void put32(FILE *out, unsigned v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The library keeps samples unsigned; WAV keeps 16-bit samples signed.
static int write_wav(const SAMPLE *sample, FILE *out)
{
    unsigned channels = sample->stereo ? 2 : 1;
    unsigned bytes = (unsigned)(sample->bits / 8);
    unsigned data_size = sample->len * channels * bytes;
    fwrite("RIFF", 1, 4, out);
    put32(out, 36 + data_size);
    fwrite("WAVEfmt ", 1, 8, out);
    put32(out, 16);
    put16(out, 1);
    put16(out, channels);
    put32(out, sample->freq);
    put32(out, sample->freq * channels * bytes);
    put16(out, channels * bytes);
    put16(out, sample->bits);
    fwrite("data", 1, 4, out);
    put32(out, data_size);
    for (unsigned i = 0; i < sample->len * channels; i++) {
        if (bytes == 1)
            fputc(((const unsigned char *)sample->data)[i], out);
        else
            put16(out, ((const unsigned short *)sample->data)[i] ^ 0x8000);
    }
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc != 4) {
        fprintf(stderr, "usage: dat-object DATAFILE INDEX OUT\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    set_color_depth(24);  // bitmaps come out as the game, in its 24-bit mode, gets them
    DATAFILE *data = load_datafile(argv[1]);
    if (data == NULL) {
        fprintf(stderr, "dat-object: cannot load %s\n", argv[1]);
        return 1;
    }
    int index = atoi(argv[2]);
    int count = 0;
    while (data[count].type != DAT_END)
        count++;
    if (index < 0 || index >= count) {
        fprintf(stderr, "dat-object: %s holds %d objects, no object %d\n", argv[1], count, index);
        return 1;
    }
    FILE *out = fopen(argv[3], "wb");
    if (out == NULL) {
        perror(argv[3]);
        return 1;
    }
    const DATAFILE &object = data[index];
    int status;
    if (object.type == DAT_BITMAP)
        status = write_ppm((BITMAP *)object.dat, out);
    else if (object.type == DAT_SAMPLE)
        status = write_wav((const SAMPLE *)object.dat, out);
    else
        status = write_raw(object, out);
    if (fclose(out) != 0)
        status = 1;
    unload_datafile(data);
    return status;
}
