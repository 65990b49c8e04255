// The bench's generated pictures: photo-like content (gradients, shaded discs
// with hard and soft edges, mild noise from a fixed seed) encoded in process by
// libjpeg-turbo at quality 85 with the standard Huffman tables.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

struct BenchPicture {
    std::string name;
    std::vector<uint8_t> jpeg;
};

// width*height*3 RGB bytes; the same seed always gives the same bytes.
std::vector<uint8_t> photo_like_rgb(int width, int height, uint32_t seed);

// Luminance of an RGB picture, one byte a pixel (BT.601 weights).
std::vector<uint8_t> grey_of(const std::vector<uint8_t> &rgb);

// 800x600 and 1920x1080, each grey, 4:4:4, 4:2:2 and 4:2:0, each without and
// with a restart marker after every MCU row: 16 pictures, named like
// "gen-800x600-420-rst".
std::vector<BenchPicture> generated_pictures();
