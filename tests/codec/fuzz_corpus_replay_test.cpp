// Replays the committed fuzzing corpus (hand-built damaged and unusual streams) through every
// header mode and the whole-image modes, so that each test run is also a small fuzzing run under
// the sanitizer build.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "rastrum.h"
#include "support/jpeg_fixtures.h"

namespace {

CodecError ReadFromMemory(std::vector<uint8_t> &bytes, int32_t mode, std::vector<uint8_t> &pixels,
                          int32_t width, int32_t height) {
    CodecProperties record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(CodecInit(&record), 0);
    record.JpegBuffer = bytes.data();
    record.JpegBufferSize = static_cast<int32_t>(bytes.size());
    record.PixelBuffer = pixels.data();
    record.PixelWidth = width;
    record.PixelHeight = height;
    const CodecError result = CodecRead(&record, mode);
    EXPECT_EQ(CodecFree(&record), 0);
    return result;
}

TEST(FuzzCorpus, EveryStreamEndsInAResultCode) {
    int replayed = 0;
    for (const auto &entry :
         std::filesystem::recursive_directory_iterator(FUZZ_CORPUS_DIR)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::vector<uint8_t> bytes = fixtures::ReadFile(entry.path().string());
        std::vector<uint8_t> thumbnail(64 * 64 * 3);
        for (int32_t mode : {IO_READ_PARAMETERS_MEMORY, IO_READ_TABLES_MEMORY,
                             IO_READ_THUMBNAIL_MEMORY}) {
            ReadFromMemory(bytes, mode, thumbnail, 64, 64);
        }
        // The whole image into a buffer sized from the header, when the header reads.
        CodecProperties record;
        std::memset(&record, 0, sizeof record);
        ASSERT_EQ(CodecInit(&record), 0);
        record.JpegBuffer = bytes.data();
        record.JpegBufferSize = static_cast<int32_t>(bytes.size());
        const CodecError header = CodecRead(&record, IO_READ_PARAMETERS_MEMORY);
        const int32_t width = record.JpegWidth;
        const int32_t height = record.JpegHeight;
        EXPECT_EQ(CodecFree(&record), 0);
        if (header == 0 && int64_t(width) * height <= (1 << 22)) {
            std::vector<uint8_t> pixels(size_t(width) * height * 3);
            for (int32_t mode : {IO_READ_IMAGE_MEMORY, IO_READ_HALF_MEMORY}) {
                const int32_t scale = mode == IO_READ_HALF_MEMORY ? 2 : 1;
                ReadFromMemory(bytes, mode, pixels, (width + scale - 1) / scale,
                               (height + scale - 1) / scale);
            }
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 0) << "no corpus under " << FUZZ_CORPUS_DIR;
}

} // namespace
