// The copy of the outer fields into the inner record.
#include "record_copy.h"

#include <limits>

namespace rastrum {

int64_t PixelRowStride(int32_t width, int32_t height, int32_t channels, int32_t subsampling,
                       int32_t padding) {
    const int64_t bytesPerPixel = subsampling == 2 ? 2 : channels;
    const int64_t stride = int64_t{width} * bytesPerPixel + padding;
    return height < 0 ? -stride : stride;
}

CodecError CopyOuterFields(CodecProperties &record) {
    const int64_t stride =
        PixelRowStride(record.PixelWidth, record.PixelHeight, record.PixelChannels,
                       record.PixelSubsampling, record.PixelRowPadding);
    if (stride > std::numeric_limits<int32_t>::max() ||
        stride < std::numeric_limits<int32_t>::min()) {
        return CODEC_INVALID_PROPERTIES;
    }
    CodecState &state = record.CodecState;
    state.PixelBuffer = record.PixelBuffer;
    state.PixelWidth = record.PixelWidth;
    state.PixelHeight = record.PixelHeight;
    state.PixelRowPadding = record.PixelRowPadding;
    state.PixelChannels = record.PixelChannels;
    state.PixelColour = record.PixelColour;
    state.PixelSubsampling = record.PixelSubsampling;
    state.PixelRowStride = static_cast<int32_t>(stride);

    state.JpegFileName = record.JpegFileName;
    state.JpegBuffer = record.JpegBuffer;
    state.JpegBufferSize = record.JpegBufferSize;
    state.JpegWidth = record.JpegWidth;
    state.JpegHeight = record.JpegHeight;
    state.JpegChannels = record.JpegChannels;
    state.JpegColour = record.JpegColour;
    state.JpegSubsampling = record.JpegSubsampling;
    state.ThumbnailWidth = record.ThumbnailWidth;
    state.ThumbnailHeight = record.ThumbnailHeight;
    state.ColourConversionWanted = record.ColourConversionWanted;
    state.UpsamplingWanted = record.UpsamplingWanted;
    state.Quality = record.Quality;
    return CODEC_SUCCESS;
}

} // namespace rastrum
