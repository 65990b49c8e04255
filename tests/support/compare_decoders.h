// Decodes one stream with decode_jpeg_reference and with the fast decoder on
// every vector path this processor runs, and tells whether the results are the
// same: both refused, or both bitmaps of the same depth and size with the same
// bytes in every line and the same palette. A refusal also carries its reason,
// which the header-only check must give alike.
// Shared by the unit tests, the corpus replay and the fuzz target.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct DecoderComparison {
    bool same;
    bool decoded;          // the reference gave a bitmap
    char difference[200];  // the first difference found (path named), empty when the same
    char reason[160];      // why the stream was refused, empty when decoded
};

DecoderComparison compare_decoders(const uint8_t *data, size_t size);
