// DRI: the number of MCUs between restart markers (0 = none).
#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

int32_t ParseRestartInterval(CodecState &state) {
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    if (const int32_t result = ReadSegmentLength(stream, length); result != CODEC_SUCCESS) {
        return result;
    }
    SegmentBytes payload;
    if (const int32_t result = ReadSegment(stream, length, payload); result != CODEC_SUCCESS) {
        return result;
    }
    if (length < 2) {
        return CODEC_DATA_ERROR;
    }
    state.RestartInterval = (payload.Data[0] << 8) | payload.Data[1];
    return CODEC_SUCCESS;
}

} // namespace rastrum
