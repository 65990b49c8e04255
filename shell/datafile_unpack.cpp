// A datafile's content from its file bytes: what follows the pack magic, and
// for a file packed as a whole, that unpacked here. The library's own unpacker
// leaves the last 18 bytes of its ring buffer uninitialised, so a packed
// stream that refers to them unpacks to whatever the heap held: the check and
// the loader would read different files. Such a stream is refused; any other
// unpacks here to exactly what the library's unpacker yields.
#include <stdio.h>

#include "shell/datafile_check.h"
#include "shell/datafile_format.h"
#include <allegro.h>

enum {
    RING_SIZE = 4096,    // the library's LZSS window (N)
    LONGEST_MATCH = 18,  // F: the ring's tail left unset at the start
    SHORTEST_MATCH = 2,  // THRESHOLD: a match's stored length counts from it
};

static bool unpack_lzss(const uint8_t *at, const uint8_t *end, std::vector<uint8_t> *content, char *reason,
                        size_t reason_size)
{
    static uint8_t ring[RING_SIZE];
    static bool set[RING_SIZE];
    for (int n = 0; n < RING_SIZE; n++) {
        ring[n] = 0;
        set[n] = n < RING_SIZE - LONGEST_MATCH;
    }
    int r = RING_SIZE - LONGEST_MATCH;
    unsigned flags = 0;
    // As the library's lzss_read: a flag byte per eight items, a literal or
    // a 12-bit position and 4-bit length; the stream may stop anywhere.
    for (;;) {
        if (((flags >>= 1) & 256) == 0) {
            if (at == end)
                break;
            flags = *at++ | 0xFF00u;
        }
        if (flags & 1) {
            if (at == end)
                break;
            ring[r] = *at++;
            set[r] = true;
            content->push_back(ring[r]);
            r = (r + 1) & (RING_SIZE - 1);
        } else {
            if (end - at < 2)
                break;
            int position = at[0] | ((at[1] & 0xF0) << 4);
            int length = (at[1] & 0x0F) + SHORTEST_MATCH + 1;
            at += 2;
            for (int k = 0; k < length; k++) {
                int from = (position + k) & (RING_SIZE - 1);
                if (!set[from]) {
                    snprintf(reason, reason_size, "is packed with a reference to bytes not unpacked yet, at byte %zu",
                             content->size());
                    return false;
                }
                ring[r] = ring[from];
                set[r] = true;
                content->push_back(ring[r]);
                r = (r + 1) & (RING_SIZE - 1);
            }
        }
        if (content->size() > MAX_CONTENT_SIZE) {
            snprintf(reason, reason_size, "unpacks to more than %d MB", MAX_CONTENT_SIZE >> 20);
            return false;
        }
    }
    return true;
}

bool unpack_datafile(const uint8_t *file, size_t size, std::vector<uint8_t> *content, char *reason, size_t reason_size)
{
    content->clear();
    uint32_t magic = size < 4 ? 0 : (uint32_t)file[0] << 24 | file[1] << 16 | file[2] << 8 | file[3];
    if (magic == (uint32_t)F_NOPACK_MAGIC) {
        content->assign(file + 4, file + size);
        return true;
    }
    if (magic == (uint32_t)F_PACK_MAGIC)
        return unpack_lzss(file + 4, file + size, content, reason, reason_size);
    snprintf(reason, reason_size, "is not an Allegro datafile");
    return false;
}
