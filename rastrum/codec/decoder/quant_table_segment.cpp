// DQT: one or more quantisation tables, 8-bit or 16-bit, in zig-zag order.  Each is prepared for
// the inverse DCT family that DctMethod selects.
#include <algorithm>
#include <cstring>

#include "input_stream.h"
#include "inverse_dct.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

// Four tables of 16-bit values with their Pq/Tq bytes.
constexpr int32_t kLargestPayload = 516;

} // namespace

int32_t ParseQuantTables(CodecState &state) {
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
        const int32_t precision = bytes[at] >> 4;
        const int32_t selector = bytes[at] & 15;
        ++at;
        if (selector > 3) {
            return CODEC_BAD_QUANT_TABLE;
        }
        const int32_t size = precision == 0 ? 64 : 128;
        if (length - at < size) {
            return CODEC_DATA_ERROR;
        }
        const uint8_t *values = bytes + at;
        int16_t zigzag[64];
        for (int32_t i = 0; i < 64; ++i) {
            zigzag[i] = precision == 0
                            ? static_cast<int16_t>(values[i])
                            : static_cast<int16_t>((values[2 * i] << 8) | values[2 * i + 1]);
        }
        QuantTable &table = state.QuantTables[selector];
        table.TableId = selector;
        table.Precision = precision;
        RawQuantTable &raw = state.RawQuantTables[selector];
        if (raw.Values != nullptr) {
            std::memcpy(raw.Values, values, static_cast<size_t>(size));
            raw.TableId = static_cast<uint8_t>(selector);
        }
        if (state.DctMethod == 1) {
            PrepareQuantTableB(table, zigzag);
        } else {
            PrepareQuantTableA(table, zigzag);
        }
        state.RawQuantTableCount = std::max(state.RawQuantTableCount, selector + 1);
        state.QuantTableCount = std::min(state.QuantTableCount + 1, 4);
        at += size;
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
