// Scan bounds and random edits of encoded streams.
#include "tests/support/stream_edits.h"

size_t scan_start(const Bytes &jpeg)
{
    for (size_t i = 0; i + 3 < jpeg.size(); i++) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
            size_t end = i + 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]);
            return end < jpeg.size() ? end : jpeg.size();
        }
    }
    return jpeg.size();
}

size_t scan_end(const Bytes &jpeg)
{
    for (size_t i = jpeg.size(); i >= 2; i--)
        if (jpeg[i - 2] == 0xFF && jpeg[i - 1] == 0xD9)
            return i - 2;
    return jpeg.size();
}

std::vector<size_t> ff_offsets(const Bytes &jpeg, size_t from)
{
    std::vector<size_t> out;
    for (size_t i = from; i < jpeg.size(); i++)
        if (jpeg[i] == 0xFF)
            out.push_back(i);
    return out;
}

// A random offset in [begin, end]; `end` itself allows an insertion at the scan's end.
static size_t place(TestRng &rng, size_t begin, size_t end)
{
    return begin + rng.below(static_cast<uint32_t>(end - begin + 1));
}

static void insert(Bytes *jpeg, size_t at, std::initializer_list<uint8_t> bytes)
{
    jpeg->insert(jpeg->begin() + static_cast<long>(at), bytes);
}

void apply_edit(Bytes *jpeg, ScanEdit edit, TestRng &rng)
{
    size_t begin = scan_start(*jpeg), end = scan_end(*jpeg);
    if (begin >= end) {
        begin = 0;
        end = jpeg->size();
    }
    if (end == 0)
        return;
    uint8_t marker = static_cast<uint8_t>(0xD0 + rng.below(8));
    if (edit == EDIT_UNSTUFF || edit == EDIT_DROP_PAIR) {
        std::vector<size_t> pairs;
        for (size_t i = begin; i + 1 < end; i++)
            if ((*jpeg)[i] == 0xFF && (*jpeg)[i + 1] == 0x00)
                pairs.push_back(i);
        if (pairs.empty()) {
            edit = EDIT_FLIP;
        } else {
            size_t at = pairs[rng.below(static_cast<uint32_t>(pairs.size()))];
            jpeg->erase(jpeg->begin() + static_cast<long>(edit == EDIT_UNSTUFF ? at + 1 : at),
                        jpeg->begin() + static_cast<long>(at + 2));
            return;
        }
    }
    switch (edit) {
    case EDIT_FLIP:
        (*jpeg)[place(rng, begin, end - 1)] ^= static_cast<uint8_t>(1 + rng.below(255));
        break;
    case EDIT_INSERT: {
        size_t at = place(rng, begin, end);
        for (uint32_t n = 1 + rng.below(3); n > 0; n--)
            insert(jpeg, at, {static_cast<uint8_t>(rng.next())});
        break;
    }
    case EDIT_DELETE: {
        size_t at = place(rng, begin, end - 1);
        size_t n = 1 + rng.below(3);
        if (n > jpeg->size() - at)
            n = jpeg->size() - at;
        jpeg->erase(jpeg->begin() + static_cast<long>(at), jpeg->begin() + static_cast<long>(at + n));
        break;
    }
    case EDIT_MARKER:
        insert(jpeg, place(rng, begin, end), {0xFF, marker});
        break;
    case EDIT_DOUBLE_FF:
        insert(jpeg, place(rng, begin, end), {0xFF, 0xFF, marker});
        break;
    case EDIT_SET_FF:
        (*jpeg)[place(rng, begin, end - 1)] = 0xFF;
        break;
    case EDIT_HEADER_FLIP:
        if (begin > 0)
            (*jpeg)[rng.below(static_cast<uint32_t>(begin))] ^= static_cast<uint8_t>(1 << rng.below(8));
        break;
    default:
        break;
    }
}
