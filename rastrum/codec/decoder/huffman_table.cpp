// Decoding form of a Huffman table: canonical codes per length, the 8-bit look-ahead and the
// combined symbol-and-value look-up of the block decoders.
#include <cstring>

#include "entropy_decoder.h"

namespace rastrum {

const uint8_t kZigZagToNatural[80] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  //
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, //
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, //
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63, //
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

namespace {

constexpr int32_t kMaxCodes = 257;

// Fills the combined entries of one code of `length` bits (length <= 8): every look-ahead index
// that starts with the code also holds the symbol's value bits, when they fit.
void FillFastLookup(HuffmanTable &table, int32_t code, int32_t length, uint8_t symbol) {
    const int32_t size = symbol & 15;
    const int32_t run = symbol >> 4;
    const int32_t total = length + size;
    if (total > 8) {
        return;
    }
    const int32_t first = code << (8 - length);
    const int32_t span = 1 << (8 - length);
    for (int32_t i = 0; i < span; ++i) {
        const int32_t index = first + i;
        int32_t value = 0;
        if (size > 0) {
            value = (index >> (8 - total)) & ((1 << size) - 1);
            if (value < (1 << (size - 1))) {
                value -= (1 << size) - 1;
            }
        }
        table.FastLookup[index] = static_cast<int32_t>(static_cast<uint32_t>(value) << 16) |
                                  (size << 12) | (run << 8) | total;
    }
}

} // namespace

int32_t BuildHuffmanTable(const uint8_t *counts, const uint8_t *symbols, int32_t tableClass,
                          int32_t tableId, HuffmanTable &table) {
    table.TableClass = tableClass;
    table.TableId = tableId;

    int32_t total = 0;
    for (int32_t length = 1; length <= 16; ++length) {
        total += counts[length - 1];
    }
    if (total > kMaxCodes) {
        return CODEC_BAD_HUFFMAN_TABLE;
    }

    // Canonical codes; a length may hold at most 2^length codes counted from the first code of
    // that length, or the look-ahead entries of its codes would run past the table.
    std::memset(table.Lookahead, 0, sizeof(table.Lookahead));
    std::memset(table.FastLookup, 0, sizeof(table.FastLookup));
    std::memset(table.Symbols, 0, sizeof(table.Symbols));
    int32_t code = 0;
    int32_t index = 0;
    for (int32_t length = 1; length <= 16; ++length) {
        const int32_t count = counts[length - 1];
        if (count == 0) {
            table.MinCode[length] = 0;
            table.MaxCode[length] = -1;
            table.FirstSymbol[length] = 0;
        } else {
            if (code + count > (1 << length)) {
                return CODEC_BAD_HUFFMAN_TABLE;
            }
            table.FirstSymbol[length] = index;
            table.MinCode[length] = code;
            table.MaxCode[length] = code + count - 1;
            for (int32_t i = 0; i < count; ++i, ++code, ++index) {
                const uint8_t symbol = symbols[index];
                table.Symbols[index] = symbol;
                if (length <= 8) {
                    const int32_t first = code << (8 - length);
                    const int32_t span = 1 << (8 - length);
                    for (int32_t j = 0; j < span; ++j) {
                        table.Lookahead[first + j] = static_cast<uint32_t>(length << 16) | symbol;
                    }
                    FillFastLookup(table, code, length, symbol);
                }
            }
        }
        code <<= 1;
    }
    table.MinCode[0] = 0;
    table.MaxCode[0] = -1;
    table.FirstSymbol[0] = 0;
    table.MinCode[17] = 0;
    table.MaxCode[17] = -1;
    table.FirstSymbol[17] = 0;
    return CODEC_SUCCESS;
}

} // namespace rastrum
