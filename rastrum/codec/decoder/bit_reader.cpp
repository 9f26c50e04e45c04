// The bit reader of the entropy-coded data: byte refill with 0xFF 0x00 unstuffing that stops at
// markers, and Huffman symbol decoding through the 8-bit look-ahead or the per-length search.
#include "block_bit_reader.h"
#include "input_stream.h"

namespace rastrum {

namespace {

// Exhausted memory input keeps lowering BitCount by the bits read as 0; held here it can never
// wrap, however large the picture, and every bit still reads as 0.
constexpr int32_t kBitCountFloor = -(1 << 30);

// Takes the next byte, refilling the file buffer when it is empty.  False with `result` set when
// no byte can be had: 0 for exhausted memory input, otherwise the refill's error.
inline bool TakeByte(CodecStream &stream, uint8_t &byte, int32_t &result) {
    if (stream.StreamPos >= stream.StreamEnd) {
        if (stream.FileMode == 0) {
            result = 0;
            return false;
        }
        result = RefillInput(stream);
        if (result != 0) {
            return false;
        }
    }
    byte = *stream.StreamPos++;
    --stream.StreamBytesLeft;
    ++stream.StreamByteCount;
    return true;
}

} // namespace

int32_t FillBits(CodecStream &stream, int32_t wanted) {
    while (stream.BitCount <= 24) {
        if (stream.PendingMarker != 0) {
            return stream.BitCount < wanted ? kMarkerStop : 0;
        }
        uint8_t byte = 0;
        int32_t result = 0;
        if (!TakeByte(stream, byte, result)) {
            if (result == 0 && stream.BitCount < kBitCountFloor) {
                stream.BitCount = kBitCountFloor;
            }
            return result;
        }
        if (byte == 0xFF) {
            do {
                if (!TakeByte(stream, byte, result)) {
                    return result == 0 ? CODEC_DATA_ERROR : result;
                }
            } while (byte == 0xFF);
            if (byte != 0x00) {
                stream.PendingMarker = byte;
                return stream.BitCount < wanted ? kMarkerStop : 0;
            }
            byte = 0xFF;
        }
        stream.BitAccumulator = (stream.BitAccumulator << 8) | byte;
        stream.BitCount += 8;
    }
    return 0;
}

int32_t DecodeSymbolFrom(CodecStream &stream, const HuffmanTable &table, int32_t firstLength,
                         int32_t &symbol) {
    if (stream.BitCount < firstLength) {
        const int32_t result = FillBits(stream, firstLength);
        if (result != 0) {
            return result;
        }
    }
    int32_t code = static_cast<int32_t>(GetBits(stream, firstLength));
    int32_t length = firstLength;
    while (length <= 16 && table.MaxCode[length] < code) {
        if (stream.BitCount <= 0) {
            const int32_t result = FillBits(stream, 1);
            if (result != 0) {
                return result;
            }
        }
        code = code * 2 + static_cast<int32_t>(GetBits(stream, 1));
        ++length;
    }
    // A code longer than 16 bits matches nothing: it decodes as symbol 0 after 17 bits.
    symbol =
        length > 16 ? 0 : table.Symbols[table.FirstSymbol[length] + code - table.MinCode[length]];
    return 0;
}

int32_t DecodeSymbol(CodecStream &stream, const HuffmanTable &table, int32_t &symbol) {
    if (stream.BitCount < 8) {
        const int32_t result = FillBits(stream, 0);
        if (result != 0) {
            return result;
        }
        if (stream.BitCount < 8) {
            return DecodeSymbolFrom(stream, table, 1, symbol);
        }
    }
    const uint32_t entry = table.Lookahead[PeekBits(stream, 8)];
    if (entry == 0) {
        return DecodeSymbolFrom(stream, table, 9, symbol);
    }
    stream.BitCount -= static_cast<int32_t>(entry >> 16);
    symbol = static_cast<int32_t>(entry & 0xFFFF);
    return 0;
}

} // namespace rastrum
