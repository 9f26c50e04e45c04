// Four-component Adobe pictures: YCCK (transform 2) decodes to complemented R, G, B plus K, and
// plain CMYK (transform 0) passes its components through, like the reference decoder.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstring>
#include <vector>

#include "support/jpeg_fixtures.h"
#include "support/rastrum_decode.h"

namespace {

using fixtures::Picture;

Picture MakeCmykPicture(int width, int height) {
    const Picture rgb = fixtures::MakeRichPicture(width, height, 3, 11);
    Picture cmyk{width, height, 4, {}};
    for (size_t i = 0; i < rgb.Pixels.size(); i += 3) {
        const uint8_t k = static_cast<uint8_t>((rgb.Pixels[i] + rgb.Pixels[i + 1]) / 4);
        cmyk.Pixels.insert(cmyk.Pixels.end(), {static_cast<uint8_t>(255 - rgb.Pixels[i]),
                                               static_cast<uint8_t>(255 - rgb.Pixels[i + 1]),
                                               static_cast<uint8_t>(255 - rgb.Pixels[i + 2]), k});
    }
    return cmyk;
}

std::vector<uint8_t> CompressCmyk(const Picture &cmyk, int subsampling) {
    tjhandle handle = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, cmyk.Pixels.data(), cmyk.Width, 0, cmyk.Height, TJPF_CMYK, &jpeg,
                          &size, subsampling, 92, TJFLAG_ACCURATEDCT),
              0)
        << tjGetErrorStr2(handle);
    std::vector<uint8_t> bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

Picture DecompressCmyk(const std::vector<uint8_t> &jpeg, int width, int height) {
    tjhandle handle = tjInitDecompress();
    Picture out{width, height, 4, std::vector<uint8_t>(size_t(width) * height * 4)};
    EXPECT_EQ(tjDecompress2(handle, jpeg.data(), jpeg.size(), out.Pixels.data(), width, 0, height,
                            TJPF_CMYK, TJFLAG_ACCURATEDCT | TJFLAG_FASTUPSAMPLE),
              0)
        << tjGetErrorStr2(handle);
    tjDestroy(handle);
    return out;
}

// The Adobe segment's transform byte: 11 bytes into the payload after "Adobe".
void SetAdobeTransform(std::vector<uint8_t> &jpeg, uint8_t transform) {
    for (size_t i = 0; i + 16 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xEE && std::memcmp(&jpeg[i + 4], "Adobe", 5) == 0) {
            jpeg[i + 4 + 11] = transform;
            return;
        }
    }
    ADD_FAILURE() << "no Adobe segment";
}

struct FourComponentCase {
    const char *Name;
    int Subsampling;
    uint8_t Transform;
    int ExpectedColour;
};

class AdobeFourComponent : public testing::TestWithParam<FourComponentCase> {};

TEST_P(AdobeFourComponent, MatchesReferenceDecoder) {
    const FourComponentCase &c = GetParam();
    const Picture cmyk = MakeCmykPicture(50, 34);
    std::vector<uint8_t> jpeg = CompressCmyk(cmyk, c.Subsampling);
    SetAdobeTransform(jpeg, c.Transform);
    const std::string path = fixtures::TempDirectory() + "/" + c.Name + ".jpg";
    fixtures::WriteFile(path, jpeg);

    fixtures::DecodeRequest request;
    request.PixelColour = COLOUR_RGB_PLUS;
    request.PixelChannels = 4;
    const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
    ASSERT_EQ(decoded.HeaderResult, 0) << CodecErrorText(decoded.HeaderResult);
    ASSERT_EQ(decoded.ImageResult, 0) << CodecErrorText(decoded.ImageResult);
    EXPECT_EQ(decoded.JpegChannels, 4);
    EXPECT_EQ(decoded.JpegColour, c.ExpectedColour);

    const Picture reference = DecompressCmyk(jpeg, 50, 34);
    const fixtures::Difference d = fixtures::ComparePictures(decoded.Output, reference);
    EXPECT_LE(d.Largest, 6) << c.Name;
    EXPECT_LE(d.Mean, 0.8) << c.Name;
    std::printf("[ figures  ] %-20s largest %d, mean %.4f\n", c.Name, d.Largest, d.Mean);
}

INSTANTIATE_TEST_SUITE_P(
    TurboJpegFiles, AdobeFourComponent,
    testing::Values(FourComponentCase{"ycck_444", TJSAMP_444, 2, COLOUR_YCBCR_PLUS},
                    FourComponentCase{"ycck_420", TJSAMP_420, 2, COLOUR_YCBCR_PLUS},
                    FourComponentCase{"ycck_422", TJSAMP_422, 2, COLOUR_YCBCR_PLUS},
                    FourComponentCase{"cmyk_444", TJSAMP_444, 0, COLOUR_RGB_PLUS}),
    [](const testing::TestParamInfo<FourComponentCase> &caseInfo) {
        return std::string(caseInfo.param.Name);
    });

} // namespace
