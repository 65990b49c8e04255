// The one line of English that says why the decoder refused a picture: what a
// user checking a picture with decode-jpeg, or the datafile check, prints.
#include "jpeg/decoder_stages.h"

#include <stdio.h>

// A marker's usual name ("SOF2", "APP1", "EOI"), or its two bytes in hex.
static void marker_name(int32_t code, char *name, size_t size)
{
    static const struct {
        int32_t code;
        const char *name;
    } named[] = {{0xC4, "DHT"}, {0xC8, "JPG"}, {0xCC, "DAC"}, {0xD8, "SOI"}, {0xD9, "EOI"},
                 {0xDA, "SOS"}, {0xDB, "DQT"}, {0xDD, "DRI"}, {0xFE, "COM"}};
    for (const auto &n : named) {
        if (n.code == code) {
            snprintf(name, size, "%s", n.name);
            return;
        }
    }
    if (code >= 0xC0 && code <= 0xCF)
        snprintf(name, size, "SOF%d", code - 0xC0);
    else if (code >= 0xE0 && code <= 0xEF)
        snprintf(name, size, "APP%d", code - 0xE0);
    else if (code >= 0xD0 && code <= 0xD7)
        snprintf(name, size, "RST%d", code - 0xD0);
    else
        snprintf(name, size, "0xFF%02X", static_cast<unsigned>(code));
}

// What a SEEN_* bit stands for.
static const char *required_name(int32_t seen_bit)
{
    switch (seen_bit) {
    case SEEN_SOI:
        return "SOI marker";
    case SEEN_APP0:
        return "APP0 (JFIF) segment";
    case SEEN_DQT:
        return "DQT segment";
    case SEEN_SOF:
        return "SOF0 or SOF1 segment";
    case SEEN_DHT:
        return "DHT segment";
    default:
        return "SOS segment";
    }
}

void describe_jpeg_refusal(const JpegRefusal *r, char *text, size_t text_size)
{
    char marker[16];
    marker_name(r->marker, marker, sizeof marker);
    switch (r->code) {
    case JPEG_ACCEPTED:
        snprintf(text, text_size, "accepted");
        break;
    case JPEG_CUT_SHORT:
        if (r->marker)
            snprintf(text, text_size, "cut short at byte %zu (in the %s segment at byte %zu)", r->end, marker, r->at);
        else
            snprintf(text, text_size, "cut short at byte %zu before the SOS", r->end);
        break;
    case JPEG_PROGRESSIVE:
        snprintf(text, text_size, "progressive JPEG (%s at byte %zu)", marker, r->at);
        break;
    case JPEG_LOSSLESS:
        snprintf(text, text_size, "lossless JPEG (%s at byte %zu)", marker, r->at);
        break;
    case JPEG_HIERARCHICAL:
        snprintf(text, text_size, "hierarchical JPEG (%s at byte %zu)", marker, r->at);
        break;
    case JPEG_ARITHMETIC:
        snprintf(text, text_size, "arithmetic coding (%s at byte %zu)", marker, r->at);
        break;
    case JPEG_APP_SEGMENT:
        snprintf(text, text_size, "%s segment (Exif or other metadata) at byte %zu", marker, r->at);
        break;
    case JPEG_UNEXPECTED_MARKER:
        snprintf(text, text_size, "unexpected marker %s at byte %zu", marker, r->at);
        break;
    case JPEG_SAMPLE_PRECISION:
        snprintf(text, text_size, "%d-bit samples", r->value);
        break;
    case JPEG_EMPTY_FRAME:
        snprintf(text, text_size, "a frame of %dx%d pixels", r->width, r->height);
        break;
    case JPEG_FRAME_QUANT_TABLE:
        snprintf(text, text_size, "the frame uses quantisation table %d (only 0 and 1)", r->value);
        break;
    case JPEG_QUANT_TABLE_ID:
        snprintf(text, text_size, "quantisation table id %d (only 0 and 1)", r->value);
        break;
    case JPEG_QUANT_16_BIT:
        snprintf(text, text_size, "16-bit quantisation table");
        break;
    case JPEG_HUFFMAN_CODE_COUNT:
        snprintf(text, text_size, "Huffman table of %d codes (at most 256)", r->value);
        break;
    case JPEG_SCAN_COMPONENT_COUNT:
        snprintf(text, text_size, "a scan of %d components (1 or 3 taken)", r->value);
        break;
    case JPEG_SCAN_COMPONENT_ID:
        snprintf(text, text_size, "scan component id %d (1, 2 or 3 taken)", r->value);
        break;
    case JPEG_SCAN_TABLE_ID:
        snprintf(text, text_size, "the scan uses Huffman table %d (only 0 and 1)", r->value);
        break;
    case JPEG_NOT_JFIF:
        snprintf(text, text_size, "the APP0 segment at byte %zu is not JFIF", r->at);
        break;
    case JPEG_JFIF_VERSION:
        snprintf(text, text_size, "JFIF version %d (1 taken)", r->value);
        break;
    case JPEG_SOS_TOO_LATE:
        snprintf(text, text_size, "SOS after byte %d", static_cast<int>(JPEG_SOS_LIMIT));
        break;
    case JPEG_MISSING_SEGMENT:
        snprintf(text, text_size, "no %s%s", required_name(r->value), r->marker ? " before the SOS" : "");
        break;
    case JPEG_TOO_LARGE:
        snprintf(text, text_size, "a %dx%d picture (more than %d pixels)", r->width, r->height,
                 static_cast<int>(JPEG_MAX_PIXELS));
        break;
    case JPEG_NO_MEMORY:
        snprintf(text, text_size, "no memory for a %dx%d bitmap", r->width, r->height);
        break;
    default:
        snprintf(text, text_size, "refused (reason %d)", r->code);
        break;
    }
}
