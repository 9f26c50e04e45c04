// Sequential block decoding on hand-built bit streams: DC differences and their prediction, AC
// runs, stuffed bytes, markers inside the data, exhausted input, and agreement of the fast block
// decoder with the stream-level bit reader on valid and damaged data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "codec/entropy_stream_builder.h"
#include "entropy_decoder.h"
#include "file_stream.h"
#include "support/jpeg_fixtures.h"

using namespace entropy_test;

namespace {

using Block = std::array<int16_t, 64>;

// The block decoding rules written with the stream-level operations (DecodeSymbol, FillBits,
// GetBits) only; the block decoders keep the reader in locals and must end every block in
// exactly the state this leaves.
int32_t ReferenceBlock(CodecStream &stream, const HuffmanTable &dc, const HuffmanTable &ac,
                       int32_t *predictor, int16_t *block, bool keep) {
    auto stop = [](int32_t result) { return result == rastrum::kMarkerStop ? 0 : result; };
    auto ensure = [&](int32_t n) {
        return stream.BitCount >= n ? 0 : rastrum::FillBits(stream, n);
    };
    auto extend = [](uint32_t bits, int32_t size) {
        const int32_t v = static_cast<int32_t>(bits);
        return v < (1 << (size - 1)) ? v - ((1 << size) - 1) : v;
    };
    if (keep) {
        std::fill(block, block + 64, int16_t{0});
    }
    int32_t symbol = 0;
    int32_t result = rastrum::DecodeSymbol(stream, dc, symbol);
    if (result != 0) {
        return stop(result);
    }
    int32_t difference = 0;
    const int32_t dcSize = symbol & 15;
    if (dcSize != 0) {
        if ((result = ensure(dcSize)) != 0) {
            return stop(result);
        }
        difference = extend(rastrum::GetBits(stream, dcSize), dcSize);
    }
    *predictor = static_cast<int16_t>(*predictor + difference);
    block[0] = static_cast<int16_t>(*predictor);
    for (int32_t k = 1; k <= 63;) {
        if ((result = rastrum::DecodeSymbol(stream, ac, symbol)) != 0) {
            return stop(result);
        }
        const int32_t run = symbol >> 4;
        const int32_t size = symbol & 15;
        if (size == 0) {
            if (run != 15) {
                break;
            }
            k += 16;
            continue;
        }
        k += run;
        if ((result = ensure(size)) != 0) {
            return stop(result);
        }
        const int32_t value = extend(rastrum::GetBits(stream, size), size);
        if (keep) {
            block[rastrum::kZigZagToNatural[k]] = static_cast<int16_t>(value);
        }
        ++k;
    }
    return 0;
}

// Writes a block of coefficients (natural order) with the given tables.
void WriteBlock(BitWriter &writer, const TestTable &dc, const TestTable &ac, const Block &block,
                int32_t &predictor) {
    const int32_t difference = block[0] - predictor;
    predictor = block[0];
    const int32_t size = SizeOf(difference);
    writer.Symbol(dc, size);
    writer.Put(ValueBits(difference, size), size);
    int32_t run = 0;
    for (int32_t k = 1; k < 64; ++k) {
        const int32_t value = block[rastrum::kZigZagToNatural[k]];
        if (value == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            writer.Symbol(ac, 0xF0);
            run -= 16;
        }
        writer.Coefficient(ac, run, value);
        run = 0;
    }
    if (run > 0) {
        writer.Symbol(ac, 0x00);
    }
}

struct Decoder {
    const char *Name;
    int32_t (*Routine)(CodecStream &, const HuffmanTable &, const HuffmanTable &, int32_t *,
                       int16_t *);
};

const Decoder kDecoders[] = {{"DecodeBlock", rastrum::DecodeBlockPlain},
                             {"SkipBlock", rastrum::SkipBlockPlain}};

} // namespace

TEST(BlockDecoder, DcDifferenceExtensionAndPrediction) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    // Category 3 with bits 010 is -5, category 3 with 110 is +6, category 0 is no change.
    BitWriter writer;
    writer.PutString("100"
                     "010"
                     "1010");
    writer.PutString("100"
                     "110"
                     "1010");
    writer.PutString("00"
                     "1010");
    writer.Pad();
    CodecStream stream = MemoryStream(writer.Bytes());
    int32_t predictor = 10;
    Block block;
    const int32_t expected[] = {5, 11, 11};
    for (int32_t value : expected) {
        ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()),
                  0);
        EXPECT_EQ(predictor, value);
        EXPECT_EQ(block[0], value);
        for (int i = 1; i < 64; ++i) {
            EXPECT_EQ(block[i], 0) << i;
        }
    }
}

TEST(BlockDecoder, PredictorWrapsAt16Bits) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    const struct {
        int32_t start;
        int32_t difference;
        int32_t result;
    } cases[] = {{32767, 1, -32768}, {-32768, -1, 32767}, {32000, 1000, -32536}};
    for (const auto &c : cases) {
        BitWriter writer;
        const int32_t size = SizeOf(c.difference);
        writer.Symbol(dc, size);
        writer.Put(ValueBits(c.difference, size), size);
        writer.Symbol(ac, 0x00);
        writer.Pad();
        CodecStream stream = MemoryStream(writer.Bytes());
        int32_t predictor = c.start;
        Block block;
        ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()),
                  0);
        EXPECT_EQ(predictor, c.result) << c.start;
        EXPECT_EQ(block[0], c.result) << c.start;
    }
}

TEST(BlockDecoder, AcRunsZeroRunsEndOfBlockAndARunPast63) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    BitWriter writer;
    writer.Symbol(dc, 0);
    writer.Coefficient(ac, 0, 3);   // k 1
    writer.Coefficient(ac, 2, -1);  // k 4
    writer.Symbol(ac, 0xF0);        // k 5..20 skipped
    writer.Symbol(ac, 0xF0);        // k 21..36 skipped
    writer.Coefficient(ac, 5, 200); // k 42
    writer.Coefficient(ac, 15, -7); // k 58
    writer.Coefficient(ac, 15, 1);  // k 59 + 15 = 74: lands on coefficient 63, block ends
    writer.Symbol(dc, 0);           // next block: EOB straight away
    writer.Symbol(ac, 0x00);
    writer.Pad();
    CodecStream stream = MemoryStream(writer.Bytes());
    int32_t predictor = 0;
    Block block;
    ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()), 0);
    Block expected{};
    expected[rastrum::kZigZagToNatural[1]] = 3;
    expected[rastrum::kZigZagToNatural[4]] = -1;
    expected[rastrum::kZigZagToNatural[42]] = 200;
    expected[rastrum::kZigZagToNatural[58]] = -7;
    expected[63] = 1;
    EXPECT_EQ(block, expected);
    // The run past 63 ended the block: the next block starts at the right bit.
    ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()), 0);
    EXPECT_EQ(block, Block{});
    EXPECT_EQ(stream.StreamByteCount, static_cast<int32_t>(writer.Bytes().size()));
}

TEST(BlockDecoder, StuffedFfBytesAreDataAndCountAsTaken) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    // Category 8 (111110) with value 255 (11111111) followed by 1 bits: the bytes hold 0xFF.
    BitWriter writer;
    writer.PutString("111110"
                     "11111111");
    writer.Coefficient(ac, 0, 255);
    writer.Symbol(ac, 0x00);
    writer.Pad();
    std::vector<uint8_t> &bytes = writer.Bytes();
    ASSERT_NE(std::find(bytes.begin(), bytes.end(), uint8_t{0xFF}), bytes.end());
    CodecStream stream = MemoryStream(bytes);
    int32_t predictor = 0;
    Block block;
    ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()), 0);
    EXPECT_EQ(block[0], 255);
    EXPECT_EQ(block[1], 255);
    EXPECT_EQ(stream.PendingMarker, 0);
    EXPECT_EQ(stream.StreamByteCount, static_cast<int32_t>(bytes.size()));
}

TEST(BlockDecoder, MarkerInsideDataStopsTheBlockAndLaterBlocksStayZero) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    BitWriter writer;
    writer.Coefficient(dc, 0, 20); // DC difference 20
    writer.Coefficient(ac, 0, 9);  // k 1
    writer.Coefficient(ac, 1, -4); // k 3
    writer.Marker(0xD9);           // the data ends inside the block
    writer.RawByte(0x12);          // bytes after the marker are never read
    for (const Decoder &decoder : kDecoders) {
        CodecStream stream = MemoryStream(writer.Bytes());
        int32_t predictor = 100;
        Block block{};
        ASSERT_EQ(decoder.Routine(stream, dc.Decode, ac.Decode, &predictor, block.data()), 0);
        EXPECT_EQ(predictor, 120) << decoder.Name;
        EXPECT_EQ(stream.PendingMarker, 0xD9) << decoder.Name;
        if (decoder.Routine == rastrum::DecodeBlockPlain) {
            EXPECT_EQ(block[1], 9);
            EXPECT_EQ(block[rastrum::kZigZagToNatural[3]], -4);
        }
        const int32_t taken = stream.StreamByteCount;
        EXPECT_EQ(taken, static_cast<int32_t>(writer.Bytes().size()) - 1) << decoder.Name;
        for (int i = 0; i < 3; ++i) {
            Block later;
            later.fill(77);
            ASSERT_EQ(decoder.Routine(stream, dc.Decode, ac.Decode, &predictor, later.data()), 0);
            EXPECT_EQ(predictor, 120) << decoder.Name;
            if (decoder.Routine == rastrum::DecodeBlockPlain) {
                EXPECT_EQ(later, Block{});
            }
        }
        EXPECT_EQ(stream.StreamByteCount, taken) << decoder.Name;
        EXPECT_EQ(stream.PendingMarker, 0xD9) << decoder.Name;
    }
}

TEST(BlockDecoder, ExhaustedMemoryInputReadsZeroBits) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    BitWriter writer;
    writer.Coefficient(dc, 0, 6);
    writer.Symbol(ac, 0x00);
    writer.Put(0, 6); // ten bits so far: complete the bytes with 0 bits, as missing bits read
    CodecStream stream = MemoryStream(writer.Bytes());
    int32_t predictor = 0;
    Block block;
    ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()), 0);
    EXPECT_EQ(block[0], 6);
    // Nothing left: zero bits decode as DC category 0 ("00") and AC 0/1 ("00") with value bit 0,
    // so every AC coefficient becomes -1 and the bit count keeps falling.
    for (int round = 0; round < 2; ++round) {
        const int32_t before = stream.BitCount;
        ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()),
                  0);
        EXPECT_EQ(block[0], 6);
        for (int i = 1; i < 64; ++i) {
            EXPECT_EQ(block[i], -1) << i;
        }
        EXPECT_EQ(stream.BitCount, before - 2 - 63 * 3);
    }
    EXPECT_EQ(stream.StreamByteCount, static_cast<int32_t>(writer.Bytes().size()));
}

TEST(BlockDecoder, FfAtTheEndOfMemoryInputIsADataError) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    std::vector<uint8_t> bytes = {0xFF};
    CodecStream stream = MemoryStream(bytes);
    int32_t predictor = 0;
    Block block;
    EXPECT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()),
              CODEC_DATA_ERROR);
}

TEST(BlockDecoder, FileInputIsReadThroughTheBufferAndEndingInsideDataIsAFileError) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    // A block holding a stuffed 0xFF, then two more; the file ends inside the third.
    BitWriter writer;
    writer.PutString("111110"
                     "11111111");
    writer.Coefficient(ac, 0, 255);
    writer.Symbol(ac, 0x00);
    writer.Coefficient(dc, 0, -9);
    writer.Coefficient(ac, 3, 4);
    writer.Symbol(ac, 0x00);
    writer.Coefficient(dc, 0, 1000);
    const std::string path = fixtures::TempDirectory() + "/entropy_cut.bin";
    fixtures::WriteFile(path, writer.Bytes());

    CodecStream stream;
    std::memset(&stream, 0, sizeof stream);
    stream.FileMode = 1;
    stream.FileHandle = rastrum::OpenFileForReading(path.c_str());
    ASSERT_GE(stream.FileHandle, 0);
    stream.StreamStart = stream.FileBuffer;
    stream.StreamPos = stream.FileBuffer + CODEC_FILE_BUFFER_SIZE; // empty: the first fill reads
    stream.StreamEnd = stream.StreamPos;
    stream.StreamCapacity = CODEC_FILE_BUFFER_SIZE;
    int32_t predictor = 0;
    Block block;
    ASSERT_EQ(rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data()), 0);
    EXPECT_EQ(block[0], 255);
    EXPECT_EQ(block[1], 255);
    // A refill that finds the file at its end fails, even when the bits of the symbol at hand
    // were held: the data of a file never ends without a marker.
    int32_t result = 0;
    for (int i = 0; i < 3 && result == 0; ++i) {
        result = rastrum::DecodeBlockPlain(stream, dc.Decode, ac.Decode, &predictor, block.data());
    }
    EXPECT_EQ(result, CODEC_FILE_ERROR);
    EXPECT_EQ(stream.StreamByteCount, static_cast<int32_t>(writer.Bytes().size()));
    EXPECT_TRUE(rastrum::CloseFile(stream.FileHandle));
}

TEST(BlockDecoder, SkipBlockWritesOnlyTheDcAndEndsWhereDecodeBlockEnds) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    std::mt19937 random(7);
    BitWriter writer;
    int32_t encoderPredictor = 0;
    for (int b = 0; b < 20; ++b) {
        Block block{};
        block[0] = static_cast<int16_t>(static_cast<int32_t>(random() % 2001) - 1000);
        for (int i = 1; i < 64; i += 1 + static_cast<int>(random() % 9)) {
            block[i] = static_cast<int16_t>(static_cast<int32_t>(random() % 401) - 200);
        }
        WriteBlock(writer, dc, ac, block, encoderPredictor);
    }
    writer.Marker(0xD9);
    CodecStream decoded = MemoryStream(writer.Bytes());
    CodecStream skipped = MemoryStream(writer.Bytes());
    int32_t decodedPredictor = 0;
    int32_t skippedPredictor = 0;
    for (int b = 0; b < 22; ++b) {
        Block block;
        Block scratch;
        scratch.fill(55);
        ASSERT_EQ(rastrum::DecodeBlockPlain(decoded, dc.Decode, ac.Decode, &decodedPredictor,
                                            block.data()),
                  0);
        ASSERT_EQ(rastrum::SkipBlockPlain(skipped, dc.Decode, ac.Decode, &skippedPredictor,
                                          scratch.data()),
                  0);
        EXPECT_EQ(skippedPredictor, decodedPredictor) << b;
        if (b < 20) {
            EXPECT_EQ(scratch[0], block[0]) << b;
        }
        EXPECT_TRUE(std::all_of(scratch.begin() + 1, scratch.end(), [](int16_t v) {
            return v == 55;
        })) << b;
        EXPECT_EQ(skipped.StreamByteCount, decoded.StreamByteCount) << b;
        EXPECT_EQ(skipped.BitCount, decoded.BitCount) << b;
        EXPECT_EQ(skipped.PendingMarker, decoded.PendingMarker) << b;
    }
}

// Random blocks round-trip, and on every kind of data (valid, cut short, random bytes with
// markers) the block decoders leave the same coefficients, prediction, bits held, bytes taken,
// pending marker and result as the stream-level reader.
TEST(BlockDecoder, AgreesWithTheStreamLevelReaderOnValidAndDamagedData) {
    const TestTable dc = LuminanceDc();
    const TestTable ac = LuminanceAc();
    std::mt19937 random(2024);
    for (int trial = 0; trial < 60; ++trial) {
        BitWriter writer;
        std::vector<Block> blocks;
        int32_t encoderPredictor = 0;
        const int kind = trial % 3;
        if (kind == 2) {
            // Random bytes, with 0xFF now and then followed by a stuffed zero or a marker.
            for (int i = 0; i < 600; ++i) {
                const uint32_t r = static_cast<uint32_t>(random());
                writer.Bytes().push_back(static_cast<uint8_t>(r));
                if ((r & 0xFF) == 0xFF) {
                    writer.Bytes().push_back((r >> 8) % 4 == 0 ? uint8_t{0xD3} : uint8_t{0});
                }
            }
        } else {
            for (int b = 0; b < 40; ++b) {
                Block block{};
                block[0] = static_cast<int16_t>(static_cast<int32_t>(random() % 2001) - 1000);
                const int density = 1 + static_cast<int>(random() % 12);
                for (int k = 1; k < 64; ++k) {
                    if (random() % static_cast<uint32_t>(density) == 0) {
                        const int32_t size = 1 + static_cast<int32_t>(random() % 10);
                        int32_t value =
                            (1 << (size - 1)) + static_cast<int32_t>(random() % (1u << (size - 1)));
                        block[rastrum::kZigZagToNatural[k]] =
                            static_cast<int16_t>(random() % 2 ? value : -value);
                    }
                }
                blocks.push_back(block);
                WriteBlock(writer, dc, ac, block, encoderPredictor);
            }
            writer.Pad();
            if (kind == 1) {
                writer.Bytes().resize(writer.Bytes().size() / 2); // memory input ends early
            }
        }
        for (const Decoder &decoder : kDecoders) {
            const bool keep = decoder.Routine == rastrum::DecodeBlockPlain;
            CodecStream fast = MemoryStream(writer.Bytes());
            CodecStream reference = MemoryStream(writer.Bytes());
            int32_t fastPredictor = 0;
            int32_t referencePredictor = 0;
            for (int b = 0; b < 45; ++b) {
                Block fastBlock{};
                Block referenceBlock{};
                const int32_t fastResult =
                    decoder.Routine(fast, dc.Decode, ac.Decode, &fastPredictor, fastBlock.data());
                const int32_t referenceResult =
                    ReferenceBlock(reference, dc.Decode, ac.Decode, &referencePredictor,
                                   referenceBlock.data(), keep);
                ASSERT_EQ(fastResult, referenceResult) << decoder.Name << " " << trial;
                ASSERT_EQ(fastBlock, referenceBlock) << decoder.Name << " " << trial << " " << b;
                ASSERT_EQ(fastPredictor, referencePredictor);
                ASSERT_EQ(fast.BitCount, reference.BitCount) << trial << " " << b;
                ASSERT_EQ(fast.BitAccumulator, reference.BitAccumulator);
                ASSERT_EQ(fast.StreamByteCount, reference.StreamByteCount);
                ASSERT_EQ(fast.StreamBytesLeft, reference.StreamBytesLeft);
                ASSERT_EQ(fast.StreamPos, reference.StreamPos);
                ASSERT_EQ(fast.PendingMarker, reference.PendingMarker);
                if (kind == 0 && keep && b < 40) {
                    ASSERT_EQ(fastBlock, blocks[b]) << trial << " " << b;
                }
                if (fastResult != 0) {
                    break;
                }
            }
        }
    }
}
