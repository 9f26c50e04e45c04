// APP0: the JFIF header (version, density, RGB thumbnail) and the JFXX extension (thumbnails of
// three bytes per pixel or palette indices).  Thumbnail pixels are copied only in the thumbnail
// read modes.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

constexpr int32_t kShortestPayload = 14;
constexpr int32_t kJfifPixels = 14;        // first thumbnail byte after the JFIF fields
constexpr int32_t kJfxxRgbPixels = 8;      // after "JFXX\0", code, width, height
constexpr int32_t kJfxxPalette = 8;        // 256 RGB triplets
constexpr int32_t kJfxxPaletteIndices = 8 + 768;
constexpr uint8_t kJfxxPaletteCode = 0x11;
constexpr uint8_t kJfxxRgbCode = 0x13;

bool ThumbnailMode(int32_t mode) {
    return mode == IO_READ_THUMBNAIL_FILE || mode == IO_READ_THUMBNAIL_MEMORY;
}

// Where thumbnail row `row` goes: rows follow PixelRowStride from the picture's top row, which
// for bottom-up buffers (negative stride) is the last row in memory.
uint8_t *ThumbnailRow(const CodecState &state, int32_t row) {
    const ptrdiff_t stride = state.PixelRowStride;
    uint8_t *top = state.PixelBuffer;
    if (stride < 0) {
        top -= (static_cast<ptrdiff_t>(std::abs(state.PixelHeight)) - 1) * stride;
    }
    return top + row * stride;
}

// The caller's buffer must hold the thumbnail: a smaller one is refused instead of overrun.
int32_t CheckPixelBuffer(const CodecState &state, int32_t width, int32_t height) {
    if (state.PixelBuffer == nullptr) {
        return CODEC_INVALID_PROPERTIES;
    }
    const int64_t rowBytes = int64_t{state.PixelWidth} * state.PixelChannels;
    if (rowBytes < int64_t{width} * 3 || std::abs(int64_t{state.PixelHeight}) < height) {
        return CODEC_THUMBNAIL_TOO_SMALL;
    }
    return CODEC_SUCCESS;
}

// Copies one pixel's three bytes: as they are for RGB output, red and blue exchanged otherwise.
void PutPixel(const CodecState &state, const uint8_t *rgb, uint8_t *out) {
    if (state.PixelColour == COLOUR_RGB) {
        out[0] = rgb[0];
        out[2] = rgb[2];
    } else {
        out[0] = rgb[2];
        out[2] = rgb[0];
    }
    out[1] = rgb[1];
}

int32_t CopyRgbThumbnail(CodecState &state, const uint8_t *pixels, int32_t width, int32_t height) {
    if (const int32_t result = CheckPixelBuffer(state, width, height); result != CODEC_SUCCESS) {
        return result;
    }
    for (int32_t y = 0; y < height; ++y) {
        uint8_t *out = ThumbnailRow(state, y);
        const uint8_t *in = pixels + static_cast<ptrdiff_t>(y) * width * 3;
        for (int32_t x = 0; x < width; ++x) {
            PutPixel(state, in + 3 * x, out + 3 * x);
        }
    }
    return CODEC_SUCCESS;
}

int32_t CopyPaletteThumbnail(CodecState &state, const uint8_t *palette, const uint8_t *indices,
                             int32_t width, int32_t height) {
    if (const int32_t result = CheckPixelBuffer(state, width, height); result != CODEC_SUCCESS) {
        return result;
    }
    for (int32_t y = 0; y < height; ++y) {
        uint8_t *out = ThumbnailRow(state, y);
        const uint8_t *in = indices + static_cast<ptrdiff_t>(y) * width;
        for (int32_t x = 0; x < width; ++x) {
            PutPixel(state, palette + 3 * in[x], out + 3 * x);
        }
    }
    return CODEC_SUCCESS;
}

// A thumbnail of three bytes per pixel starting at `first` (JFIF, or JFXX code 0x13).
int32_t TakeRgbThumbnail(CodecState &state, const uint8_t *bytes, int32_t length, int32_t width,
                         int32_t height, int32_t first) {
    if (width == 0 || height == 0) {
        return CODEC_SUCCESS;
    }
    state.ThumbnailWidth = width;
    state.ThumbnailHeight = height;
    if (!ThumbnailMode(state.IoMode) || length < first + width * height * 3) {
        return CODEC_SUCCESS;
    }
    return CopyRgbThumbnail(state, bytes + first, width, height);
}

int32_t TakeJfxx(CodecState &state, const uint8_t *bytes, int32_t length) {
    const uint8_t code = bytes[5];
    const int32_t width = bytes[6];
    const int32_t height = bytes[7];
    if (code == kJfxxRgbCode) {
        return TakeRgbThumbnail(state, bytes, length, width, height, kJfxxRgbPixels);
    }
    if (code == kJfxxPaletteCode && ThumbnailMode(state.IoMode) &&
        length >= width * height + kJfxxPaletteIndices) {
        state.ThumbnailWidth = width;
        state.ThumbnailHeight = height;
        return CopyPaletteThumbnail(state, bytes + kJfxxPalette, bytes + kJfxxPaletteIndices,
                                    width, height);
    }
    return CODEC_SUCCESS; // other extensions (a JPEG-coded thumbnail, 0x10) are not used
}

} // namespace

int32_t ParseJfifSegment(CodecState &state) {
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    if (ReadWord(stream, length) != CODEC_SUCCESS) {
        return CODEC_SUCCESS;
    }
    length -= 2;
    if (length < kShortestPayload) {
        // Too short to hold the fields: passed over by its length, so that its bytes can never
        // be taken for a marker.
        return length > 0 ? SkipBytes(stream, length) : CODEC_SUCCESS;
    }
    SegmentBytes payload;
    if (ReadSegment(stream, length, payload) != CODEC_SUCCESS) {
        return CODEC_DATA_ERROR;
    }
    if (state.FramePending == 0) {
        return CODEC_SUCCESS;
    }
    const uint8_t *bytes = payload.Data;
    if (std::memcmp(bytes, "JFIF", 5) == 0) {
        state.JfifSeen = 1;
        state.JfifVersion = static_cast<uint16_t>((bytes[5] << 8) | bytes[6]);
        state.JfifUnits = bytes[7];
        state.JfifXDensity = static_cast<uint16_t>((bytes[8] << 8) | bytes[9]);
        state.JfifYDensity = static_cast<uint16_t>((bytes[10] << 8) | bytes[11]);
        return TakeRgbThumbnail(state, bytes, length, bytes[12], bytes[13], kJfifPixels);
    }
    if (std::memcmp(bytes, "JFXX", 5) == 0) {
        return TakeJfxx(state, bytes, length);
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
