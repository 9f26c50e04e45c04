// The output stage inside whole decodes of files written by the reference encoder: smoothed
// chroma against the reference decoder's smooth upsampling, the pixel colours and channel
// counts, regions against the whole picture (with and without smoothing), and rows stored
// bottom-up.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/jpeg_fixtures.h"
#include "support/rastrum_decode.h"

namespace {

using fixtures::DecodeRequest;
using fixtures::Picture;

// Two accurate decoders differ by their transforms' and colour conversions' rounding only.
constexpr int kLargestAllowed = 6;
constexpr double kMeanAllowed = 0.8;

std::string MakeFile(const char *name, int width, int height, const char *arguments, int channels = 3) {
    const Picture source = fixtures::MakeRichPicture(width, height, channels, 5);
    return fixtures::EncodeWithCjpeg(source, arguments, std::string(name) + ".jpg");
}

// The smoothing upsampler is the reference decoder's smooth ("fancy") upsampling: with it on, the
// pictures agree as closely as with replication on both sides, and clearly closer than a
// smoothed picture and a replicated one.
TEST(OutputEndToEnd, SmoothedChromaMatchesTheReferenceSmoothUpsampling) {
    const struct {
        const char *Name;
        int Width, Height;
        const char *Arguments;
    } cases[] = {
        {"smooth_420", 61, 45, "-quality 90"},
        {"smooth_422", 61, 45, "-quality 90 -sample 2x1"},
        {"smooth_420_progressive", 50, 37, "-quality 90 -progressive"},
        {"smooth_422_restarts", 48, 32, "-quality 90 -sample 2x1 -restart 1B"},
    };
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are not installed";
    }
    for (const auto &c : cases) {
        const std::string path = MakeFile(c.Name, c.Width, c.Height, c.Arguments);
        const Picture smooth = fixtures::DecodeWithDjpeg(path, "-dct int");
        const Picture replicated = fixtures::DecodeWithDjpeg(path, "-dct int -nosmooth");
        DecodeRequest request;
        request.PixelColour = COLOUR_RGB;
        request.UpsamplingMode = 1;
        const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
        ASSERT_EQ(decoded.ImageResult, 0) << c.Name << ": " << CodecErrorText(decoded.ImageResult);
        const fixtures::Difference d = fixtures::ComparePictures(decoded.Output, smooth);
        EXPECT_LE(d.Largest, kLargestAllowed) << c.Name;
        EXPECT_LE(d.Mean, kMeanAllowed) << c.Name;
        const fixtures::Difference other = fixtures::ComparePictures(decoded.Output, replicated);
        EXPECT_GT(other.Mean, 2 * d.Mean) << c.Name;
        std::printf("[ figures  ] %-24s smooth: largest %d, mean %.4f; replicated: mean %.4f\n",
                    c.Name, d.Largest, d.Mean, other.Mean);
    }
}

// Every colour and channel count the file bridge's callers may ask for, from one YCbCr file.
TEST(OutputEndToEnd, PixelColoursAndChannelCounts) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are not installed";
    }
    for (const char *arguments : {"-quality 90", "-quality 90 -sample 1x1", "-quality 90 -sample 2x1"}) {
        const std::string path = MakeFile("colours", 37, 29, arguments);
        const Picture rgb = fixtures::DecodeWithDjpeg(path, "-dct int -nosmooth");
        const Picture grey = fixtures::DecodeWithDjpeg(path, "-dct int -grayscale");
        const struct {
            int Colour, Channels;
        } requests[] = {{COLOUR_RGB, 3}, {COLOUR_BGR, 3}, {COLOUR_RGB_PLUS, 4}, {COLOUR_GREY, 1}};
        for (const auto &r : requests) {
            DecodeRequest request;
            request.PixelColour = r.Colour;
            request.PixelChannels = r.Channels;
            const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
            ASSERT_EQ(decoded.ImageResult, 0) << arguments << " colour " << r.Colour;
            // Bring the output to the reference's layout: RGB, or one grey channel.
            Picture out{decoded.Output.Width, decoded.Output.Height, r.Channels == 1 ? 1 : 3, {}};
            for (size_t i = 0; i < decoded.Output.Pixels.size(); i += r.Channels) {
                const uint8_t *p = &decoded.Output.Pixels[i];
                if (r.Channels == 1) {
                    out.Pixels.push_back(p[0]);
                } else if (r.Colour == COLOUR_BGR) {
                    out.Pixels.insert(out.Pixels.end(), {p[2], p[1], p[0]});
                } else {
                    out.Pixels.insert(out.Pixels.end(), {p[0], p[1], p[2]});
                }
                if (r.Channels == 4) {
                    ASSERT_EQ(p[3], 255);
                }
            }
            // Grey output of a colour file is its luma, stored unchanged.
            const fixtures::Difference d = fixtures::ComparePictures(out, r.Channels == 1 ? grey : rgb);
            EXPECT_LE(d.Largest, r.Channels == 1 ? 1 : kLargestAllowed) << arguments << " colour " << r.Colour;
            EXPECT_LE(d.Mean, kMeanAllowed) << arguments << " colour " << r.Colour;
        }
    }
}

// A grey file whose one component declares sampling factors 2 x 2 (legal, and written by the
// reference encoder on request) decodes like any grey file, sequential or progressive.
TEST(OutputEndToEnd, GreyComponentWithSamplingFactors) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are not installed";
    }
    for (const char *arguments : {"-quality 90 -grayscale -sample 2x2",
                                  "-quality 90 -grayscale -sample 2x2 -progressive"}) {
        const std::string path = MakeFile("grey_2x2", 45, 35, arguments, 1);
        const Picture reference = fixtures::DecodeWithDjpeg(path, "-dct int");
        for (const int channels : {1, 3}) {
            DecodeRequest request;
            request.PixelColour = channels == 1 ? COLOUR_GREY : COLOUR_BGR;
            request.PixelChannels = channels;
            const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
            ASSERT_EQ(decoded.ImageResult, 0) << arguments;
            Picture grey{decoded.Output.Width, decoded.Output.Height, 1, {}};
            for (size_t i = 0; i < decoded.Output.Pixels.size(); i += channels) {
                grey.Pixels.push_back(decoded.Output.Pixels[i]);
                for (int k = 1; k < channels; ++k) {
                    ASSERT_EQ(decoded.Output.Pixels[i + k], decoded.Output.Pixels[i]);
                }
            }
            const fixtures::Difference d = fixtures::ComparePictures(grey, reference);
            EXPECT_LE(d.Largest, kLargestAllowed) << arguments << " channels " << channels;
            EXPECT_LE(d.Mean, kMeanAllowed) << arguments << " channels " << channels;
        }
    }
}

// A read of the codec interface with a region of interest and a row direction of our choosing.
Picture DecodeRegion(const std::string &path, std::array<int, 4> roi, int upsamplingMode,
                     int direction, CodecError &result) {
    std::vector<uint8_t> bytes = fixtures::ReadFile(path);
    CodecProperties record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(CodecInit(&record), 0);
    record.JpegBuffer = bytes.data();
    record.JpegBufferSize = static_cast<int32_t>(bytes.size());
    EXPECT_EQ(CodecRead(&record, IO_READ_PARAMETERS_MEMORY), 0);
    const bool whole = roi[2] == 0;
    Picture out;
    out.Width = whole ? record.JpegWidth : roi[2] - roi[0];
    out.Height = whole ? record.JpegHeight : roi[3] - roi[1];
    out.Channels = 3;
    out.Pixels.assign(static_cast<size_t>(out.Width) * out.Height * 3, 0xA5);
    record.PixelBuffer = out.Pixels.data();
    record.PixelWidth = out.Width;
    record.PixelHeight = out.Height * direction;
    record.PixelChannels = 3;
    record.PixelColour = COLOUR_BGR;
    record.CodecState.UpsamplingMode = upsamplingMode;
    for (int i = 0; i < 4; ++i) {
        record.CodecState.Roi[i] = roi[i];
    }
    result = CodecRead(&record, IO_READ_IMAGE_MEMORY);
    EXPECT_EQ(CodecFree(&record), 0);
    if (direction < 0) {
        // Back to top-down order for comparison.
        Picture flipped = out;
        const size_t row = static_cast<size_t>(out.Width) * 3;
        for (int y = 0; y < out.Height; ++y) {
            std::memcpy(&flipped.Pixels[y * row], &out.Pixels[(out.Height - 1 - y) * row], row);
        }
        return flipped;
    }
    return out;
}

// A region decodes to the whole picture's pixels at its place, smoothed or not, and rows stored
// bottom-up hold the same picture.
TEST(OutputEndToEnd, RegionsAndBottomUpRowsMatchTheWholePicture) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are not installed";
    }
    const struct {
        const char *Name;
        const char *Arguments;
        std::array<int, 4> Roi;
    } cases[] = {
        {"region_420", "-quality 90", {21, 17, 60, 50}},
        {"region_422", "-quality 90 -sample 2x1", {33, 9, 70, 31}},
        {"region_444", "-quality 90 -sample 1x1", {3, 40, 77, 61}},
    };
    for (const auto &c : cases) {
        const std::string path = MakeFile(c.Name, 77, 61, c.Arguments);
        for (const int mode : {0, 1}) {
            CodecError result = 0;
            const Picture whole = DecodeRegion(path, {0, 0, 0, 0}, mode, 1, result);
            ASSERT_EQ(result, 0) << c.Name;
            const Picture bottomUp = DecodeRegion(path, {0, 0, 0, 0}, mode, -1, result);
            ASSERT_EQ(result, 0) << c.Name;
            EXPECT_EQ(bottomUp.Pixels, whole.Pixels) << c.Name << " smoothing " << mode;
            for (const int direction : {1, -1}) {
                const Picture region = DecodeRegion(path, c.Roi, mode, direction, result);
                ASSERT_EQ(result, CODEC_ROI_SUCCESS) << c.Name;
                for (int y = 0; y < region.Height; ++y) {
                    const size_t row = static_cast<size_t>(region.Width) * 3;
                    const uint8_t *inWhole =
                        &whole.Pixels[(static_cast<size_t>(y + c.Roi[1]) * whole.Width + c.Roi[0]) * 3];
                    ASSERT_EQ(std::memcmp(&region.Pixels[y * row], inWhole, row), 0)
                        << c.Name << " smoothing " << mode << " direction " << direction << " row " << y;
                }
            }
        }
    }
}

// Reduced-size reads go through the general path (chroma of 4:2:0 taken one sample per pixel
// from its larger transform): as close to the reference decoder's scaled decode as full size.
TEST(OutputEndToEnd, ReducedSizesResembleTheReferenceScaledDecode) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are not installed";
    }
    const struct {
        int Scale, Mode;
        const char *Djpeg;
    } scales[] = {{2, IO_READ_HALF_MEMORY, "-dct int -nosmooth -scale 1/2"},
                  {4, IO_READ_QUARTER_MEMORY, "-dct int -nosmooth -scale 1/4"},
                  {8, IO_READ_EIGHTH_MEMORY, "-dct int -nosmooth -scale 1/8"}};
    for (const char *arguments : {"-quality 90", "-quality 90 -sample 2x1", "-quality 90 -sample 1x1"}) {
        const std::string path = MakeFile("reduced", 96, 80, arguments);
        for (const auto &s : scales) {
            const Picture reference = fixtures::DecodeWithDjpeg(path, s.Djpeg);
            DecodeRequest request;
            request.PixelColour = COLOUR_RGB;
            request.ImageMode = s.Mode;
            request.Scale = s.Scale;
            const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
            ASSERT_EQ(decoded.ImageResult, 0) << arguments << " scale " << s.Scale;
            const fixtures::Difference d = fixtures::ComparePictures(decoded.Output, reference);
            EXPECT_LE(d.Largest, kLargestAllowed) << arguments << " scale " << s.Scale;
            EXPECT_LE(d.Mean, kMeanAllowed) << arguments << " scale " << s.Scale;
            std::printf("[ figures  ] reduced %-26s 1/%d: largest %d, mean %.4f\n", arguments,
                        s.Scale, d.Largest, d.Mean);
        }
    }
}

} // namespace
