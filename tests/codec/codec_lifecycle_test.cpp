// The course of CodecInit, CodecRead, CodecWrite and CodecFree around the decoder: defaults,
// aligned areas, the stream set-up, the caller's tables, the report after a read, the refusal of
// writes and the release of everything a record owns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "dispatch_table.h"
#include "entropy_decoder.h"
#include "file_stream.h"
#include "header_report.h"
#include "inverse_dct.h"
#include "rastrum.h"
#include "raw_table_install.h"
#include "read_stream_setup.h"
#include "record_copy.h"
#include "support/jpeg_fixtures.h"

namespace {

// A record initialised by CodecInit and released at the end of the test.
class Record {
  public:
    Record() {
        std::memset(&record_, 0xAB, sizeof record_); // CodecInit must not read old contents
        result_ = CodecInit(&record_);
    }
    ~Record() { CodecFree(&record_); }
    Record(const Record &) = delete;
    Record &operator=(const Record &) = delete;
    CodecProperties *operator->() { return &record_; }
    CodecProperties &operator*() { return record_; }
    CodecError InitResult() const { return result_; }

  private:
    CodecProperties record_;
    CodecError result_;
};

bool FileExists(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

uintptr_t AddressOf(const void *p) {
    return reinterpret_cast<uintptr_t>(p);
}

TEST(CodecInit, SetsTheDefaults) {
    Record record;
    ASSERT_EQ(record.InitResult(), CODEC_SUCCESS);
    const CodecProperties &r = *record;
    const struct {
        const char *Name;
        int32_t Outer;
        int32_t Inner;
        int32_t Expected;
    } fields[] = {
        {"UseInnerRecord", r.UseInnerRecord, 0, 0},
        {"PixelWidth", r.PixelWidth, r.CodecState.PixelWidth, 0},
        {"PixelHeight", r.PixelHeight, r.CodecState.PixelHeight, 0},
        {"PixelRowPadding", r.PixelRowPadding, r.CodecState.PixelRowPadding, 0},
        {"PixelChannels", r.PixelChannels, r.CodecState.PixelChannels, 3},
        {"PixelColour", r.PixelColour, r.CodecState.PixelColour, COLOUR_BGR},
        {"PixelSubsampling", r.PixelSubsampling, r.CodecState.PixelSubsampling, 0},
        {"JpegBufferSize", r.JpegBufferSize, r.CodecState.JpegBufferSize, 0},
        {"JpegWidth", r.JpegWidth, r.CodecState.JpegWidth, 0},
        {"JpegHeight", r.JpegHeight, r.CodecState.JpegHeight, 0},
        {"JpegChannels", r.JpegChannels, r.CodecState.JpegChannels, 3},
        {"JpegColour", r.JpegColour, r.CodecState.JpegColour, COLOUR_YCBCR},
        {"JpegSubsampling", r.JpegSubsampling, r.CodecState.JpegSubsampling, SUBSAMPLING_420},
        {"ThumbnailWidth", r.ThumbnailWidth, r.CodecState.ThumbnailWidth, 0},
        {"ThumbnailHeight", r.ThumbnailHeight, r.CodecState.ThumbnailHeight, 0},
        {"ColourConversionWanted", r.ColourConversionWanted, r.CodecState.ColourConversionWanted,
         1},
        {"UpsamplingWanted", r.UpsamplingWanted, r.CodecState.UpsamplingWanted, 1},
        {"Quality", r.Quality, r.CodecState.Quality, 75},
    };
    for (const auto &f : fields) {
        EXPECT_EQ(f.Outer, f.Expected) << "outer " << f.Name;
        EXPECT_EQ(f.Inner, f.Expected) << "inner " << f.Name;
    }
    EXPECT_EQ(r.PixelBuffer, nullptr);
    EXPECT_EQ(r.JpegFileName, nullptr);
    EXPECT_EQ(r.JpegBuffer, nullptr);

    const CodecState &s = r.CodecState;
    EXPECT_EQ(s.IoMode, -1);
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(s.Roi[k], 0);
    }
    EXPECT_EQ(s.DctMethod, 1);
    EXPECT_EQ(s.InterruptRequest, 0);
    EXPECT_EQ(s.PixelRowStride, 0);
    EXPECT_EQ(s.FramePending, 1);
    EXPECT_EQ(s.ComponentCount, 4);
    ASSERT_NE(s.Components, nullptr);
    const int32_t selectors[4] = {0, 1, 1, 1};
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(s.Components[k].QuantSelector, selectors[k]) << k;
        EXPECT_EQ(s.Components[k].HSampling, 0) << k;
        EXPECT_EQ(s.DcTableOfComponent[k], selectors[k]) << k;
        EXPECT_EQ(s.AcTableOfComponent[k], selectors[k]) << k;
        EXPECT_EQ(s.QuantTableOfId[k], nullptr);
        EXPECT_EQ(s.RawQuantTables[k].Values, nullptr);
    }
    EXPECT_EQ(s.QuantTableCount + s.RawQuantTableCount + s.AcTableCount + s.DcTableCount +
                  s.RawHuffmanTableCount,
              0);
    EXPECT_EQ(s.UseRawQuantTables, 0);
    EXPECT_EQ(s.UseRawHuffmanTables, 0);
    EXPECT_EQ(s.Scan, nullptr);
    EXPECT_EQ(s.RoiIndex, nullptr);
    EXPECT_EQ(s.RawPlanes, nullptr);
    EXPECT_EQ(s.CoefficientStore, nullptr);
    EXPECT_EQ(s.Planes, nullptr);
    EXPECT_EQ(s.Progressive, 0);
    EXPECT_EQ(s.UpsamplingMode, 0);
    EXPECT_EQ(s.AdobeSeen, 0);
    EXPECT_EQ(s.AdobeVersion, 100);
    EXPECT_EQ(s.AdobeFlags0, 0);
    EXPECT_EQ(s.AdobeFlags1, 0);
    EXPECT_EQ(s.JfifSeen, 0);
    EXPECT_EQ(s.JfifVersion, 0x0101);
    EXPECT_EQ(s.JfifUnits, 0);
    EXPECT_EQ(s.JfifXDensity, 1);
    EXPECT_EQ(s.JfifYDensity, 1);
    EXPECT_EQ(s.CommentText, nullptr);
    EXPECT_EQ(s.CommentSize, 0);

    const CodecStream &stream = s.Stream;
    EXPECT_NE(stream.Dispatch, nullptr);
    EXPECT_EQ(stream.FileHandle, -1);
    EXPECT_EQ(stream.BitAccumulator, 0u);
    EXPECT_EQ(stream.BitCount, 0);
    EXPECT_EQ(stream.StreamPos, nullptr);
    EXPECT_EQ(stream.StreamByteCount, 0);
    EXPECT_EQ(stream.PendingMarker, 0);
    EXPECT_EQ(stream.EobRun, 0);
    EXPECT_EQ(stream.ProcessorClass, s.ProcessorClassCopy);
}

TEST(CodecInit, AlignsTheEntryPointers) {
    Record record;
    CodecState &s = record->CodecState;
    for (QuantTable &table : s.QuantTables) {
        const uintptr_t entries = AddressOf(table.Entries);
        EXPECT_EQ(entries % 8, 0u);
        // The first 8-byte boundary, with room for the 64 entries and 16 zero entries.
        EXPECT_GE(entries, AddressOf(table.Area));
        EXPECT_LT(entries, AddressOf(table.Area) + 8);
        EXPECT_LE(entries + 80 * sizeof(int16_t), AddressOf(table.Area) + sizeof table.Area);
    }
    const uintptr_t work = AddressOf(s.WorkArea);
    EXPECT_EQ(work % 32, 0u);
    EXPECT_GE(work, AddressOf(s.WorkAreaSpace));
    EXPECT_LT(work, AddressOf(s.WorkAreaSpace) + 32);
    EXPECT_LE(work + CODEC_WORK_AREA_BLOCKS * 64 * sizeof(int16_t),
              AddressOf(s.WorkAreaSpace) + sizeof s.WorkAreaSpace);
}

TEST(CodecFree, ReleasesEverythingTheRecordOwns) {
    CodecProperties record{};
    ASSERT_EQ(CodecInit(&record), CODEC_SUCCESS);
    CodecState &s = record.CodecState;
    // Buffers the decoder would have left behind; the leak checker sees any that stays.
    s.CoefficientStore = static_cast<int16_t *>(std::calloc(64, sizeof(int16_t)));
    s.RoiIndex =
        static_cast<RoiIndexEntry *>(std::calloc(ROI_INDEX_ENTRIES, sizeof(RoiIndexEntry)));
    s.Planes = static_cast<SmoothingPlanes *>(std::calloc(1, sizeof(SmoothingPlanes)));
    s.Planes->Block = static_cast<int16_t *>(std::calloc(4 * 64, sizeof(int16_t)));
    s.UpsamplingMode = 1;
    s.UseRawQuantTables = 1;
    s.RawQuantTableCount = 2;
    EXPECT_EQ(CodecFree(&record), CODEC_SUCCESS);
    EXPECT_EQ(s.Stream.Dispatch, nullptr);
    EXPECT_EQ(s.Components, nullptr);
    EXPECT_EQ(s.ComponentCount, 0);
    EXPECT_EQ(s.CoefficientStore, nullptr);
    EXPECT_EQ(s.RoiIndex, nullptr);
    EXPECT_EQ(s.Planes, nullptr);
    EXPECT_EQ(s.UseRawQuantTables, 0);
    EXPECT_EQ(s.RawQuantTableCount, 0);
    // A second CodecFree finds nothing left to release.
    EXPECT_EQ(CodecFree(&record), CODEC_SUCCESS);
    // And the record may be initialised again.
    EXPECT_EQ(CodecInit(&record), CODEC_SUCCESS);
    EXPECT_EQ(CodecFree(&record), CODEC_SUCCESS);
}

TEST(CodecFree, DamagedComponentCountIsReportedWithoutLeaking) {
    CodecProperties record{};
    ASSERT_EQ(CodecInit(&record), CODEC_SUCCESS);
    record.CodecState.ComponentCount = 300;
    record.CodecState.CoefficientStore = static_cast<int16_t *>(std::calloc(64, sizeof(int16_t)));
    EXPECT_EQ(CodecFree(&record), CODEC_INVALID_PROPERTIES);
    EXPECT_EQ(record.CodecState.Stream.Dispatch, nullptr);
    EXPECT_EQ(record.CodecState.Components, nullptr);
    EXPECT_EQ(record.CodecState.CoefficientStore, nullptr);
}

TEST(CodecRead, RefusesMissingSources) {
    Record record;
    const std::string missing = fixtures::TempDirectory() + "/missing.jpg";
    record->JpegFileName = missing.c_str();
    EXPECT_EQ(CodecRead(&*record, IO_READ_PARAMETERS_FILE), CODEC_INVALID_FILE_NAME);
    EXPECT_EQ(record->CodecState.Stream.FileHandle, -1);
    // Memory mode without a buffer is refused by the parameter check.
    EXPECT_EQ(CodecRead(&*record, IO_READ_PARAMETERS_MEMORY), CODEC_INVALID_PROPERTIES);
    // A record already released is refused, not used.
    CodecProperties released{};
    ASSERT_EQ(CodecInit(&released), CODEC_SUCCESS);
    ASSERT_EQ(CodecFree(&released), CODEC_SUCCESS);
    EXPECT_EQ(CodecRead(&released, IO_READ_PARAMETERS_MEMORY), CODEC_INVALID_PROPERTIES);
    EXPECT_EQ(CodecWrite(&released, IO_WRITE_IMAGE_MEMORY), CODEC_INVALID_PROPERTIES);
}

TEST(CodecRead, FailedReadClosesTheFile) {
    const std::string path = fixtures::TempDirectory() + "/not_a_picture.jpg";
    fixtures::WriteFile(path, std::vector<uint8_t>(100, 0x41));
    for (int32_t mode : {IO_READ_PARAMETERS_FILE, IO_READ_IMAGE_FILE, IO_READ_HALF_FILE}) {
        Record record;
        std::vector<uint8_t> pixels(16 * 16 * 3);
        record->JpegFileName = path.c_str();
        record->PixelBuffer = pixels.data();
        record->PixelWidth = 16;
        record->PixelHeight = 16;
        EXPECT_LT(CodecRead(&*record, mode), 0) << mode;
        EXPECT_EQ(record->CodecState.Stream.FileHandle, -1) << mode;
    }
}

TEST(CodecWrite, RefusesWithoutTouchingTheTarget) {
    const std::string directory = fixtures::TempDirectory();
    const struct {
        const char *Name;
        int32_t Mode;
        int32_t Subsampling;
        int32_t UseInnerRecord;
        CodecError Expected;
    } cases[] = {
        {"whole image to a file", IO_WRITE_IMAGE_FILE, SUBSAMPLING_420, 0, CODEC_NOT_SUPPORTED},
        {"tables to a file", IO_WRITE_TABLES_FILE, SUBSAMPLING_420, 0, CODEC_NOT_SUPPORTED},
        {"entropy data to a file", IO_WRITE_ENTROPY_FILE, SUBSAMPLING_422, 0, CODEC_NOT_SUPPORTED},
        {"three channels with subsampling 3", IO_WRITE_IMAGE_FILE, SUBSAMPLING_4200, 0,
         CODEC_UNSUPPORTED_SUBSAMPLING},
        {"a read mode", IO_READ_IMAGE_FILE, SUBSAMPLING_420, 0, CODEC_INVALID_PROPERTIES},
        {"the inner record", IO_WRITE_IMAGE_FILE, SUBSAMPLING_420, 1, CODEC_NOT_SUPPORTED},
    };
    std::vector<uint8_t> pixels(16 * 16 * 3, 0x80);
    uint8_t target[256] = {};
    for (const auto &c : cases) {
        const std::string path = directory + "/written_" + std::to_string(c.Mode) + ".jpg";
        Record record;
        record->PixelBuffer = pixels.data();
        record->PixelWidth = 16;
        record->PixelHeight = 16;
        record->JpegWidth = 16;
        record->JpegHeight = 16;
        record->JpegFileName = path.c_str();
        record->JpegBuffer = target;
        record->JpegBufferSize = sizeof target;
        record->JpegSubsampling = c.Subsampling;
        record->UseInnerRecord = c.UseInnerRecord;
        EXPECT_EQ(CodecWrite(&*record, c.Mode), c.Expected) << c.Name;
        EXPECT_FALSE(FileExists(path)) << c.Name;
        EXPECT_EQ(record->CodecState.Stream.FileHandle, -1) << c.Name;
        EXPECT_EQ(record->JpegBufferSize, static_cast<int32_t>(sizeof target)) << c.Name;
    }
    for (uint8_t byte : target) {
        ASSERT_EQ(byte, 0);
    }
}

TEST(RecordCopy, RowStride) {
    const struct {
        int32_t Width, Height, Channels, Subsampling, Padding;
        int64_t Stride;
    } cases[] = {
        {10, 5, 3, 0, 0, 30}, {10, -5, 3, 0, 2, -32},
        {10, 5, 3, 2, 1, 21}, // packed 4:2:2: two bytes per pixel whatever the channel count
        {7, 1, 1, 0, 0, 7},   {65535, -65535, 255, 0, 0, -int64_t{65535} * 255},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(rastrum::PixelRowStride(c.Width, c.Height, c.Channels, c.Subsampling, c.Padding),
                  c.Stride)
            << c.Width << " x " << c.Channels << " + " << c.Padding;
    }
}

TEST(RecordCopy, CopiesTheOuterFieldsAndRefusesAnOversizedStride) {
    Record record;
    uint8_t pixels[4];
    uint8_t jpeg[4];
    record->PixelBuffer = pixels;
    record->PixelWidth = 100;
    record->PixelHeight = -20;
    record->PixelRowPadding = 4;
    record->PixelChannels = 4;
    record->PixelColour = COLOUR_RGB_PLUS;
    record->JpegFileName = "name.jpg";
    record->JpegBuffer = jpeg;
    record->JpegBufferSize = 4;
    record->Quality = 90;
    record->ThumbnailWidth = 5;
    ASSERT_EQ(rastrum::CopyOuterFields(*record), CODEC_SUCCESS);
    const CodecState &s = record->CodecState;
    EXPECT_EQ(s.PixelBuffer, pixels);
    EXPECT_EQ(s.PixelHeight, -20);
    EXPECT_EQ(s.PixelColour, COLOUR_RGB_PLUS);
    EXPECT_EQ(s.PixelRowStride, -404);
    EXPECT_STREQ(s.JpegFileName, "name.jpg");
    EXPECT_EQ(s.JpegBuffer, jpeg);
    EXPECT_EQ(s.Quality, 90);
    EXPECT_EQ(s.ThumbnailWidth, 5);

    record->PixelRowPadding = 0x7FFFFFF0;
    EXPECT_EQ(rastrum::CopyOuterFields(*record), CODEC_INVALID_PROPERTIES);
    EXPECT_EQ(s.PixelRowStride, -404);
}

TEST(ReadStream, SetUpForMemoryAndFiles) {
    Record record;
    CodecState &s = record->CodecState;
    uint8_t jpeg[100];
    uint8_t pixels[4 * 30];
    s.JpegBuffer = jpeg;
    s.JpegBufferSize = sizeof jpeg;
    s.PixelBuffer = pixels;
    s.PixelHeight = -4;
    s.PixelRowStride = -30;
    s.Stream.BitAccumulator = 0xFFFF;
    s.Stream.BitCount = 16;
    s.Stream.PendingMarker = 0xD9;
    ASSERT_EQ(rastrum::SetUpReadStream(s, IO_READ_IMAGE_MEMORY), CODEC_SUCCESS);
    EXPECT_EQ(s.Stream.FileMode, 0);
    EXPECT_EQ(s.Stream.StreamPos, jpeg);
    EXPECT_EQ(s.Stream.StreamStart, jpeg);
    EXPECT_EQ(s.Stream.StreamEnd, jpeg + 100);
    EXPECT_EQ(s.Stream.StreamCapacity, 100);
    EXPECT_EQ(s.Stream.StreamBytesLeft, 100);
    EXPECT_EQ(s.Stream.BitAccumulator, 0u);
    EXPECT_EQ(s.Stream.BitCount, 0);
    EXPECT_EQ(s.Stream.PendingMarker, 0);
    // Bottom-up rows: the top of the picture is the last row in memory.
    EXPECT_EQ(s.Stream.PixelCursor, pixels + 90);

    s.PixelHeight = 4;
    s.PixelRowStride = 30;
    ASSERT_EQ(rastrum::SetUpReadStream(s, IO_READ_IMAGE_FILE), CODEC_SUCCESS);
    EXPECT_EQ(s.Stream.FileMode, 1);
    EXPECT_EQ(s.Stream.StreamPos, s.Stream.FileBuffer);
    EXPECT_EQ(s.Stream.StreamStart, s.Stream.FileBuffer);
    EXPECT_EQ(s.Stream.StreamEnd, s.Stream.FileBuffer + CODEC_FILE_BUFFER_SIZE);
    EXPECT_EQ(s.Stream.StreamCapacity, CODEC_FILE_BUFFER_SIZE);
    EXPECT_EQ(s.Stream.StreamBytesLeft, CODEC_FILE_BUFFER_SIZE);
    EXPECT_EQ(s.Stream.PixelCursor, pixels);
    EXPECT_EQ(AddressOf(s.WorkArea) % 32, 0u);

    // A scan in progress keeps its stream: the decode resumes where it stopped.
    ScanHeader scan{};
    s.Scan = &scan;
    s.Stream.StreamPos = s.Stream.FileBuffer + 7;
    s.Stream.BitCount = 5;
    ASSERT_EQ(rastrum::SetUpReadStream(s, IO_READ_IMAGE_MEMORY), CODEC_SUCCESS);
    EXPECT_EQ(s.Stream.StreamPos, s.Stream.FileBuffer + 7);
    EXPECT_EQ(s.Stream.BitCount, 5);
    s.Scan = nullptr;

    // The thumbnail read from a file starts again at the file's start.
    s.Stream.FileHandle = -1;
    EXPECT_EQ(rastrum::SetUpReadStream(s, IO_READ_THUMBNAIL_FILE), CODEC_FILE_ERROR);
}

TEST(RawTables, QuantisationTablesArePreparedLikeAParsedTable) {
    uint8_t values[2][64];
    for (int32_t i = 0; i < 64; ++i) {
        values[0][i] = static_cast<uint8_t>(i + 1);
        values[1][i] = static_cast<uint8_t>(200 - i);
    }
    for (int32_t method : {0, 1}) {
        Record record;
        CodecState &s = record->CodecState;
        s.DctMethod = method;
        s.UseRawQuantTables = 1;
        s.RawQuantTableCount = 2;
        s.RawQuantTables[0] = {values[0], 0};
        s.RawQuantTables[1] = {values[1], 3};
        ASSERT_EQ(rastrum::InstallRawTables(s), CODEC_SUCCESS);
        for (int32_t k = 0; k < 2; ++k) {
            QuantTable expected{};
            int16_t zigzag[64];
            for (int32_t i = 0; i < 64; ++i) {
                zigzag[i] = values[k][i];
            }
            if (method == 1) {
                rastrum::PrepareQuantTableB(expected, zigzag);
            } else {
                rastrum::PrepareQuantTableA(expected, zigzag);
            }
            EXPECT_EQ(s.QuantTables[k].TableId, k == 0 ? 0 : 3);
            EXPECT_EQ(s.QuantTables[k].Precision, 0);
            EXPECT_EQ(std::memcmp(s.QuantTables[k].Entries, expected.Entries, 80 * 2), 0)
                << "table " << k << " method " << method;
        }
    }
}

TEST(RawTables, HuffmanTablesAreBuiltIntoTheirClassAndId) {
    // Two codes of length 1 and two of length 2 would over-subscribe; one each is complete.
    uint8_t counts[16] = {1, 2};
    uint8_t symbols[3] = {0, 1, 2};
    uint8_t badCounts[16] = {3};
    Record record;
    CodecState &s = record->CodecState;
    s.UseRawHuffmanTables = 1;
    s.RawHuffmanTableCount = 2;
    s.RawHuffmanTables[0] = {counts, symbols, 0, 2};
    s.RawHuffmanTables[1] = {counts, symbols, 1, 1};
    ASSERT_EQ(rastrum::InstallRawTables(s), CODEC_SUCCESS);
    HuffmanTable expected{};
    ASSERT_EQ(rastrum::BuildHuffmanTable(counts, symbols, 0, 2, expected), 0);
    EXPECT_EQ(std::memcmp(&s.DcHuffmanTables[2], &expected, sizeof expected), 0);
    ASSERT_EQ(rastrum::BuildHuffmanTable(counts, symbols, 1, 1, expected), 0);
    EXPECT_EQ(std::memcmp(&s.AcHuffmanTables[1], &expected, sizeof expected), 0);

    const struct {
        const char *Name;
        RawHuffmanTable Table;
        int32_t Count;
    } bad[] = {
        {"over-subscribed", {badCounts, symbols, 0, 0}, 1},
        {"class 2", {counts, symbols, 2, 0}, 1},
        {"id 4", {counts, symbols, 0, 4}, 1},
        {"no counts", {nullptr, symbols, 0, 0}, 1},
        {"more than eight tables", {counts, symbols, 0, 0}, 9},
    };
    for (const auto &c : bad) {
        s.RawHuffmanTables[0] = c.Table;
        s.RawHuffmanTableCount = c.Count;
        EXPECT_EQ(rastrum::InstallRawTables(s), CODEC_BAD_HUFFMAN_TABLE) << c.Name;
    }
    s.UseRawHuffmanTables = 0;
    s.UseRawQuantTables = 1;
    s.RawQuantTableCount = 5;
    EXPECT_EQ(rastrum::InstallRawTables(s), CODEC_BAD_QUANT_TABLE);
    s.RawQuantTableCount = 1;
    s.RawQuantTables[0].Values = nullptr;
    EXPECT_EQ(rastrum::InstallRawTables(s), CODEC_BAD_QUANT_TABLE);
}

TEST(RawTables, ABadTableEndsTheReadBeforeTheSourceIsOpened) {
    uint8_t badCounts[16] = {3};
    uint8_t symbols[3] = {0, 1, 2};
    std::vector<uint8_t> pixels(16 * 16 * 3);
    const std::string missing = fixtures::TempDirectory() + "/never_opened.jpg";
    Record record;
    record->PixelBuffer = pixels.data();
    record->PixelWidth = 16;
    record->PixelHeight = 16;
    record->JpegFileName = missing.c_str();
    record->CodecState.UseRawHuffmanTables = 1;
    record->CodecState.RawHuffmanTableCount = 1;
    record->CodecState.RawHuffmanTables[0] = {badCounts, symbols, 0, 0};
    EXPECT_EQ(CodecRead(&*record, IO_READ_IMAGE_FILE), CODEC_BAD_HUFFMAN_TABLE);
    // Header modes do not install; they clear the table counters and go on to the source.
    EXPECT_EQ(CodecRead(&*record, IO_READ_PARAMETERS_FILE), CODEC_INVALID_FILE_NAME);
    EXPECT_EQ(record->CodecState.RawHuffmanTableCount, 0);
}

TEST(HeaderReport, SubsamplingFromTheSamplingFactors) {
    const struct {
        int32_t Count;
        int32_t Factors[4][2];
        int32_t Code;
    } cases[] = {
        {1, {{2, 2}}, SUBSAMPLING_444},
        {2, {{1, 1}, {1, 1}}, SUBSAMPLING_444},
        {2, {{2, 1}, {1, 1}}, SUBSAMPLING_OTHER},
        {3, {{1, 1}, {1, 1}, {1, 1}}, SUBSAMPLING_444},
        {3, {{2, 2}, {1, 1}, {1, 1}}, SUBSAMPLING_420},
        {3, {{2, 1}, {1, 1}, {1, 1}}, SUBSAMPLING_422},
        {3, {{1, 2}, {1, 1}, {1, 1}}, SUBSAMPLING_OTHER},
        {3, {{2, 2}, {1, 1}, {2, 1}}, SUBSAMPLING_OTHER},
        {3, {{4, 2}, {1, 1}, {1, 1}}, SUBSAMPLING_OTHER},
        {4, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}, SUBSAMPLING_444},
        {4, {{2, 2}, {1, 1}, {1, 1}, {2, 2}}, SUBSAMPLING_4200},
        {4, {{2, 1}, {1, 1}, {1, 1}, {2, 1}}, SUBSAMPLING_4220},
        {4, {{2, 2}, {1, 1}, {1, 1}, {1, 1}}, SUBSAMPLING_OTHER},
        {4, {{2, 1}, {1, 1}, {1, 2}, {2, 1}}, SUBSAMPLING_OTHER},
        {5, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}, SUBSAMPLING_OTHER},
        {0, {}, SUBSAMPLING_OTHER},
    };
    for (const auto &c : cases) {
        CodecState state{};
        FrameComponent components[4]{};
        for (int32_t k = 0; k < 4; ++k) {
            components[k].HSampling = c.Factors[k][0];
            components[k].VSampling = c.Factors[k][1];
        }
        state.Components = components;
        state.ComponentCount = c.Count;
        EXPECT_EQ(rastrum::SubsamplingCode(state), c.Code)
            << c.Count << " components, first " << c.Factors[0][0] << "x" << c.Factors[0][1];
    }
}

TEST(HeaderReport, ColourCodesAfterARead) {
    const struct {
        const char *Name;
        int32_t Mode;
        int32_t Components;
        int32_t Adobe; // -1: no Adobe header, else its transform byte
        int32_t Jfif;
        int32_t PixelColourIn;
        int32_t JpegColourIn;
        int32_t JpegColour;
        int32_t PixelColour;
        int32_t PixelChannels;
        int32_t InnerSubsampling;
    } cases[] = {
        {"grey", 3, 1, -1, 0, COLOUR_BGR, 3, COLOUR_GREY, COLOUR_BGR, 3, 0},
        {"JFIF colour", 3, 3, -1, 1, COLOUR_BGR, 1, COLOUR_YCBCR, COLOUR_BGR, 3, 0},
        {"colour without a header keeps its code", 3, 3, -1, 0, COLOUR_BGR, 1, COLOUR_RGB,
         COLOUR_BGR, 3, 0},
        {"Adobe YCbCr", 1, 3, 1, 0, COLOUR_BGR, 1, COLOUR_YCBCR, COLOUR_BGR, 3, 0},
        {"Adobe RGB", 1, 3, 0, 1, COLOUR_BGR, 3, COLOUR_RGB, COLOUR_BGR, 3, 0},
        {"Adobe YCCK", 1, 4, 2, 0, COLOUR_BGR, 3, COLOUR_YCBCR_PLUS, COLOUR_RGB_PLUS, 4, 0},
        {"Adobe CMYK", 1, 4, 0, 0, COLOUR_BGR, 3, COLOUR_RGB_PLUS, COLOUR_RGB_PLUS, 4, 0},
        {"Adobe grey", 1, 1, 1, 0, COLOUR_BGR, 3, COLOUR_GREY, COLOUR_BGR, 1, 0},
        {"Adobe outside the parameter read", 3, 4, 1, 0, COLOUR_BGR, 3, COLOUR_YCBCR, COLOUR_BGR, 3,
         0},
        {"YCbCr kept as YCbCr", 3, 3, -1, 1, COLOUR_YCBCR, 3, COLOUR_YCBCR, COLOUR_YCBCR, 3, 2},
    };
    for (const auto &c : cases) {
        Record record;
        uint8_t jpeg[64] = {};
        CodecState &s = record->CodecState;
        s.JpegBuffer = jpeg;
        s.Stream.StreamPos = jpeg + 40;
        s.JpegChannels = c.Components;
        s.ComponentCount = c.Components;
        for (int32_t k = 0; k < 4; ++k) {
            s.Components[k].HSampling = s.Components[k].VSampling = 1;
        }
        s.JpegWidth = 33;
        s.JpegHeight = 17;
        s.AdobeSeen = c.Adobe >= 0;
        s.AdobeTransform = c.Adobe >= 0 ? c.Adobe : 0;
        s.JfifSeen = c.Jfif;
        s.PixelColour = c.PixelColourIn;
        s.PixelChannels = 3;
        s.JpegColour = c.JpegColourIn;
        s.ThumbnailWidth = 6;
        s.ColourConversionWanted = 0;
        ASSERT_EQ(rastrum::ReportHeader(*record, c.Mode), CODEC_SUCCESS) << c.Name;
        EXPECT_EQ(record->JpegColour, c.JpegColour) << c.Name;
        EXPECT_EQ(record->PixelColour, c.PixelColour) << c.Name;
        EXPECT_EQ(record->PixelChannels, c.PixelChannels) << c.Name;
        EXPECT_EQ(s.PixelSubsampling, c.InnerSubsampling) << c.Name;
        EXPECT_EQ(record->JpegChannels, c.Components) << c.Name;
        EXPECT_EQ(record->JpegWidth, 33) << c.Name;
        EXPECT_EQ(record->JpegHeight, 17) << c.Name;
        EXPECT_EQ(record->ThumbnailWidth, 6) << c.Name;
        EXPECT_EQ(record->ColourConversionWanted, 0) << c.Name;
        EXPECT_EQ(record->JpegSubsampling, SUBSAMPLING_444) << c.Name;
        EXPECT_EQ(s.JpegSubsampling, SUBSAMPLING_444) << c.Name;
    }
}

int64_t FilePosition(int32_t handle) {
    return ::lseek(handle, 0, SEEK_CUR);
}

TEST(HeaderReport, RewindsToTheScanMarkerAndClosesAfterWholeReads) {
    const std::string path = fixtures::TempDirectory() + "/rewind.bin";
    fixtures::WriteFile(path, std::vector<uint8_t>(10000, 0x55));
    const struct {
        int32_t Mode;
        bool Closed;
        int64_t Position; // after the report, when the file stays open
    } cases[] = {
        {IO_READ_PARAMETERS_FILE, false, 4096 - 1000 - 14},
        {IO_READ_THUMBNAIL_FILE, false, 4096 - 1000 - 14},
        {IO_READ_HALF_FILE, true, 0},
        {IO_READ_IMAGE_FILE, true, 0},
        {IO_READ_TABLES_FILE, true, 0},
        {IO_READ_ENTROPY_FILE, true, 0},
    };
    for (const auto &c : cases) {
        Record record;
        CodecState &s = record->CodecState;
        s.Stream.FileHandle = rastrum::OpenFileForReading(path.c_str());
        ASSERT_GE(s.Stream.FileHandle, 0);
        uint8_t *buffer = s.Stream.FileBuffer;
        ASSERT_EQ(rastrum::ReadFileBytes(s.Stream.FileHandle, buffer, 4096), 4096);
        s.Stream.StreamBytesLeft = 1000;
        s.Stream.Dispatch->SosLength = 14;
        const int32_t handle = s.Stream.FileHandle;
        ASSERT_EQ(rastrum::ReportHeader(*record, c.Mode), CODEC_SUCCESS) << c.Mode;
        if (c.Closed) {
            EXPECT_EQ(s.Stream.FileHandle, -1) << c.Mode;
        } else {
            EXPECT_EQ(s.Stream.FileHandle, handle) << c.Mode;
            EXPECT_EQ(FilePosition(handle), c.Position) << c.Mode;
        }
    }
    // A rewind past the start of the file is a file error.
    Record record;
    CodecState &s = record->CodecState;
    s.Stream.FileHandle = rastrum::OpenFileForReading(path.c_str());
    s.Stream.StreamBytesLeft = 10;
    EXPECT_EQ(rastrum::ReportHeader(*record, IO_READ_PARAMETERS_FILE), CODEC_FILE_ERROR);
}

TEST(HeaderReport, MemoryParameterReadMarksTheScanMarker) {
    uint8_t jpeg[200] = {};
    const struct {
        int32_t Mode;
        int32_t SosLength;
        ptrdiff_t Start;
    } cases[] = {
        {IO_READ_PARAMETERS_MEMORY, 14, 100 - 14},
        {IO_READ_THUMBNAIL_MEMORY, 12, 100 - 12},
        {IO_READ_PARAMETERS_MEMORY, 150, 0}, // never before the caller's buffer
        {IO_READ_IMAGE_MEMORY, 14, 5},       // other modes leave the stream alone
    };
    for (const auto &c : cases) {
        Record record;
        CodecState &s = record->CodecState;
        s.JpegBuffer = jpeg;
        s.Stream.StreamStart = jpeg + 5;
        s.Stream.StreamPos = jpeg + 100;
        s.Stream.Dispatch->SosLength = c.SosLength;
        ASSERT_EQ(rastrum::ReportHeader(*record, c.Mode), CODEC_SUCCESS);
        EXPECT_EQ(s.Stream.StreamStart - jpeg, c.Start) << c.Mode << " " << c.SosLength;
    }
}

// Mean absolute difference between decoded BGR pixels and the RGB source picture: a few units
// for a decoded picture, far more for an untouched or garbled buffer.
double MeanDifference(const std::vector<uint8_t> &bgr, const fixtures::Picture &source) {
    double total = 0;
    for (size_t i = 0; i < bgr.size(); i += 3) {
        for (size_t c = 0; c < 3; ++c) {
            total += std::abs(int{bgr[i + 2 - c]} - int{source.Pixels[i + c]});
        }
    }
    return total / static_cast<double>(bgr.size());
}

// Reads the whole picture on a fresh record, without a header read first.
std::vector<uint8_t> ReadDirectly(const std::string &path, std::vector<uint8_t> &bytes,
                                  int32_t mode, int32_t width, int32_t height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3, 0xA5);
    Record record;
    record->JpegFileName = path.c_str();
    record->JpegBuffer = bytes.data();
    record->JpegBufferSize = static_cast<int32_t>(bytes.size());
    record->PixelBuffer = pixels.data();
    record->PixelWidth = width;
    record->PixelHeight = height;
    EXPECT_EQ(CodecRead(&*record, mode), CODEC_SUCCESS) << mode;
    return pixels;
}

TEST(CodecReadCourse, HeaderReadThenImageReadOnOneRecord) {
    const fixtures::Picture picture = fixtures::MakeRichPicture(45, 29, 3, 7);
    for (const char *arguments : {"-quality 85", "-progressive -sample 2x1"}) {
        const std::string path = fixtures::EncodeWithCjpeg(picture, arguments, "course.jpg");
        std::vector<uint8_t> bytes = fixtures::ReadFile(path);
        for (int32_t memory : {0, 1}) {
            Record record;
            record->JpegFileName = path.c_str();
            record->JpegBuffer = bytes.data();
            record->JpegBufferSize = static_cast<int32_t>(bytes.size());
            ASSERT_EQ(CodecRead(&*record, IO_READ_PARAMETERS_FILE + memory), CODEC_SUCCESS);
            EXPECT_EQ(record->JpegWidth, 45);
            EXPECT_EQ(record->JpegHeight, 29);
            // The file stays open for the image read, positioned at the scan marker.
            EXPECT_EQ(record->CodecState.Stream.FileHandle >= 0, memory == 0) << arguments;

            std::vector<uint8_t> pixels(45 * 29 * 3, 0xA5);
            record->PixelBuffer = pixels.data();
            record->PixelWidth = record->JpegWidth;
            record->PixelHeight = record->JpegHeight;
            ASSERT_EQ(CodecRead(&*record, IO_READ_IMAGE_FILE + memory), CODEC_SUCCESS)
                << arguments << " memory " << memory;
            EXPECT_EQ(record->CodecState.Stream.FileHandle, -1);
            EXPECT_LT(MeanDifference(pixels, picture), 25.0) << arguments;
            EXPECT_EQ(pixels, ReadDirectly(path, bytes, IO_READ_IMAGE_FILE + memory, 45, 29))
                << arguments << " memory " << memory;
        }
    }
}

TEST(CodecReadCourse, WholeImageReadsFromAFileRepeatOnOneRecord) {
    // Every whole-image read ends at EOI; the next read on the record must decode the picture
    // again instead of meeting the end of the file and reporting success with nothing written.
    const fixtures::Picture picture = fixtures::MakeRichPicture(48, 32, 3, 11);
    for (const char *arguments : {"-sample 2x2", "-progressive"}) {
        const std::string path = fixtures::EncodeWithCjpeg(picture, arguments, "repeat.jpg");
        std::vector<uint8_t> bytes = fixtures::ReadFile(path);
        for (int32_t mode :
             {IO_READ_IMAGE_FILE, IO_READ_HALF_FILE, IO_READ_QUARTER_FILE, IO_READ_EIGHTH_FILE}) {
            const int32_t scale = mode == IO_READ_IMAGE_FILE ? 1 : 1 << ((mode - 12) / 2);
            const int32_t width = 48 / scale;
            const int32_t height = 32 / scale;
            const std::vector<uint8_t> alone = ReadDirectly(path, bytes, mode, width, height);
            Record record;
            record->JpegFileName = path.c_str();
            for (int read = 0; read < 2; ++read) {
                std::vector<uint8_t> pixels(alone.size(), 0xA5);
                record->PixelBuffer = pixels.data();
                record->PixelWidth = width;
                record->PixelHeight = height;
                EXPECT_EQ(CodecRead(&*record, mode), CODEC_SUCCESS) << mode << " " << read;
                EXPECT_EQ(record->CodecState.Stream.FileHandle, -1) << mode;
                EXPECT_EQ(pixels, alone) << arguments << " mode " << mode << " read " << read;
            }
        }
    }
}

TEST(CodecReadCourse, InterruptedReadResumesAndReportsPixelPositions) {
    // 48 x 32 pixels in 4:2:0: three by two MCUs of 16 x 16.
    const fixtures::Picture picture = fixtures::MakeRichPicture(48, 32, 3, 3);
    const std::string path = fixtures::EncodeWithCjpeg(picture, "-sample 2x2", "interrupted.jpg");
    std::vector<uint8_t> bytes = fixtures::ReadFile(path);
    for (int32_t mode : {IO_READ_IMAGE_FILE, IO_READ_IMAGE_MEMORY}) {
        std::vector<uint8_t> pixels(48 * 32 * 3, 0xA5);
        Record record;
        record->JpegFileName = path.c_str();
        record->JpegBuffer = bytes.data();
        record->JpegBufferSize = static_cast<int32_t>(bytes.size());
        record->PixelBuffer = pixels.data();
        record->PixelWidth = 48;
        record->PixelHeight = 32;
        CodecState &s = record->CodecState;
        int32_t calls = 0;
        CodecError result = CODEC_INTERRUPT_SUCCESS;
        while (result == CODEC_INTERRUPT_SUCCESS && calls < 20) {
            std::memset(s.Roi, 0, sizeof s.Roi);
            s.InterruptRequest = 1;
            result = CodecRead(&*record, mode);
            ++calls;
            if (result == CODEC_INTERRUPT_SUCCESS) {
                // Left and top keep the MCU reached; right and bottom are its far pixel edge.
                EXPECT_EQ(s.Roi[2], std::min((s.Roi[0] * 8 + 8) * 2, 48)) << calls;
                EXPECT_EQ(s.Roi[3], std::min((s.Roi[1] * 8 + 8) * 2, 32)) << calls;
                EXPECT_EQ(s.InterruptRequest, 0);
            }
        }
        EXPECT_EQ(result, CODEC_SUCCESS) << mode;
        EXPECT_EQ(calls, 6) << mode;
        EXPECT_EQ(s.Stream.FileHandle, -1);
        EXPECT_LT(MeanDifference(pixels, picture), 25.0) << mode;
        EXPECT_EQ(pixels, ReadDirectly(path, bytes, mode, 48, 32)) << mode;
    }
}

TEST(CodecReadCourse, CodecFreeReleasesAReadLeftInProgress) {
    const fixtures::Picture picture = fixtures::MakeRichPicture(48, 32, 3, 5);
    const std::string path =
        fixtures::EncodeWithCjpeg(picture, "-progressive -sample 2x2", "left_open.jpg");
    std::vector<uint8_t> pixels(48 * 32 * 3);
    CodecProperties record{};
    ASSERT_EQ(CodecInit(&record), CODEC_SUCCESS);
    record.JpegFileName = path.c_str();
    record.PixelBuffer = pixels.data();
    record.PixelWidth = 48;
    record.PixelHeight = 32;
    CodecState &s = record.CodecState;
    s.UpsamplingMode = 1;
    s.Roi[0] = s.Roi[1] = 8; // a region read indexes the rows it passes
    s.Roi[2] = s.Roi[3] = 24;
    s.InterruptRequest = 1;
    const CodecError result = CodecRead(&record, IO_READ_IMAGE_FILE);
    ASSERT_TRUE(result == CODEC_INTERRUPT_SUCCESS || result == CODEC_ROI_SUCCESS) << result;
    // The scan, the coefficients, the smoothing planes, the region index and the file remain
    // with the record; CodecFree must release all of them (the leak checker sees any left).
    EXPECT_NE(s.Scan, nullptr);
    EXPECT_NE(s.CoefficientStore, nullptr);
    EXPECT_NE(s.Planes, nullptr);
    EXPECT_NE(s.RoiIndex, nullptr);
    EXPECT_GE(s.Stream.FileHandle, 0);
    EXPECT_EQ(CodecFree(&record), CODEC_SUCCESS);
    EXPECT_EQ(s.Scan, nullptr);
    EXPECT_EQ(s.CoefficientStore, nullptr);
    EXPECT_EQ(s.Planes, nullptr);
    EXPECT_EQ(s.RoiIndex, nullptr);
    EXPECT_EQ(s.Stream.FileHandle, -1);
}

TEST(FileStream, OpenReadWriteAndMove) {
    const std::string directory = fixtures::TempDirectory();
    const std::string path = directory + "/stream.bin";
    EXPECT_EQ(rastrum::OpenFileForReading((directory + "/absent.bin").c_str()), -1);
    EXPECT_EQ(rastrum::OpenFileForReading(nullptr), -1);
    EXPECT_EQ(rastrum::OpenFileForReading(""), -1);
    EXPECT_FALSE(rastrum::CloseFile(-1));

    fixtures::WriteFile(path, std::vector<uint8_t>(50, 1));
    const int32_t writer = rastrum::CreateFileForWriting(path.c_str());
    ASSERT_GE(writer, 0);
    const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(rastrum::WriteFileBytes(writer, bytes, 6));
    EXPECT_TRUE(rastrum::CloseFile(writer));
    EXPECT_EQ(fixtures::ReadFile(path).size(), 6u); // created anew, not appended to

    const int32_t reader = rastrum::OpenFileForReading(path.c_str());
    ASSERT_GE(reader, 0);
    uint8_t into[8] = {};
    EXPECT_EQ(rastrum::ReadFileBytes(reader, into, 4), 4);
    EXPECT_TRUE(rastrum::SeekFileRelative(reader, -3));
    EXPECT_EQ(rastrum::ReadFileBytes(reader, into, 8), 5);
    EXPECT_EQ(into[0], 2);
    EXPECT_EQ(rastrum::ReadFileBytes(reader, into, 8), 0);
    EXPECT_FALSE(rastrum::SeekFileRelative(reader, -100));
    EXPECT_TRUE(rastrum::SeekFileFromStart(reader, 5));
    EXPECT_EQ(rastrum::ReadFileBytes(reader, into, 8), 1);
    EXPECT_EQ(into[0], 6);
    EXPECT_FALSE(rastrum::WriteFileBytes(reader, bytes, 1)); // opened for reading only
    EXPECT_TRUE(rastrum::CloseFile(reader));
}

} // namespace
