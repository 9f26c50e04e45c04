// Header reads through CodecInit and CodecRead of JPEG files written by cjpeg, from file and from
// memory: picture size, components, colour and subsampling codes, where the read stops, and the
// JFIF thumbnail.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "codec/marker_stream_builder.h"
#include "support/jpeg_fixtures.h"

namespace {

using marker_test::Bytes;

constexpr int kWidth = 37;
constexpr int kHeight = 23;

// Offset of the first marker `code` met when walking the segments from SOI, or -1.
int OffsetOf(const Bytes &jpeg, uint8_t code) {
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        if (jpeg[at + 1] == code) {
            return static_cast<int>(at);
        }
        if (jpeg[at + 1] == 0xDA) {
            return -1;
        }
        at += 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
    }
    return -1;
}

// A record initialised by CodecInit, reading `jpeg` from memory (odd modes) or from its file.
class ReadRecord {
  public:
    ReadRecord(const std::string &path, Bytes jpeg) : path_(path), jpeg_(std::move(jpeg)) {
        CodecInit(&record_);
        record_.JpegFileName = path_.c_str();
        record_.JpegBuffer = jpeg_.data();
        record_.JpegBufferSize = static_cast<int32_t>(jpeg_.size());
    }
    ~ReadRecord() { CodecFree(&record_); }
    ReadRecord(const ReadRecord &) = delete;
    ReadRecord &operator=(const ReadRecord &) = delete;
    CodecProperties &operator*() { return record_; }
    CodecProperties *operator->() { return &record_; }
    CodecError Read(int32_t mode) { return CodecRead(&record_, mode); }

  private:
    std::string path_;
    Bytes jpeg_;
    CodecProperties record_{};
};

struct Kind {
    const char *Name;
    const char *Arguments;
    int Components;
    int Colour;
    int Subsampling;
};

const Kind kKinds[] = {
    {"baseline 4:2:0", "-quality 85", 3, COLOUR_YCBCR, SUBSAMPLING_420},
    {"progressive", "-progressive", 3, COLOUR_YCBCR, SUBSAMPLING_420},
    {"4:4:4", "-sample 1x1", 3, COLOUR_YCBCR, SUBSAMPLING_444},
    {"4:2:2", "-sample 2x1", 3, COLOUR_YCBCR, SUBSAMPLING_422},
    {"grey", "-grayscale", 1, COLOUR_GREY, SUBSAMPLING_444},
    {"restart every block row", "-restart 1B", 3, COLOUR_YCBCR, SUBSAMPLING_420},
    {"restart every 2 rows", "-restart 2", 3, COLOUR_YCBCR, SUBSAMPLING_420},
};

class HeaderRead : public testing::Test {
  protected:
    void SetUp() override {
        if (!fixtures::ReferenceToolsAvailable()) {
            GTEST_SKIP() << "cjpeg is not installed";
        }
    }
};

TEST_F(HeaderRead, ReportsTheParametersOfEveryKindFromFileAndMemory) {
    const fixtures::Picture picture = fixtures::MakeRichPicture(kWidth, kHeight, 3);
    int index = 0;
    for (const Kind &kind : kKinds) {
        const std::string path = fixtures::EncodeWithCjpeg(
            picture, kind.Arguments, "kind" + std::to_string(index++) + ".jpg");
        const Bytes jpeg = fixtures::ReadFile(path);
        for (int32_t mode : {IO_READ_PARAMETERS_FILE, IO_READ_PARAMETERS_MEMORY}) {
            ReadRecord record(path, jpeg);
            ASSERT_EQ(record.Read(mode), CODEC_SUCCESS) << kind.Name << " mode " << mode;
            EXPECT_EQ(record->JpegWidth, kWidth) << kind.Name;
            EXPECT_EQ(record->JpegHeight, kHeight) << kind.Name;
            EXPECT_EQ(record->JpegChannels, kind.Components) << kind.Name;
            EXPECT_EQ(record->JpegColour, kind.Colour) << kind.Name;
            EXPECT_EQ(record->JpegSubsampling, kind.Subsampling) << kind.Name;
            EXPECT_EQ(record->ThumbnailWidth, 0) << kind.Name;
            EXPECT_EQ(record->CodecState.JfifSeen, 1) << kind.Name;
            // The read stops at the first SOS with the byte count pointing at its marker.
            EXPECT_EQ(record->CodecState.Stream.StreamByteCount, OffsetOf(jpeg, 0xDA))
                << kind.Name << " mode " << mode;
            EXPECT_EQ(record->CodecState.Scan, nullptr) << kind.Name;
        }
    }
}

TEST_F(HeaderRead, TablesOnlyReadStopsAtTheFrameMarker) {
    const fixtures::Picture picture = fixtures::MakeRichPicture(kWidth, kHeight, 3);
    const struct {
        const Kind &Encoding;
        uint8_t FrameMarker;
    } cases[] = {{kKinds[0], 0xC0}, {kKinds[1], 0xC2}};
    for (const auto &c : cases) {
        const Kind &kind = c.Encoding;
        const std::string path = fixtures::EncodeWithCjpeg(picture, kind.Arguments, "tables.jpg");
        const Bytes jpeg = fixtures::ReadFile(path);
        for (int32_t mode : {IO_READ_TABLES_FILE, IO_READ_TABLES_MEMORY}) {
            ReadRecord record(path, jpeg);
            ASSERT_EQ(record.Read(mode), CODEC_SUCCESS) << kind.Name;
            const CodecState &state = record->CodecState;
            EXPECT_EQ(state.Stream.StreamByteCount, OffsetOf(jpeg, c.FrameMarker)) << kind.Name;
            EXPECT_EQ(state.FramePending, 1) << kind.Name; // the frame is not read
            EXPECT_EQ(record->JpegWidth, 0) << kind.Name;
            EXPECT_EQ(state.QuantTableCount, 2) << kind.Name;
        }
    }
}

// The cjpeg file with its APP0 replaced by a JFIF APP0 carrying a 16 x 8 thumbnail.
Bytes WithThumbnail(const Bytes &jpeg) {
    const size_t app0End = 4 + ((jpeg[4] << 8) | jpeg[5]);
    const Bytes thumbnail = marker_test::Jfif(16, 8, marker_test::ThumbnailPixels(16, 8));
    Bytes result(jpeg.begin(), jpeg.begin() + 2);
    result.insert(result.end(), thumbnail.begin(), thumbnail.end());
    result.insert(result.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(app0End), jpeg.end());
    return result;
}

TEST_F(HeaderRead, JfifThumbnailIsReportedAndCopiedInTheThumbnailModes) {
    const fixtures::Picture picture = fixtures::MakeRichPicture(kWidth, kHeight, 3);
    const Bytes jpeg =
        WithThumbnail(fixtures::ReadFile(fixtures::EncodeWithCjpeg(picture, "", "plain.jpg")));
    const std::string path = fixtures::TempDirectory() + "/thumbnail.jpg";
    fixtures::WriteFile(path, jpeg);

    for (int32_t mode : {IO_READ_PARAMETERS_FILE, IO_READ_PARAMETERS_MEMORY}) {
        ReadRecord record(path, jpeg);
        ASSERT_EQ(record.Read(mode), CODEC_SUCCESS);
        EXPECT_EQ(record->ThumbnailWidth, 16);
        EXPECT_EQ(record->ThumbnailHeight, 8);
        EXPECT_EQ(record->JpegWidth, kWidth);
    }

    const struct {
        int32_t Mode;
        int Colour;
    } cases[] = {
        {IO_READ_THUMBNAIL_FILE, COLOUR_BGR},
        {IO_READ_THUMBNAIL_MEMORY, COLOUR_BGR},
        {IO_READ_THUMBNAIL_MEMORY, COLOUR_RGB},
    };
    for (const auto &c : cases) {
        ReadRecord record(path, jpeg);
        std::vector<uint8_t> pixels(16 * 8 * 3, 0);
        record->PixelBuffer = pixels.data();
        record->PixelWidth = 16;
        record->PixelHeight = 8;
        record->PixelColour = c.Colour;
        ASSERT_EQ(record.Read(c.Mode), CODEC_SUCCESS) << c.Mode;
        EXPECT_EQ(record->ThumbnailWidth, 16);
        EXPECT_EQ(record->JpegWidth, kWidth);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 16; ++x) {
                const uint8_t *pixel = &pixels[(y * 16 + x) * 3];
                const uint8_t red = static_cast<uint8_t>(x);
                const uint8_t blue = static_cast<uint8_t>(x + y);
                ASSERT_EQ(pixel[0], c.Colour == COLOUR_RGB ? red : blue) << c.Mode;
                ASSERT_EQ(pixel[1], y);
                ASSERT_EQ(pixel[2], c.Colour == COLOUR_RGB ? blue : red) << c.Mode;
            }
        }
    }
}

} // namespace
