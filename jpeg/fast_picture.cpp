// Placeholder: the reference picture phase until the fast one lands.
#include "jpeg/decode_jpeg.h"

void decode_picture_fast(JpegDecoder *dec, BITMAP *bitmap)
{
    decode_picture(dec, bitmap);
}
