// DHT: one or more Huffman tables (class, selector, 16 code-length counts and the symbols), each
// built into its decoding form.
#include <algorithm>
#include <cstring>

#include "entropy_decoder.h"
#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

constexpr int32_t kLargestPayload = 1091;
constexpr int32_t kCountBytes = 16;

} // namespace

int32_t ParseHuffmanTables(CodecState &state) {
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    SegmentBytes payload;
    if (const int32_t result = ReadBoundedSegment(stream, kLargestPayload, length, payload);
        result != CODEC_SUCCESS) {
        return result;
    }
    const uint8_t *bytes = payload.Data;
    int32_t at = 0;
    while (at < length) {
        const int32_t tableClass = bytes[at] >> 4;
        const int32_t selector = bytes[at] & 15;
        ++at;
        if (tableClass > 1 || selector > 3) {
            return CODEC_BAD_HUFFMAN_TABLE;
        }
        if (length - at < kCountBytes) {
            return CODEC_DATA_ERROR;
        }
        const uint8_t *counts = bytes + at;
        int32_t symbolCount = 0;
        for (int32_t i = 0; i < kCountBytes; ++i) {
            symbolCount += counts[i];
        }
        at += kCountBytes;
        if (length - at < symbolCount) {
            return CODEC_DATA_ERROR;
        }
        const uint8_t *symbols = bytes + at;
        HuffmanTable &table = tableClass == 0 ? state.DcHuffmanTables[selector]
                                              : state.AcHuffmanTables[selector];
        if (BuildHuffmanTable(counts, symbols, tableClass, selector, table) != CODEC_SUCCESS) {
            return CODEC_BAD_HUFFMAN_TABLE;
        }
        // Copied only once the table has proved sound, so that the caller's symbol buffer never
        // receives more symbols than a table can have.
        RawHuffmanTable &raw = state.RawHuffmanTables[2 * selector + tableClass];
        if (raw.Counts != nullptr && raw.Values != nullptr) {
            std::memcpy(raw.Counts, counts, kCountBytes);
            std::memcpy(raw.Values, symbols, static_cast<size_t>(symbolCount));
            raw.TableClass = static_cast<uint8_t>(tableClass);
            raw.TableId = static_cast<uint8_t>(selector);
        }
        int32_t &tableCount = tableClass == 0 ? state.DcTableCount : state.AcTableCount;
        tableCount = std::min(tableCount + 1, 4);
        state.RawHuffmanTableCount = std::max(state.RawHuffmanTableCount, selector + 1);
        at += symbolCount;
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
