// The per-MCU stage: which transform each block gets, the raw sample planes, and the output lag
// of the smoothing upsampler with its planes, margins and flush calls, checked against the
// smoothing formulas applied to whole chroma planes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "output_routines.h"
#include "output_stage_fixture.h"
#include "process_mcu.h"

namespace {

using namespace output_test;

// Transforms that leave a tag (the size divisor they stand for) in the block's last entry.
void TagFull(int16_t *block) { block[63] = 1; }
void TagHalf(int16_t *block) { block[63] = 2; }
void TagQuarter(int16_t *block) { block[63] = 4; }
void TagEighth(int16_t *block) { block[63] = 8; }
void KeepSamples(int16_t *) {}

void SetTransforms(OutputRecord &record, bool tagging) {
    record.Table.ActiveInverseDct = tagging ? TagFull : KeepSamples;
    record.Table.ActiveInverseDctHalf = tagging ? TagHalf : KeepSamples;
    record.Table.ActiveInverseDctQuarter = tagging ? TagQuarter : KeepSamples;
    record.Table.ActiveInverseDctEighth = tagging ? TagEighth : KeepSamples;
}

// McuOutput that records where it was asked to write and the first sample of the work area.
struct OutputCall {
    int Column, Row, FirstSample;
};
std::vector<OutputCall> gCalls;

int32_t RecordOutput(CodecState &state, int32_t column, int32_t row) {
    gCalls.push_back({column, row, state.WorkArea[0]});
    return 0;
}

TEST(ProcessMcu, TransformSizePerBlock) {
    struct Case {
        const char *Name;
        std::vector<std::pair<int, int>> Factors;
        int Progressive;
        int SingleScanOf; // -1: every component in one scan
        int Scale, Uniform;
        std::vector<int> Tags;
    } cases[] = {
        {"420 full", {{2, 2}, {1, 1}, {1, 1}}, 0, -1, 1, 0, {1, 1, 1, 1, 1, 1}},
        {"420 half", {{2, 2}, {1, 1}, {1, 1}}, 0, -1, 2, 0, {2, 2, 2, 2, 2, 2}},
        {"420 half uniform", {{2, 2}, {1, 1}, {1, 1}}, 0, -1, 2, 1, {2, 2, 2, 2, 1, 1}},
        {"420 quarter uniform", {{2, 2}, {1, 1}, {1, 1}}, 0, -1, 4, 1, {4, 4, 4, 4, 2, 2}},
        {"420 eighth uniform", {{2, 2}, {1, 1}, {1, 1}}, 0, -1, 8, 1, {8, 8, 8, 8, 4, 4}},
        {"420 progressive half uniform", {{2, 2}, {1, 1}, {1, 1}}, 1, -1, 2, 1, {2, 2, 2, 2, 1, 1}},
        {"chroma scan half uniform", {{2, 2}, {1, 1}, {1, 1}}, 0, 2, 2, 1, {1}},
        {"luma scan half uniform", {{2, 2}, {1, 1}, {1, 1}}, 0, 0, 2, 1, {2}},
        {"444 quarter", {{1, 1}, {1, 1}, {1, 1}}, 0, -1, 4, 0, {4, 4, 4}},
    };
    for (const Case &c : cases) {
        OutputRecord record;
        record.SetFrame(c.Factors, 64, 64);
        record.State.Progressive = c.Progressive;
        if (c.SingleScanOf >= 0) {
            record.SetSingleScan(c.SingleScanOf);
        }
        record.State.PixelBuffer = nullptr;
        SetTransforms(record, true);
        record.Table.McuOutput = RecordOutput;
        for (int b = 0; b < CODEC_WORK_AREA_BLOCKS; ++b) {
            record.FillBlock(b, 0);
        }
        const int blocks = static_cast<int>(c.Tags.size());
        EXPECT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 1, 1, blocks, record.State.WorkArea,
                                      4, 4, c.Scale, c.Uniform),
                  0);
        for (int b = 0; b < CODEC_WORK_AREA_BLOCKS; ++b) {
            EXPECT_EQ(record.Block(b)[63], b < blocks ? c.Tags[b] : 0) << c.Name << " block " << b;
        }
    }
}

// Samples go to the caller's planes in block-grid layout and nothing is output; a flush position
// and planes too small for a block are left alone.
TEST(ProcessMcu, RawPlanesReceiveTheSamples) {
    OutputRecord record;
    record.SetFrame({{2, 2}, {1, 1}, {1, 1}}, 32, 32); // 2 x 2 MCUs
    SetTransforms(record, false);
    gCalls.clear();
    record.Table.McuOutput = RecordOutput;
    std::vector<int16_t> luma(32 * 32, -1), blue(16 * 16, -1), red(16 * 16, -1);
    RawPlanes planes{1, {luma.data(), blue.data(), red.data(), nullptr}};
    record.State.RawPlanes = &planes;
    for (int b = 0; b < 6; ++b) {
        for (int i = 0; i < 64; ++i) {
            record.Block(b)[i] = static_cast<int16_t>(100 * b + i);
        }
    }
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 1, 0, 6, record.State.WorkArea, 2, 2, 1, 0), 0);
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 2, 0, 6, record.State.WorkArea, 2, 2, 1, 0), 0);
    EXPECT_TRUE(gCalls.empty());
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            // MCU (1, 0): luma block (i, j) at block column 2 + j, block row i.
            const bool inside = x >= 16 && y < 16;
            const int block = (y / 8) * 2 + (x - 16) / 8;
            ASSERT_EQ(luma[y * 32 + x], inside ? 100 * block + (y % 8) * 8 + x % 8 : -1) << x << "," << y;
        }
    }
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 8 && y < 8;
            ASSERT_EQ(blue[y * 16 + x], inside ? 400 + (y % 8) * 8 + x % 8 : -1);
            ASSERT_EQ(red[y * 16 + x], inside ? 500 + (y % 8) * 8 + x % 8 : -1);
        }
    }

    // A single-component scan's block goes to block column = MCU column.
    record.SetSingleScan(1);
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 0, 1, 1, record.State.WorkArea, 2, 4, 1, 0), 0);
    EXPECT_EQ(blue[8 * 16 + 0], 0);
    EXPECT_EQ(blue[15 * 16 + 7], 63);
    // Block column 2 lies outside the chroma plane's 2 block columns: nothing is written.
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 2, 1, 1, record.State.WorkArea, 3, 4, 1, 0), 0);

    // Control 0 means coefficients, which the scan loops copy: the stage writes nothing at all.
    planes.Control = 0;
    const std::vector<int16_t> before = blue;
    record.SetPixels(32, 32, 3, COLOUR_BGR);
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 0, 0, 1, record.State.WorkArea, 2, 4, 1, 0), 0);
    EXPECT_EQ(blue, before);
    EXPECT_TRUE(gCalls.empty());
    for (const uint8_t byte : record.Pixels) {
        ASSERT_EQ(byte, kUntouched);
    }
}

// Smoothing planes as the decoder allocates them: four planes of (blocks per MCU) x 64 x
// (McusPerRow + 2) samples in one block.
struct PlaneBlock {
    SmoothingPlanes Planes{};
    std::vector<int16_t> Samples;
    explicit PlaneBlock(OutputRecord &record) {
        int blocks = 0;
        for (int k = 0; k < record.State.ComponentCount; ++k) {
            blocks += record.Components[k].HSampling * record.Components[k].VSampling;
        }
        const size_t plane = static_cast<size_t>(blocks) * 64 * (record.State.McusPerRow + 2);
        Samples.assign(4 * plane, 0);
        for (int k = 0; k < 4; ++k) {
            Planes.Plane[k] = Samples.data() + k * plane;
        }
        Planes.Block = Samples.data();
        record.State.Planes = &Planes;
        record.State.UpsamplingMode = 1;
    }
};

// With 4:2:2 smoothing the first call of a row outputs nothing, each later one the MCU before
// it, and the flush call (column = MCUs per row) the row's last MCU.
TEST(ProcessMcu, SmoothingLagsOneColumnAndFlushesTheLast) {
    OutputRecord record;
    record.SetFrame({{2, 1}, {1, 1}, {1, 1}}, 48, 16); // 3 x 2 MCUs
    PlaneBlock planes(record);
    SetTransforms(record, false);
    record.Table.McuOutput = RecordOutput;
    gCalls.clear();
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column <= 3; ++column) {
            record.FillBlock(0, static_cast<int16_t>(10 * row + column));
            const size_t before = gCalls.size();
            ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, column, row, 4,
                                          record.State.WorkArea, 3, 2, 1, 0),
                      0);
            if (column == 0) {
                EXPECT_EQ(gCalls.size(), before) << "row " << row;
            } else {
                ASSERT_EQ(gCalls.size(), before + 1);
                EXPECT_EQ(gCalls.back().Column, column - 1);
                EXPECT_EQ(gCalls.back().Row, row);
                EXPECT_EQ(gCalls.back().FirstSample, 10 * row + column - 1);
            }
        }
    }
    // 4:2:0 lags one row as well: row 0 outputs nothing, the bottom flush row outputs the last.
    OutputRecord square;
    square.SetFrame({{2, 2}, {1, 1}, {1, 1}}, 32, 32); // 2 x 2 MCUs
    PlaneBlock squarePlanes(square);
    SetTransforms(square, false);
    square.Table.McuOutput = RecordOutput;
    gCalls.clear();
    for (int row = 0; row <= 2; ++row) {
        for (int column = 0; column <= 2; ++column) {
            ASSERT_EQ(rastrum::ProcessMcu(square.State, square.Scan, column, row, 6,
                                          square.State.WorkArea, 2, 2, 1, 0),
                      0);
        }
    }
    std::string order;
    for (const OutputCall &call : gCalls) {
        order += std::to_string(call.Column) + std::to_string(call.Row) + " ";
    }
    EXPECT_EQ(order, "00 10 01 11 ");
}

// Component planes at the read's size (n samples per block side), cut into MCUs with each block's
// samples in its top-left n x n corner, as the reduced transforms leave them.
struct ReducedPicture {
    int N = 8;
    std::vector<std::vector<int16_t>> Planes;
    std::vector<int> Widths;

    void Make(const OutputRecord &record, int n, uint32_t seed) {
        N = n;
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> sample(0, 255);
        Planes.assign(3, {});
        Widths.assign(3, 0);
        for (int k = 0; k < 3; ++k) {
            Widths[k] = record.State.McusPerRow * record.Components[k].HSampling * n;
            const int height = record.State.McusPerColumn * record.Components[k].VSampling * n;
            Planes[k].resize(static_cast<size_t>(Widths[k]) * height);
            for (int16_t &value : Planes[k]) {
                value = static_cast<int16_t>(sample(random));
            }
        }
    }

    void LoadMcu(OutputRecord &record, int column, int row) const {
        int block = 0;
        for (int k = 0; k < 3; ++k) {
            const int h = record.Components[k].HSampling;
            const int v = record.Components[k].VSampling;
            for (int i = 0; i < v; ++i) {
                for (int j = 0; j < h; ++j, ++block) {
                    record.FillBlock(block, -999);
                    for (int r = 0; r < N; ++r) {
                        for (int c = 0; c < N; ++c) {
                            const int x = (column * h + j) * N + c;
                            const int y = (row * v + i) * N + r;
                            record.Block(block)[8 * r + c] =
                                Planes[k][static_cast<size_t>(y) * Widths[k] + x];
                        }
                    }
                }
            }
        }
    }

    int At(int k, int x, int y) const { return Planes[k][static_cast<size_t>(y) * Widths[k] + x]; }
};

// The smoothing formulas over a whole chroma plane whose border samples are their own neighbours.
int SmoothedChroma(const ReducedPicture &picture, int k, int x, int y, int chromaWidth,
                   int chromaHeight, bool vertical) {
    const auto sample = [&](int i, int j) {
        return picture.At(k, std::clamp(j, 0, chromaWidth - 1), std::clamp(i, 0, chromaHeight - 1));
    };
    const int j = x / 2;
    const int side = x % 2 == 0 ? -1 : 1;
    if (!vertical) {
        return (sample(y, j + side) + 3 * sample(y, j) + (side < 0 ? 1 : 2)) >> 2;
    }
    const int i = y / 2;
    const int up = y % 2 == 0 ? -1 : 1;
    return (9 * sample(i, j) + 3 * sample(i, j + side) + 3 * sample(i + up, j) +
            sample(i + up, j + side) + (side < 0 ? 8 : 7)) >>
           4;
}

// Whole pictures (and a region) through ProcessMcu in scan-loop order with the flush calls: the
// chroma channels carry the smoothing formulas, the luma channel the plain samples.
TEST(ProcessMcu, SmoothedPicturesMatchTheFormulas) {
    const struct {
        const char *Name;
        std::vector<std::pair<int, int>> Factors;
        int Width, Height, Scale;
        std::array<int, 4> Roi; // in pixels of the read's size
    } cases[] = {
        {"422 full", {{2, 1}, {1, 1}, {1, 1}}, 37, 21, 1, {0, 0, 0, 0}},
        {"422 full 16", {{2, 1}, {1, 1}, {1, 1}}, 48, 8, 1, {0, 0, 0, 0}},
        {"422 half", {{2, 1}, {1, 1}, {1, 1}}, 37, 21, 2, {0, 0, 0, 0}},
        {"422 quarter", {{2, 1}, {1, 1}, {1, 1}}, 61, 9, 4, {0, 0, 0, 0}},
        {"420 full", {{2, 2}, {1, 1}, {1, 1}}, 37, 21, 1, {0, 0, 0, 0}},
        {"420 full even", {{2, 2}, {1, 1}, {1, 1}}, 32, 48, 1, {0, 0, 0, 0}},
        {"420 region", {{2, 2}, {1, 1}, {1, 1}}, 100, 50, 1, {40, 35, 61, 50}},
        {"420 region at the corner", {{2, 2}, {1, 1}, {1, 1}}, 53, 50, 1, {0, 0, 20, 17}},
        {"422 region", {{2, 1}, {1, 1}, {1, 1}}, 53, 17, 1, {40, 3, 45, 12}},
    };
    for (const auto &c : cases) {
        OutputRecord record;
        record.State.JpegColour = COLOUR_RGB;
        record.SetFrame(c.Factors, c.Width, c.Height);
        const bool vertical = record.State.MaxVSampling == 2;
        const int s = c.Scale;
        const int outWidth = (c.Width + s - 1) / s;
        const int outHeight = (c.Height + s - 1) / s;
        const bool region = c.Roi[2] != 0;
        const int left = c.Roi[0], top = c.Roi[1];
        const int width = region ? c.Roi[2] - left : outWidth;
        const int height = region ? c.Roi[3] - top : outHeight;
        record.SetPixels(width, height, 3, COLOUR_RGB, 2);
        for (int i = 0; i < 4; ++i) {
            record.State.Roi[i] = c.Roi[i];
        }
        PlaneBlock planes(record);
        SetTransforms(record, false);
        rastrum::ChooseMcuOutput(record.State);
        ASSERT_EQ(record.Table.McuOutput, rastrum::PlaceOut) << c.Name;
        ReducedPicture picture;
        picture.Make(record, 8 / s, 77);

        // The scan loop: a region starts one MCU early (the lag) and a region row loop ends with
        // a flush at its end column; a whole-image loop flushes at column = MCUs per row.
        const int columns = record.State.McusPerRow;
        const int rows = record.State.McusPerColumn;
        const int mcuWidth = 16 / s;
        const int mcuHeight = (vertical ? 16 : 8) / s;
        const int firstColumn = region ? std::max(left / mcuWidth - 1, 0) : 0;
        const int endColumn = region ? std::min((c.Roi[2] + mcuWidth - 1) / mcuWidth + 1, columns) : columns;
        const int firstRow = region ? std::max(top / mcuHeight - (vertical ? 1 : 0), 0) : 0;
        const int endRow = region ? std::min((c.Roi[3] + mcuHeight - 1) / mcuHeight + (vertical ? 1 : 0), rows) : rows;
        const int blocks = vertical ? 6 : 4;
        const auto process = [&](int column, int row) {
            if (column < columns && row < rows) {
                picture.LoadMcu(record, column, row);
            }
            rastrum::ProcessMcu(record.State, record.Scan, column, row, blocks, record.State.WorkArea,
                                columns, rows, s, 0);
        };
        for (int row = firstRow; row < endRow; ++row) {
            for (int column = firstColumn; column < endColumn; ++column) {
                process(column, row);
            }
            process(region ? endColumn : columns, row);
        }
        if (vertical) {
            for (int column = firstColumn; column <= endColumn; ++column) {
                process(column, endRow);
            }
        }

        // Chroma samples that exist in the picture at the read's size.
        const int chromaWidth = (outWidth + 1) / 2;
        const int chromaHeight = vertical ? (outHeight + 1) / 2 : outHeight;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int px = x + left;
                const int py = y + top;
                ASSERT_EQ(record.At(x, y, 0), picture.At(0, px, py)) << c.Name << " at " << px << "," << py;
                for (int k = 1; k < 3; ++k) {
                    ASSERT_EQ(record.At(x, y, k),
                              SmoothedChroma(picture, k, px, py, chromaWidth, chromaHeight, vertical))
                        << c.Name << " component " << k << " at " << px << "," << py;
                }
            }
            ASSERT_EQ(record.At(width, y, 0), kUntouched) << c.Name << " padding";
        }
    }
}

// The documented row: 10..80 with neighbours 0 and 90.
TEST(SmoothingUpsampler, RowExampleAndTheTwoDimensionalFormula) {
    int16_t left[64] = {}, centre[64] = {}, right[64] = {};
    for (int i = 0; i < 8; ++i) {
        centre[i] = static_cast<int16_t>(10 * (i + 1));
    }
    right[0] = 90;
    int16_t out[rastrum::kExpandedStride * 16] = {};
    rastrum::SmoothHorizontal(left, centre, right, 8, 1, out);
    const int expected[16] = {7, 13, 17, 23, 27, 33, 37, 43, 47, 53, 57, 63, 67, 73, 77, 83};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out[i], expected[i]) << i;
    }

    // 4:2:0: sample 100 at (0, 0) with left 20, above 40 and above-left 60: the top-left pixel is
    // (900 + 60 + 120 + 60 + 8) >> 4; its right neighbour takes the right sample 200 and the
    // above-right 10.
    int16_t blocks[3][3][64] = {};
    blocks[1][1][0] = 100;
    blocks[1][1][1] = 200;
    blocks[1][0][7] = 20;
    blocks[0][1][56] = 40;
    blocks[0][0][63] = 60;
    blocks[0][1][57] = 10;
    const int16_t *around[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            around[i][j] = blocks[i][j];
        }
    }
    int16_t square[rastrum::kExpandedStride * 16] = {};
    rastrum::SmoothBlock420(around, square);
    EXPECT_EQ(square[0], (900 + 60 + 120 + 60 + 8) >> 4);
    EXPECT_EQ(square[1], (900 + 600 + 120 + 10 + 7) >> 4);
    EXPECT_EQ(square[rastrum::kExpandedStride], (900 + 60 + 0 + 0 + 8) >> 4);
    EXPECT_EQ(square[rastrum::kExpandedStride + 1], (900 + 600 + 0 + 0 + 7) >> 4);
}

// At reduced size 4:2:0 is not smoothed: each MCU is output at once and a flush position writes
// nothing; without a chosen routine nothing is written at full size either.
TEST(ProcessMcu, UnsmoothedFlushPositionsWriteNothing) {
    OutputRecord record;
    record.State.JpegColour = COLOUR_RGB;
    record.SetFrame({{2, 2}, {1, 1}, {1, 1}}, 64, 32);
    record.SetPixels(32, 16, 3, COLOUR_RGB);
    PlaneBlock planes(record);
    SetTransforms(record, false);
    rastrum::ChooseMcuOutput(record.State);
    for (int b = 0; b < 6; ++b) {
        record.FillBlock(b, 50);
    }
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 0, 0, 6, record.State.WorkArea, 4, 2, 2, 0), 0);
    EXPECT_EQ(record.At(7, 7, 0), 50);
    EXPECT_EQ(record.At(8, 0, 0), kUntouched);
    record.SetPixels(40, 16, 3, COLOUR_RGB); // wide enough to show a stray flush write
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 4, 0, 6, record.State.WorkArea, 4, 2, 2, 0), 0);
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 1, 2, 6, record.State.WorkArea, 4, 2, 2, 0), 0);
    for (const uint8_t byte : record.Pixels) {
        ASSERT_EQ(byte, kUntouched);
    }

    record.State.UpsamplingMode = 0;
    record.Table.McuOutput = nullptr;
    ASSERT_EQ(rastrum::ProcessMcu(record.State, record.Scan, 0, 0, 6, record.State.WorkArea, 4, 2, 1, 0), 0);
    for (const uint8_t byte : record.Pixels) {
        ASSERT_EQ(byte, kUntouched);
    }
}

} // namespace
