// The decoder driver around the scan loops: the decoder set-up, what a frame and a scan start
// leave in the record (buffers, inverse DCT family, region index), the refusal of MCUs the work
// area cannot hold, and reads on a record that an earlier read left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/marker_stream_builder.h"
#include "dispatch_table.h"
#include "frame_buffers.h"
#include "marker_reader.h"
#include "support/jpeg_fixtures.h"
#include "support/rastrum_decode.h"

namespace {

using namespace marker_test;
using namespace rastrum;

const Bytes kSoi = Marker(0xD8);
const Bytes kEoi = Marker(0xD9);

void SetFactors(CodecState &state, const std::vector<int> &factors) {
    state.ComponentCount = static_cast<int32_t>(factors.size());
    for (size_t k = 0; k < factors.size(); ++k) {
        state.Components[k].HSampling = factors[k] >> 4;
        state.Components[k].VSampling = factors[k] & 15;
    }
}

// A BGR pixel buffer of width x height for reads that run scans.
std::vector<uint8_t> AttachPixels(CodecState &state, int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    state.PixelBuffer = pixels.data();
    state.PixelWidth = width;
    state.PixelHeight = height;
    state.PixelRowStride = width * 3;
    state.Stream.PixelCursor = pixels.data();
    return pixels;
}

TEST(SetUpDecoder, DerivesFlagsAndMcuGeometry) {
    const struct {
        const char *Name;
        std::vector<int> Factors;
        int JpegColour;
        int PixelColour;
        int32_t Result;
        int Conversion;
        int Upsampling;
        int McusPerRow;
        int McusPerColumn;
    } cases[] = {
        {"4:2:0 to BGR", {0x22, 0x11, 0x11}, COLOUR_YCBCR, COLOUR_BGR, 0, 1, 1, 3, 2},
        {"4:2:2 to YCbCr", {0x21, 0x11, 0x11}, COLOUR_YCBCR, COLOUR_YCBCR, 0, 0, 0, 3, 3},
        {"4:2:0 to YCbCr", {0x22, 0x11, 0x11}, COLOUR_YCBCR, COLOUR_YCBCR,
         CODEC_INVALID_PROPERTIES, 0, 0, 3, 2},
        {"4:4:4 to BGR", {0x11, 0x11, 0x11}, COLOUR_YCBCR, COLOUR_BGR, 0, 1, 0, 5, 3},
        {"RGB-coded", {0x11, 0x11, 0x11}, COLOUR_RGB, COLOUR_BGR, 0, 0, 0, 5, 3},
        {"grey", {0x11}, COLOUR_GREY, COLOUR_BGR, 0, 0, 0, 5, 3},
        {"to grey", {0x22, 0x11, 0x11}, COLOUR_YCBCR, COLOUR_GREY, 0, 0, 1, 3, 2},
        {"five components", {0x11, 0x11, 0x11, 0x11, 0x11}, COLOUR_OTHER, COLOUR_OTHER,
         CODEC_ERROR_COMP, 1, 1, 0, 0},
        {"no sampling factor", {0x00, 0x00}, COLOUR_OTHER, COLOUR_OTHER, CODEC_ERROR_COMP, 0, 1,
         0, 0},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Bytes{});
        CodecState &state = record.State();
        if (c.Factors.size() <= 4) {
            SetFactors(state, c.Factors);
        } else {
            state.ComponentCount = 5; // only a record filled by the caller can hold this
        }
        state.JpegWidth = 37;
        state.JpegHeight = 23;
        state.JpegColour = c.JpegColour;
        state.PixelColour = c.PixelColour;
        EXPECT_EQ(SetUpDecoder(state), c.Result) << c.Name;
        if (c.Result == 0) {
            EXPECT_EQ(state.ColourConversionWanted, c.Conversion) << c.Name;
            EXPECT_EQ(state.UpsamplingWanted, c.Upsampling) << c.Name;
            EXPECT_EQ(state.McusPerRow, c.McusPerRow) << c.Name;
            EXPECT_EQ(state.McusPerColumn, c.McusPerColumn) << c.Name;
            EXPECT_EQ(state.McuTotal, c.McusPerRow * c.McusPerColumn) << c.Name;
        }
    }
}

TEST(FrameBuffers, CoefficientStoreSizeDoesNotOverflow) {
    MemoryRecord record(Bytes{});
    CodecState &state = record.State();
    SetFactors(state, {0x22, 0x11, 0x11});
    state.McusPerRow = 4096; // 65535 x 65535 pixels
    state.McusPerColumn = 4096;
    EXPECT_EQ(CoefficientStoreBytes(state), size_t{6} * 64 * 4096 * 4096 * 2);
}

TEST(DecodeImage, NewFrameReleasesTheBuffersOfTheLastOne) {
    MemoryRecord record(Join({kSoi, Frame420(40, 24), kEoi}), IO_READ_IMAGE_MEMORY);
    CodecState &state = record.State();
    SetFactors(state, {0x11});
    state.McusPerRow = 2;
    state.McusPerColumn = 2;
    ASSERT_EQ(AllocateCoefficientStore(state), 0);
    ASSERT_EQ(AllocateSmoothingPlanes(state), 0);
    ASSERT_EQ(DecodeImage(state), 0);
    EXPECT_EQ(state.CoefficientStore, nullptr);
    EXPECT_EQ(state.Planes, nullptr);
    EXPECT_EQ(state.FramePending, 0);
    EXPECT_EQ(state.JpegWidth, 40);
    EXPECT_EQ(state.JpegChannels, 3);
    EXPECT_EQ(state.McusPerRow, 3);
}

TEST(DecodeImage, RepeatedFrameHeaderIsPassedOverByItsLength) {
    // Once the frame is known SOF2 is not read again; its width 0xFFC3 must not pass for SOF3.
    MemoryRecord record(Join({kSoi, GreyFrame(16, 8), GreyFrame(0xFFC3, 8, 0xC2), kEoi}),
                        IO_READ_PARAMETERS_MEMORY);
    ASSERT_EQ(DecodeImage(record.State()), 0);
    EXPECT_EQ(record.State().JpegWidth, 16);
}

TEST(DecodeImage, ScansWhoseMcuDoesNotFitTheWorkAreaAreRefused) {
    const std::vector<FrameEntry> thirteen = {{1, 0x22, 0}, {2, 0x22, 0}, {3, 0x22, 0}, {4, 0x11, 0}};
    const std::vector<FrameEntry> ten = {{1, 0x22, 0}, {2, 0x22, 0}, {3, 0x11, 0}, {4, 0x11, 0}};
    const struct {
        const char *Name;
        std::vector<FrameEntry> Frame;
        Bytes Scan;
        bool Refused;
    } cases[] = {
        {"interleaved, 13 blocks", thirteen, Scan({{1, 0}, {2, 0}, {3, 0}, {4, 0}}), true},
        {"progressive DC of a 13-block frame", thirteen, Scan({{1, 0}}, 0, 0), true},
        {"one component of a 13-block frame", thirteen, Scan({{1, 0}}), false},
        {"interleaved, 10 blocks", ten, Scan({{1, 0}, {2, 0}, {3, 0}, {4, 0}}), false},
        {"progressive DC of a 10-block frame", ten, Scan({{1, 0}}, 0, 0), false},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Join({kSoi, AllTables(), Frame(0xC0, 32, 32, c.Frame), c.Scan}),
                            IO_READ_IMAGE_MEMORY);
        CodecState &state = record.State();
        state.JpegColour = COLOUR_OTHER;
        state.PixelColour = COLOUR_OTHER;
        const std::vector<uint8_t> pixels = AttachPixels(state, 32, 32);
        const int32_t result = DecodeImage(state);
        if (c.Refused) {
            EXPECT_EQ(result, CODEC_DATA_ERROR) << c.Name;
        } else {
            EXPECT_NE(result, CODEC_DATA_ERROR) << c.Name;
        }
        EXPECT_EQ(state.Scan, nullptr) << c.Name;
    }
}

TEST(DecodeImage, FailedScanIsNotKeptForTheNextCall) {
    // A restart marker is due after the first MCU but the data ends: the scan fails.
    MemoryRecord record(Join({kSoi, AllTables(), GreyFrame(16, 16), Segment(0xDD, {0, 1}),
                              Scan({{1, 0x00}}), Bytes{0x00, 0x00}}),
                        IO_READ_IMAGE_MEMORY);
    CodecState &state = record.State();
    const std::vector<uint8_t> pixels = AttachPixels(state, 16, 16);
    EXPECT_LT(DecodeImage(state), 0);
    EXPECT_EQ(state.Scan, nullptr);
}

// A record reading a cjpeg file of 37 x 23 pixels through CodecRead into a BGR buffer.
class CjpegRecord {
  public:
    CjpegRecord(const std::string &arguments, const std::string &name)
        : path_(fixtures::EncodeWithCjpeg(fixtures::MakeRichPicture(37, 23, 3), arguments, name)),
          jpeg_(fixtures::ReadFile(path_)) {
        CodecInit(&record_);
        record_.JpegFileName = path_.c_str();
        record_.JpegBuffer = jpeg_.data();
        record_.JpegBufferSize = static_cast<int32_t>(jpeg_.size());
        record_.PixelBuffer = pixels_.data();
        record_.PixelWidth = 37;
        record_.PixelHeight = 23;
    }
    ~CjpegRecord() { CodecFree(&record_); }
    CjpegRecord(const CjpegRecord &) = delete;
    CjpegRecord &operator=(const CjpegRecord &) = delete;
    CodecProperties *operator->() { return &record_; }
    CodecState &State() { return record_.CodecState; }
    CodecError Read(int32_t mode) { return CodecRead(&record_, mode); }
    // Offset of the first byte after the first SOS segment.
    int ScanDataOffset() const {
        size_t at = 2;
        while (jpeg_[at + 1] != 0xDA) {
            at += 2 + ((jpeg_[at + 2] << 8) | jpeg_[at + 3]);
        }
        return static_cast<int>(at + 2 + ((jpeg_[at + 2] << 8) | jpeg_[at + 3]));
    }

  private:
    std::string path_;
    Bytes jpeg_;
    std::vector<uint8_t> pixels_ = std::vector<uint8_t>(37 * 23 * 3);
    CodecProperties record_{};
};

class DecoderDriver : public testing::Test {
  protected:
    void SetUp() override {
        if (!fixtures::ReferenceToolsAvailable()) {
            GTEST_SKIP() << "cjpeg is not installed";
        }
    }
};

TEST_F(DecoderDriver, ScanLoadsTheInverseDctFamilyOfTheMethod) {
    for (int method : {0, 1}) {
        CjpegRecord record("", "family.jpg");
        record.State().DctMethod = method;
        record.Read(IO_READ_IMAGE_MEMORY);
        const DispatchTable &table = *record.State().Stream.Dispatch;
        EXPECT_EQ(table.ActiveInverseDct, method == 1 ? table.InverseDctB : table.InverseDctA);
        EXPECT_EQ(table.ActiveInverseDctHalf,
                  method == 1 ? table.InverseDctBHalf : table.InverseDctAHalf);
        EXPECT_EQ(table.ActiveInverseDctEighth,
                  method == 1 ? table.InverseDctBEighth : table.InverseDctAEighth);
        EXPECT_EQ(table.ActiveDequantize, method == 1 ? table.DequantizeB : table.DequantizeA);
    }
}

TEST_F(DecoderDriver, RegionReadStartsTheIndexAtTheScanData) {
    for (int32_t mode : {IO_READ_IMAGE_FILE, IO_READ_IMAGE_MEMORY}) {
        CjpegRecord record("", "region.jpg");
        CodecState &state = record.State();
        const int32_t roi[4] = {8, 8, 24, 16};
        std::copy(roi, roi + 4, state.Roi);
        record.Read(mode);
        ASSERT_NE(state.RoiIndex, nullptr) << mode;
        EXPECT_EQ(state.RoiIndex[0].Position, record.ScanDataOffset()) << mode;
        EXPECT_EQ(state.RoiIndex[0].PendingMarker, 0) << mode;
        EXPECT_EQ(state.RoiIndex[ROI_INDEX_ENTRIES - 1].Position, -1) << mode;
    }
}

TEST_F(DecoderDriver, SmoothingPlanesShareOneBlock) {
    CjpegRecord record("-sample 2x1", "planes.jpg");
    CodecState &state = record.State();
    state.UpsamplingMode = 1;
    record.Read(IO_READ_IMAGE_MEMORY);
    ASSERT_NE(state.Planes, nullptr);
    EXPECT_EQ(state.Planes->Block, state.Planes->Plane[0]);
    const ptrdiff_t planeSamples = 4 * 64 * (3 + 2); // 4 blocks per MCU, 3 MCUs per row
    for (int k = 1; k < 4; ++k) {
        EXPECT_EQ(state.Planes->Plane[k] - state.Planes->Plane[k - 1], planeSamples);
    }
}

TEST_F(DecoderDriver, ProgressiveImageGetsACoefficientStore) {
    CjpegRecord record("-progressive", "store.jpg");
    record.Read(IO_READ_IMAGE_MEMORY);
    EXPECT_NE(record.State().CoefficientStore, nullptr);
    EXPECT_GT(record.State().Progressive, 0);
}

TEST_F(DecoderDriver, ImageReadUsesTheFrameSizeWhateverTheCallerLeftInTheRecord) {
    // SOF2 is not read again by the image read, so only the frame knows the size.
    CjpegRecord record("-progressive", "size.jpg");
    ASSERT_EQ(record.Read(IO_READ_PARAMETERS_MEMORY), 0);
    record->JpegWidth = 0; // copied into the inner record by the next read
    record->JpegHeight = 5;
    record.Read(IO_READ_IMAGE_MEMORY);
    EXPECT_EQ(record.State().McusPerRow, 3);
    EXPECT_EQ(record.State().McusPerColumn, 2);
}

TEST_F(DecoderDriver, HeaderReadAfterSeparateComponentScansStartsAgainFromTheFile) {
    for (int32_t mode : {IO_READ_PARAMETERS_FILE, IO_READ_PARAMETERS_MEMORY}) {
        CjpegRecord record("", "again.jpg");
        if (mode == IO_READ_PARAMETERS_FILE) {
            record->JpegBuffer = nullptr; // a file read has nothing to do with memory
            record->JpegBufferSize = 0;
        }
        record.State().NonInterleaved = 1; // as left by a read of separate component scans
        ASSERT_EQ(record.Read(mode), CODEC_SUCCESS) << mode;
        EXPECT_EQ(record->JpegWidth, 37) << mode;
    }
}

TEST_F(DecoderDriver, EntropyReadPassesOverAThumbnailByItsLength) {
    // Thumbnail bytes that look like EOI must not end the read.
    const Bytes stream = Join({kSoi, Jfif(2, 1, {0xFF, 0xD9, 0x00, 0xFF, 0xD9, 0x00}), AllTables(),
                               GreyFrame(16, 8), kEoi});
    const std::string path = fixtures::TempDirectory() + "/entropy.jpg";
    fixtures::WriteFile(path, stream);
    CodecProperties record{};
    CodecInit(&record);
    std::vector<uint8_t> pixels(16 * 8 * 3);
    record.JpegFileName = path.c_str();
    record.PixelBuffer = pixels.data();
    record.PixelWidth = 16;
    record.PixelHeight = 8;
    EXPECT_EQ(CodecRead(&record, IO_READ_ENTROPY_FILE), CODEC_SUCCESS);
    EXPECT_EQ(record.JpegWidth, 16);
    CodecFree(&record);
}

TEST_F(DecoderDriver, SeparateComponentScansDecodeLikeTheReference) {
    // A sequential file whose components come in three scans of their own.
    const std::string script = fixtures::TempDirectory() + "/separate.scans";
    const std::string text = "0;\n1;\n2;\n";
    fixtures::WriteFile(script, Bytes(text.begin(), text.end()));
    for (const char *sampling : {"1x1", "2x2"}) {
        const std::string path = fixtures::EncodeWithCjpeg(
            fixtures::MakeRichPicture(45, 27, 3), std::string("-sample ") + sampling +
            " -scans '" + script + "'", "separate.jpg");
        const fixtures::Picture reference = fixtures::DecodeWithDjpeg(path, "-dct int -nosmooth");
        for (int mode : {IO_READ_IMAGE_MEMORY, IO_READ_IMAGE_FILE}) {
            fixtures::DecodeRequest request;
            request.ImageMode = mode;
            const fixtures::DecodeResult decoded = fixtures::DecodeWithRastrum(path, request);
            ASSERT_EQ(decoded.ImageResult, 0) << sampling << " " << mode;
            const fixtures::Difference d =
                fixtures::ComparePictures(fixtures::BgrToRgb(decoded.Output), reference);
            EXPECT_LE(d.Largest, 6) << sampling << " " << mode;
            EXPECT_LE(d.Mean, 0.8) << sampling << " " << mode;
        }
    }
}

TEST_F(DecoderDriver, NextImageOnTheRecordOfAProgressiveOneDecodesAsItsOwnProcess) {
    // One record reads a progressive picture, then sequential ones, with or without a header
    // read between: each must decode as it does on a record of its own.
    const fixtures::Picture picture = fixtures::MakeRichPicture(37, 23, 3);
    const std::string progressive = fixtures::EncodeWithCjpeg(picture, "-progressive", "first.jpg");
    const std::string sequential = fixtures::EncodeWithCjpeg(picture, "", "then.jpg");
    const std::string separate = fixtures::TempDirectory() + "/then.scans";
    const std::string script = "0;\n1;\n2;\n";
    fixtures::WriteFile(separate, Bytes(script.begin(), script.end()));
    const std::string separateScans = fixtures::EncodeWithCjpeg(
        picture, "-scans '" + separate + "'", "then-separate.jpg");
    for (const std::string &next : {sequential, separateScans}) {
        const fixtures::DecodeResult alone = fixtures::DecodeWithRastrum(next, {});
        ASSERT_EQ(alone.ImageResult, 0);
        for (const bool headerRead : {false, true}) {
            Bytes first = fixtures::ReadFile(progressive);
            Bytes second = fixtures::ReadFile(next);
            std::vector<uint8_t> pixels(37 * 23 * 3);
            CodecProperties record{};
            CodecInit(&record);
            record.PixelBuffer = pixels.data();
            record.PixelWidth = 37;
            record.PixelHeight = 23;
            record.JpegBuffer = first.data();
            record.JpegBufferSize = static_cast<int32_t>(first.size());
            ASSERT_EQ(CodecRead(&record, IO_READ_IMAGE_MEMORY), 0);
            record.JpegBuffer = second.data();
            record.JpegBufferSize = static_cast<int32_t>(second.size());
            if (headerRead) {
                ASSERT_EQ(CodecRead(&record, IO_READ_PARAMETERS_MEMORY), 0);
            }
            std::fill(pixels.begin(), pixels.end(), 0);
            EXPECT_EQ(CodecRead(&record, IO_READ_IMAGE_MEMORY), 0);
            EXPECT_EQ(record.CodecState.Progressive, 0) << next << " " << headerRead;
            EXPECT_TRUE(pixels == alone.Output.Pixels) << next << " " << headerRead;
            CodecFree(&record);
        }
    }
}

TEST_F(DecoderDriver, RegionReadAfterAWholeImageReadOnTheSameRecord) {
    // The whole-image read closes the file and completes the progressive passes; the region
    // read that follows starts both again and must show what the whole image showed.
    const fixtures::Picture picture = fixtures::MakeRichPicture(64, 64, 3);
    for (const char *arguments : {"", "-progressive"}) {
        const std::string path = fixtures::EncodeWithCjpeg(picture, arguments, "again.jpg");
        Bytes jpeg = fixtures::ReadFile(path);
        for (int32_t mode : {IO_READ_IMAGE_FILE, IO_READ_IMAGE_MEMORY}) {
            std::vector<uint8_t> whole(64 * 64 * 3);
            CodecProperties record{};
            CodecInit(&record);
            record.JpegFileName = path.c_str();
            record.JpegBuffer = jpeg.data();
            record.JpegBufferSize = static_cast<int32_t>(jpeg.size());
            record.PixelBuffer = whole.data();
            record.PixelWidth = 64;
            record.PixelHeight = 64;
            ASSERT_EQ(CodecRead(&record, mode), 0) << arguments << " " << mode;

            const int32_t roi[4] = {40, 32, 64, 48};
            std::vector<uint8_t> region(24 * 16 * 3);
            std::copy(roi, roi + 4, record.CodecState.Roi);
            record.PixelBuffer = region.data();
            record.PixelWidth = 24;
            record.PixelHeight = 16;
            EXPECT_EQ(CodecRead(&record, mode), CODEC_ROI_SUCCESS) << arguments << " " << mode;
            std::vector<uint8_t> crop;
            for (int y = 32; y < 48; ++y) {
                const auto row = whole.begin() + (y * 64 + 40) * 3;
                crop.insert(crop.end(), row, row + 24 * 3);
            }
            EXPECT_TRUE(region == crop) << arguments << " " << mode;
            CodecFree(&record);
        }
    }
}

TEST_F(DecoderDriver, InterruptedReadResumesWithoutReadingMarkersAgain) {
    // 4:4:4, 32 x 16 pixels: eight MCUs, so eight calls when every call stops after one MCU.
    const std::string path = fixtures::EncodeWithCjpeg(fixtures::MakeRichPicture(32, 16, 3),
                                                       "-sample 1x1", "resume.jpg");
    fixtures::DecodeRequest request;
    const fixtures::DecodeResult whole = fixtures::DecodeWithRastrum(path, request);
    ASSERT_EQ(whole.ImageResult, 0);

    for (int32_t mode : {IO_READ_IMAGE_MEMORY, IO_READ_IMAGE_FILE}) {
        Bytes jpeg = fixtures::ReadFile(path);
        std::vector<uint8_t> pixels(32 * 16 * 3, 0);
        CodecProperties record{};
        CodecInit(&record);
        record.JpegFileName = path.c_str();
        record.JpegBuffer = jpeg.data();
        record.JpegBufferSize = static_cast<int32_t>(jpeg.size());
        record.PixelBuffer = pixels.data();
        record.PixelWidth = 32;
        record.PixelHeight = 16;
        int calls = 0;
        CodecError result = CODEC_INTERRUPT_SUCCESS;
        while (result == CODEC_INTERRUPT_SUCCESS && calls < 20) {
            std::fill(record.CodecState.Roi, record.CodecState.Roi + 4, 0);
            record.CodecState.InterruptRequest = 1;
            result = CodecRead(&record, mode);
            ++calls;
            if (result == CODEC_INTERRUPT_SUCCESS) {
                EXPECT_NE(record.CodecState.Scan, nullptr) << mode;
                EXPECT_EQ(record.CodecState.InterruptRequest, 0) << mode;
            }
        }
        EXPECT_EQ(result, CODEC_SUCCESS) << mode;
        EXPECT_EQ(calls, 8) << mode;
        EXPECT_EQ(record.CodecState.Scan, nullptr) << mode;
        EXPECT_EQ(pixels, whole.Output.Pixels) << mode;
        CodecFree(&record);
    }
}

} // namespace
