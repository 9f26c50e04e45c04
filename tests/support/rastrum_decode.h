// Decoding through the codec interface the way a caller would, for end-to-end tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rastrum.h"
#include "support/jpeg_fixtures.h"

namespace fixtures {

struct DecodeResult {
    CodecError HeaderResult = 0;
    CodecError ImageResult = 0;
    int JpegWidth = 0;
    int JpegHeight = 0;
    int JpegChannels = 0;
    int JpegColour = 0;
    int JpegSubsampling = 0;
    Picture Output; // in the requested pixel colour and channel count
};

struct DecodeRequest {
    int PixelColour = COLOUR_BGR;
    int PixelChannels = 3;
    int ImageMode = IO_READ_IMAGE_MEMORY; // header mode is the same source's parameter mode
    int Scale = 1;                        // output size divisor of the reduced-size modes
    int DctMethod = 1;
    int UpsamplingMode = 0;
};

// Reads the parameters (mode 0 or 1), then the image on the same record, as the file bridge
// does: from memory for odd modes, from the file `path` for even ones.
DecodeResult DecodeWithRastrum(const std::string &path, const DecodeRequest &request);

// Converts BGR output to RGB order (for comparison with the reference decoder's PPM output).
Picture BgrToRgb(const Picture &picture);

struct Difference {
    int Largest = 0;
    double Mean = 0.0;
};
Difference ComparePictures(const Picture &a, const Picture &b);

} // namespace fixtures
