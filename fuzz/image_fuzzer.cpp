// Feeds arbitrary bytes to the whole-image read modes: full, half, quarter and eighth size, with
// regions of interest, interrupted reads, the smoothing upsampler, both transform families and
// several output layouts.  The pixel buffer is sized from the header exactly, so any write past
// it is a finding; every input must end in a result code.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "rastrum.h"

namespace {

// Pictures larger than this are refused before decoding to keep each input fast.
constexpr int64_t kLargestPixelCount = 1 << 20;

struct OutputLayout {
    int32_t Colour;
    int32_t Channels;
};

constexpr OutputLayout kLayouts[] = {
    {COLOUR_BGR, 3}, {COLOUR_RGB, 3}, {COLOUR_GREY, 1}, {COLOUR_RGB_PLUS, 4}, {COLOUR_YCBCR, 3},
};

constexpr int32_t kImageModes[] = {IO_READ_IMAGE_MEMORY, IO_READ_HALF_MEMORY,
                                   IO_READ_QUARTER_MEMORY, IO_READ_EIGHTH_MEMORY};

void DecodeOnce(const uint8_t *data, size_t size, uint8_t choice) {
    CodecProperties record;
    if (CodecInit(&record) != CODEC_SUCCESS) {
        CodecFree(&record);
        return;
    }
    record.JpegBuffer = const_cast<uint8_t *>(data); // never written: libFuzzer checks it
    record.JpegBufferSize = static_cast<int32_t>(size);
    if (CodecRead(&record, IO_READ_PARAMETERS_MEMORY) == CODEC_SUCCESS &&
        int64_t(record.JpegWidth) * record.JpegHeight <= kLargestPixelCount) {
        const int32_t mode = kImageModes[choice & 3];
        const int32_t scale = 1 << (choice & 3);
        const OutputLayout layout = kLayouts[(choice >> 2) % 5];
        const int32_t width = (record.JpegWidth + scale - 1) / scale;
        const int32_t height = (record.JpegHeight + scale - 1) / scale;
        std::vector<uint8_t> pixels(size_t(width) * height * size_t(layout.Channels));
        record.PixelBuffer = pixels.data();
        record.PixelWidth = width;
        record.PixelHeight = (choice & 0x20) != 0 ? -height : height;
        record.PixelColour = layout.Colour;
        record.PixelChannels = layout.Channels;
        if (layout.Colour == COLOUR_YCBCR && record.JpegChannels == 3) {
            record.PixelSubsampling = 0;
        }
        CodecState &state = record.CodecState;
        state.DctMethod = (choice & 0x40) != 0 ? 0 : 1;
        state.UpsamplingMode = (choice & 0x80) != 0 ? 1 : 0;
        if ((choice & 0x10) != 0) {
            // A region in the middle of the scaled picture, read in interrupted steps.
            state.Roi[0] = width / 4;
            state.Roi[1] = height / 4;
            state.Roi[2] = width / 2 + 1;
            state.Roi[3] = height / 2 + 1;
        }
        int32_t result = CODEC_INTERRUPT_SUCCESS;
        for (int call = 0; call < 64 && result == CODEC_INTERRUPT_SUCCESS; ++call) {
            state.InterruptRequest = (choice & 0x08) != 0 ? 1 : 0;
            result = CodecRead(&record, mode);
        }
    }
    CodecFree(&record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2 || size > (1u << 20)) {
        return -1;
    }
    // The last byte chooses how to read; the stream is everything before it.
    DecodeOnce(data, size - 1, data[size - 1]);
    return 0;
}
