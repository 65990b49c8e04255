// Backgrounds decoded from "graphics.dat" on their first show and kept for the run.
#include "jpeg/decode_jpeg.h"
#include "shell/screens.h"

BackgroundCache background_cache;

void clear_background_cache()
{
    for (int n = 0; n < BACKGROUND_COUNT; n++) {
        background_cache.background_images[n] = NULL;
        background_cache.background_decoded[n] = 0;
    }
}

void decode_background(int n)
{
    const DATAFILE &object = graphics_data[n];
    background_cache.background_images[n] = decode_jpeg((const uint8_t *)object.dat, (size_t)object.size, NULL);
    // Marked even when the decoder refused the picture: it is not tried again.
    background_cache.background_decoded[n] = 1;
}

void show_background(int n)
{
    if (!background_cache.background_decoded[n])
        decode_background(n);
    BITMAP *image = background_cache.background_images[n];
    if (image == NULL) {
        // A refused picture leaves the screen black rather than half-drawn.
        clear_to_color(screen, 0);
        return;
    }
    blit(image, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}
