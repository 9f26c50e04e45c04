#include "support/jpeg_fixtures.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fixtures {

namespace {

uint8_t ClampByte(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Removes the temporary directory when the test program ends.
struct TempRoot {
    std::filesystem::path Path;
    TempRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rastrum-XXXXXX").string();
        Path = mkdtemp(pattern.data());
    }
    ~TempRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
};

} // namespace

Picture MakeRichPicture(int width, int height, int channels, uint32_t seed) {
    Picture picture{width, height, channels, {}};
    picture.Pixels.resize(static_cast<size_t>(width) * height * channels);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fx = width > 1 ? double(x) / (width - 1) : 0.0;
            const double fy = height > 1 ? double(y) / (height - 1) : 0.0;
            const bool stripe = ((x / 2 + y / 3) % 2) == 0;
            const bool square = ((x / 11) + (y / 7)) % 2 == 0;
            const double wave = 60.0 * std::sin(x * 0.21) * std::cos(y * 0.13);
            double rgb[3] = {
                40 + 180 * fx + wave + (square ? 30 : -30),
                30 + 190 * fy - wave + (stripe ? 25 : -25),
                220 - 150 * fx * fy + (x % 16 < 3 ? 60 : 0),
            };
            uint8_t *pixel = &picture.Pixels[(static_cast<size_t>(y) * width + x) * channels];
            if (channels == 1) {
                pixel[0] = ClampByte(0.3 * rgb[0] + 0.6 * rgb[1] + 0.1 * rgb[2] + noise(random));
            } else {
                for (int c = 0; c < channels; ++c) {
                    pixel[c] = ClampByte(rgb[c % 3] + noise(random));
                }
            }
        }
    }
    return picture;
}

std::string TempDirectory() {
    static TempRoot root;
    return root.Path.string();
}

void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        ADD_FAILURE() << "cannot write " << path;
    }
}

std::vector<uint8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WritePnm(const std::string &path, const Picture &picture) {
    std::ostringstream header;
    header << (picture.Channels == 1 ? "P5" : "P6") << "\n"
           << picture.Width << " " << picture.Height << "\n255\n";
    const std::string text = header.str();
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), picture.Pixels.begin(), picture.Pixels.end());
    WriteFile(path, bytes);
}

Picture ReadPnm(const std::string &path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    Picture picture;
    size_t pos = 0;
    auto nextToken = [&]() {
        while (pos < bytes.size() && std::isspace(bytes[pos])) {
            ++pos;
        }
        std::string token;
        while (pos < bytes.size() && !std::isspace(bytes[pos])) {
            token += static_cast<char>(bytes[pos++]);
        }
        return token;
    };
    const std::string magic = nextToken();
    if (magic != "P5" && magic != "P6") {
        ADD_FAILURE() << path << " is not a binary PNM file";
        return picture;
    }
    picture.Channels = magic == "P5" ? 1 : 3;
    picture.Width = std::stoi(nextToken());
    picture.Height = std::stoi(nextToken());
    nextToken(); // maximum value, always 255 here
    ++pos;       // the single white-space byte before the samples
    const size_t size = static_cast<size_t>(picture.Width) * picture.Height * picture.Channels;
    if (bytes.size() < pos + size) {
        ADD_FAILURE() << path << " is truncated";
        return picture;
    }
    picture.Pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                          bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    return picture;
}

std::string EncodeWithCjpeg(const Picture &picture, const std::string &arguments,
                            const std::string &name) {
    const std::string source = TempDirectory() + "/" + name + (picture.Channels == 1 ? ".pgm" : ".ppm");
    const std::string target = TempDirectory() + "/" + name;
    WritePnm(source, picture);
    const std::string command = std::string(CJPEG_PROGRAM) + " " + arguments + " -outfile '" +
                                target + "' '" + source + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return target;
}

Picture DecodeWithDjpeg(const std::string &jpegPath, const std::string &arguments) {
    const std::string target = jpegPath + ".djpeg.pnm";
    const std::string command = std::string(DJPEG_PROGRAM) + " " + arguments + " -pnm -outfile '" +
                                target + "' '" + jpegPath + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadPnm(target);
}

bool ReferenceToolsAvailable() {
    return std::filesystem::exists(CJPEG_PROGRAM) && std::filesystem::exists(DJPEG_PROGRAM);
}

} // namespace fixtures
