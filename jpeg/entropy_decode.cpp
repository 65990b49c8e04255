// Bit reader, Huffman symbol decoding and block decoding of the scan data.
// Reads past the end of the stream yield zero bits, so a truncated picture keeps
// its intact part and the rest decodes deterministically.
#include "jpeg/decoder_stages.h"

#include <string.h>

// The byte at `at`, or 0 at the end of the stream (`at` never exceeds the end).
static int32_t byte_at(const JpegDecoder *dec, const uint8_t *at)
{
    return at < dec->data_end ? *at : 0;
}

static void step(JpegDecoder *dec)
{
    if (dec->cursor < dec->data_end)
        dec->cursor++;
}

void start_bits(JpegDecoder *dec)
{
    dec->current_byte = byte_at(dec, dec->cursor);
    dec->bits_left = 8;
    if (dec->current_byte == 0xFF)
        step(dec);  // over the stuffed 0x00, which is never read
}

int32_t next_bit(JpegDecoder *dec)
{
    dec->bits_left--;
    if (dec->bits_left < 0) {
        dec->bits_left = 7;
        step(dec);
        dec->current_byte = byte_at(dec, dec->cursor);
        if (dec->current_byte == 0xFF)
            step(dec);
    }
    return (dec->current_byte >> dec->bits_left) & 1;
}

int32_t receive_extend(JpegDecoder *dec, int32_t size)
{
    if (size == 0)
        return 0;
    int32_t v = 0;
    for (int32_t i = 0; i < size; i++)
        v = (v << 1) | next_bit(dec);
    return extend_sign(v, size);
}

// A restart marker right at `cursor` with only one-bits (padding) left unread.
static bool before_restart(const JpegDecoder *dec)
{
    if (!is_restart_marker(dec->cursor, dec->data_end))
        return false;
    int32_t mask = (1 << dec->bits_left) - 1;
    return (dec->current_byte & mask) == mask;
}

int32_t decode_symbol(JpegDecoder *dec, const HuffmanTable *table)
{
    if (before_restart(dec))
        return SYMBOL_RESTART;
    int32_t code = 0;
    for (int32_t l = 1; l <= 16; l++) {
        code = (code << 1) | next_bit(dec);
        for (int i = 0; i < 256; i++) {
            const HuffmanCode *hc = &table->entries[i];
            if (hc->length > l)
                break;
            if (hc->length == l && hc->code == code)
                return hc->symbol;
        }
    }
    return SYMBOL_NO_MATCH;
}

void put_error_pattern(int32_t block[64])
{
    for (int i = 0; i < 64; i++)
        block[i] = 0;
    for (int j = 0; j < 8; j++) {
        block[j * 9] = 255;
        block[j * 8 + 7 - j] = 255;
    }
}

int32_t decode_block(JpegDecoder *dec, int32_t block[64], int32_t dc_table_id, int32_t ac_table_id,
                     int32_t quant_table_id, int32_t *dc_predictor)
{
    int32_t symbol = decode_symbol(dec, &dec->huffman[dc_table_id]);
    if (symbol == SYMBOL_NO_MATCH) {
        put_error_pattern(block);
        return 1;
    }
    if (symbol == SYMBOL_RESTART)
        symbol = 0;
    *dc_predictor = add_wrapping(*dc_predictor, receive_extend(dec, symbol & 0x0F));
    block[0] = *dc_predictor;

    const HuffmanTable *ac_table = &dec->huffman[2 + ac_table_id];
    int k = 1;
    while (k < 64) {
        symbol = decode_symbol(dec, ac_table);
        if (symbol == SYMBOL_RESTART)
            symbol = 0;
        if (symbol == SYMBOL_NO_MATCH) {
            put_error_pattern(block);
            return 1;
        }
        int run = symbol >> 4;
        int size = symbol & 0x0F;
        int32_t value = receive_extend(dec, size);
        if (run == 0 && size == 0) {  // EOB
            while (k < 64)
                block[k++] = 0;
            break;
        }
        if (run == 15 && size == 0) {  // ZRL
            for (int n = 0; n < 16 && k < 64; n++)
                block[k++] = 0;
            continue;
        }
        for (int n = 0; n < run && k < 64; n++)
            block[k++] = 0;
        if (k >= 64)
            break;  // the value falls past the block and is dropped
        block[k++] = value;
    }

    dezigzag(block);
    inverse_dct(block, &dec->quant[quant_table_id]);
    return 0;
}
