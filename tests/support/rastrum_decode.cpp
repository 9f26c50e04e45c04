#include "support/rastrum_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace fixtures {

DecodeResult DecodeWithRastrum(const std::string &path, const DecodeRequest &request) {
    DecodeResult result;
    std::vector<uint8_t> bytes;
    const bool memory = (request.ImageMode % 2) == 1;
    CodecProperties record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(CodecInit(&record), 0);
    if (memory) {
        bytes = ReadFile(path);
        record.JpegBuffer = bytes.data();
        record.JpegBufferSize = static_cast<int32_t>(bytes.size());
    } else {
        record.JpegFileName = path.c_str();
    }
    result.HeaderResult = CodecRead(&record, memory ? IO_READ_PARAMETERS_MEMORY
                                                    : IO_READ_PARAMETERS_FILE);
    if (result.HeaderResult != 0) {
        CodecFree(&record);
        return result;
    }
    result.JpegWidth = record.JpegWidth;
    result.JpegHeight = record.JpegHeight;
    result.JpegChannels = record.JpegChannels;
    result.JpegColour = record.JpegColour;
    result.JpegSubsampling = record.JpegSubsampling;

    Picture &out = result.Output;
    out.Width = (record.JpegWidth + request.Scale - 1) / request.Scale;
    out.Height = (record.JpegHeight + request.Scale - 1) / request.Scale;
    out.Channels = request.PixelChannels;
    out.Pixels.assign(static_cast<size_t>(out.Width) * out.Height * out.Channels, 0xA5);
    record.PixelBuffer = out.Pixels.data();
    record.PixelWidth = out.Width;
    record.PixelHeight = out.Height;
    record.PixelChannels = request.PixelChannels;
    record.PixelColour = request.PixelColour;
    record.PixelRowPadding = 0;
    record.CodecState.DctMethod = request.DctMethod;
    record.CodecState.UpsamplingMode = request.UpsamplingMode;
    result.ImageResult = CodecRead(&record, request.ImageMode);
    EXPECT_EQ(CodecFree(&record), 0);
    return result;
}

Picture BgrToRgb(const Picture &picture) {
    Picture rgb = picture;
    for (size_t i = 0; i + 2 < rgb.Pixels.size(); i += 3) {
        std::swap(rgb.Pixels[i], rgb.Pixels[i + 2]);
    }
    return rgb;
}

Difference ComparePictures(const Picture &a, const Picture &b) {
    Difference difference;
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Height, b.Height);
    EXPECT_EQ(a.Channels, b.Channels);
    if (a.Pixels.size() != b.Pixels.size() || a.Pixels.empty()) {
        difference.Largest = 256;
        return difference;
    }
    long long total = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) {
        const int d = std::abs(int(a.Pixels[i]) - int(b.Pixels[i]));
        difference.Largest = std::max(difference.Largest, d);
        total += d;
    }
    difference.Mean = double(total) / double(a.Pixels.size());
    return difference;
}

} // namespace fixtures
