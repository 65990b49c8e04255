// The table of the ten backgrounds: object name, how each is drawn and how it is
// encoded. The encodings together cover every layout the game's decoder accepts.
#pragma once

#include "canvas.h"
#include "jpeg_encode.h"

constexpr int background_count = BACKGROUND_COUNT;

struct BackgroundInfo {
    const char *name;  // datafile NAME property and preview file stem
    JpegOptions jpeg;
};

extern const BackgroundInfo backgrounds[background_count];

Canvas draw_background(int index);  // 0 title, 1 form, 2 board, 3..9 results
