// Whole pictures written by the reference encoder decode to the same pixels as the reference
// decoder gives (accurate integer DCT, no smoothing), within the small differences that two
// accurate integer transforms and two colour-conversion roundings allow.  A wrong block, a
// shifted row or swapped channels shows up as a large difference.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/jpeg_fixtures.h"
#include "support/rastrum_decode.h"

namespace {

using fixtures::DecodeRequest;
using fixtures::Picture;

struct ConformanceCase {
    const char *Name;
    int Width;
    int Height;
    int Channels; // of the source picture: 1 grey, 3 colour
    const char *CjpegArguments;
};

// Largest and mean absolute difference per sample that two accurate decoders may show.
constexpr int kLargestAllowed = 6;
constexpr double kMeanAllowed = 0.8;

const ConformanceCase kCases[] = {
    {"baseline_420", 96, 80, 3, "-quality 90"},
    {"baseline_444", 64, 48, 3, "-quality 90 -sample 1x1"},
    {"baseline_422", 80, 40, 3, "-quality 90 -sample 2x1"},
    {"baseline_440", 48, 64, 3, "-quality 90 -sample 1x2"},
    {"grey", 70, 50, 1, "-quality 85 -grayscale"},
    {"progressive_420", 96, 80, 3, "-quality 92 -progressive"},
    {"progressive_444", 64, 48, 3, "-quality 92 -progressive -sample 1x1"},
    {"progressive_grey", 70, 50, 1, "-quality 85 -progressive -grayscale"},
    {"restart_every_mcu", 64, 48, 3, "-quality 90 -restart 1B"},
    {"restart_two_rows", 96, 80, 3, "-quality 90 -restart 2"},
    {"progressive_restart", 96, 80, 3, "-quality 90 -progressive -restart 1B"},
    {"optimised_tables", 96, 80, 3, "-quality 95 -optimize"},
    {"high_quality", 64, 64, 3, "-quality 100 -sample 1x1"},
    {"low_quality", 64, 64, 3, "-quality 5"},
    {"rgb_coded", 48, 40, 3, "-quality 90 -rgb"},
    {"one_pixel", 1, 1, 3, "-quality 90"},
    {"size_17x9", 17, 9, 3, "-quality 90"},
    {"size_33x17", 33, 17, 3, "-quality 90 -sample 2x1"},
    {"size_1000x1", 1000, 1, 3, "-quality 90"},
    {"size_1x1000", 1, 1000, 3, "-quality 90 -progressive"},
    {"odd_progressive", 33, 17, 3, "-quality 90 -progressive"},
};

class Conformance : public testing::TestWithParam<ConformanceCase> {};

Picture ToThreeChannels(const Picture &grey) {
    Picture out{grey.Width, grey.Height, 3, {}};
    out.Pixels.reserve(grey.Pixels.size() * 3);
    for (uint8_t v : grey.Pixels) {
        out.Pixels.insert(out.Pixels.end(), {v, v, v});
    }
    return out;
}

TEST_P(Conformance, MatchesReferenceDecoderInMemoryAndFileModes) {
    const ConformanceCase &c = GetParam();
    const Picture source = fixtures::MakeRichPicture(c.Width, c.Height, c.Channels, 7);
    const std::string path =
        fixtures::EncodeWithCjpeg(source, c.CjpegArguments, std::string(c.Name) + ".jpg");
    Picture reference = fixtures::DecodeWithDjpeg(path, "-dct int -nosmooth");
    if (reference.Channels == 1) {
        reference = ToThreeChannels(reference);
    }

    for (int mode : {IO_READ_IMAGE_MEMORY, IO_READ_IMAGE_FILE}) {
        DecodeRequest request;
        request.ImageMode = mode;
        const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
        ASSERT_EQ(decoded.HeaderResult, 0) << CodecErrorText(decoded.HeaderResult);
        ASSERT_EQ(decoded.ImageResult, 0) << CodecErrorText(decoded.ImageResult);
        EXPECT_EQ(decoded.JpegWidth, c.Width);
        EXPECT_EQ(decoded.JpegHeight, c.Height);
        const fixtures::Difference d =
            fixtures::ComparePictures(fixtures::BgrToRgb(decoded.Output), reference);
        EXPECT_LE(d.Largest, kLargestAllowed) << c.Name << " mode " << mode;
        EXPECT_LE(d.Mean, kMeanAllowed) << c.Name << " mode " << mode;
        // The figures of every kind, for the record of how close the two decoders are.
        std::printf("[ figures  ] %-20s mode %2d: largest %d, mean %.4f\n", c.Name, mode,
                    d.Largest, d.Mean);
    }
}

INSTANTIATE_TEST_SUITE_P(ReferenceFiles, Conformance, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ConformanceCase> &caseInfo) {
                             return std::string(caseInfo.param.Name);
                         });

TEST(Conformance, RefusesArithmeticCoding) {
    const Picture source = fixtures::MakeRichPicture(32, 32, 3, 3);
    const std::string path = fixtures::EncodeWithCjpeg(source, "-arithmetic", "arithmetic.jpg");
    DecodeRequest request;
    const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
    const CodecError result = decoded.HeaderResult != 0 ? decoded.HeaderResult : decoded.ImageResult;
    EXPECT_EQ(result, CODEC_UNSUPPORTED_FRAME);
}

} // namespace
