// The decoder's byte input over memory and through the 4096-byte file buffer: taking bytes and
// segments, the marker search with fill bytes and stuffed zeros, and the ends of the data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/marker_stream_builder.h"
#include "file_stream.h"
#include "input_stream.h"
#include "support/jpeg_fixtures.h"

namespace {

using marker_test::Bytes;
using marker_test::MemoryRecord;
using namespace rastrum;

// A stream through FileBuffer over a temporary file holding `bytes`.
class FileInput {
  public:
    explicit FileInput(const Bytes &bytes, const std::string &name) {
        const std::string path = fixtures::TempDirectory() + "/" + name;
        fixtures::WriteFile(path, bytes);
        stream_.FileMode = 1;
        stream_.FileHandle = OpenFileForReading(path.c_str());
        ResetInput(stream_);
    }
    ~FileInput() { CloseFile(stream_.FileHandle); }
    FileInput(const FileInput &) = delete;
    FileInput &operator=(const FileInput &) = delete;
    CodecStream &Stream() { return stream_; }

  private:
    CodecStream stream_{};
};

// Bytes 0, 1, 2, ... (mod 251, so that no 0xFF appears) from `first` on.
Bytes Counting(size_t count, size_t first = 0) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>((first + i) % 251);
    }
    return bytes;
}

TEST(MemoryInput, TakesBytesInPlaceAndRefusesToRunPastTheEnd) {
    MemoryRecord record(Bytes{0x12, 0x34, 'a', 'b', 'c', 0x7F});
    CodecStream &stream = record.Stream();
    int32_t word = 0;
    ASSERT_EQ(ReadWord(stream, word), 0);
    EXPECT_EQ(word, 0x1234);

    SegmentBytes segment;
    ASSERT_EQ(ReadSegment(stream, 3, segment), 0);
    EXPECT_EQ(segment.Data, record.Data().data() + 2); // no copy when the bytes are all there
    EXPECT_EQ(segment.Owned, nullptr);
    EXPECT_EQ(stream.StreamByteCount, 5);
    EXPECT_EQ(stream.StreamBytesLeft, 1);

    const uint8_t *bytes = nullptr;
    EXPECT_EQ(TakeBytes(stream, 2, bytes), CODEC_MEMORY_ERROR);
    SegmentBytes tooLong;
    EXPECT_EQ(ReadSegment(stream, 2, tooLong), CODEC_DATA_ERROR);
    EXPECT_EQ(ReadWord(stream, word), CODEC_DATA_ERROR);
    ASSERT_EQ(TakeBytes(stream, 1, bytes), 0);
    EXPECT_EQ(*bytes, 0x7F);
    EXPECT_EQ(stream.StreamByteCount, 6);
}

TEST(MemoryInput, MarkerSearchPassesOverGarbageFillBytesAndStuffedZeros) {
    const struct {
        const char *Name;
        Bytes Input;
        int32_t Result;
        uint8_t Marker;
        int32_t Consumed;
    } cases[] = {
        {"plain", {0xFF, 0xD8}, 0, 0xD8, 2},
        {"garbage first", {0x12, 0x34, 0x00, 0xFF, 0xC4}, 0, 0xC4, 5},
        {"fill bytes", {0xFF, 0xFF, 0xFF, 0xFF, 0xDB}, 0, 0xDB, 5},
        {"stuffed zero", {0xFF, 0x00, 0x55, 0xFF, 0xD9}, 0, 0xD9, 5},
        {"stuffed zero at the end", {0x10, 0xFF, 0x00}, CODEC_MEMORY_ERROR, 0, 0},
        {"0xFF last", {0x10, 0xFF}, CODEC_MEMORY_ERROR, 0, 0},
        {"no marker", {0x10, 0x20, 0x30}, CODEC_MEMORY_ERROR, 0, 0},
        {"empty", {}, CODEC_MEMORY_ERROR, 0, 0},
    };
    for (const auto &c : cases) {
        MemoryRecord record(c.Input);
        uint8_t marker = 0;
        EXPECT_EQ(NextMarker(record.Stream(), marker), c.Result) << c.Name;
        if (c.Result == 0) {
            EXPECT_EQ(marker, c.Marker) << c.Name;
            EXPECT_EQ(record.Stream().StreamByteCount, c.Consumed) << c.Name;
            EXPECT_EQ(record.Offset(), c.Consumed) << c.Name;
        }
    }
}

TEST(MemoryInput, PendingMarkerComesFirstWithoutTakingBytes) {
    MemoryRecord record(Bytes{0xFF, 0xD9});
    record.Stream().PendingMarker = 0xDA;
    uint8_t marker = 0;
    ASSERT_EQ(NextMarker(record.Stream(), marker), 0);
    EXPECT_EQ(marker, 0xDA);
    EXPECT_EQ(record.Stream().PendingMarker, 0);
    EXPECT_EQ(record.Offset(), 0);
    ASSERT_EQ(NextMarker(record.Stream(), marker), 0);
    EXPECT_EQ(marker, 0xD9);
}

TEST(MemoryInput, SkipSegmentUsesTheLengthWord) {
    const struct {
        Bytes Input;
        int32_t Result;
    } cases[] = {
        {{0x00, 0x05, 0xFF, 0xD9, 0x00, 0xFF, 0xC4}, 0}, // marker-like bytes inside are passed
        {{0x00, 0x02, 0xFF, 0xC4}, 0},
        {{0x00, 0x01, 0xFF, 0xC4}, CODEC_DATA_ERROR},
        {{0x00, 0x09, 0x01, 0x02}, CODEC_DATA_ERROR},
        {{0x00}, CODEC_DATA_ERROR},
    };
    for (const auto &c : cases) {
        MemoryRecord record(c.Input);
        ASSERT_EQ(SkipSegment(record.Stream()), c.Result);
        if (c.Result == 0) {
            uint8_t marker = 0;
            ASSERT_EQ(NextMarker(record.Stream(), marker), 0);
            EXPECT_EQ(marker, 0xC4);
        }
    }
}

TEST(FileInput, SegmentStraddlingTheBufferIsCopiedWhole) {
    const Bytes file = Counting(12000);
    FileInput input(file, "straddle.bin");
    CodecStream &stream = input.Stream();
    const uint8_t *bytes = nullptr;
    ASSERT_EQ(TakeBytes(stream, 4000, bytes), 0);

    SegmentBytes segment;
    ASSERT_EQ(ReadSegment(stream, 7000, segment), 0); // 96 buffered, then two more loads
    ASSERT_NE(segment.Owned, nullptr);
    EXPECT_EQ(Bytes(segment.Data, segment.Data + 7000), Counting(7000, 4000));
    EXPECT_EQ(stream.StreamByteCount, 11000);

    SegmentBytes pastTheEnd;
    EXPECT_EQ(ReadSegment(stream, 1500, pastTheEnd), CODEC_DATA_ERROR);
}

TEST(FileInput, TakeBytesAcrossALoadKeepsTheUnreadBytes) {
    const Bytes file = Counting(5000);
    FileInput input(file, "keep.bin");
    CodecStream &stream = input.Stream();
    const uint8_t *bytes = nullptr;
    ASSERT_EQ(TakeBytes(stream, 4094, bytes), 0);
    ASSERT_EQ(TakeBytes(stream, 6, bytes), 0);
    EXPECT_EQ(Bytes(bytes, bytes + 6), Counting(6, 4094));
    EXPECT_EQ(stream.StreamByteCount, 4100);
    EXPECT_EQ(stream.StreamBytesLeft, stream.StreamEnd - stream.StreamPos);
    EXPECT_EQ(TakeBytes(stream, 4097, bytes), CODEC_INTERNAL_ERROR);
}

TEST(FileInput, MarkerSearchCrossesBufferLoads) {
    const struct {
        const char *Name;
        Bytes Tail; // placed so that its first byte is the last of the first load
        uint8_t Marker;
    } cases[] = {
        {"marker split", {0xFF, 0xD9}, 0xD9},
        {"stuffed zero split", {0xFF, 0x00, 0x11, 0xFF, 0xC4}, 0xC4},
        {"fill byte split", {0xFF, 0xFF, 0xDB}, 0xDB},
    };
    for (const auto &c : cases) {
        Bytes file = Counting(CODEC_FILE_BUFFER_SIZE - 1);
        file.insert(file.end(), c.Tail.begin(), c.Tail.end());
        FileInput input(file, "search.bin");
        uint8_t marker = 0;
        ASSERT_EQ(NextMarker(input.Stream(), marker), 0) << c.Name;
        EXPECT_EQ(marker, c.Marker) << c.Name;
        EXPECT_EQ(input.Stream().StreamByteCount, static_cast<int32_t>(file.size())) << c.Name;
    }
}

TEST(FileInput, EndOfFileIsAFileError) {
    FileInput input(Bytes{0x01, 0x02, 0xFF}, "short.bin");
    uint8_t marker = 0;
    EXPECT_EQ(NextMarker(input.Stream(), marker), CODEC_FILE_ERROR);
    EXPECT_EQ(SkipSegment(input.Stream()), CODEC_DATA_ERROR);
}

} // namespace
