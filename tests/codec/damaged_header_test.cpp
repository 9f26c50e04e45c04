// Streams that are not what a JPEG header should be, read through CodecRead: garbage, fill bytes,
// refused frame kinds, misplaced and missing markers, and every truncation and random damage of
// real headers, which must end in a result code (the sanitizer build catches any stray access).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "codec/marker_stream_builder.h"
#include "support/jpeg_fixtures.h"

namespace {

using namespace marker_test;

// Reads `bytes` in `mode` with a 16 x 16 BGR pixel buffer and a 32-byte comment buffer, from
// memory (odd modes) or from a file holding the bytes (even modes).
class DamagedRead {
  public:
    explicit DamagedRead(Bytes bytes) : bytes_(std::move(bytes)) {}
    CodecError Read(int32_t mode) {
        if (mode % 2 == 0 && path_.empty()) {
            path_ = fixtures::TempDirectory() + "/damaged.jpg";
            fixtures::WriteFile(path_, bytes_);
        }
        CodecProperties record{};
        CodecInit(&record);
        record.JpegFileName = path_.c_str();
        record.JpegBuffer = bytes_.data();
        record.JpegBufferSize = static_cast<int32_t>(bytes_.size());
        record.PixelBuffer = pixels_.data();
        record.PixelWidth = 16;
        record.PixelHeight = 16;
        record.CodecState.CommentText = comment_.data();
        record.CodecState.CommentSize = static_cast<uint16_t>(comment_.size());
        const CodecError result = CodecRead(&record, mode);
        width_ = record.JpegWidth;
        CodecFree(&record);
        return result;
    }
    int32_t Width() const { return width_; }

  private:
    Bytes bytes_;
    std::string path_;
    std::vector<uint8_t> pixels_ = std::vector<uint8_t>(16 * 16 * 3);
    std::vector<uint8_t> comment_ = std::vector<uint8_t>(32);
    int32_t width_ = 0;
};

const Bytes kSoi = Marker(0xD8);
const Bytes kEoi = Marker(0xD9);

bool KnownResult(CodecError result) {
    return std::string(CodecErrorText(result)) != "Unknown error code";
}

TEST(DamagedHeader, GarbageBeforeSoiIsPassedOverOnlyByWholeImageReads) {
    DamagedRead read(Join({Bytes{0x12, 0x34, 0xFF, 0x00, 0x56}, kSoi, AllTables(),
                           GreyFrame(16, 16), kEoi}));
    EXPECT_EQ(read.Read(IO_READ_PARAMETERS_MEMORY), CODEC_NOT_JPEG);
    EXPECT_EQ(read.Read(IO_READ_PARAMETERS_FILE), CODEC_NOT_JPEG);
    EXPECT_EQ(read.Read(IO_READ_THUMBNAIL_MEMORY), CODEC_NOT_JPEG);
    EXPECT_EQ(read.Read(IO_READ_IMAGE_MEMORY), CODEC_SUCCESS);
    EXPECT_EQ(read.Width(), 16);
    EXPECT_EQ(read.Read(IO_READ_IMAGE_FILE), CODEC_SUCCESS);
    EXPECT_EQ(read.Width(), 16);
}

TEST(DamagedHeader, FillBytesAndStuffedZerosBetweenSegmentsChangeNothing) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg is not installed";
    }
    const Bytes clean = fixtures::ReadFile(fixtures::EncodeWithCjpeg(
        fixtures::MakeRichPicture(29, 19, 3), "-sample 2x1", "fill.jpg"));
    // Before every marker after SOI up to SOS: a stuffed zero and two fill bytes.
    Bytes padded(clean.begin(), clean.begin() + 2);
    size_t at = 2;
    while (true) {
        padded.insert(padded.end(), {0xFF, 0x00, 0xFF, 0xFF});
        const size_t end = at + 2 + ((clean[at + 2] << 8) | clean[at + 3]);
        const bool scan = clean[at + 1] == 0xDA;
        padded.insert(padded.end(), clean.begin() + static_cast<std::ptrdiff_t>(at),
                      scan ? clean.end() : clean.begin() + static_cast<std::ptrdiff_t>(end));
        if (scan) {
            break;
        }
        at = end;
    }
    for (const Bytes &bytes : {clean, padded}) {
        CodecProperties record{};
        CodecInit(&record);
        Bytes copy = bytes;
        record.JpegBuffer = copy.data();
        record.JpegBufferSize = static_cast<int32_t>(copy.size());
        EXPECT_EQ(CodecRead(&record, IO_READ_PARAMETERS_MEMORY), CODEC_SUCCESS);
        EXPECT_EQ(record.JpegWidth, 29);
        EXPECT_EQ(record.JpegHeight, 19);
        EXPECT_EQ(record.JpegSubsampling, SUBSAMPLING_422);
        EXPECT_EQ(record.CodecState.QuantTableCount, 2);
        EXPECT_EQ(record.CodecState.AcTableCount, 2);
        CodecFree(&record);
    }
}

TEST(DamagedHeader, RefusedFrameKinds) {
    const struct {
        const char *Name;
        Bytes Stream;
        CodecError Result;
    } cases[] = {
        {"SOF3 lossless", Join({kSoi, GreyFrame(16, 16, 0xC3), kEoi}), CODEC_UNSUPPORTED_FRAME},
        {"SOF5 hierarchical", Join({kSoi, GreyFrame(16, 16, 0xC5), kEoi}), CODEC_UNSUPPORTED_FRAME},
        {"JPG", Join({kSoi, GreyFrame(16, 16, 0xC8), kEoi}), CODEC_UNSUPPORTED_FRAME},
        {"SOF9 arithmetic", Join({kSoi, GreyFrame(16, 16, 0xC9), kEoi}), CODEC_UNSUPPORTED_FRAME},
        {"SOF15", Join({kSoi, GreyFrame(16, 16, 0xCF), kEoi}), CODEC_UNSUPPORTED_FRAME},
        {"precision 12",
         Join({kSoi, Frame(0xC1, 16, 16, {{1, 0x11, 0}}, 12), kEoi}), CODEC_UNSUPPORTED_FRAME},
        {"height 0 (DNL)", Join({kSoi, GreyFrame(16, 0), kEoi}), CODEC_ERROR_DNL},
        {"SOS before SOF", Join({kSoi, AllTables(), Scan({{1, 0x00}}), kEoi}), CODEC_NO_FRAME},
        {"scan of 13 blocks",
         Join({kSoi, Frame(0xC0, 32, 32, {{1, 0x22, 0}, {2, 0x22, 0}, {3, 0x22, 0}, {4, 0x11, 0}}),
               Scan({{1, 0}, {2, 0}, {3, 0}, {4, 0}}), kEoi}),
         CODEC_DATA_ERROR},
    };
    for (const auto &c : cases) {
        DamagedRead read(c.Stream);
        EXPECT_EQ(read.Read(IO_READ_PARAMETERS_MEMORY), c.Result) << c.Name;
        EXPECT_EQ(read.Read(IO_READ_IMAGE_MEMORY), c.Result) << c.Name;
    }
}

TEST(DamagedHeader, TablesOnlyStreamMustBeFollowedByAnImage) {
    const struct {
        const char *Name;
        Bytes Stream;
        CodecError Result;
    } cases[] = {
        {"followed by SOI", Join({kSoi, AllTables(), kEoi, kSoi, GreyFrame(16, 16), kEoi}),
         CODEC_SUCCESS},
        {"followed by garbage", Join({kSoi, AllTables(), kEoi, Bytes{1, 2}, Marker(0xC4)}),
         CODEC_NO_IMAGE},
        {"nothing after it", Join({kSoi, AllTables(), kEoi}), CODEC_NO_IMAGE},
    };
    for (const auto &c : cases) {
        DamagedRead read(c.Stream);
        EXPECT_EQ(read.Read(IO_READ_IMAGE_MEMORY), c.Result) << c.Name;
        EXPECT_EQ(read.Read(IO_READ_IMAGE_FILE), c.Result) << c.Name;
        // A header read ends at the first EOI.
        EXPECT_EQ(read.Read(IO_READ_PARAMETERS_MEMORY), CODEC_SUCCESS) << c.Name;
    }
}

TEST(DamagedHeader, StreamWithoutEoi) {
    DamagedRead read(Join({kSoi, AllTables(), GreyFrame(16, 16)}));
    EXPECT_EQ(read.Read(IO_READ_IMAGE_MEMORY), CODEC_MEMORY_ERROR);
    EXPECT_EQ(read.Read(IO_READ_IMAGE_FILE), CODEC_FILE_ERROR);
    EXPECT_EQ(read.Read(IO_READ_PARAMETERS_MEMORY), CODEC_MEMORY_ERROR);
}

// Real headers: a cjpeg file with a JFIF thumbnail and a comment, baseline and progressive.
std::vector<Bytes> RealHeaders() {
    const fixtures::Picture picture = fixtures::MakeRichPicture(24, 16, 3);
    std::vector<Bytes> files;
    for (const char *arguments : {"-restart 1", "-progressive -sample 1x1"}) {
        const Bytes jpeg =
            fixtures::ReadFile(fixtures::EncodeWithCjpeg(picture, arguments, "real.jpg"));
        const size_t app0End = 4 + ((jpeg[4] << 8) | jpeg[5]);
        files.push_back(Join({kSoi, Jfif(4, 2, ThumbnailPixels(4, 2)), Comment("Rastrum"),
                              Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(app0End),
                                    jpeg.end())}));
    }
    return files;
}

const int32_t kHeaderModes[] = {IO_READ_PARAMETERS_MEMORY, IO_READ_TABLES_MEMORY,
                                IO_READ_THUMBNAIL_MEMORY};

TEST(DamagedHeader, EveryTruncationEndsInAResultCode) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg is not installed";
    }
    for (const Bytes &jpeg : RealHeaders()) {
        for (size_t length = 0; length < jpeg.size(); ++length) {
            DamagedRead read(Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(length)));
            for (int32_t mode : kHeaderModes) {
                const CodecError result = read.Read(mode);
                ASSERT_TRUE(KnownResult(result)) << length << " " << mode << " " << result;
                ASSERT_LE(result, 0) << length;
            }
            if (length % 16 == 0) {
                ASSERT_TRUE(KnownResult(read.Read(IO_READ_PARAMETERS_FILE))) << length;
            }
        }
    }
}

TEST(DamagedHeader, RandomDamageEndsInAResultCode) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg is not installed";
    }
    std::mt19937 random(20261210);
    for (const Bytes &jpeg : RealHeaders()) {
        std::uniform_int_distribution<size_t> position(0, std::min<size_t>(jpeg.size(), 700) - 1);
        std::uniform_int_distribution<int> value(0, 255);
        std::uniform_int_distribution<int> flips(1, 4);
        for (int trial = 0; trial < 1500; ++trial) {
            Bytes damaged = jpeg;
            for (int i = flips(random); i > 0; --i) {
                damaged[position(random)] = static_cast<uint8_t>(value(random));
            }
            DamagedRead read(damaged);
            for (int32_t mode : kHeaderModes) {
                const CodecError result = read.Read(mode);
                ASSERT_TRUE(KnownResult(result)) << trial << " " << mode << " " << result;
            }
            if (trial % 50 == 0) {
                ASSERT_TRUE(KnownResult(read.Read(IO_READ_THUMBNAIL_FILE))) << trial;
            }
        }
    }
}

} // namespace
