// APP14: the Adobe header, whose transform byte tells whether three or four components are
// YCbCr-coded.
#include <cstring>

#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

constexpr int32_t kShortestPayload = 12;

uint16_t Word(const uint8_t *bytes) { return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]); }

} // namespace

int32_t ParseAdobeSegment(CodecState &state) {
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    if (const int32_t result = ReadSegmentLength(stream, length); result != CODEC_SUCCESS) {
        return result;
    }
    if (length < kShortestPayload) {
        // Passed over by its length, so that its bytes can never be taken for a marker.
        return SkipBytes(stream, length);
    }
    SegmentBytes payload;
    if (ReadSegment(stream, length, payload) != CODEC_SUCCESS) {
        return CODEC_DATA_ERROR;
    }
    const uint8_t *bytes = payload.Data;
    if (std::memcmp(bytes, "Adobe", 5) == 0) {
        state.AdobeVersion = Word(bytes + 5);
        state.AdobeFlags0 = Word(bytes + 7);
        state.AdobeFlags1 = Word(bytes + 9);
        state.AdobeTransform = bytes[11];
        state.AdobeSeen = 1;
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
