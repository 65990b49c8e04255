// Damaged copies of the game's datafiles, made deterministically from the built
// ones: the corpus the datafile check is tested on, and the small fuzz seeds.
// Also a datafile held in memory under a path the library can open.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

using DatBytes = std::vector<uint8_t>;

// Where one object lies in an unpacked datafile file (pack magic included).
struct ObjectAt {
    size_t start;  // its first property, or its type when it has none
    size_t type_at;
    uint32_t kind;
    size_t payload_at;
    size_t size;
};
std::vector<ObjectAt> object_outline(const DatBytes &file);

struct DamagedFile {
    std::string label;  // what was changed, e.g. "object 3 (SAMP): bits 12"
    DatBytes bytes;
    bool must_refuse;  // the change leaves sizes the loader would misread
};

// A few hundred damages over all objects of `file`, the same for one seed.
std::vector<DamagedFile> damaged_copies(const DatBytes &file, uint32_t seed);

// The file with every payload cut small and its sizes kept consistent:
// bitmaps 2x2, samples 16 long, raw data 64 bytes; fonts as they are.
DatBytes shrunk_copy(const DatBytes &file);

// A file in memory (memfd) with a path the library's pack_fopen opens.
struct MemoryFile {
    int fd;
    std::string path;
};
MemoryFile memory_file(const uint8_t *data, size_t size);
void close_memory_file(MemoryFile &file);

void put_be32(DatBytes &bytes, size_t at, uint32_t v);
void put_be16(DatBytes &bytes, size_t at, uint32_t v);
uint32_t get_be32(const DatBytes &bytes, size_t at);
uint32_t get_be16(const DatBytes &bytes, size_t at);
