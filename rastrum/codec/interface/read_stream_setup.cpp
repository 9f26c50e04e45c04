// The stream set-up of CodecRead.
#include "read_stream_setup.h"

#include <cstddef>
#include <cstdlib>

#include "file_stream.h"
#include "record_layout.h"

namespace rastrum {

namespace {

void SetUpFileStream(CodecStream &stream) {
    stream.FileMode = 1;
    stream.StreamPos = stream.FileBuffer;
    stream.StreamStart = stream.FileBuffer;
    stream.StreamEnd = stream.FileBuffer + CODEC_FILE_BUFFER_SIZE;
    stream.StreamCapacity = CODEC_FILE_BUFFER_SIZE;
    stream.StreamBytesLeft = CODEC_FILE_BUFFER_SIZE;
}

void SetUpMemoryStream(CodecStream &stream, uint8_t *buffer, int32_t size) {
    stream.FileMode = 0;
    stream.StreamPos = buffer;
    stream.StreamStart = buffer;
    stream.StreamEnd = buffer + size;
    stream.StreamCapacity = size;
    stream.StreamBytesLeft = size;
}

// The row that holds the top of the picture: the first row, or the last for bottom-up rows.
uint8_t *TopRow(const CodecState &state) {
    if (state.PixelBuffer == nullptr || state.PixelHeight >= -1) {
        return state.PixelBuffer;
    }
    const ptrdiff_t rows = std::abs(static_cast<ptrdiff_t>(state.PixelHeight)) - 1;
    return state.PixelBuffer + rows * std::abs(static_cast<ptrdiff_t>(state.PixelRowStride));
}

} // namespace

CodecError SetUpReadStream(CodecState &state, int32_t mode) {
    if (state.Scan == nullptr) {
        CodecStream &stream = state.Stream;
        stream.BitAccumulator = 0;
        stream.BitCount = 0;
        stream.PendingMarker = 0;
        if (mode % 2 == 0) {
            if (mode == IO_READ_THUMBNAIL_FILE && !SeekFileFromStart(stream.FileHandle, 0)) {
                return CODEC_FILE_ERROR;
            }
            SetUpFileStream(stream);
        } else {
            // A negative size would place the end before the start; the parameter check refuses
            // it, and a caller filling the inner record gets an empty stream instead.
            SetUpMemoryStream(
                stream, state.JpegBuffer,
                state.JpegBuffer == nullptr || state.JpegBufferSize < 0 ? 0 : state.JpegBufferSize);
        }
    }
    state.Stream.PixelCursor = TopRow(state);
    state.WorkArea = WorkAreaStart(state);
    return CODEC_SUCCESS;
}

} // namespace rastrum
