// Damaged streams in the whole-image modes: every truncation, random byte flips and markers in
// the wrong places end in a result code — never a crash, a hang, a leak or a write outside the
// caller's buffer (the sanitizer build checks the memory side).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "rastrum.h"
#include "support/jpeg_fixtures.h"

namespace {

struct Source {
    const char *Name;
    int Width;
    int Height;
    int Channels;
    const char *CjpegArguments;
};

const Source kSources[] = {
    {"baseline", 40, 24, 3, "-quality 80"},
    {"progressive", 40, 24, 3, "-quality 80 -progressive"},
    {"restarts", 40, 24, 3, "-quality 80 -restart 1B -sample 2x1"},
    {"grey", 24, 17, 1, "-quality 80 -grayscale"},
    {"progressive_restarts", 33, 17, 3, "-quality 80 -progressive -restart 1B"},
};

// Decodes `bytes` from memory into an exactly sized buffer (any out-of-bounds write is caught by
// the sanitizer); returns the read's result code.
CodecError DecodeDamaged(std::vector<uint8_t> bytes, int width, int height, int mode) {
    CodecProperties record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(CodecInit(&record), 0);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    record.JpegBuffer = bytes.data();
    record.JpegBufferSize = static_cast<int32_t>(bytes.size());
    record.PixelBuffer = pixels.data();
    record.PixelWidth = width;
    record.PixelHeight = height;
    record.PixelChannels = 3;
    record.PixelColour = COLOUR_BGR;
    record.JpegColour = COLOUR_YCBCR;
    record.JpegChannels = 3;
    const CodecError result = CodecRead(&record, mode);
    EXPECT_EQ(CodecFree(&record), 0);
    return result;
}

std::vector<uint8_t> SourceBytes(const Source &source) {
    const fixtures::Picture picture =
        fixtures::MakeRichPicture(source.Width, source.Height, source.Channels, 5);
    return fixtures::ReadFile(fixtures::EncodeWithCjpeg(
        picture, source.CjpegArguments, std::string("damaged_") + source.Name + ".jpg"));
}

class DamagedImage : public testing::TestWithParam<Source> {};

TEST_P(DamagedImage, EveryTruncationEndsInAResultCode) {
    const Source &source = GetParam();
    const std::vector<uint8_t> whole = SourceBytes(source);
    ASSERT_EQ(DecodeDamaged(whole, source.Width, source.Height, IO_READ_IMAGE_MEMORY), 0);
    for (size_t length = 1; length < whole.size(); length += 7) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
        const CodecError result =
            DecodeDamaged(cut, source.Width, source.Height, IO_READ_IMAGE_MEMORY);
        // A stream that stops before its end of image can never be a success.
        EXPECT_LT(result, 0) << source.Name << " cut at " << length;
    }
}

TEST_P(DamagedImage, RandomByteFlipsNeverEscapeTheBuffers) {
    const Source &source = GetParam();
    const std::vector<uint8_t> whole = SourceBytes(source);
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> damaged = whole;
        const int flips = 1 + round % 6;
        for (int i = 0; i < flips; ++i) {
            damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        }
        for (int mode : {IO_READ_IMAGE_MEMORY, IO_READ_HALF_MEMORY, IO_READ_EIGHTH_MEMORY}) {
            DecodeDamaged(damaged, source.Width, source.Height, mode);
        }
    }
}

TEST_P(DamagedImage, MarkersInTheWrongPlacesEndInAResultCode) {
    const Source &source = GetParam();
    const std::vector<uint8_t> whole = SourceBytes(source);
    const uint8_t markers[] = {0xD8, 0xD9, 0xDA, 0xC4, 0xDB, 0xC0, 0xC2, 0xDD, 0xD0, 0xD7, 0xFE};
    std::mt19937 random(99);
    for (uint8_t marker : markers) {
        for (int round = 0; round < 40; ++round) {
            std::vector<uint8_t> damaged = whole;
            const size_t at = 2 + random() % (damaged.size() - 2);
            const uint8_t inserted[] = {0xFF, marker, 0x00, static_cast<uint8_t>(random() % 24)};
            damaged.insert(damaged.begin() + static_cast<long>(at), std::begin(inserted),
                           std::end(inserted));
            DecodeDamaged(damaged, source.Width, source.Height, IO_READ_IMAGE_MEMORY);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ReferenceFiles, DamagedImage, testing::ValuesIn(kSources),
                         [](const testing::TestParamInfo<Source> &caseInfo) {
                             return std::string(caseInfo.param.Name);
                         });

} // namespace
