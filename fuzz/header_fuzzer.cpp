// Feeds arbitrary bytes to every header read mode: parameters, tables and thumbnail, from memory
// and from a file.  Any stray access, leak or hang is a finding; every input must end in a
// result code.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rastrum.h"

namespace {

constexpr int kPixelSide = 64;

void RemoveFile();

// A file of this process's own, removed when the fuzzer exits.
const std::string &FilePath() {
    static const std::string path =
        "/tmp/rastrum-header-fuzz-" + std::to_string(static_cast<long>(getpid())) + ".jpg";
    static const bool registered = std::atexit(RemoveFile) == 0;
    (void)registered;
    return path;
}

void RemoveFile() { std::remove(FilePath().c_str()); }

bool WriteInput(const uint8_t *data, size_t size) {
    FILE *file = std::fopen(FilePath().c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// One header read on a fresh record with a pixel buffer for thumbnails and a comment buffer.
void ReadHeader(const uint8_t *data, size_t size, int32_t mode) {
    static uint8_t pixels[kPixelSide * kPixelSide * 3];
    static uint8_t comment[40];
    CodecProperties record;
    if (CodecInit(&record) == CODEC_SUCCESS) {
        record.JpegFileName = FilePath().c_str();
        // libFuzzer checks that the input is never written to.
        record.JpegBuffer = const_cast<uint8_t *>(data);
        record.JpegBufferSize = static_cast<int32_t>(size);
        record.PixelBuffer = pixels;
        record.PixelWidth = kPixelSide;
        record.PixelHeight = (size & 1) != 0 ? -kPixelSide : kPixelSide;
        record.PixelColour = (size & 2) != 0 ? COLOUR_RGB : COLOUR_BGR;
        record.CodecState.CommentText = comment;
        record.CodecState.CommentSize = sizeof comment;
        record.CodecState.DctMethod = (size & 4) != 0 ? 0 : 1;
        CodecRead(&record, mode);
    }
    CodecFree(&record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 20)) {
        return -1; // beyond any header; keeps the corpus small
    }
    for (int32_t mode : {IO_READ_PARAMETERS_MEMORY, IO_READ_TABLES_MEMORY,
                         IO_READ_THUMBNAIL_MEMORY}) {
        ReadHeader(data, size, mode);
    }
    if (WriteInput(data, size)) {
        for (int32_t mode : {IO_READ_PARAMETERS_FILE, IO_READ_TABLES_FILE,
                             IO_READ_THUMBNAIL_FILE}) {
            ReadHeader(data, size, mode);
        }
    }
    return 0;
}
