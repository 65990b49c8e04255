// The header phase: the marker scan and the segment parsers that fill a JpegDecoder.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct JpegDecoder;

// Result of every parser when the segment (or a table or thumbnail in it) would
// run past the end of the stream.
enum { JPEG_PAST_END = 4 };

// Each parser starts with `cursor` on the marker's code byte (after the 0xFF),
// advances it and returns 0 on success or a refusal code:
// 2 = precision not 8; 3 = width or height 0, or a quantisation table id above 1.
int32_t parse_sof(JpegDecoder *dec);
// 1 = the 16 counts of a table add up to more than 256.
int32_t parse_dht(JpegDecoder *dec);
// 1 = table id above 1, or 16-bit values.
int32_t parse_dqt(JpegDecoder *dec);
// 2 = component count not 1 or 3; 3 = identifier not 1..3, or a table selector above 1.
int32_t parse_sos(JpegDecoder *dec);
// 1 = length below 16, identifier not "JFIF", or major version not 1.
int32_t parse_app0(JpegDecoder *dec);

// Zero-fills `dec` and runs the marker scan over data[0..size) up to the first
// SOS. Returns true when every required segment was met and accepted; `cursor`
// then stands on the first byte of the entropy-coded data.
bool read_jpeg_headers(JpegDecoder *dec, const uint8_t *data, size_t size);
