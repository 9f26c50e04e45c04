// The frame header (SOF0, SOF1, SOF2): sample precision, picture size and the components with
// their sampling factors and quantisation table selectors.
#include <algorithm>

#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

constexpr int32_t kFixedFrameBytes = 6;   // P, Y, X, Nf
constexpr int32_t kComponentBytes = 3;    // C, H/V, Tq
constexpr int32_t kFrameComponentSlots = 4; // the records the component array holds

int32_t CeilDiv(int32_t value, int32_t divisor) { return (value + divisor - 1) / divisor; }

} // namespace

int32_t ParseFrameHeader(CodecState &state) {
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    if (const int32_t result = ReadSegmentLength(stream, length); result != CODEC_SUCCESS) {
        return result;
    }
    SegmentBytes payload;
    if (const int32_t result = ReadSegment(stream, length, payload); result != CODEC_SUCCESS) {
        return result;
    }
    if (length < kFixedFrameBytes) {
        return CODEC_DATA_ERROR;
    }
    const uint8_t *bytes = payload.Data;
    state.FramePrecision = bytes[0];
    state.FrameHeight = (bytes[1] << 8) | bytes[2];
    state.FrameWidth = (bytes[3] << 8) | bytes[4];
    const int32_t count = bytes[5];
    if (state.FramePrecision != 8) {
        return CODEC_UNSUPPORTED_FRAME;
    }
    if (state.FrameHeight == 0) {
        return CODEC_ERROR_DNL; // a height given later by a DNL marker is not supported
    }
    // Everything is checked before the component records change, so that a refused frame never
    // leaves a component count or sampling factors that the record's arrays cannot hold.
    if (count < 1 || count > kFrameComponentSlots) {
        return CODEC_ERROR_COMP;
    }
    if (length < kFixedFrameBytes + kComponentBytes * count) {
        return CODEC_DATA_ERROR;
    }
    const uint8_t *entries = bytes + kFixedFrameBytes;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t h = entries[k * kComponentBytes + 1] >> 4;
        const int32_t v = entries[k * kComponentBytes + 1] & 15;
        if (h < 1 || h > 4 || v < 1 || v > 4) {
            return CODEC_ERROR_COMP;
        }
    }

    int32_t maxH = 1;
    int32_t maxV = 1;
    for (int32_t k = 0; k < kFrameComponentSlots; ++k) {
        state.Components[k] = FrameComponent{};
    }
    for (int32_t k = 0; k < count; ++k) {
        FrameComponent &component = state.Components[k];
        component.Id = entries[k * kComponentBytes];
        component.QuantSelector = entries[k * kComponentBytes + 2];
        // A single component is coded one block per MCU whatever factors it declares, so it is
        // decoded as 1 x 1.
        component.HSampling = count == 1 ? 1 : entries[k * kComponentBytes + 1] >> 4;
        component.VSampling = count == 1 ? 1 : entries[k * kComponentBytes + 1] & 15;
        maxH = std::max(maxH, component.HSampling);
        maxV = std::max(maxV, component.VSampling);
    }
    state.ComponentCount = count;
    state.FrameMcusPerRow = CeilDiv(state.FrameWidth, 8 * maxH);
    state.McuTotal = state.FrameMcusPerRow * CeilDiv(state.FrameHeight, 8 * maxV);
    return CODEC_SUCCESS;
}

} // namespace rastrum
