// The output stage: colour arithmetic of the three routine groups, the output routine choice,
// MCU placement and clipping, the fused routines' kernels against their edge code, and the
// general path, all on hand-made work areas and pixel buffers.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "output_routines.h"
#include "output_stage_fixture.h"

namespace {

using namespace output_test;
using rastrum::FusedKind;
using rastrum::McuOutputRoutine;
using rastrum::McuRect;

struct ColourCase {
    int Y, Cb, Cr;
    Triple Plain;
    Triple General;
};

// The documented triples of the plain (fused) and the general rounding.
const ColourCase kColourCases[] = {
    {100, 128, 128, {100, 101, 100}, {100, 100, 100}},
    {100, 100, 200, {201, 59, 51}, {201, 58, 51}},
    {255, 255, 255, {255, 122, 255}, {255, 121, 255}},
    {0, 0, 0, {0, 136, 0}, {0, 135, 0}},
};

// ---- Colour arithmetic -----------------------------------------------------------------------

struct FusedColourRoutine {
    const char *Name;
    McuOutputRoutine Routine;
    std::vector<std::pair<int, int>> Factors;
    int Channels;
    int Colour;
};

const std::vector<std::pair<int, int>> k444 = {{1, 1}, {1, 1}, {1, 1}};
const std::vector<std::pair<int, int>> k422 = {{2, 1}, {1, 1}, {1, 1}};
const std::vector<std::pair<int, int>> k420 = {{2, 2}, {1, 1}, {1, 1}};

const FusedColourRoutine kFusedColourRoutines[] = {
    {"Ycc444RgbOut", rastrum::Ycc444RgbOut, k444, 3, COLOUR_RGB},
    {"Ycc422RgbOut", rastrum::Ycc422RgbOut, k422, 3, COLOUR_RGB},
    {"Ycc420RgbOut", rastrum::Ycc420RgbOut, k420, 3, COLOUR_RGB},
    {"Ycc444BgrOut", rastrum::Ycc444BgrOut, k444, 3, COLOUR_BGR},
    {"Ycc422BgrOut", rastrum::Ycc422BgrOut, k422, 3, COLOUR_BGR},
    {"Ycc420BgrOut", rastrum::Ycc420BgrOut, k420, 3, COLOUR_BGR},
    {"Ycc444RgbaOut", rastrum::Ycc444RgbaOut, k444, 4, COLOUR_RGB_PLUS},
    {"Ycc422RgbaOut", rastrum::Ycc422RgbaOut, k422, 4, COLOUR_RGB_PLUS},
    {"Ycc420RgbaOut", rastrum::Ycc420RgbaOut, k420, 4, COLOUR_RGB_PLUS},
};

// One flat-coloured MCU through a fused routine, once whole (kernel) and once cut by the picture
// border (edge code): every pixel must carry the plain triple in the routine's byte order.
TEST(ColourArithmetic, FusedRoutinesGiveThePlainTriples) {
    for (const FusedColourRoutine &routine : kFusedColourRoutines) {
        for (const ColourCase &colour : kColourCases) {
            for (int cut = 0; cut < 2; ++cut) {
                OutputRecord record;
                const int width = 8 * routine.Factors[0].first - cut;
                const int height = 8 * routine.Factors[0].second - cut;
                record.SetFrame(routine.Factors, width, height);
                record.SetPixels(width, height, routine.Channels, routine.Colour);
                const int blocks = routine.Factors[0].first * routine.Factors[0].second;
                for (int b = 0; b < blocks; ++b) {
                    record.FillBlock(b, static_cast<int16_t>(colour.Y));
                }
                record.FillBlock(blocks, static_cast<int16_t>(colour.Cb));
                record.FillBlock(blocks + 1, static_cast<int16_t>(colour.Cr));
                ASSERT_EQ(routine.Routine(record.State, 0, 0), 0);
                const bool bgr = routine.Colour == COLOUR_BGR;
                const Triple expected = colour.Plain;
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < width; ++x) {
                        const Triple got{record.At(x, y, bgr ? 2 : 0), record.At(x, y, 1),
                                         record.At(x, y, bgr ? 0 : 2)};
                        ASSERT_EQ(got, expected) << routine.Name << " Y " << colour.Y << " cut "
                                                 << cut << " at " << x << "," << y;
                        if (routine.Channels == 4) {
                            ASSERT_EQ(record.At(x, y, 3), 255) << routine.Name;
                        }
                    }
                }
            }
        }
    }
}

TEST(ColourArithmetic, BgrBytesOfTheSecondTriple) {
    OutputRecord record;
    record.SetFrame(k444, 8, 8);
    record.SetPixels(8, 8, 3, COLOUR_BGR);
    record.FillBlock(0, 100);
    record.FillBlock(1, 100);
    record.FillBlock(2, 200);
    ASSERT_EQ(rastrum::Ycc444BgrOut(record.State, 0, 0), 0);
    EXPECT_EQ(std::vector<uint8_t>(record.Pixels.begin(), record.Pixels.begin() + 3),
              (std::vector<uint8_t>{51, 59, 201}));
}

// The general path (GeneralOut, reduced-size reads, the in-place pass) rounds green its own way.
TEST(ColourArithmetic, GeneralPathAndInPlacePassGiveTheGeneralTriples) {
    for (const ColourCase &colour : kColourCases) {
        for (const int pixelColour : {COLOUR_RGB, COLOUR_BGR}) {
            OutputRecord record;
            record.SetFrame(k420, 16, 16);
            record.SetPixels(16, 16, 3, pixelColour);
            for (int b = 0; b < 4; ++b) {
                record.FillBlock(b, static_cast<int16_t>(colour.Y));
            }
            record.FillBlock(4, static_cast<int16_t>(colour.Cb));
            record.FillBlock(5, static_cast<int16_t>(colour.Cr));
            ASSERT_EQ(rastrum::GeneralOut(record.State, 0, 0), 0);
            const bool bgr = pixelColour == COLOUR_BGR;
            const Triple fromMcu{record.At(5, 9, bgr ? 2 : 0), record.At(5, 9, 1),
                                 record.At(5, 9, bgr ? 0 : 2)};
            EXPECT_EQ(fromMcu, colour.General) << "Y " << colour.Y;

            // The picture pass over pixels placed as Y, Cb, Cr.
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    record.At(x, y, 0) = static_cast<uint8_t>(colour.Y);
                    record.At(x, y, 1) = static_cast<uint8_t>(colour.Cb);
                    record.At(x, y, 2) = static_cast<uint8_t>(colour.Cr);
                }
            }
            rastrum::ConvertPictureInPlace(record.State);
            const Triple fromPass{record.At(15, 15, bgr ? 2 : 0), record.At(15, 15, 1),
                                  record.At(15, 15, bgr ? 0 : 2)};
            EXPECT_EQ(fromPass, colour.General) << "Y " << colour.Y;
        }
    }
}

// Four-channel pixels in the picture pass: YCCK complements and keeps K, YCbCr sets 255; the pass
// covers only the region's rows and pixels, counted from the buffer's start.
TEST(ColourArithmetic, InPlacePassOfFourChannelsAndRegions) {
    struct Case {
        int JpegColour;
        std::array<int, 4> Expected;
    } cases[] = {{COLOUR_YCBCR_PLUS, {155, 155, 155, 40}}, {COLOUR_YCBCR, {100, 100, 100, 255}}};
    for (const Case &c : cases) {
        OutputRecord record;
        record.State.JpegColour = c.JpegColour;
        record.SetFrame({{1, 1}, {1, 1}, {1, 1}, {1, 1}}, 6, 5);
        record.SetPixels(6, 5, 4, COLOUR_RGB_PLUS);
        record.State.ColourConversionWanted = 1;
        for (size_t i = 0; i < record.Pixels.size(); i += 4) {
            record.Pixels[i] = 100;
            record.Pixels[i + 1] = 128;
            record.Pixels[i + 2] = 128;
            record.Pixels[i + 3] = 40;
        }
        // A region of 4 x 3 pixels: the buffer's first 3 rows, first 4 pixels.
        record.State.Roi[0] = 2;
        record.State.Roi[1] = 1;
        record.State.Roi[2] = 6;
        record.State.Roi[3] = 4;
        rastrum::ConvertPictureInPlace(record.State);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                const bool inside = x < 4 && y < 3;
                const std::array<int, 4> got{record.At(x, y, 0), record.At(x, y, 1), record.At(x, y, 2),
                                             record.At(x, y, 3)};
                const std::array<int, 4> expected = inside ? c.Expected : std::array<int, 4>{100, 128, 128, 40};
                ASSERT_EQ(got, expected) << "colour " << c.JpegColour << " at " << x << "," << y;
            }
        }
    }
}

// ---- Stored samples: grey, RGB-coded, YCCK --------------------------------------------------

TEST(StoredSamples, GreyPicturesGiveEqualBytesAndOpaqueFourth) {
    struct Case {
        int Channels;
        int Colour;
        McuOutputRoutine Expected;
        std::vector<int> Pattern; // -1: Y, otherwise a constant
    } cases[] = {
        {3, COLOUR_BGR, rastrum::CopyOut, {-1, -1, -1}},
        {3, COLOUR_RGB, rastrum::CopyOut, {-1, -1, -1}},
        {4, COLOUR_RGB_PLUS, rastrum::CopyOut, {-1, -1, -1, 255}},
        {1, COLOUR_GREY, rastrum::GreyOut, {-1}},
    };
    for (const Case &c : cases) {
        OutputRecord record;
        record.State.JpegColour = COLOUR_GREY;
        record.SetFrame({{1, 1}}, 13, 11);
        record.SetPixels(13, 11, c.Channels, c.Colour);
        rastrum::ChooseMcuOutput(record.State);
        ASSERT_EQ(record.Table.McuOutput, c.Expected) << c.Channels;
        SampledPicture picture;
        picture.Make(record, 7);
        picture.Decode(record);
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 13; ++x) {
                for (int k = 0; k < c.Channels; ++k) {
                    const int expected = c.Pattern[k] < 0 ? picture.Sample(record, 0, x, y) : c.Pattern[k];
                    ASSERT_EQ(record.At(x, y, k), expected) << c.Channels << " at " << x << "," << y;
                }
            }
        }
    }
}

// An RGB-coded picture stores its components unchanged; BGR pixels take them in reverse order,
// through CopyOut without subsampling and through the general path with it.
TEST(StoredSamples, RgbCodedComponentsReverseForBgr) {
    struct Case {
        std::vector<std::pair<int, int>> Factors;
        int Colour;
        McuOutputRoutine Expected;
        std::array<int, 3> ComponentOfByte;
    } cases[] = {
        {k444, COLOUR_BGR, rastrum::CopyOut, {2, 1, 0}},
        {k444, COLOUR_RGB, rastrum::Copy444Out, {0, 1, 2}},
        {k420, COLOUR_BGR, rastrum::PlaceOut, {2, 1, 0}},
        {k422, COLOUR_RGB, rastrum::Copy422Out, {0, 1, 2}},
    };
    for (const Case &c : cases) {
        OutputRecord record;
        record.State.JpegColour = COLOUR_RGB;
        record.SetFrame(c.Factors, 21, 19);
        record.SetPixels(21, 19, 3, c.Colour);
        rastrum::ChooseMcuOutput(record.State);
        ASSERT_EQ(record.Table.McuOutput, c.Expected);
        SampledPicture picture;
        picture.Make(record, 11);
        picture.Decode(record);
        for (int y = 0; y < 19; ++y) {
            for (int x = 0; x < 21; ++x) {
                for (int k = 0; k < 3; ++k) {
                    ASSERT_EQ(record.At(x, y, k), picture.Sample(record, c.ComponentOfByte[k], x, y))
                        << "colour " << c.Colour << " at " << x << "," << y;
                }
            }
        }
    }
}

// Y = 100, Cb = Cr = 128, K = 40 gives 155, 154, 155, 40 in the fused YCCK routines, whole and cut.
TEST(StoredSamples, YcckGivesComplementedColourAndK) {
    const struct {
        McuOutputRoutine Routine;
        std::vector<std::pair<int, int>> Factors;
    } cases[] = {
        {rastrum::Ycck444Out, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
        {rastrum::Ycck422Out, {{2, 1}, {1, 1}, {1, 1}, {2, 1}}},
        {rastrum::Ycck420Out, {{2, 2}, {1, 1}, {1, 1}, {2, 2}}},
    };
    for (const auto &c : cases) {
        for (int cut = 0; cut < 2; ++cut) {
            OutputRecord record;
            record.State.JpegColour = COLOUR_YCBCR_PLUS;
            const int width = 8 * c.Factors[0].first - cut;
            const int height = 8 * c.Factors[0].second - cut;
            record.SetFrame(c.Factors, width, height);
            record.SetPixels(width, height, 4, COLOUR_RGB_PLUS);
            const int lumaBlocks = c.Factors[0].first * c.Factors[0].second;
            for (int b = 0; b < lumaBlocks; ++b) {
                record.FillBlock(b, 100);
                record.FillBlock(lumaBlocks + 2 + b, 40);
            }
            record.FillBlock(lumaBlocks, 128);
            record.FillBlock(lumaBlocks + 1, 128);
            ASSERT_EQ(c.Routine(record.State, 0, 0), 0);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const std::array<int, 4> got{record.At(x, y, 0), record.At(x, y, 1),
                                                 record.At(x, y, 2), record.At(x, y, 3)};
                    ASSERT_EQ(got, (std::array<int, 4>{155, 154, 155, 40})) << x << "," << y;
                }
            }
        }
    }
}

// ---- The output routine choice ----------------------------------------------------------------

struct ChoiceCase {
    int C, N, D, X, U, M;
    const char *Sampling; // "444", "420", "422", "411"
    int Layout;
    McuOutputRoutine Routine;
};

std::vector<std::pair<int, int>> FactorsOf(const std::string &sampling, int components) {
    std::pair<int, int> first{1, 1};
    if (sampling == "420") {
        first = {2, 2};
    } else if (sampling == "422") {
        first = {2, 1};
    } else if (sampling == "411") {
        first = {4, 1};
    }
    std::vector<std::pair<int, int>> factors(components, {1, 1});
    factors[0] = first;
    if (components == 4) {
        factors[3] = first;
    }
    return factors;
}

TEST(OutputChoice, TableOfCombinations) {
    using namespace rastrum;
    const McuOutputRoutine none = nullptr;
    const ChoiceCase cases[] = {
        // Conversion and upsampling.
        {3, 3, 1, 1, 1, 0, "420", 3, Ycc420RgbOut},
        {3, 3, 1, 1, 1, 0, "422", 5, Ycc422RgbOut},
        {3, 3, 2, 1, 1, 0, "420", 4, Ycc420BgrOut},
        {3, 3, 2, 1, 1, 0, "422", 6, Ycc422BgrOut},
        {3, 4, 5, 1, 1, 0, "420", 8, Ycc420RgbaOut},
        {3, 4, 5, 1, 1, 0, "422", 9, Ycc422RgbaOut},
        {4, 4, 5, 1, 1, 0, "420", 11, Ycck420Out},
        {4, 4, 5, 1, 1, 0, "422", 12, Ycck422Out},
        {3, 3, 2, 1, 1, 1, "420", 0, GeneralOut},
        {3, 3, 2, 1, 1, 0, "411", 0, GeneralOut},
        {4, 4, 5, 1, 1, 1, "422", 0, GeneralOut},
        {3, 1, 1, 1, 1, 0, "420", 0, none},
        // Upsampling only.
        {3, 3, 1, 0, 1, 0, "420", 16, Copy420Out},
        {3, 3, 1, 0, 1, 0, "422", 17, Copy422Out},
        {3, 3, 1, 0, 1, 1, "420", 16, PlaceOut},
        {3, 3, 255, 0, 1, 1, "422", 17, PlaceOut},
        {3, 3, 1, 0, 1, 0, "411", 0, PlaceOut},
        {3, 3, 2, 0, 1, 0, "420", 0, PlaceOut},
        {3, 1, 4, 0, 1, 0, "420", 0, PlaceOut},
        {3, 4, 5, 0, 1, 0, "422", 0, PlaceOut},
        {4, 3, 255, 0, 1, 0, "420", 0, PlaceOut},
        {4, 4, 5, 0, 1, 0, "420", 0, PlaceOut},
        // Neither.
        {1, 1, 4, 0, 0, 0, "444", 0, GreyOut},
        {1, 3, 2, 0, 0, 0, "444", 0, CopyOut},
        {1, 4, 5, 0, 0, 0, "444", 0, CopyOut},
        {2, 2, 255, 0, 0, 0, "444", 0, CopyOut},
        {3, 1, 4, 0, 0, 0, "444", 0, CopyOut},
        {3, 2, 3, 0, 0, 0, "422", 19, Pack422Out},
        {3, 2, 3, 0, 0, 0, "444", 0, none},
        {3, 3, 2, 0, 0, 0, "444", 0, CopyOut},
        {3, 3, 1, 0, 0, 0, "444", 15, Copy444Out},
        {3, 4, 5, 0, 0, 0, "444", 13, Copy444AlphaOut},
        {3, 4, 255, 0, 0, 0, "444", 0, CopyOut},
        {4, 3, 255, 0, 0, 0, "444", 0, CopyOut},
        {4, 4, 5, 0, 0, 0, "444", 14, Copy4Out},
        {3, 5, 255, 0, 0, 0, "444", 0, none},
        // Conversion only.
        {3, 3, 1, 1, 0, 0, "444", 1, Ycc444RgbOut},
        {3, 3, 2, 1, 0, 0, "444", 2, Ycc444BgrOut},
        {3, 4, 5, 1, 0, 0, "444", 7, Ycc444RgbaOut},
        {4, 4, 5, 1, 0, 0, "444", 10, Ycck444Out},
        {3, 3, 5, 1, 0, 0, "444", 0, none},
        {1, 3, 2, 1, 0, 0, "444", 0, none},
    };
    for (const ChoiceCase &c : cases) {
        OutputRecord record;
        record.SetFrame(FactorsOf(c.Sampling, c.C), 64, 64);
        record.State.PixelChannels = c.N;
        record.State.PixelColour = c.D;
        record.State.ColourConversionWanted = c.X;
        record.State.UpsamplingWanted = c.U;
        record.State.UpsamplingMode = c.M;
        record.State.OutputLayout = -1;
        record.Table.McuOutput = rastrum::CopyOut; // whatever an earlier choice left
        rastrum::ChooseMcuOutput(record.State);
        const std::string label = std::to_string(c.C) + "," + std::to_string(c.N) + "," +
                                  std::to_string(c.D) + " X" + std::to_string(c.X) + " U" +
                                  std::to_string(c.U) + " M" + std::to_string(c.M) + " " + c.Sampling;
        EXPECT_EQ(record.State.OutputLayout, c.Layout) << label;
        EXPECT_EQ(record.Table.McuOutput, c.Routine) << label;
    }
}

// Separate scans of a sequential image, and YCbCr pixels of subsampled components (which skip the
// upsampling flag) go through the general path; packed 2-byte pixels through PackScanOut.
TEST(OutputChoice, SeparateScansAndUnflaggedSubsampling) {
    struct Case {
        int NonInterleaved, Progressive, N, D;
        const char *Sampling;
        McuOutputRoutine Routine;
        int Layout;
    } cases[] = {
        {1, 0, 2, COLOUR_YCBCR, "422", rastrum::PackScanOut, 0},
        {1, 0, 3, COLOUR_BGR, "420", rastrum::PlaceOut, 0},
        {1, 2, 3, COLOUR_BGR, "420", rastrum::Ycc420BgrOut, 4},
        {0, 0, 3, COLOUR_YCBCR, "422", rastrum::PlaceOut, 0},
        {0, 0, 1, COLOUR_YCBCR, "422", rastrum::PlaceOut, 0},
    };
    for (const Case &c : cases) {
        OutputRecord record;
        record.SetFrame(FactorsOf(c.Sampling, 3), 32, 32);
        record.State.NonInterleaved = c.NonInterleaved;
        record.State.Progressive = c.Progressive;
        record.State.PixelChannels = c.N;
        record.State.PixelColour = c.D;
        const bool ycbcr = c.D == COLOUR_YCBCR;
        record.State.ColourConversionWanted = ycbcr ? 0 : 1;
        record.State.UpsamplingWanted = ycbcr ? 0 : 1;
        rastrum::ChooseMcuOutput(record.State);
        EXPECT_EQ(record.Table.McuOutput, c.Routine) << c.NonInterleaved << " " << c.N << " " << c.D;
        EXPECT_EQ(record.State.OutputLayout, c.Layout);
    }
}

// ---- MCU placement and clipping ---------------------------------------------------------------

TEST(ClipMcu, VisibleRectangleAndAddress) {
    struct Case {
        std::array<int, 4> Roi;
        int PixelWidth, PixelHeight, Column, Row;
        int Result;
        McuRect Visible;
        long Offset; // PixelCursor - PixelBuffer
    } cases[] = {
        {{0, 0, 0, 0}, 40, 20, 0, 0, 0, {0, 0, 16, 16}, 0},
        {{0, 0, 0, 0}, 40, 20, 2, 1, 0, {0, 0, 8, 4}, 16 * 120 + 32 * 3},
        {{0, 0, 0, 0}, 40, 20, 3, 0, 0, {0, 0, 0, 0}, 48 * 3},
        // Rows stored bottom-up: picture row 0 is the buffer's last row, rows run upwards.
        {{0, 0, 0, 0}, 40, -20, 1, 1, 0, {0, 0, 16, 4}, 19 * 120 - 16 * 120 + 16 * 3},
        {{16, 16, 32, 32}, 16, 16, 1, 1, 0, {0, 0, 16, 16}, 0},
        // Touching the region's corner is not outside it, but nothing of it is visible.
        {{16, 16, 32, 32}, 16, 16, 0, 0, 0, {0, 0, 0, 0}, -(16 * 48 + 16 * 3)},
        {{16, 16, 32, 32}, 16, 16, 2, 1, -8, {0, 0, 0, 0}, -1},
        {{16, 16, 32, 32}, 16, 16, 1, 2, -8, {0, 0, 0, 0}, -1},
        // A region cutting MCUs: the buffer starts at the region's corner.
        {{5, 3, 30, 20}, 25, 17, 0, 0, 0, {5, 3, 16, 16}, -(3 * 75 + 5 * 3)},
        {{5, 3, 30, 20}, 25, 17, 1, 1, 0, {0, 0, 14, 4}, 13 * 75 + 11 * 3},
        // A buffer narrower than the region limits the visible part.
        {{5, 3, 30, 20}, 10, 17, 0, 0, 0, {5, 3, 15, 16}, -(3 * 30 + 5 * 3)},
    };
    for (const Case &c : cases) {
        OutputRecord record;
        record.SetPixels(c.PixelWidth, c.PixelHeight, 3, COLOUR_BGR);
        for (int i = 0; i < 4; ++i) {
            record.State.Roi[i] = c.Roi[i];
        }
        McuRect visible{1, 1, 1, 1};
        record.State.Stream.PixelCursor = nullptr;
        const int32_t result =
            rastrum::ClipMcu(record.State, 16, 16, c.Column, c.Row, 3, visible);
        const std::string label = std::to_string(c.Column) + "," + std::to_string(c.Row) + " roi " +
                                  std::to_string(c.Roi[0]);
        EXPECT_EQ(result, c.Result) << label;
        EXPECT_EQ((std::array<int, 4>{visible.Left, visible.Top, visible.Right, visible.Bottom}),
                  (std::array<int, 4>{c.Visible.Left, c.Visible.Top, c.Visible.Right,
                                      c.Visible.Bottom}))
            << label;
        if (c.Offset >= -10000 && c.Result == 0) {
            EXPECT_EQ(reinterpret_cast<intptr_t>(record.State.Stream.PixelCursor) -
                          reinterpret_cast<intptr_t>(record.Pixels.data()),
                      c.Offset)
                << label;
        }
    }
}

TEST(ClipMcu, RectangleOperations) {
    using rastrum::IntersectRects;
    using rastrum::TranslateRect;
    const auto same = [](const McuRect &a, const McuRect &b) {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    };
    EXPECT_TRUE(same(IntersectRects({0, 0, 16, 9}, {8, 8, 16, 16}), {8, 8, 16, 9}));
    EXPECT_TRUE(same(IntersectRects({0, 0, 8, 8}, {8, 0, 16, 8}), {0, 0, 0, 0}));
    EXPECT_TRUE(same(TranslateRect({8, 8, 16, 9}, 8, 8), {0, 0, 8, 1}));
    EXPECT_TRUE(same(TranslateRect({0, 0, 0, 0}, 8, 8), {0, 0, 0, 0}));
}

// A 4:2:0 picture 17 x 9: the second MCU writes only column 16, rows 0..7 from the top-left
// chroma quarter and row 8 from the bottom-left one; nothing lies beyond the exact-size buffer.
TEST(ClipMcu, SeventeenByNinePictureWritesOnlyColumnSixteen) {
    OutputRecord record;
    record.SetFrame(k420, 17, 9);
    record.SetPixels(17, 9, 3, COLOUR_BGR);
    for (int b = 0; b < 4; ++b) {
        record.FillBlock(b, 120);
    }
    // Cb differs per quarter: rows 0..3 of chroma cover pixel rows 0..7.
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            record.Block(4)[8 * r + c] = static_cast<int16_t>(r < 4 ? (c < 4 ? 60 : 70) : (c < 4 ? 200 : 210));
            record.Block(5)[8 * r + c] = 128;
        }
    }
    ASSERT_EQ(rastrum::Ycc420BgrOut(record.State, 1, 0), 0);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 17; ++x) {
            if (x < 16) {
                ASSERT_EQ(record.At(x, y, 0), kUntouched) << x << "," << y;
                continue;
            }
            const Triple expected = PlainTriple(120, y < 8 ? 60 : 200, 128);
            EXPECT_EQ(record.At(x, y, 0), expected.Blue) << y;
            EXPECT_EQ(record.At(x, y, 1), expected.Green) << y;
            EXPECT_EQ(record.At(x, y, 2), expected.Red) << y;
        }
    }
}

// With the region 16, 16, 32, 32 only MCU (1, 1) is written, at the start of the buffer.
TEST(ClipMcu, RegionPutsItsMcuAtTheBufferStart) {
    OutputRecord record;
    record.SetFrame(k420, 64, 64);
    record.SetPixels(16, 16, 3, COLOUR_BGR);
    record.State.Roi[0] = 16;
    record.State.Roi[1] = 16;
    record.State.Roi[2] = 32;
    record.State.Roi[3] = 32;
    rastrum::ChooseMcuOutput(record.State);
    SampledPicture picture;
    picture.Make(record, 3);
    const std::vector<int32_t> results = picture.Decode(record);
    // MCUs past the region's right or bottom edge are outside it; the others before it touch it.
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], i % 4 >= 2 || i / 4 >= 2 ? -8 : 0) << i;
    }
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const Triple expected = PlainTriple(picture.Sample(record, 0, x + 16, y + 16),
                                                picture.Sample(record, 1, x + 16, y + 16),
                                                picture.Sample(record, 2, x + 16, y + 16));
            ASSERT_EQ(record.At(x, y, 2), expected.Red) << x << "," << y;
            ASSERT_EQ(record.At(x, y, 0), expected.Blue) << x << "," << y;
        }
    }
}

// ---- Fused kernels against their edge code ----------------------------------------------------

struct KernelCase {
    FusedKind Kind;
    rastrum::OutputKernel Kernel;
    McuOutputRoutine Routine;
    int Components;
    const char *Sampling;
};

const KernelCase kKernelCases[] = {
    {FusedKind::Grey, rastrum::GreyKernelPlain, rastrum::GreyOut, 1, "444"},
    {FusedKind::Ycc444Rgb, rastrum::Ycc444RgbKernelPlain, rastrum::Ycc444RgbOut, 3, "444"},
    {FusedKind::Ycc422Rgb, rastrum::Ycc422RgbKernelPlain, rastrum::Ycc422RgbOut, 3, "422"},
    {FusedKind::Ycc420Rgb, rastrum::Ycc420RgbKernelPlain, rastrum::Ycc420RgbOut, 3, "420"},
    {FusedKind::Ycc444Bgr, rastrum::Ycc444BgrKernelPlain, rastrum::Ycc444BgrOut, 3, "444"},
    {FusedKind::Ycc422Bgr, rastrum::Ycc422BgrKernelPlain, rastrum::Ycc422BgrOut, 3, "422"},
    {FusedKind::Ycc420Bgr, rastrum::Ycc420BgrKernelPlain, rastrum::Ycc420BgrOut, 3, "420"},
    {FusedKind::Ycc444Rgba, rastrum::Ycc444RgbaKernelPlain, rastrum::Ycc444RgbaOut, 3, "444"},
    {FusedKind::Ycc422Rgba, rastrum::Ycc422RgbaKernelPlain, rastrum::Ycc422RgbaOut, 3, "422"},
    {FusedKind::Ycc420Rgba, rastrum::Ycc420RgbaKernelPlain, rastrum::Ycc420RgbaOut, 3, "420"},
    {FusedKind::Copy444, rastrum::Copy444KernelPlain, rastrum::Copy444Out, 3, "444"},
    {FusedKind::Copy422, rastrum::Copy422KernelPlain, rastrum::Copy422Out, 3, "422"},
    {FusedKind::Copy420, rastrum::Copy420KernelPlain, rastrum::Copy420Out, 3, "420"},
    {FusedKind::Copy444Alpha, rastrum::Copy444AlphaKernelPlain, rastrum::Copy444AlphaOut, 3, "444"},
    {FusedKind::Pack422, rastrum::Pack422KernelPlain, rastrum::Pack422Out, 3, "422"},
    {FusedKind::Ycck444, rastrum::Ycck444KernelPlain, rastrum::Ycck444Out, 4, "444"},
    {FusedKind::Ycck422, rastrum::Ycck422KernelPlain, rastrum::Ycck422Out, 4, "422"},
    {FusedKind::Ycck420, rastrum::Ycck420KernelPlain, rastrum::Ycck420Out, 4, "420"},
    {FusedKind::Copy4, rastrum::Copy4KernelPlain, rastrum::Copy4Out, 4, "444"},
};

// The edge code run block by block over the whole MCU writes the kernel's bytes; over a part of
// it, the kernel's bytes inside and nothing outside.
TEST(FusedKernels, EdgeCodeWritesWhatTheKernelWrites) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> sample(0, 255);
    for (const KernelCase &c : kKernelCases) {
        const rastrum::FusedShape shape = rastrum::ShapeOfFused(c.Kind);
        const ptrdiff_t stride = shape.Width * shape.BytesPerPixel + 5;
        const size_t size = static_cast<size_t>(stride) * shape.Height;
        alignas(32) int16_t mcu[CODEC_WORK_AREA_BLOCKS * 64];
        for (int trial = 0; trial < 20; ++trial) {
            for (int16_t &value : mcu) {
                value = static_cast<int16_t>(sample(random));
            }
            std::vector<uint8_t> kernel(size, kUntouched);
            std::vector<uint8_t> edge(size, kUntouched);
            c.Kernel(mcu, kernel.data(), stride);
            rastrum::RunEdgeCode(c.Kind, mcu, edge.data(), stride, {0, 0, shape.Width, shape.Height});
            ASSERT_EQ(kernel, edge) << static_cast<int>(c.Kind);

            std::uniform_int_distribution<int> across(0, shape.Width);
            std::uniform_int_distribution<int> down(0, shape.Height);
            int left = across(random), right = across(random), top = down(random), bottom = down(random);
            if (left > right) {
                std::swap(left, right);
            }
            if (top > bottom) {
                std::swap(top, bottom);
            }
            std::vector<uint8_t> part(size, kUntouched);
            rastrum::RunEdgeCode(c.Kind, mcu, part.data(), stride, {left, top, right, bottom});
            for (int y = 0; y < shape.Height; ++y) {
                for (int x = 0; x < shape.Width * shape.BytesPerPixel; ++x) {
                    const int pixel = x / shape.BytesPerPixel;
                    const bool inside = pixel >= left && pixel < right && y >= top && y < bottom;
                    const size_t at = static_cast<size_t>(y) * stride + x;
                    ASSERT_EQ(part[at], inside ? kernel[at] : kUntouched)
                        << static_cast<int>(c.Kind) << " byte " << x << " row " << y;
                }
                for (int x = shape.Width * shape.BytesPerPixel; x < stride; ++x) {
                    ASSERT_EQ(kernel[static_cast<size_t>(y) * stride + x], kUntouched)
                        << "kernel wrote past its MCU row";
                }
            }
        }
    }
}

// The bytes a fused kind gives for one pixel from its components' samples.
std::vector<int> FusedPixel(FusedKind kind, const std::array<int, 4> &s, int x) {
    const Triple plain = PlainTriple(s[0], s[1], s[2]);
    switch (kind) {
    case FusedKind::Grey: return {ClampByte(s[0])};
    case FusedKind::Ycc444Rgb:
    case FusedKind::Ycc422Rgb:
    case FusedKind::Ycc420Rgb: return {plain.Red, plain.Green, plain.Blue};
    case FusedKind::Ycc444Bgr:
    case FusedKind::Ycc422Bgr:
    case FusedKind::Ycc420Bgr: return {plain.Blue, plain.Green, plain.Red};
    case FusedKind::Ycc444Rgba:
    case FusedKind::Ycc422Rgba:
    case FusedKind::Ycc420Rgba: return {plain.Red, plain.Green, plain.Blue, 255};
    case FusedKind::Copy444:
    case FusedKind::Copy422:
    case FusedKind::Copy420: return {s[0], s[1], s[2]};
    case FusedKind::Copy444Alpha: return {s[0], s[1], s[2], 255};
    case FusedKind::Pack422: return {s[0], x % 2 == 0 ? s[1] : s[2]};
    case FusedKind::Ycck444:
    case FusedKind::Ycck422:
    case FusedKind::Ycck420: return {255 - plain.Red, 255 - plain.Green, 255 - plain.Blue, s[3]};
    case FusedKind::Copy4: return {s[0], s[1], s[2], s[3]};
    }
    return {};
}

// Whole pictures whose size cuts MCUs on the right and at the bottom, rows top-down and
// bottom-up: every pixel as computed independently from the component planes, row padding and
// everything past the buffer untouched.
TEST(FusedKernels, WholePicturesMatchTheComponentPlanes) {
    for (const KernelCase &c : kKernelCases) {
        for (const int direction : {1, -1}) {
            OutputRecord record;
            record.SetFrame(FactorsOf(c.Sampling, c.Components), 37, 21);
            const rastrum::FusedShape shape = rastrum::ShapeOfFused(c.Kind);
            record.SetPixels(37, 21 * direction, shape.BytesPerPixel, COLOUR_OTHER, 3);
            record.Table.McuOutput = c.Routine;
            SampledPicture picture;
            picture.Make(record, static_cast<uint32_t>(c.Kind) + 100);
            for (const int32_t result : picture.Decode(record)) {
                ASSERT_EQ(result, 0);
            }
            for (int y = 0; y < 21; ++y) {
                for (int x = 0; x < 37; ++x) {
                    std::array<int, 4> samples{};
                    for (int k = 0; k < c.Components; ++k) {
                        samples[k] = picture.Sample(record, k, x, y);
                    }
                    const std::vector<int> expected = FusedPixel(c.Kind, samples, x);
                    for (int b = 0; b < shape.BytesPerPixel; ++b) {
                        ASSERT_EQ(record.At(x, y, b), expected[b])
                            << static_cast<int>(c.Kind) << " direction " << direction << " at " << x
                            << "," << y << " byte " << b;
                    }
                }
                for (int pad = 0; pad < 3; ++pad) {
                    ASSERT_EQ(record.At(37, y, pad), kUntouched) << "padding of row " << y;
                }
            }
        }
    }
}

// ---- The general path ------------------------------------------------------------------------

// PlaceOut places exactly what the copy kernels store: the same bytes for the same picture.
TEST(GeneralPath, PlacementMatchesTheCopyRoutines) {
    const struct {
        McuOutputRoutine Fused;
        const char *Sampling;
    } cases[] = {{rastrum::Copy444Out, "444"}, {rastrum::Copy422Out, "422"}, {rastrum::Copy420Out, "420"}};
    for (const auto &c : cases) {
        std::vector<uint8_t> outputs[2];
        for (int pass = 0; pass < 2; ++pass) {
            OutputRecord record;
            record.State.JpegColour = COLOUR_RGB;
            record.SetFrame(FactorsOf(c.Sampling, 3), 29, 23);
            record.SetPixels(29, 23, 3, COLOUR_RGB, 2);
            record.Table.McuOutput = pass == 0 ? c.Fused : rastrum::PlaceOut;
            SampledPicture picture;
            picture.Make(record, 5);
            picture.Decode(record);
            outputs[pass] = record.Pixels;
        }
        EXPECT_EQ(outputs[0], outputs[1]) << c.Sampling;
    }
}

// GeneralOut over samplings without a fused routine, with the general rounding; a region and
// bottom-up rows included.  Only the caller's pixels are written.
TEST(GeneralPath, ConvertsAnySamplingInsideTheBuffer) {
    const struct {
        std::vector<std::pair<int, int>> Factors;
        int Channels, Colour, JpegColour;
        std::array<int, 4> Roi;
        int Direction;
    } cases[] = {
        {{{4, 1}, {1, 1}, {1, 1}}, 3, COLOUR_BGR, COLOUR_YCBCR, {0, 0, 0, 0}, 1},
        {{{1, 2}, {1, 1}, {1, 1}}, 3, COLOUR_RGB, COLOUR_YCBCR, {0, 0, 0, 0}, -1},
        {{{2, 2}, {1, 2}, {2, 1}}, 3, COLOUR_BGR, COLOUR_YCBCR, {3, 5, 40, 30}, 1},
        {{{2, 2}, {1, 1}, {1, 1}}, 4, COLOUR_RGB_PLUS, COLOUR_YCBCR, {7, 0, 33, 45}, -1},
        {{{2, 2}, {1, 1}, {1, 1}, {1, 1}}, 4, COLOUR_RGB_PLUS, COLOUR_YCBCR_PLUS, {0, 0, 0, 0}, 1},
    };
    for (const auto &c : cases) {
        OutputRecord record;
        record.State.JpegColour = c.JpegColour;
        record.SetFrame(c.Factors, 45, 45);
        const bool region = c.Roi[2] != 0;
        const int width = region ? c.Roi[2] - c.Roi[0] : 45;
        const int height = region ? c.Roi[3] - c.Roi[1] : 45;
        record.SetPixels(width, height * c.Direction, c.Channels, c.Colour, 1);
        for (int i = 0; i < 4; ++i) {
            record.State.Roi[i] = c.Roi[i];
        }
        record.Table.McuOutput = rastrum::GeneralOut;
        SampledPicture picture;
        picture.Make(record, 9);
        picture.Decode(record);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int px = x + c.Roi[0];
                const int py = y + c.Roi[1];
                const Triple t = GeneralTriple(picture.Sample(record, 0, px, py),
                                               picture.Sample(record, 1, px, py),
                                               picture.Sample(record, 2, px, py));
                std::vector<int> expected;
                if (c.Colour == COLOUR_BGR) {
                    expected = {t.Blue, t.Green, t.Red};
                } else if (c.JpegColour == COLOUR_YCBCR_PLUS) {
                    expected = {255 - t.Red, 255 - t.Green, 255 - t.Blue, picture.Sample(record, 3, px, py)};
                } else if (c.Channels == 4) {
                    expected = {t.Red, t.Green, t.Blue, 255};
                } else {
                    expected = {t.Red, t.Green, t.Blue};
                }
                for (int b = 0; b < c.Channels; ++b) {
                    ASSERT_EQ(record.At(x, y, b), expected[b]) << x << "," << y << " byte " << b;
                }
            }
            ASSERT_EQ(record.At(width, y, 0), kUntouched) << "padding of row " << y;
        }
    }
}

// A reduced-size read: blocks of n x n samples (8 apart) placed with replication, and with the
// uniform flag a single-block component taken one sample per pixel.
TEST(GeneralPath, ReducedSizeBlocksAndTheUniformFlag) {
    for (const int uniform : {0, 1}) {
        OutputRecord record;
        record.State.JpegColour = COLOUR_RGB;
        record.SetFrame(k420, 32, 32);
        record.SetPixels(8, 8, 3, COLOUR_RGB);
        // Luma blocks hold 2 x 2 samples; chroma 2 x 2 (replicated) or 4 x 4 (uniform).
        for (int b = 0; b < 6; ++b) {
            for (int r = 0; r < 8; ++r) {
                for (int c = 0; c < 8; ++c) {
                    record.Block(b)[8 * r + c] = static_cast<int16_t>(b * 40 + r * 4 + c);
                }
            }
        }
        ASSERT_EQ(rastrum::GeneralOutput(record.State, &record.Scan, 1, 0, 2, uniform), 0);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int lumaBlock = (y / 2) * 2 + x / 2;
                EXPECT_EQ(record.At(4 + x, y, 0), lumaBlock * 40 + (y % 2) * 4 + x % 2);
                const int cy = uniform ? y : y / 2;
                const int cx = uniform ? x : x / 2;
                EXPECT_EQ(record.At(4 + x, y, 1), 4 * 40 + cy * 4 + cx) << uniform;
                EXPECT_EQ(record.At(4 + x, y, 2), 5 * 40 + cy * 4 + cx) << uniform;
            }
        }
        EXPECT_EQ(record.At(0, 0, 0), kUntouched);
        EXPECT_EQ(record.At(4, 4, 0), kUntouched);
    }
}

// Separate scans of a sequential image: each scan places only its component (with its own
// block-sized MCU), and packed 2-byte pixels take the 4:2:2 packing once all three are placed.
TEST(GeneralPath, SeparateScansBuildThePicture) {
    for (const bool packed : {false, true}) {
        OutputRecord record;
        record.SetFrame(k422, 21, 9);
        record.State.NonInterleaved = 1;
        record.SetPixels(21, 9, packed ? 2 : 3, packed ? COLOUR_YCBCR : COLOUR_OTHER);
        rastrum::ChooseMcuOutput(record.State);
        ASSERT_EQ(record.Table.McuOutput, packed ? rastrum::PackScanOut : rastrum::PlaceOut);
        SampledPicture picture;
        picture.Make(record, 21);
        for (int k = 0; k < 3; ++k) {
            record.SetSingleScan(k);
            const int h = record.Components[k].HSampling;
            const int columns = (21 * h + 15) / 16;
            for (int row = 0; row < 2; ++row) {
                for (int column = 0; column < columns; ++column) {
                    for (int r = 0; r < 8; ++r) {
                        for (int c = 0; c < 8; ++c) {
                            record.Block(0)[8 * r + c] =
                                picture.Planes[k][static_cast<size_t>(8 * row + r) * picture.Widths[k] +
                                                  column * 8 + c];
                        }
                    }
                    ASSERT_EQ(record.Table.McuOutput(record.State, column, row), 0);
                }
            }
        }
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 21; ++x) {
                if (packed) {
                    ASSERT_EQ(record.At(x, y, 0), picture.Sample(record, 0, x, y));
                    ASSERT_EQ(record.At(x, y, 1), picture.Sample(record, x % 2 == 0 ? 1 : 2, x, y))
                        << x << "," << y;
                } else {
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_EQ(record.At(x, y, k), picture.Sample(record, k, x, y)) << x << "," << y;
                    }
                }
            }
        }
    }
}

// Combinations whose pixels are narrower than a routine's (YCbCr pixels of one byte, packed rows)
// never reach past the caller's rows.
TEST(GeneralPath, NarrowPixelsStayInsideTheRows) {
    const struct {
        int NonInterleaved, Channels, Subsampling;
    } cases[] = {{1, 1, 0}, {0, 1, 0}, {0, 3, 2}, {1, 3, 2}};
    for (const auto &c : cases) {
        OutputRecord record;
        record.SetFrame(k422, 19, 10);
        record.State.NonInterleaved = c.NonInterleaved;
        record.SetPixels(19, 10, c.Channels, COLOUR_YCBCR);
        if (c.Subsampling == 2) {
            // Packed rows: 2 bytes per pixel whatever the channel count.
            record.State.PixelSubsampling = 2;
            record.State.PixelRowStride = 19 * 2;
            record.Pixels.assign(19 * 2 * 10, kUntouched);
            record.State.PixelBuffer = record.Pixels.data();
        }
        rastrum::ChooseMcuOutput(record.State);
        ASSERT_NE(record.Table.McuOutput, nullptr);
        SampledPicture picture;
        picture.Make(record, 4);
        for (int k = 0; k < (c.NonInterleaved ? 3 : 1); ++k) {
            if (c.NonInterleaved) {
                record.SetSingleScan(k);
            }
            for (int row = 0; row < 2; ++row) {
                for (int column = 0; column < 4; ++column) {
                    picture.LoadMcu(record, column % 2, row);
                    record.Table.McuOutput(record.State, column, row);
                }
            }
        }
        EXPECT_EQ(record.Pixels[0], picture.Sample(record, 0, 0, 0));
    }
}

} // namespace
