// The parameter check: every rule with its code, the order in which rules decide, and the colour
// pairings accepted for reading and for writing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "parameter_check.h"
#include "rastrum.h"

namespace {

uint8_t gPixels[64];
uint8_t gJpeg[64];

// A record that passes the check for a whole-image read (mode 2 or 3): 16 x 16 BGR pixels, a
// file name and a memory buffer, the YCbCr defaults of CodecInit for the coded data.
CodecProperties ValidRecord() {
    CodecProperties record{};
    EXPECT_EQ(CodecInit(&record), CODEC_SUCCESS);
    record.PixelBuffer = gPixels;
    record.PixelWidth = 16;
    record.PixelHeight = 16;
    record.JpegFileName = "picture.jpg";
    record.JpegBuffer = gJpeg;
    record.JpegBufferSize = sizeof gJpeg;
    record.JpegWidth = 16;
    record.JpegHeight = 16;
    return record;
}

struct CheckCase {
    std::string Name;
    int32_t Mode;
    bool Writing;
    std::function<void(CodecProperties &)> Change;
    CodecError Expected;
};

void RunCases(const std::vector<CheckCase> &cases) {
    for (const CheckCase &c : cases) {
        CodecProperties record = ValidRecord();
        if (c.Change) {
            c.Change(record);
        }
        EXPECT_EQ(rastrum::CheckParameters(record, c.Mode, c.Writing), c.Expected) << c.Name;
        CodecFree(&record);
    }
}

RawPlanes gPlanes{};

TEST(ParameterCheck, RulesInOrder) {
    RunCases({
        {"valid file read", 2, false, nullptr, 0},
        {"valid memory read", 3, false, nullptr, 0},
        // Rule 1: the mode.
        {"mode 22", 22, false, nullptr, -8},
        {"mode -1", -1, false, nullptr, -8},
        {"write mode in a read", 9, false, nullptr, -8},
        {"read mode in a write", 3, true, nullptr, -8},
        // Rule 2: the pixel buffer, only in the modes that use it.
        {"null pixels", 2, false, [](CodecProperties &r) { r.PixelBuffer = nullptr; }, -8},
        {"null pixels, half size from a file", 14, false,
         [](CodecProperties &r) { r.PixelBuffer = nullptr; }, -8},
        {"null pixels, half size from memory", 15, false,
         [](CodecProperties &r) { r.PixelBuffer = nullptr; }, -8},
        {"null pixels, header read", 0, false, [](CodecProperties &r) { r.PixelBuffer = nullptr; },
         0},
        {"null pixels, tables read", 5, false, [](CodecProperties &r) { r.PixelBuffer = nullptr; },
         0},
        {"null pixels with raw planes", 3, false,
         [](CodecProperties &r) {
             r.PixelBuffer = nullptr;
             r.CodecState.RawPlanes = &gPlanes;
         },
         0},
        {"width 70000", 3, false, [](CodecProperties &r) { r.PixelWidth = 70000; }, -8},
        {"width 0", 3, false, [](CodecProperties &r) { r.PixelWidth = 0; }, -8},
        {"width 65535", 3, false, [](CodecProperties &r) { r.PixelWidth = 65535; }, 0},
        {"height -65535", 3, false, [](CodecProperties &r) { r.PixelHeight = -65535; }, 0},
        {"height -65536", 3, false, [](CodecProperties &r) { r.PixelHeight = -65536; }, -8},
        {"height 65536", 3, false, [](CodecProperties &r) { r.PixelHeight = 65536; }, -8},
        {"thumbnail into YCbCr", 21, false,
         [](CodecProperties &r) { r.PixelColour = COLOUR_YCBCR; }, -27},
        {"thumbnail into RGB", 20, false, [](CodecProperties &r) { r.PixelColour = COLOUR_RGB; },
         0},
        {"thumbnail colour decides before the padding", 21, false,
         [](CodecProperties &r) {
             r.PixelColour = COLOUR_GREY;
             r.PixelRowPadding = -1;
         },
         -27},
        {"thumbnail buffer decides before the colour", 21, false,
         [](CodecProperties &r) {
             r.PixelColour = COLOUR_GREY;
             r.PixelBuffer = nullptr;
         },
         -8},
        {"negative padding", 3, false, [](CodecProperties &r) { r.PixelRowPadding = -1; }, -8},
        {"no channels", 3, false, [](CodecProperties &r) { r.PixelChannels = 0; }, -8},
        {"256 channels", 3, false, [](CodecProperties &r) { r.PixelChannels = 256; }, -8},
        {"packed 4:2:2 YCbCr", 3, false,
         [](CodecProperties &r) {
             r.PixelColour = COLOUR_YCBCR;
             r.PixelSubsampling = 2;
         },
         0},
        {"packed 4:2:2 BGR", 3, false, [](CodecProperties &r) { r.PixelSubsampling = 2; }, -3},
        {"pixel subsampling 1", 3, false, [](CodecProperties &r) { r.PixelSubsampling = 1; }, -3},
        {"pixel subsampling decides before the file name", 2, false,
         [](CodecProperties &r) {
             r.PixelSubsampling = 1;
             r.JpegFileName = nullptr;
         },
         -3},
        // Rule 3: the source.
        {"no file name", 0, false, [](CodecProperties &r) { r.JpegFileName = nullptr; }, -8},
        {"memory mode ignores the file name", 1, false,
         [](CodecProperties &r) { r.JpegFileName = nullptr; }, 0},
        {"no memory buffer", 1, false, [](CodecProperties &r) { r.JpegBuffer = nullptr; }, -8},
        {"empty memory buffer", 3, false, [](CodecProperties &r) { r.JpegBufferSize = 0; }, -8},
        {"negative memory size", 3, false, [](CodecProperties &r) { r.JpegBufferSize = -5; }, -8},
        {"file mode ignores the memory buffer", 2, false,
         [](CodecProperties &r) { r.JpegBuffer = nullptr; }, 0},
        // Rule 4: the component count.
        {"no components", 3, false, [](CodecProperties &r) { r.JpegChannels = 0; }, -8},
        {"257 components", 3, false, [](CodecProperties &r) { r.JpegChannels = 257; }, -8},
        {"256 components of another layout", 3, false,
         [](CodecProperties &r) {
             r.JpegChannels = 256;
             r.JpegColour = COLOUR_OTHER;
             r.PixelColour = COLOUR_OTHER;
         },
         0},
        // Rule 7: the transform family and the upsampling mode.
        {"DCT method 2", 3, false, [](CodecProperties &r) { r.CodecState.DctMethod = 2; }, -8},
        {"DCT method 0", 3, false, [](CodecProperties &r) { r.CodecState.DctMethod = 0; }, 0},
        {"smoothing with raw planes", 3, false,
         [](CodecProperties &r) {
             r.CodecState.UpsamplingMode = 1;
             r.CodecState.RawPlanes = &gPlanes;
         },
         -8},
        {"smoothing alone", 3, false, [](CodecProperties &r) { r.CodecState.UpsamplingMode = 1; },
         0},
    });
}

TEST(ParameterCheck, WriteRules) {
    RunCases({
        {"valid write to a file", 8, true, nullptr, 0},
        {"valid entropy write to memory", 13, true, nullptr, 0},
        {"width 0", 9, true, [](CodecProperties &r) { r.JpegWidth = 0; }, -8},
        {"height 65536", 12, true, [](CodecProperties &r) { r.JpegHeight = 65536; }, -8},
        {"tables write needs no size", 11, true, [](CodecProperties &r) { r.JpegWidth = 0; }, 0},
        {"more coded than pixel channels", 9, true,
         [](CodecProperties &r) {
             r.PixelColour = r.JpegColour = COLOUR_OTHER;
             r.PixelChannels = 2;
         },
         -8},
        {"grey pixels may feed three YCbCr components", 9, true,
         [](CodecProperties &r) {
             r.PixelColour = COLOUR_GREY;
             r.PixelChannels = 1;
         },
         0},
        {"three channels with subsampling 3", 9, true,
         [](CodecProperties &r) { r.JpegSubsampling = SUBSAMPLING_4200; }, -3},
        {"three channels with subsampling 2", 9, true,
         [](CodecProperties &r) { r.JpegSubsampling = SUBSAMPLING_422; }, 0},
        {"one channel with subsampling 1", 9, true,
         [](CodecProperties &r) {
             r.PixelColour = COLOUR_GREY;
             r.PixelChannels = 1;
             r.JpegColour = COLOUR_GREY;
             r.JpegChannels = 1;
         },
         -3},
        {"four channels with subsampling 4", 9, true,
         [](CodecProperties &r) {
             r.PixelColour = r.JpegColour = COLOUR_RGB_PLUS;
             r.PixelChannels = r.JpegChannels = 4;
             r.JpegSubsampling = SUBSAMPLING_4220;
         },
         0},
        {"four channels with subsampling 1", 9, true,
         [](CodecProperties &r) {
             r.PixelColour = r.JpegColour = COLOUR_RGB_PLUS;
             r.PixelChannels = r.JpegChannels = 4;
         },
         -3},
        {"tables write checks the subsampling too", 10, true,
         [](CodecProperties &r) { r.JpegSubsampling = SUBSAMPLING_4220; }, -3},
        {"write subsampling decides before the colour pair", 9, true,
         [](CodecProperties &r) {
             r.JpegSubsampling = SUBSAMPLING_4200;
             r.JpegColour = COLOUR_RGB_PLUS;
         },
         -3},
    });
}

struct PairCase {
    int32_t JpegColour;
    int32_t JpegChannels;
    int32_t PixelColour;
    int32_t PixelChannels;
    bool Accepted;
};

CodecError CheckPair(const PairCase &c, int32_t mode, bool writing) {
    CodecProperties record = ValidRecord();
    record.JpegColour = c.JpegColour;
    record.JpegChannels = c.JpegChannels;
    record.PixelColour = c.PixelColour;
    record.PixelChannels = c.PixelChannels;
    record.JpegSubsampling = SUBSAMPLING_444;
    const CodecError result = rastrum::CheckParameters(record, mode, writing);
    CodecFree(&record);
    return result;
}

TEST(ParameterCheck, ColourPairsForReading) {
    const PairCase cases[] = {
        {COLOUR_GREY, 1, COLOUR_BGR, 3, true},
        {COLOUR_GREY, 1, COLOUR_GREY, 1, true},
        {COLOUR_GREY, 1, COLOUR_RGB_PLUS, 4, true},
        {COLOUR_GREY, 1, COLOUR_YCBCR, 1, false},
        {COLOUR_GREY, 1, COLOUR_BGR, 4, false},
        {COLOUR_GREY, 3, COLOUR_BGR, 3, false},
        {COLOUR_RGB, 3, COLOUR_RGB, 3, true},
        {COLOUR_RGB, 3, COLOUR_GREY, 1, false},
        {COLOUR_RGB, 3, COLOUR_YCBCR, 3, false},
        {COLOUR_YCBCR, 3, COLOUR_GREY, 1, true},
        {COLOUR_YCBCR, 3, COLOUR_RGB_PLUS, 4, true},
        {COLOUR_YCBCR, 3, COLOUR_YCBCR, 2, true},
        {COLOUR_YCBCR, 3, COLOUR_YCBCR, 7, true},
        {COLOUR_YCBCR, 1, COLOUR_BGR, 3, false},
        {COLOUR_RGB_PLUS, 4, COLOUR_RGB_PLUS, 4, true},
        {COLOUR_RGB_PLUS, 4, COLOUR_BGR, 3, false},
        {COLOUR_YCBCR_PLUS, 4, COLOUR_RGB_PLUS, 4, true},
        {COLOUR_YCBCR_PLUS, 4, COLOUR_YCBCR, 4, false},
        {COLOUR_OTHER, 7, COLOUR_OTHER, 2, true},
        {COLOUR_OTHER, 3, COLOUR_BGR, 3, false},
        {COLOUR_BGR, 3, COLOUR_BGR, 3, false},
    };
    for (const PairCase &c : cases) {
        EXPECT_EQ(CheckPair(c, IO_READ_IMAGE_MEMORY, false), c.Accepted ? 0 : -8)
            << "coded " << c.JpegColour << "/" << c.JpegChannels << " into " << c.PixelColour << "/"
            << c.PixelChannels;
    }
}

TEST(ParameterCheck, ColourPairsForWriting) {
    const PairCase cases[] = {
        {COLOUR_GREY, 1, COLOUR_GREY, 1, true},
        {COLOUR_YCBCR, 3, COLOUR_GREY, 1, true},
        {COLOUR_RGB, 3, COLOUR_GREY, 1, false},
        {COLOUR_GREY, 1, COLOUR_RGB, 3, true},
        {COLOUR_RGB, 3, COLOUR_RGB, 3, true},
        {COLOUR_YCBCR, 3, COLOUR_RGB, 3, true},
        {COLOUR_YCBCR, 3, COLOUR_RGB, 4, true},
        {COLOUR_RGB, 3, COLOUR_RGB, 4, false},
        {COLOUR_GREY, 1, COLOUR_BGR, 3, true},
        {COLOUR_RGB, 3, COLOUR_BGR, 3, true},
        {COLOUR_YCBCR, 3, COLOUR_BGR, 3, true},
        {COLOUR_YCBCR, 3, COLOUR_BGR, 4, false},
        {COLOUR_YCBCR, 3, COLOUR_YCBCR, 3, true},
        {COLOUR_GREY, 1, COLOUR_YCBCR, 3, false},
        {COLOUR_RGB_PLUS, 4, COLOUR_RGB_PLUS, 4, true},
        {COLOUR_YCBCR_PLUS, 4, COLOUR_RGB_PLUS, 4, true},
        {COLOUR_YCBCR, 3, COLOUR_RGB_PLUS, 4, false},
        {COLOUR_OTHER, 3, COLOUR_OTHER, 3, true},
        {COLOUR_OTHER, 2, COLOUR_OTHER, 3, true},
        {COLOUR_OTHER, 4, COLOUR_OTHER, 3, false},
        {COLOUR_YCBCR, 3, COLOUR_OTHER, 3, false},
    };
    // Mode 11 (tables only) reaches the pairing without the image-size rules.
    for (const PairCase &c : cases) {
        EXPECT_EQ(CheckPair(c, IO_WRITE_TABLES_MEMORY, true), c.Accepted ? 0 : -8)
            << "pixels " << c.PixelColour << "/" << c.PixelChannels << " into " << c.JpegColour
            << "/" << c.JpegChannels;
    }
}

TEST(ParameterCheck, ExportsRunTheCheckUnlessTheInnerRecordIsUsed) {
    CodecProperties record{};
    ASSERT_EQ(CodecInit(&record), CODEC_SUCCESS);
    // Straight after CodecInit no file name is set.
    EXPECT_EQ(CodecRead(&record, IO_READ_PARAMETERS_FILE), -8);
    EXPECT_EQ(record.CodecState.IoMode, IO_READ_PARAMETERS_FILE);
    EXPECT_EQ(CodecRead(&record, 22), -8);
    EXPECT_EQ(CodecRead(&record, IO_WRITE_IMAGE_MEMORY), -8);
    // With the inner record the caller's fields are trusted, but the direction still counts.
    record.UseInnerRecord = 1;
    EXPECT_EQ(CodecRead(&record, IO_WRITE_IMAGE_MEMORY), -8);
    EXPECT_EQ(CodecRead(&record, -1), -8);
    EXPECT_EQ(CodecFree(&record), CODEC_SUCCESS);
}

} // namespace
