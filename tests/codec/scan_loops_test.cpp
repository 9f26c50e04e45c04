// The scan loops through the codec interface, on files written by the reference encoder:
// stopping and resuming, region reads with the region index, progressive region reads from the
// coefficient store, and raw-coefficient planes compared block for block with the coefficients
// the reference library reads (baseline, progressive, restart intervals, custom scan scripts).
#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <cstring>
#include <string>
#include <vector>

#include "rastrum.h"
#include "scan_loops.h"
#include "support/jpeg_fixtures.h"

namespace {

using fixtures::Picture;

std::string MakeJpeg(const std::string &name, int width, int height, int channels,
                     const std::string &arguments) {
    const Picture source = fixtures::MakeRichPicture(width, height, channels, 11);
    return fixtures::EncodeWithCjpeg(source, arguments, name + ".jpg");
}

// A scan script for cjpeg's -scans option.
std::string WriteScanScript(const std::string &name, const std::string &script) {
    const std::string path = fixtures::TempDirectory() + "/" + name + ".scans";
    fixtures::WriteFile(path, std::vector<uint8_t>(script.begin(), script.end()));
    return path;
}

// One codec record reading a JPEG file from memory (or from the file itself): the parameters
// at construction, then image reads into BGR pictures.
class ReadRecord {
  public:
    explicit ReadRecord(const std::string &path, bool fromFile = false)
        : path_(path), bytes_(fixtures::ReadFile(path)), fromFile_(fromFile) {
        std::memset(&record_, 0, sizeof record_);
        EXPECT_EQ(CodecInit(&record_), 0);
        if (fromFile_) {
            record_.JpegFileName = path_.c_str();
        } else {
            record_.JpegBuffer = bytes_.data();
            record_.JpegBufferSize = static_cast<int32_t>(bytes_.size());
        }
        EXPECT_EQ(
            CodecRead(&record_, fromFile_ ? IO_READ_PARAMETERS_FILE : IO_READ_PARAMETERS_MEMORY),
            0);
    }
    ReadRecord(const ReadRecord &) = delete;
    ReadRecord &operator=(const ReadRecord &) = delete;
    ~ReadRecord() { EXPECT_EQ(CodecFree(&record_), 0); }

    CodecState &State() { return record_.CodecState; }
    int Width() const { return record_.JpegWidth; }
    int Height() const { return record_.JpegHeight; }
    std::vector<uint8_t> &Bytes() { return bytes_; }

    // Reads into `out` (width x height BGR pixels, the region's size for region reads).
    CodecError Read(Picture &out, int width, int height) {
        if (out.Width != width || out.Height != height) {
            out = Picture{width, height, 3, std::vector<uint8_t>(size_t(width) * height * 3, 0)};
        }
        record_.PixelBuffer = out.Pixels.data();
        record_.PixelWidth = width;
        record_.PixelHeight = height;
        record_.PixelChannels = 3;
        record_.PixelColour = COLOUR_BGR;
        return CodecRead(&record_, fromFile_ ? IO_READ_IMAGE_FILE : IO_READ_IMAGE_MEMORY);
    }

    CodecError ReadRegion(Picture &out, int left, int top, int right, int bottom) {
        State().Roi[0] = left;
        State().Roi[1] = top;
        State().Roi[2] = right;
        State().Roi[3] = bottom;
        out = Picture{};
        return Read(out, right - left, bottom - top);
    }

  private:
    std::string path_;
    std::vector<uint8_t> bytes_;
    bool fromFile_;
    CodecProperties record_;
};

Picture WholeImage(const std::string &path) {
    ReadRecord record(path);
    Picture whole;
    EXPECT_EQ(record.Read(whole, record.Width(), record.Height()), 0);
    return whole;
}

Picture Crop(const Picture &picture, int left, int top, int right, int bottom) {
    Picture out{right - left, bottom - top, picture.Channels, {}};
    for (int y = top; y < bottom; ++y) {
        const uint8_t *row = picture.Pixels.data() + (size_t(y) * picture.Width + left) * 3;
        out.Pixels.insert(out.Pixels.end(), row, row + size_t(right - left) * 3);
    }
    return out;
}

// The quantised coefficients of every component as the reference library reads them, block
// by block (natural order).
struct ComponentCoefficients {
    int BlocksWide = 0;
    int BlocksHigh = 0;
    std::vector<int16_t> Blocks;
};

int CollectCoefficients(short *coefficients, tjregion array, tjregion plane, int component, int,
                        tjtransform *transform) {
    auto &all = *static_cast<std::vector<ComponentCoefficients> *>(transform->data);
    if (all.size() <= size_t(component)) {
        all.resize(component + 1);
    }
    ComponentCoefficients &out = all[component];
    if (out.Blocks.empty()) {
        out.BlocksWide = plane.w / 8;
        out.BlocksHigh = plane.h / 8;
        out.Blocks.assign(size_t(out.BlocksWide) * out.BlocksHigh * 64, 0);
    }
    const int wide = array.w / 8;
    for (int by = 0; by < array.h / 8; ++by) {
        for (int bx = 0; bx < wide; ++bx) {
            const int row = array.y / 8 + by;
            const int column = array.x / 8 + bx;
            if (row < out.BlocksHigh && column < out.BlocksWide) {
                std::memcpy(&out.Blocks[(size_t(row) * out.BlocksWide + column) * 64],
                            coefficients + (size_t(by) * wide + bx) * 64, 64 * sizeof(short));
            }
        }
    }
    return 0;
}

std::vector<ComponentCoefficients> ReferenceCoefficients(std::vector<uint8_t> &jpeg) {
    std::vector<ComponentCoefficients> all;
    tjhandle handle = tjInitTransform();
    tjtransform transform{};
    transform.op = TJXOP_NONE;
    transform.options = TJXOPT_NOOUTPUT;
    transform.data = &all;
    transform.customFilter = CollectCoefficients;
    unsigned char *output = nullptr;
    unsigned long outputSize = 0;
    EXPECT_EQ(tjTransform(handle, jpeg.data(), jpeg.size(), 1, &output, &outputSize, &transform, 0),
              0)
        << tjGetErrorStr2(handle);
    tjFree(output);
    tjDestroy(handle);
    return all;
}

} // namespace

TEST(ScanLoops, InterruptedDecodeStopsAtEveryCheckPointAndResumesWhereItStopped) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are needed";
    }
    struct Call {
        CodecError result;
        int left; // the position reported in Roi's left and top
        int top;
    };
    const struct {
        const char *name;
        int width;
        int height;
        const char *arguments;
        int upsampling;
        std::vector<Call> calls;
    } cases[] = {
        // 2 x 2 MCUs without output lags: a stop after every MCU.
        {"interrupt_420", 32, 32, "-quality 90", 0, {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {0, 0, 0}}},
        // 4:2:2 with smoothing (a column lag): no check point at column 0, the flush of each
        // row reports the row's last MCU.
        {"interrupt_422_lag",
         32,
         16,
         "-quality 90 -sample 2x1",
         1,
         {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {0, 0, 0}}},
        // 4:2:0 with smoothing (both lags): nothing in row 0 but its flush, then one MCU late.
        {"interrupt_420_lag",
         32,
         32,
         "-quality 90",
         1,
         {{1, 1, -1}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {0, 0, 0}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeJpeg(c.name, c.width, c.height, 3, c.arguments);
        Picture whole;
        {
            ReadRecord record(path);
            record.State().UpsamplingMode = c.upsampling;
            ASSERT_EQ(record.Read(whole, c.width, c.height), 0);
        }
        ReadRecord record(path);
        record.State().UpsamplingMode = c.upsampling;
        Picture picture;
        for (const Call &call : c.calls) {
            record.State().InterruptRequest = 1;
            for (int32_t &edge : record.State().Roi) {
                edge = 0;
            }
            ASSERT_EQ(record.Read(picture, c.width, c.height), call.result);
            if (call.result == 1) {
                EXPECT_EQ(record.State().Roi[0], call.left);
                EXPECT_EQ(record.State().Roi[1], call.top);
            }
        }
        EXPECT_EQ(picture.Pixels, whole.Pixels);
    }
}

TEST(ScanLoops, RegionReadsMatchTheWholeImageAndLaterReadsJumpThroughTheIndex) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are needed";
    }
    // 64 x 64 at 4:2:0: 4 x 4 MCUs of 16 x 16.
    const std::string path = MakeJpeg("region_4x4", 64, 64, 3, "-quality 90");
    const Picture whole = WholeImage(path);
    ReadRecord record(path);
    Picture region;
    ASSERT_EQ(record.ReadRegion(region, 16, 16, 32, 32), 2);
    EXPECT_EQ(region.Pixels, Crop(whole, 16, 16, 32, 32).Pixels);

    // Passing rows 0 and 1 filled the index up to the start of row 2.
    const RoiIndexEntry *index = record.State().RoiIndex;
    ASSERT_NE(index, nullptr);
    ASSERT_GE(index[2].Position, 0);
    EXPECT_LT(index[0].Position, index[1].Position);
    EXPECT_LT(index[1].Position, index[2].Position);
    EXPECT_EQ(index[3].Position, -1); // rows after the region are not read

    // Spoil the entropy-coded bytes of rows 0 and 1: a read of row 2 that jumps there through
    // the index does not notice, one that decodes the rows above again would.
    for (int64_t i = index[0].Position; i < index[2].Position - 8; ++i) {
        record.Bytes()[size_t(i)] = 0x5A;
    }
    ASSERT_EQ(record.ReadRegion(region, 40, 32, 64, 48), 2);
    EXPECT_EQ(region.Pixels, Crop(whole, 40, 32, 64, 48).Pixels);

    // From the file, the index holds byte counts from the file's start.
    ReadRecord file(path, true);
    ASSERT_EQ(file.ReadRegion(region, 40, 32, 64, 48), 2);
    EXPECT_EQ(region.Pixels, Crop(whole, 40, 32, 64, 48).Pixels);
    ASSERT_EQ(file.ReadRegion(region, 0, 16, 24, 32), 2);
    EXPECT_EQ(region.Pixels, Crop(whole, 0, 16, 24, 32).Pixels);
    EXPECT_EQ(file.State().RoiIndex[1].Position, index[1].Position);
}

TEST(ScanLoops, ProgressiveRegionReadsShowTheStoreOnceTheImageIsComplete) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are needed";
    }
    const std::string path = MakeJpeg("progressive_region", 64, 48, 3, "-quality 90 -progressive");
    const Picture whole = WholeImage(path);
    ReadRecord record(path);
    Picture region;
    ASSERT_EQ(record.ReadRegion(region, 16, 16, 32, 32), 2);
    EXPECT_EQ(region.Pixels, Crop(whole, 16, 16, 32, 32).Pixels);

    // The last scan was an AC scan: another region comes from the store, no byte is read.
    const uint8_t *position = record.State().Stream.StreamPos;
    const int32_t taken = record.State().Stream.StreamByteCount;
    ASSERT_EQ(record.ReadRegion(region, 0, 32, 48, 48), 2);
    EXPECT_EQ(region.Pixels, Crop(whole, 0, 32, 48, 48).Pixels);
    EXPECT_EQ(record.State().Stream.StreamPos, position);
    EXPECT_EQ(record.State().Stream.StreamByteCount, taken);
}

// Raw-coefficient output fills one plane per component, McusPerRow x H x 8 entries per row,
// each 8 x 8 area holding one block's quantised coefficients row by row; every block matches
// the reference library's coefficients.
TEST(ScanLoops, RawCoefficientPlanesHoldTheQuantisedBlocks) {
    if (!fixtures::ReferenceToolsAvailable()) {
        GTEST_SKIP() << "cjpeg and djpeg are needed";
    }
    const std::string dcPairScript =
        WriteScanScript("dc_pair", "0,2: 0-0, 0, 0; 1: 0-0, 0, 0; 0: 1-63, 0, 0;"
                                   "2: 1-63, 0, 0; 1: 1-63, 0, 0;");
    const std::string lumaDcScript =
        WriteScanScript("luma_dc", "0: 0-0, 0, 1; 1,2: 0-0, 0, 0; 0: 1-9, 0, 0; 0: 0-0, 1, 0;"
                                   "1: 1-63, 0, 0; 2: 1-63, 0, 0; 0: 10-63, 0, 0;");
    const std::string separateScript =
        WriteScanScript("separate", "0: 0-63, 0, 0; 1: 0-63, 0, 0; 2: 0-63, 0, 0;");
    const struct {
        const char *name;
        int width;
        int height;
        int channels;
        std::string arguments;
    } cases[] = {
        {"raw_baseline_420", 100, 70, 3, "-quality 90"},
        {"raw_baseline_422_restart", 72, 40, 3, "-quality 85 -sample 2x1 -restart 3B"},
        {"raw_grey", 45, 30, 1, "-quality 90 -grayscale"},
        {"raw_progressive_420", 100, 70, 3, "-quality 95 -progressive"},
        // Chroma AC scans of 40-pixel rows visit three blocks per row, with a restart marker
        // after every block but the scan's last.
        {"raw_progressive_restart", 40, 56, 3, "-quality 90 -progressive -restart 1B"},
        {"raw_dc_pair", 56, 40, 3, "-quality 90 -scans " + dcPairScript},
        {"raw_luma_dc", 56, 40, 3, "-quality 90 -scans " + lumaDcScript},
        {"raw_separate_scans", 56, 40, 3, "-quality 90 -scans " + separateScript},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeJpeg(c.name, c.width, c.height, c.channels, c.arguments);
        ReadRecord record(path);
        const std::vector<ComponentCoefficients> reference = ReferenceCoefficients(record.Bytes());
        CodecState &state = record.State();
        ASSERT_EQ(int(reference.size()), state.ComponentCount);

        std::vector<std::vector<int16_t>> planes(size_t(state.ComponentCount));
        RawPlanes raw{};
        std::vector<size_t> strides;
        for (int j = 0; j < state.ComponentCount; ++j) {
            const size_t stride = size_t(state.McusPerRow) * state.Components[j].HSampling * 8;
            const size_t rows = size_t(state.McusPerColumn) * state.Components[j].VSampling * 8;
            planes[j].assign(stride * rows, int16_t{0x7777});
            raw.Plane[j] = planes[j].data();
            strides.push_back(stride);
        }
        state.RawPlanes = &raw;
        Picture unused;
        ASSERT_EQ(record.Read(unused, record.Width(), record.Height()), 0);
        state.RawPlanes = nullptr;

        for (int j = 0; j < state.ComponentCount; ++j) {
            const ComponentCoefficients &expected = reference[j];
            ASSERT_LE(expected.BlocksWide * 8, int(strides[j]));
            int differences = 0;
            for (int by = 0; by < expected.BlocksHigh; ++by) {
                for (int bx = 0; bx < expected.BlocksWide; ++bx) {
                    const int16_t *block =
                        &expected.Blocks[(size_t(by) * expected.BlocksWide + bx) * 64];
                    for (int i = 0; i < 64; ++i) {
                        const int16_t got =
                            planes[j][(size_t(by) * 8 + i / 8) * strides[j] + bx * 8 + i % 8];
                        differences += got != block[i];
                    }
                }
            }
            EXPECT_EQ(differences, 0) << "component " << j;
        }
    }
}

namespace {

// A frame of three components (2 x 2, 1 x 1, 1 x 1) and a scan over the first `count`
// components, prepared by hand for the loops' fit checks.
struct HandMadeScan {
    HandMadeScan(int count, int hSampling, int vSampling) {
        std::memset(&state, 0, sizeof state);
        for (int j = 0; j < 4; ++j) {
            frame[j] = FrameComponent{j + 1, hSampling, vSampling, 0};
        }
        state.Components = frame;
        state.ComponentCount = 3;
        state.MaxHSampling = hSampling;
        state.MaxVSampling = vSampling;
        state.JpegWidth = 64;
        state.JpegHeight = 64;
        state.McusPerRow = 2;
        state.McusPerColumn = 2;
        state.QuantTables[0].Entries = state.QuantTables[0].Area;
        state.CoefficientStore = store.data();
        state.RoiIndex = index.data();
        scan.ScanComponentCount = count;
        for (int c = 0; c < 8; ++c) {
            components[c] =
                ScanComponent{c % 3, hSampling, vSampling, &table, &table, &state.QuantTables[0]};
        }
        scan.Components = components;
    }
    CodecState state;
    FrameComponent frame[4];
    ScanComponent components[8];
    HuffmanTable table{};
    ScanHeader scan{};
    std::vector<int16_t> store = std::vector<int16_t>(64 * 64 * 4, 0);
    std::vector<RoiIndexEntry> index = std::vector<RoiIndexEntry>(ROI_INDEX_ENTRIES);
};

} // namespace

// Whatever a stream declares, no loop uses more than four predictors or more than the 11
// blocks of the work area: such scans are refused before any block is decoded.
TEST(ScanLoops, ScansThatDoNotFitThePredictorsOrTheWorkAreaAreRefused) {
    const struct {
        const char *what;
        int count;
        int sampling;
        bool progressive;
    } cases[] = {
        {"five components in a scan", 5, 1, false},
        {"twelve blocks per MCU", 3, 2, false},
        {"twelve blocks per stored MCU", 1, 2, true},
        {"no component", 0, 1, false},
    };
    for (const auto &c : cases) {
        HandMadeScan hand(c.count, c.sampling, c.sampling);
        if (c.progressive) {
            hand.state.Progressive = 1;
            EXPECT_EQ(rastrum::DecodeProgressiveScan(hand.state, hand.scan, 1), CODEC_DATA_ERROR)
                << c.what;
            EXPECT_EQ(rastrum::DecodeProgressiveRoi(hand.state, hand.scan, 1), CODEC_DATA_ERROR)
                << c.what;
        } else {
            EXPECT_EQ(rastrum::DecodeSequentialScan(hand.state, hand.scan, 1), CODEC_DATA_ERROR)
                << c.what;
        }
    }
}

TEST(RoiIndex, EntriesRoundTripTheStreamStateAndStayInsideTheIndex) {
    HandMadeScan hand(1, 1, 1);
    std::vector<uint8_t> jpeg(1000, 0);
    CodecState &state = hand.state;
    CodecStream &stream = state.Stream;
    state.JpegBuffer = jpeg.data();
    stream.StreamStart = jpeg.data();
    stream.StreamEnd = jpeg.data() + jpeg.size();
    stream.StreamCapacity = 1000;
    stream.StreamPos = jpeg.data() + 321;
    stream.StreamByteCount = 321;
    stream.StreamBytesLeft = 679;
    stream.BitAccumulator = 0x123456789ABCDEFull;
    stream.BitCount = 13;
    stream.PendingMarker = 0xD3;
    hand.scan.DcPredictor[0] = -5;
    hand.scan.DcPredictor[3] = 700;
    rastrum::SaveRoiEntry(state, hand.scan, 7);
    EXPECT_EQ(state.RoiIndex[7].Position, 321); // an offset from the buffer's start

    // Move everything on, then jump back.
    stream.StreamPos = jpeg.data() + 900;
    stream.StreamByteCount = 900;
    stream.StreamBytesLeft = 100;
    stream.BitAccumulator = 0;
    stream.BitCount = 0;
    stream.PendingMarker = 0;
    hand.scan.DcPredictor[0] = 0;
    hand.scan.DcPredictor[3] = 0;
    ASSERT_EQ(rastrum::RestoreRoiEntry(state, hand.scan, 7), 0);
    EXPECT_EQ(stream.StreamPos, jpeg.data() + 321);
    EXPECT_EQ(stream.StreamByteCount, 321);
    EXPECT_EQ(stream.StreamBytesLeft, 679);
    EXPECT_EQ(stream.StreamEnd, jpeg.data() + jpeg.size());
    EXPECT_EQ(stream.BitAccumulator, 0x123456789ABCDEFull);
    EXPECT_EQ(stream.BitCount, 13);
    EXPECT_EQ(stream.PendingMarker, 0xD3);
    EXPECT_EQ(hand.scan.DcPredictor[0], -5);
    EXPECT_EQ(hand.scan.DcPredictor[3], 700);

    // Rows outside the index's 8192 entries are never written or read.
    rastrum::SaveRoiEntry(state, hand.scan, ROI_INDEX_ENTRIES);
    rastrum::SaveRoiEntry(state, hand.scan, -1);
    EXPECT_EQ(rastrum::RestoreRoiEntry(state, hand.scan, ROI_INDEX_ENTRIES), CODEC_FILE_ERROR);
    state.RoiIndex[8].Position = -1;
    EXPECT_EQ(rastrum::RestoreRoiEntry(state, hand.scan, 8), CODEC_FILE_ERROR);
}
