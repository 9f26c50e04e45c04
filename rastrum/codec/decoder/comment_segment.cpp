// COM: the comment text, copied into the caller's CommentText buffer of CommentSize bytes.
#include <cstring>

#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

int32_t ParseComment(CodecState &state) {
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    if (const int32_t result = ReadSegmentLength(stream, length); result != CODEC_SUCCESS) {
        return result;
    }
    SegmentBytes payload;
    if (ReadSegment(stream, length, payload) != CODEC_SUCCESS) {
        return CODEC_DATA_ERROR;
    }
    if (state.FramePending == 0 || state.CommentText == nullptr) {
        return CODEC_SUCCESS;
    }
    // A buffer too small for the text receives what fits and learns the size it needs.
    const bool fits = length <= state.CommentSize;
    const size_t copied = fits ? static_cast<size_t>(length) : state.CommentSize;
    std::memcpy(state.CommentText, payload.Data, copied);
    state.CommentSize = static_cast<uint16_t>(length);
    return fits ? CODEC_SUCCESS : CODEC_COMMENT_ACCESS;
}

} // namespace rastrum
