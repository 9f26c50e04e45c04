// Huffman decoding tables: the standard tables decode their published codes (short codes through
// the look-ahead, long ones through the per-length search), bad tables are refused, and the
// zig-zag order is the diagonal walk of the block.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "codec/entropy_stream_builder.h"
#include "entropy_decoder.h"

using namespace entropy_test;

namespace {

// Decodes one symbol from a stream holding `code` followed by 0 bits; returns the symbol and the
// number of bits it took (the first refill holds four data bytes, 32 bits).
struct Decoded {
    int32_t Result = 0;
    int32_t Symbol = -1;
    int32_t Bits = 0;
};

Decoded DecodeCode(const HuffmanTable &table, const std::string &code) {
    BitWriter writer;
    writer.PutString(code);
    writer.Put(0, 16);
    writer.Put(0, 16);
    writer.Pad();
    std::vector<uint8_t> &bytes = writer.Bytes();
    CodecStream stream = MemoryStream(bytes);
    Decoded decoded;
    decoded.Result = rastrum::DecodeSymbol(stream, table, decoded.Symbol);
    decoded.Bits = 32 - stream.BitCount;
    return decoded;
}

} // namespace

TEST(HuffmanTable, StandardTablesDecodeTheirPublishedCodes) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    const struct {
        const HuffmanTable *table;
        const char *code;
        int32_t symbol;
    } cases[] = {
        {&dc.Decode, "00", 0},
        {&dc.Decode, "010", 1},
        {&dc.Decode, "110", 5},
        {&dc.Decode, "1110", 6},
        {&dc.Decode, "11111110", 10},
        {&dc.Decode, "111111110", 11}, // 9 bits: past the look-ahead
        {&ac.Decode, "00", 0x01},
        {&ac.Decode, "01", 0x02},
        {&ac.Decode, "1010", 0x00},
        {&ac.Decode, "1011", 0x04},
        {&ac.Decode, "1100", 0x11},
        {&ac.Decode, "11111000", 0x07},
        {&ac.Decode, "111110110", 0x14},
        {&ac.Decode, "11111111001", 0xF0},
        {&ac.Decode, "111111110100", 0x24},
        {&ac.Decode, "111111111000000", 0x82},
        {&ac.Decode, "1111111110000010", 0x09},
        {&ac.Decode, "1111111110000011", 0x0A},
        {&ac.Decode, "1111111111111110", 0xFA},
    };
    for (const auto &c : cases) {
        const Decoded decoded = DecodeCode(*c.table, c.code);
        EXPECT_EQ(decoded.Result, 0) << c.code;
        EXPECT_EQ(decoded.Symbol, c.symbol) << c.code;
        EXPECT_EQ(decoded.Bits, static_cast<int32_t>(std::string(c.code).size())) << c.code;
    }
}

TEST(HuffmanTable, RecordsClassSelectorAndPerLengthBounds) {
    const std::array<uint8_t, 16> counts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t symbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    HuffmanTable table{};
    ASSERT_EQ(rastrum::BuildHuffmanTable(counts.data(), symbols, 1, 3, table), 0);
    EXPECT_EQ(table.TableClass, 1);
    EXPECT_EQ(table.TableId, 3);
    EXPECT_EQ(table.MaxCode[1], -1);
    EXPECT_EQ(table.MinCode[3], 2);
    EXPECT_EQ(table.MaxCode[3], 6);
    EXPECT_EQ(table.FirstSymbol[3], 1);
    EXPECT_EQ(table.MaxCode[10], -1);
    EXPECT_EQ(table.MaxCode[17], -1);
    // "010" prefixes 32 look-ahead entries: length 3, symbol 1.
    EXPECT_EQ(table.Lookahead[0x40], (3u << 16) | 1u);
    EXPECT_EQ(table.Lookahead[0x5F], (3u << 16) | 1u);
    EXPECT_EQ(table.Lookahead[0xFF], 0u); // longer than 8 bits
}

TEST(HuffmanTable, CodesOfEveryLengthUpTo16AndTheUnmatched17BitCode) {
    // One code per length: 0, 10, 110, ..., fifteen 1s and a 0; sixteen 1s match nothing.
    std::array<uint8_t, 16> counts{};
    std::vector<uint8_t> symbols;
    for (int i = 0; i < 16; ++i) {
        counts[i] = 1;
        symbols.push_back(static_cast<uint8_t>(0x30 + i));
    }
    const TestTable table = MakeTable(counts, symbols, 1);
    for (int length = 1; length <= 16; ++length) {
        const std::string code = std::string(length - 1, '1') + "0";
        const Decoded decoded = DecodeCode(table.Decode, code);
        EXPECT_EQ(decoded.Symbol, 0x30 + length - 1) << length;
        EXPECT_EQ(decoded.Bits, length);
    }
    const Decoded unmatched = DecodeCode(table.Decode, std::string(16, '1'));
    EXPECT_EQ(unmatched.Result, 0);
    EXPECT_EQ(unmatched.Symbol, 0);
    EXPECT_EQ(unmatched.Bits, 17);
}

TEST(HuffmanTable, RefusesOverSubscribedAndOversizedTables) {
    const std::vector<uint8_t> symbols(300, 7);
    const struct {
        const char *what;
        std::array<uint8_t, 16> counts;
        int32_t result;
    } cases[] = {
        {"three codes of one bit", {3}, -6},
        {"five codes of two bits after one of one bit", {1, 3}, -6},
        {"nine codes of three bits", {0, 0, 9}, -6},
        {"a three-bit code after four of two bits", {0, 4, 1}, -6},
        {"257 codes: 255 of 8 bits and 2 of 9", {0, 0, 0, 0, 0, 0, 0, 255, 2}, 0},
        {"258 codes that would fit the code space", {0, 0, 0, 0, 0, 0, 0, 254, 4}, -6},
        {"255 codes of 16 bits", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255}, 0},
    };
    for (const auto &c : cases) {
        HuffmanTable table{};
        EXPECT_EQ(rastrum::BuildHuffmanTable(c.counts.data(), symbols.data(), 0, 0, table),
                  c.result)
            << c.what;
    }
}

TEST(HuffmanTable, ZigZagOrderWalksTheDiagonalsAndEndsOnCoefficient63) {
    // Walk the anti-diagonals, alternating direction, as the coefficient order is defined.
    int expected[64];
    int index = 0;
    for (int sum = 0; sum < 15; ++sum) {
        for (int i = 0; i <= sum; ++i) {
            const int row = (sum % 2 == 0) ? sum - i : i;
            const int column = sum - row;
            if (row < 8 && column < 8) {
                expected[index++] = row * 8 + column;
            }
        }
    }
    ASSERT_EQ(index, 64);
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(rastrum::kZigZagToNatural[k], expected[k]) << k;
    }
    for (int k = 64; k < 80; ++k) {
        EXPECT_EQ(rastrum::kZigZagToNatural[k], 63) << k;
    }
}
