// Progressive block decoding on hand-built bit streams: DC first and refining passes, AC first
// passes with zero runs and end-of-band runs that span blocks, and AC refinement with its
// correction bits.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "codec/entropy_stream_builder.h"
#include "entropy_decoder.h"

using namespace entropy_test;

namespace {

using Block = std::array<int16_t, 64>;

int Natural(int zigzag) {
    return rastrum::kZigZagToNatural[zigzag];
}

// An AC table of progressive symbols: end-of-band runs r/0, zero runs, and r/s for small s.
TestTable ProgressiveAcTable() {
    std::vector<uint8_t> symbols;
    for (int r = 0; r < 15; ++r) {
        symbols.push_back(static_cast<uint8_t>(r << 4)); // EOBr
    }
    symbols.push_back(0xF0);
    for (int r = 0; r < 16; ++r) {
        for (int s = 1; s <= 3; ++s) {
            symbols.push_back(static_cast<uint8_t>((r << 4) | s));
        }
    }
    // 64 symbols: 4 codes of 5 bits, then 60 of 7 bits.
    return MakeTable({0, 0, 0, 0, 4, 0, 60}, symbols, 1);
}

ScanHeader Band(int ss, int se, int ah, int al) {
    ScanHeader scan{};
    scan.SpectralStart = ss;
    scan.SpectralEnd = se;
    scan.ApproxHigh = ah;
    scan.ApproxLow = al;
    return scan;
}

} // namespace

TEST(ProgressiveBlocks, DcFirstShiftsThePredictionAndRefineAddsItsBit) {
    const TestTable dc = LuminanceDc();
    BitWriter writer;
    writer.Coefficient(dc, 0, -3); // first pass, Al 2: predictor 10 - 3 = 7, stored 28
    writer.Coefficient(dc, 0, 5);  // next block: 12, stored 48
    writer.PutString("1"
                     "0"); // refinement bits at Al 1 for both blocks
    writer.Pad();
    CodecStream stream = MemoryStream(writer.Bytes());
    const ScanHeader first = Band(0, 0, 0, 2);
    const ScanHeader refine = Band(0, 0, 2, 1);
    int32_t predictor = 10;
    Block a{};
    Block b{};
    ASSERT_EQ(rastrum::DecodeDcFirst(stream, first, dc.Decode, &predictor, a.data()), 0);
    EXPECT_EQ(a[0], 28);
    ASSERT_EQ(rastrum::DecodeDcFirst(stream, first, dc.Decode, &predictor, b.data()), 0);
    EXPECT_EQ(b[0], 48);
    EXPECT_EQ(predictor, 12);
    ASSERT_EQ(rastrum::DecodeDcRefine(stream, refine, a.data()), 0);
    ASSERT_EQ(rastrum::DecodeDcRefine(stream, refine, b.data()), 0);
    EXPECT_EQ(a[0], 30);
    EXPECT_EQ(b[0], 48);
}

TEST(ProgressiveBlocks, AcFirstPassEndOfBandRunLeavesLaterBandsUntouched) {
    const TestTable ac = ProgressiveAcTable();
    BitWriter writer;
    // Block 0: 3 at k 1, a zero run over k 2..17, -1 at k 19, then EOB2 with bits 01: a run of
    // 5 blocks.
    writer.Coefficient(ac, 0, 3);
    writer.Symbol(ac, 0xF0);
    writer.Coefficient(ac, 1, -1);
    writer.Symbol(ac, 0x20);
    writer.PutString("01");
    // Block 5: 2 at k 3, then EOB (a run of one block).
    writer.Coefficient(ac, 2, 2);
    writer.Symbol(ac, 0x00);
    writer.Pad();
    CodecStream stream = MemoryStream(writer.Bytes());
    const ScanHeader scan = Band(1, 63, 0, 1);
    std::vector<Block> blocks(6);
    for (Block &block : blocks) {
        block.fill(0);
        block[0] = 55; // the DC of an earlier scan
    }
    const int32_t expectedRun[] = {4, 3, 2, 1, 0, 0};
    for (size_t i = 0; i < blocks.size(); ++i) {
        ASSERT_EQ(rastrum::DecodeAcFirst(stream, scan, ac.Decode, blocks[i].data()), 0);
        EXPECT_EQ(stream.EobRun, expectedRun[i]) << i;
    }
    Block expected{};
    expected[0] = 55;
    expected[Natural(1)] = 6;
    expected[Natural(19)] = -2;
    EXPECT_EQ(blocks[0], expected);
    Block untouched{};
    untouched[0] = 55;
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(blocks[i], untouched) << i;
    }
    Block last = untouched;
    last[Natural(3)] = 4;
    EXPECT_EQ(blocks[5], last);
}

TEST(ProgressiveBlocks, AcRefinementCorrectsNonZeroCoefficientsAndPlacesNewOnes) {
    const TestTable ac = ProgressiveAcTable();
    BitWriter writer;
    // Block 0: new +1 after one zero (run 1), passing k 1 (bit 1) and k 3 (bit 0); then EOB,
    // and the rest of the band corrects k 10 (bit 1).
    writer.Symbol(ac, 0x11);
    writer.PutString("1"
                     "1"
                     "0");
    writer.Symbol(ac, 0x00);
    writer.PutString("1");
    // Blocks 1 and 2: EOB1 with bit 0, a run of two blocks: only the correction bits of their
    // non-zero coefficients (k 1, k 3, k 10) follow.
    writer.Symbol(ac, 0x10);
    writer.PutString("0");
    writer.PutString("1"
                     "1"
                     "0");
    writer.PutString("0"
                     "1"
                     "1");
    writer.Pad();
    CodecStream stream = MemoryStream(writer.Bytes());
    const ScanHeader scan = Band(1, 63, 1, 0);
    Block start{};
    start[Natural(1)] = 4;
    start[Natural(3)] = -2;
    start[Natural(10)] = 6;
    std::vector<Block> blocks(3, start);

    ASSERT_EQ(rastrum::DecodeAcRefine(stream, scan, ac.Decode, blocks[0].data()), 0);
    Block expected = start;
    expected[Natural(1)] = 5;
    expected[Natural(4)] = 1;
    expected[Natural(10)] = 7;
    EXPECT_EQ(blocks[0], expected);
    EXPECT_EQ(stream.EobRun, 0);

    ASSERT_EQ(rastrum::DecodeAcRefine(stream, scan, ac.Decode, blocks[1].data()), 0);
    EXPECT_EQ(stream.EobRun, 1);
    ASSERT_EQ(rastrum::DecodeAcRefine(stream, scan, ac.Decode, blocks[2].data()), 0);
    EXPECT_EQ(stream.EobRun, 0);
    expected = start;
    expected[Natural(1)] = 5;
    expected[Natural(3)] = -3;
    EXPECT_EQ(blocks[1], expected);
    expected = start;
    expected[Natural(3)] = -3;
    expected[Natural(10)] = 7;
    EXPECT_EQ(blocks[2], expected);
}

TEST(ProgressiveBlocks, BandsEndWhereTheScanSaysAndAtCoefficient63) {
    const TestTable ac = ProgressiveAcTable();
    BitWriter writer;
    writer.Coefficient(ac, 0, 1); // k 6
    writer.Coefficient(ac, 3, 2); // k 10: the band 6..10 is complete without EOB
    writer.Coefficient(ac, 0, 3); // next block, band end past 63 held to 63: k 6
    writer.Symbol(ac, 0x00);
    writer.Pad();
    CodecStream stream = MemoryStream(writer.Bytes());
    Block a{};
    Block b{};
    ASSERT_EQ(rastrum::DecodeAcFirst(stream, Band(6, 10, 0, 0), ac.Decode, a.data()), 0);
    Block expected{};
    expected[Natural(6)] = 1;
    expected[Natural(10)] = 2;
    EXPECT_EQ(a, expected);
    ASSERT_EQ(rastrum::DecodeAcFirst(stream, Band(6, 200, 0, 0), ac.Decode, b.data()), 0);
    expected = {};
    expected[Natural(6)] = 3;
    EXPECT_EQ(b, expected);
    EXPECT_EQ(stream.EobRun, 0);
}
