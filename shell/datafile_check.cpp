// The check each datafile passes before the library's loader sees it. The
// loader trusts every count and size it reads and, on any object it fails to
// load, frees the file's object list twice; so a file is taken only when the
// whole of it is as the loader expects: the outline (magic, object count,
// properties, chunks lying within the file), every object's inner sizes
// against its payload (datafile_objects.cpp), nested datafiles likewise, and
// then the objects the game takes from it.
//
// A file packed as a whole is checked unpacked (datafile_unpack.cpp). An
// object packed on its own (a negative chunk size) is refused: its payload
// could only be checked by unpacking it, and the game's files never have one.
#include <stdio.h>
#include <string.h>

#include <vector>

#include "jpeg/decode_jpeg.h"
#include "shell/datafile_check.h"
#include "shell/datafile_format.h"
#include "shell/screens.h"

namespace
{

struct ObjectSpan {
    uint32_t kind;
    const uint8_t *payload;
    size_t size;
};

const char *kind_name(uint32_t kind)
{
    switch (kind) {
    case DAT_BITMAP:
        return "bitmap";
    case DAT_FONT:
        return "font";
    case DAT_SAMPLE:
        return "sample";
    case DAT_FILE:
        return "datafile";
    case DAT_MIDI:
        return "MIDI";
    case DAT_RLE_SPRITE:
        return "RLE sprite";
    case DAT_C_SPRITE:
    case DAT_XC_SPRITE:
        return "compiled sprite";
    default:
        return "raw data";  // whatever the loader does not convert
    }
}

bool printable_id(uint32_t id)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        unsigned c = (id >> shift) & 0xFF;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

// Well-formed UTF-8 without NUL: the library keeps property values as
// strings in its own encoding, UTF-8.
bool utf8_text(const uint8_t *p, size_t n)
{
    size_t i = 0;
    while (i < n) {
        uint8_t c = p[i];
        if (c == 0)
            return false;
        size_t more = c < 0x80                 ? 0
                      : c >= 0xC2 && c <= 0xDF ? 1
                      : c >= 0xE0 && c <= 0xEF ? 2
                      : c >= 0xF0 && c <= 0xF4 ? 3
                                               : 4;
        if (more == 4 || n - i - 1 < more)
            return false;
        for (size_t k = 1; k <= more; k++)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((c == 0xE0 && p[i + 1] < 0xA0) || (c == 0xED && p[i + 1] > 0x9F) || (c == 0xF0 && p[i + 1] < 0x90) ||
            (c == 0xF4 && p[i + 1] > 0x8F))
            return false;
        i += 1 + more;
    }
    return true;
}

bool ends_inside(uint32_t index, uint32_t count, char *fault)
{
    snprintf(fault, FAULT_SIZE, "ends inside object %u of the %u it announces", index, count);
    return false;
}

bool check_object_list(ByteReader &r, int depth, std::vector<ObjectSpan> *spans, char *fault);

// One object: its properties, its type, its chunk sizes and payload.
bool check_object(ByteReader &r, uint32_t index, uint32_t count, int depth, std::vector<ObjectSpan> *spans, char *fault)
{
    uint32_t kind;
    int properties = 0;
    for (;;) {
        if (!take_u32(r, &kind))
            return ends_inside(index, count, fault);
        if (kind != (uint32_t)DAT_PROPERTY)
            break;
        uint32_t id, size;
        if (!take_u32(r, &id) || !take_u32(r, &size) || size > bytes_left(r))
            return ends_inside(index, count, fault);
        if (++properties > MAX_PROPERTIES_PER_OBJECT) {
            snprintf(fault, FAULT_SIZE, "object %u has more than %d properties", index, MAX_PROPERTIES_PER_OBJECT);
            return false;
        }
        if (!printable_id(id)) {
            snprintf(fault, FAULT_SIZE, "object %u: property id 0x%08X is not four printable characters", index, id);
            return false;
        }
        if (!utf8_text(r.at, size)) {
            snprintf(fault, FAULT_SIZE, "object %u: its %c%c%c%c property is not UTF-8 text", index, (char)(id >> 24),
                     (char)(id >> 16), (char)(id >> 8), (char)id);
            return false;
        }
        r.at += size;
    }
    uint32_t unpacked_size, stored_size;
    if (!take_u32(r, &unpacked_size) || !take_u32(r, &stored_size))
        return ends_inside(index, count, fault);
    // The loader would look the end marker up among its free type slots and
    // call their null loader.
    if (kind == (uint32_t)DAT_END) {
        snprintf(fault, FAULT_SIZE, "object %u: its type is the end-of-list marker", index);
        return false;
    }
    const char *name = kind_name(kind);
    if ((int32_t)stored_size < 0) {
        snprintf(fault, FAULT_SIZE, "object %u (%s): is packed on its own, which the game's files never are", index,
                 name);
        return false;
    }
    if (stored_size > bytes_left(r))
        return ends_inside(index, count, fault);
    if (unpacked_size != stored_size) {
        snprintf(fault, FAULT_SIZE, "object %u (%s): its two sizes differ (%u and %u bytes)", index, name,
                 unpacked_size, stored_size);
        return false;
    }
    const uint8_t *payload = r.at;
    r.at += stored_size;

    char inner[FAULT_SIZE] = "";
    bool sound = true;
    switch (kind) {
    case DAT_BITMAP:
        sound = check_bitmap_payload(payload, stored_size, inner);
        break;
    case DAT_FONT:
        sound = check_font_payload(payload, stored_size, inner);
        break;
    case DAT_SAMPLE:
        sound = check_sample_payload(payload, stored_size, inner);
        break;
    case DAT_FILE: {
        if (depth + 1 > MAX_NESTING) {
            snprintf(inner, sizeof inner, "datafiles nest more than %d deep", MAX_NESTING);
            sound = false;
            break;
        }
        ByteReader nested = {payload, payload + stored_size};
        sound = check_object_list(nested, depth + 1, NULL, inner);
        break;
    }
    case DAT_MIDI:
    case DAT_RLE_SPRITE:
    case DAT_C_SPRITE:
    case DAT_XC_SPRITE:
        snprintf(inner, sizeof inner, "a kind the game does not use, whose payload is not checked");
        sound = false;
        break;
    default:
        break;  // raw data: the loader copies the payload as it is
    }
    if (!sound) {
        // The reason fits with room to spare; were it ever longer, it would be cut.
        if (snprintf(fault, FAULT_SIZE, "object %u (%s): %s", index, name, inner) >= FAULT_SIZE)
            fault[FAULT_SIZE - 1] = '\0';
        return false;
    }
    if (spans)
        spans->push_back({kind, payload, stored_size});
    return true;
}

// An object count and that many objects, filling the rest of `r` exactly.
bool check_object_list(ByteReader &r, int depth, std::vector<ObjectSpan> *spans, char *fault)
{
    uint32_t count;
    if (!take_u32(r, &count)) {
        snprintf(fault, FAULT_SIZE, "ends before its object count");
        return false;
    }
    // The loader allocates the object list by the count before reading any.
    if ((int32_t)count < 0 || (uint64_t)count * OBJECT_HEADER_SIZE > bytes_left(r)) {
        snprintf(fault, FAULT_SIZE, "announces %u objects, more than its %zu bytes can hold", count, bytes_left(r));
        return false;
    }
    for (uint32_t i = 0; i < count; i++)
        if (!check_object(r, i, count, depth, spans, fault))
            return false;
    if (bytes_left(r) != 0) {
        snprintf(fault, FAULT_SIZE, "holds %zu bytes after its last object", bytes_left(r));
        return false;
    }
    return true;
}

bool check_layout(const std::vector<ObjectSpan> &spans, const DatafileLayout &layout, char *fault)
{
    if (spans.size() < (size_t)layout.count) {
        snprintf(fault, FAULT_SIZE, "holds %zu object%s where the game needs %d", spans.size(),
                 spans.size() == 1 ? "" : "s", layout.count);
        return false;
    }
    for (int i = 0; i < layout.count; i++) {
        const ObjectSpan &object = spans[i];
        uint32_t wanted = (uint32_t)layout.kinds[i];
        if (object.kind != wanted) {
            const char *article = wanted == (uint32_t)DAT_DATA ? "" : "a ";
            snprintf(fault, FAULT_SIZE, "object %d (%s): the game needs %s%s here", i, kind_name(object.kind), article,
                     kind_name(wanted));
            return false;
        }
        if (layout.screen_pictures && wanted == (uint32_t)DAT_DATA) {
            // What the header phase accepts the decoder decodes: refusals
            // all come from it (see jpeg_fuzzer).
            int32_t width = 0, height = 0;
            JpegRefusal refusal;
            if (!jpeg_picture_size(object.payload, object.size, &width, &height, &refusal)) {
                char why[120];
                describe_jpeg_refusal(&refusal, why, sizeof why);
                snprintf(fault, FAULT_SIZE, "object %d (raw data): not a JPEG the game's decoder accepts: %s", i, why);
                return false;
            }
            // The screen shows the top-left 800 by 600 pixels: less would leave it part black.
            if (width < SCREEN_WIDTH || height < SCREEN_HEIGHT) {
                snprintf(fault, FAULT_SIZE, "object %d (raw data): a %dx%d picture where the game needs at least %dx%d",
                         i, (int)width, (int)height, SCREEN_WIDTH, SCREEN_HEIGHT);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool check_datafile_content(const uint8_t *data, size_t size, const DatafileLayout *layout, char *reason,
                            size_t reason_size)
{
    ByteReader r = {data, data + size};
    uint32_t magic;
    if (!take_u32(r, &magic) || magic != (uint32_t)DAT_MAGIC) {
        snprintf(reason, reason_size, "is not an Allegro datafile");
        return false;
    }
    std::vector<ObjectSpan> spans;
    char fault[FAULT_SIZE];
    if (!check_object_list(r, 0, &spans, fault) || (layout && !check_layout(spans, *layout, fault))) {
        snprintf(reason, reason_size, "%s", fault);
        return false;
    }
    return true;
}

bool check_datafile(const char *path, const DatafileLayout *layout, char *reason, size_t reason_size)
{
    // Plain bytes: the unpacking, if any, is done by unpack_datafile.
    PACKFILE *file = pack_fopen(path, F_READ);
    if (file == NULL) {
        snprintf(reason, reason_size, "cannot be opened");
        return false;
    }
    // Grown by what is read, never by a size the file states.
    std::vector<uint8_t> bytes;
    const size_t block = 1 << 16;
    for (;;) {
        size_t had = bytes.size();
        bytes.resize(had + block);
        long got = pack_fread(bytes.data() + had, (long)block, file);
        bytes.resize(had + (got > 0 ? (size_t)got : 0));
        if (got < (long)block || bytes.size() > MAX_CONTENT_SIZE)
            break;
    }
    bool unreadable = pack_ferror(file) != 0;
    pack_fclose(file);
    if (bytes.size() > MAX_CONTENT_SIZE) {
        snprintf(reason, reason_size, "holds more than %d MB", MAX_CONTENT_SIZE >> 20);
        return false;
    }
    if (unreadable) {
        snprintf(reason, reason_size, "cannot be read");
        return false;
    }
    std::vector<uint8_t> content;
    return unpack_datafile(bytes.data(), bytes.size(), &content, reason, reason_size) &&
           check_datafile_content(content.data(), content.size(), layout, reason, reason_size);
}

bool check_datafiles(std::string *why)
{
    const DatafileLayout *const layouts[] = {&graphics_layout, &music_layout, &battle_layout};
    for (const DatafileLayout *layout : layouts) {
        char reason[FAULT_SIZE];
        if (!exists(layout->file_name))
            snprintf(reason, sizeof reason, "missing from the working folder");
        else if (check_datafile(layout->file_name, layout, reason, sizeof reason))
            continue;
        *why = std::string(layout->file_name) + ": " + reason;
        return false;
    }
    return true;
}
