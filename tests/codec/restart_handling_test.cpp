// Restart boundaries: predictions start again from 0 after every interval, any RSTn marker ends
// an interval, no marker is expected after the scan's last position, and a missing marker is an
// error of the marker search.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "codec/entropy_stream_builder.h"
#include "entropy_decoder.h"

using namespace entropy_test;

namespace {

using Block = std::array<int16_t, 64>;

// Six one-block MCUs on a 3 x 2 grid with a restart interval of `interval`; the DC values are
// coded as differences from the prediction, which restarts at 0 after every interval.  The
// marker after interval m is RST(m mod 8), or RST0 every time.
std::vector<uint8_t> RestartStream(const std::vector<int32_t> &dc, int32_t interval, bool allRst0) {
    const TestTable dcTable = LuminanceDc();
    const TestTable acTable = LuminanceAc();
    BitWriter writer;
    int32_t predictor = 0;
    for (size_t i = 0; i < dc.size(); ++i) {
        writer.Coefficient(dcTable, 0, dc[i] - predictor);
        predictor = dc[i];
        writer.Coefficient(acTable, 0, static_cast<int32_t>(i) + 1);
        writer.Symbol(acTable, 0x00);
        const size_t done = i + 1;
        if (done % interval == 0 && done < dc.size()) {
            const size_t marker = done / interval - 1;
            writer.Marker(static_cast<uint8_t>(0xD0 + (allRst0 ? 0 : marker % 8)));
            predictor = 0;
        }
    }
    writer.Marker(0xD9);
    return writer.Bytes();
}

struct Decoded {
    std::vector<Block> Blocks;
    int32_t Result = 0;
    int32_t BytesTaken = 0;
    uint8_t PendingMarker = 0;
    bool EndOfImageNext = false; // EOI met by the reader or still the next bytes
};

Decoded DecodeGrid(std::vector<uint8_t> bytes, int32_t interval) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    CodecStream stream = MemoryStream(bytes);
    ScanHeader scan{};
    scan.ScanRestartInterval = interval;
    Decoded decoded;
    for (int32_t row = 0; row < 2 && decoded.Result == 0; ++row) {
        for (int32_t column = 0; column < 3; ++column) {
            Block block{};
            if ((decoded.Result = rastrum::DecodeBlockPlain(
                     stream, dc.Decode, ac.Decode, &scan.DcPredictor[0], block.data())) != 0) {
                break;
            }
            decoded.Blocks.push_back(block);
            if ((decoded.Result = rastrum::HandleRestart(stream, scan, 3, 2, column, row)) != 0) {
                break;
            }
        }
    }
    decoded.BytesTaken = stream.StreamByteCount;
    decoded.PendingMarker = stream.PendingMarker;
    decoded.EndOfImageNext =
        stream.PendingMarker == 0xD9 ||
        (stream.PendingMarker == 0 && stream.StreamBytesLeft == 2 && stream.StreamPos[1] == 0xD9);
    return decoded;
}

} // namespace

TEST(RestartHandling, PredictionsRestartAndAnyRstMarkerEndsTheInterval) {
    const std::vector<int32_t> dc = {40, -17, 300, 300, 5, -600};
    for (int32_t interval : {1, 2, 4}) {
        const Decoded numbered = DecodeGrid(RestartStream(dc, interval, false), interval);
        const Decoded allRst0 = DecodeGrid(RestartStream(dc, interval, true), interval);
        ASSERT_EQ(numbered.Result, 0) << interval;
        ASSERT_EQ(numbered.Blocks.size(), dc.size());
        for (size_t i = 0; i < dc.size(); ++i) {
            EXPECT_EQ(numbered.Blocks[i][0], dc[i]) << interval << " " << i;
            EXPECT_EQ(numbered.Blocks[i][1], static_cast<int16_t>(i + 1)) << interval << " " << i;
        }
        EXPECT_EQ(allRst0.Result, 0);
        EXPECT_EQ(allRst0.Blocks, numbered.Blocks) << interval;
        EXPECT_EQ(allRst0.BytesTaken, numbered.BytesTaken);
        // After the last position no marker is consumed: the end of image stays for the
        // marker loop.
        EXPECT_TRUE(numbered.EndOfImageNext) << interval;
    }
}

TEST(RestartHandling, WithoutAnIntervalNothingIsConsumed) {
    std::vector<uint8_t> bytes = {0x12, 0x34, 0xFF, 0xD0, 0x56};
    CodecStream stream = MemoryStream(bytes);
    stream.BitCount = 5;
    ScanHeader scan{};
    scan.DcPredictor[0] = 9;
    EXPECT_EQ(rastrum::HandleRestart(stream, scan, 3, 2, 0, 0), 0);
    EXPECT_EQ(scan.DcPredictor[0], 9);
    EXPECT_EQ(stream.BitCount, 5);
    EXPECT_EQ(stream.StreamByteCount, 0);
}

TEST(RestartHandling, SearchesForTheMarkerWhenTheReaderHasNotMetItYet) {
    // The reader holds no bits and has not reached the marker: the search skips the rest of the
    // interval's bytes and takes RST5.
    std::vector<uint8_t> bytes = {0x12, 0x34, 0xFF, 0xD5, 0x56};
    CodecStream stream = MemoryStream(bytes);
    ScanHeader scan{};
    scan.ScanRestartInterval = 2;
    for (int32_t &p : scan.DcPredictor) {
        p = 7;
    }
    EXPECT_EQ(rastrum::HandleRestart(stream, scan, 3, 2, 1, 0), 0);
    for (int32_t p : scan.DcPredictor) {
        EXPECT_EQ(p, 0);
    }
    EXPECT_EQ(stream.BitCount, 0);
    EXPECT_EQ(stream.StreamByteCount, 4);
    EXPECT_EQ(stream.PendingMarker, 0);

    // Memory input that ends before the expected marker: the search fails with -5.
    std::vector<uint8_t> cut = {0x12, 0x34};
    CodecStream ended = MemoryStream(cut);
    EXPECT_EQ(rastrum::HandleRestart(ended, scan, 3, 2, 1, 0), CODEC_MEMORY_ERROR);
}
