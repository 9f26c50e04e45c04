// Test pictures and JPEG files made with the reference tools (cjpeg, djpeg) for the codec tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

// An 8-bit picture, `channels` bytes per pixel (1 grey, 3 RGB), rows top to bottom.
struct Picture {
    int Width = 0;
    int Height = 0;
    int Channels = 3;
    std::vector<uint8_t> Pixels;
};

// A rich synthetic picture: smooth gradients, hard edges, fine stripes and noise, so that every
// coefficient position and large chroma changes occur.  Deterministic for a given seed.
Picture MakeRichPicture(int width, int height, int channels, uint32_t seed = 1);

// A fresh directory under the system's temporary directory, removed at exit of the test program.
std::string TempDirectory();

void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> ReadFile(const std::string &path);

// Writes the picture as PPM (3 channels) or PGM (1 channel).
void WritePnm(const std::string &path, const Picture &picture);
// Reads a binary PPM or PGM.
Picture ReadPnm(const std::string &path);

// Runs cjpeg with the given arguments on the picture and returns the JPEG file's path
// (`name` inside TempDirectory()).  Fails the current test when cjpeg fails.
std::string EncodeWithCjpeg(const Picture &picture, const std::string &arguments,
                            const std::string &name);
// Decodes a JPEG file with djpeg and the given arguments (for example "-dct int -nosmooth").
Picture DecodeWithDjpeg(const std::string &jpegPath, const std::string &arguments);

// True when both reference tools are installed.
bool ReferenceToolsAvailable();

} // namespace fixtures
