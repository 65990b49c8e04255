// Damage for the equivalence tests and fuzz seeds: where a stream's scan data
// lies, and deterministic random edits of it (flipped, inserted and deleted
// bytes, stray markers, lost byte stuffing).
#pragma once

#include "tests/support/test_rng.h"
#include "tests/support/test_streams.h"

#include <stddef.h>

// Offset of the first entropy-coded byte (after the first SOS segment), or the
// stream's size when there is none.
size_t scan_start(const Bytes &jpeg);
// Offset of the last EOI marker, or the stream's size.
size_t scan_end(const Bytes &jpeg);
// Offsets of every 0xFF byte at or after `from`.
std::vector<size_t> ff_offsets(const Bytes &jpeg, size_t from);

enum ScanEdit {
    EDIT_FLIP,         // one byte XORed with a random non-zero mask
    EDIT_INSERT,       // one to three random bytes inserted
    EDIT_DELETE,       // one to three bytes deleted
    EDIT_MARKER,       // FF Dn inserted
    EDIT_DOUBLE_FF,    // FF FF Dn inserted
    EDIT_UNSTUFF,      // the 00 after an FF removed
    EDIT_DROP_PAIR,    // an FF 00 pair removed
    EDIT_SET_FF,       // a byte replaced by FF
    EDIT_HEADER_FLIP,  // one byte before the scan XORed (tables, sizes, sampling)
    EDIT_KINDS
};

// Applies `edit` once at a random place chosen by `rng`. Edits that need an
// FF 00 pair the stream lacks fall back to a flip.
void apply_edit(Bytes *jpeg, ScanEdit edit, TestRng &rng);
