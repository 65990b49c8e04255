// The fast picture phase: the same MCU walk, restart steps and block decoding
// as decode_picture, with table-driven Huffman decoding, a 64-bit bit buffer,
// the fast transform and pixels written into the bitmap's lines.
#include "jpeg/decoder_stages.h"
#include "jpeg/bit_reader.h"
#include "jpeg/huffman_lookup.h"
#include "jpeg/inverse_dct_paths.h"
#include "jpeg/pixel_writer_paths.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

// Row-major position of each zigzag index: coefficients land where dezigzag would put them.
struct NaturalOrder {
    uint8_t at[64];
};

static constexpr NaturalOrder invert_zigzag()
{
    NaturalOrder order = {};
    for (int i = 0; i < 64; i++)
        order.at[zigzag_order[i]] = static_cast<uint8_t>(i);
    return order;
}

static constexpr NaturalOrder natural_order = invert_zigzag();

// One component's tables, as decode_block is given them.
struct ComponentTables {
    const HuffmanLookup *dc;
    const HuffmanLookup *ac;
    const QuantTable *quant;
    const NarrowQuant *narrow;
    InverseDct idct;
};

// A block whose 63 AC coefficients are all zero: the transform's shortcut,
// every sample ((d q * 4) * 8192 + round) >> 18, in the reference's wrapping
// 32-bit arithmetic, without the transform's passes over 64 coefficients.
static inline void fill_flat_block(int32_t dc, const QuantTable *quant, int32_t block[64])
{
    const uint32_t w = static_cast<uint32_t>(dc) * static_cast<uint32_t>(quant->values[0]) * (1u << IDCT_FRACTION_BITS);
    const int32_t sample =
        (static_cast<int32_t>(w * static_cast<uint32_t>(IDCT_ONE) + IDCT_ROW_ROUND) >> IDCT_ROW_SHIFT) +
        SAMPLE_LEVEL_SHIFT;
    for (int i = 0; i < 64; i++)
        block[i] = sample;
}

// What decode_block_bits left in a block.
enum BlockContent {
    BLOCK_SAMPLES,       // samples (the error pattern)
    BLOCK_FLAT,          // samples, one value 64 times
    BLOCK_COEFFICIENTS,  // coefficients in natural order, for the transform
};

// decode_block with the lookup tables, up to the transform: the coefficients,
// or the samples when they need no transform.
static inline __attribute__((always_inline)) BlockContent
decode_block_bits(BitReader *br, const ComponentTables *tables, int32_t *dc_predictor, int32_t block[64])
{
    if (br->stuck) {
        // Every symbol reads as 0 without a bit consumed: DC difference 0, then end of block.
        fill_flat_block(*dc_predictor, tables->quant, block);
        return BLOCK_FLAT;
    }
    // Copied from zeros rather than memset: GCC makes a 256-byte memset a
    // `rep stos`, whose start-up costs more than the sixteen vector stores.
    static const int32_t zeros[64] = {};
    memcpy(block, zeros, sizeof zeros);
    ensure_bits(br, 32);
    int32_t difference;
    CodedValue dc = tables->dc->coded[peek_bits(br, HUFFMAN_LOOKAHEAD)];
    if (dc.length != 0) {
        skip_bits(br, dc.length);
        difference = dc.value;
    } else {
        int32_t symbol = lookup_symbol(br, tables->dc);
        if (symbol < 0) {
            put_error_pattern(block);
            return BLOCK_SAMPLES;
        }
        difference = read_extended(br, symbol & 0x0F);
    }
    *dc_predictor = add_wrapping(*dc_predictor, difference);
    block[0] = *dc_predictor;

    int32_t k = 1;
    int32_t any_ac = 0;  // the OR of the AC values stored
    while (k < 64) {
        ensure_bits(br, 32);
        CodedValue ac = tables->ac->coded[peek_bits(br, HUFFMAN_LOOKAHEAD)];
        if (ac.length != 0) {
            skip_bits(br, ac.length);
            k += ac.run;
            if (k >= 64)
                break;
            block[natural_order.at[k++]] = ac.value;
            any_ac |= ac.value;
            continue;
        }
        int32_t symbol = lookup_symbol(br, tables->ac);
        if (symbol < 0) {
            put_error_pattern(block);
            return BLOCK_SAMPLES;
        }
        int32_t run = symbol >> 4;
        int32_t size = symbol & 0x0F;
        int32_t value = read_extended(br, size);
        if (size == 0) {
            if (run == 0)
                break;  // end of block
            if (run == 15) {
                k += 16;  // sixteen zeros
                continue;
            }
        }
        k += run;
        if (k >= 64)
            break;  // the value falls past the block and is dropped
        block[natural_order.at[k++]] = value;
        any_ac |= value;
    }
    if (any_ac == 0) {
        fill_flat_block(block[0], tables->quant, block);
        return BLOCK_FLAT;
    }
    return BLOCK_COEFFICIENTS;
}

// The transform waiting for the next block's decoding: run one block late, its
// vector loads no longer wait for the coefficient stores just made, and the
// transform still overlaps the decoding of the next block.
struct PendingTransform {
    const ComponentTables *tables;
    int32_t *block;
};

static inline __attribute__((always_inline)) void transform_pending(PendingTransform *pending)
{
    if (pending->block)
        pending->tables->idct(pending->block, pending->tables->quant, pending->tables->narrow);
    pending->block = nullptr;
}

// decode_block_bits, then the previous block's transform; this block's waits in `pending`.
static inline __attribute__((always_inline)) BlockContent
decode_block_then_transform(BitReader *br, const ComponentTables *tables, int32_t *dc_predictor, int32_t block[64],
                            PendingTransform *pending)
{
    const BlockContent content = decode_block_bits(br, tables, dc_predictor, block);
    transform_pending(pending);
    if (content == BLOCK_COEFFICIENTS)
        *pending = PendingTransform{tables, block};
    return content;
}

// The blocks of one MCU, luma then (for colour) Cb and Cr, with the reader in
// a local copy the compiler can keep in registers. preds: Y, Cb, Cr. True
// when Cb and Cr are each one value.
static bool decode_mcu_blocks(BitReader *reader, const ComponentTables *luma, const ComponentTables *chroma,
                              int32_t luma_blocks, bool colour, int32_t preds[3], int32_t (*y)[64], int32_t cb[64],
                              int32_t cr[64])
{
    BitReader local = *reader;
    PendingTransform pending = {nullptr, nullptr};
    for (int32_t i = 0; i < luma_blocks; i++)
        decode_block_then_transform(&local, luma, &preds[0], y[i], &pending);
    bool chroma_flat = false;
    if (colour) {
        const BlockContent cb_content = decode_block_then_transform(&local, chroma, &preds[1], cb, &pending);
        const BlockContent cr_content = decode_block_then_transform(&local, chroma, &preds[2], cr, &pending);
        chroma_flat = cb_content == BLOCK_FLAT && cr_content == BLOCK_FLAT;
    }
    *reader = local;
    transform_pending(&pending);
    return chroma_flat;
}

// The fast path needs whole-byte channel shifts and no 0xFF 0xFF RSTn in the data;
// otherwise the straightforward phase runs.
void decode_picture_fast(JpegDecoder *dec, BITMAP *bitmap)
{
    decode_picture_fast_on(fastest_vector_path(), dec, bitmap);
}

void decode_picture_fast_on(VectorPath path, JpegDecoder *dec, BITMAP *bitmap)
{
    PixelLayout pixels;
    if (!pixel_layout_24(&pixels) || has_inner_marker_pattern(dec->cursor, dec->data_end)) {
        decode_picture(dec, bitmap);
        return;
    }

    HuffmanLookup lookups[4];
    for (int i = 0; i < 4; i++)
        build_huffman_lookup(&dec->huffman[i], &lookups[i]);
    NarrowQuant narrow[2];
    narrow_quant(&dec->quant[dec->luma_quant], &narrow[0]);
    narrow_quant(&dec->quant[dec->chroma_quant], &narrow[1]);
    const ComponentTables luma = {&lookups[dec->luma_dc_table], &lookups[2 + dec->luma_ac_table],
                                  &dec->quant[dec->luma_quant], &narrow[0], inverse_dct_for(path)};
    const ComponentTables chroma = {&lookups[dec->chroma_dc_table], &lookups[2 + dec->chroma_ac_table],
                                    &dec->quant[dec->chroma_quant], &narrow[1], inverse_dct_for(path)};

    McuLayout mcu = mcu_layout(dec);

    alignas(32) int32_t y[4][64], cb[64], cr[64];
    const int32_t *const luma_samples[4] = {y[0], y[1], y[2], y[3]};
    int32_t preds[3] = {0, 0, 0};

    BitReader br;
    start_bit_reader(&br, dec->cursor, dec->data_end);
    for (int32_t mcu_y = 0; mcu_y < dec->height; mcu_y += mcu.height) {
        for (int32_t mcu_x = 0; mcu_x < dec->width; mcu_x += mcu.width) {
            const bool chroma_flat =
                decode_mcu_blocks(&br, &luma, &chroma, mcu.luma_blocks, mcu.sampling != 0, preds, y, cb, cr);
            if (mcu.sampling == 0) {
                write_grey_block_on(path, bitmap, mcu_x, mcu_y, y[0]);
                continue;
            }
            write_colour_mcu_on(path, bitmap, &pixels, mcu_x, mcu_y, mcu.sampling, luma_samples, cb, cr, chroma_flat);
        }
        if (dec->markers_seen & SEEN_DRI) {
            restart_bit_reader(&br);
            preds[0] = preds[1] = preds[2] = 0;
        }
    }
}
