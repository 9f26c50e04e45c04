// Colour conversion of pixels already placed as Y, Cb, Cr, with the general path's rounding:
// per MCU for GeneralOut, and over the whole picture (or region) once the single-component scans
// of a sequential image have all been placed.
#include <algorithm>
#include <cstdlib>

#include "colour_formulas.h"
#include "output_routines.h"

namespace rastrum {

namespace {

bool ConvertsTo(const CodecState &state) {
    const int32_t colour = state.PixelColour;
    return (colour == COLOUR_RGB || colour == COLOUR_BGR || colour == COLOUR_RGB_PLUS) &&
           state.PixelChannels >= 3;
}

// Replaces one pixel's first three bytes; `complement` stores 255 - value.
inline void ConvertPixel(uint8_t *pixel, bool bgr, bool complement) {
    RgbSample rgb = GeneralRgb(pixel[0], pixel[1], pixel[2]);
    if (complement) {
        rgb = {static_cast<uint8_t>(255 - rgb.Red), static_cast<uint8_t>(255 - rgb.Green),
               static_cast<uint8_t>(255 - rgb.Blue)};
    }
    pixel[0] = bgr ? rgb.Blue : rgb.Red;
    pixel[1] = rgb.Green;
    pixel[2] = bgr ? rgb.Red : rgb.Blue;
}

} // namespace

void ConvertMcuInPlace(CodecState &state, const McuRect &visible) {
    if (!ConvertsTo(state)) {
        return;
    }
    const int32_t channels = state.PixelChannels;
    const bool bgr = state.PixelColour == COLOUR_BGR;
    const bool complement = channels >= 4 && state.JpegColour == COLOUR_YCBCR_PLUS;
    uint8_t *out = state.Stream.PixelCursor;
    for (int32_t r = visible.Top; r < visible.Bottom; ++r) {
        uint8_t *pixel = out + r * static_cast<ptrdiff_t>(state.PixelRowStride) +
                         visible.Left * channels;
        for (int32_t c = visible.Left; c < visible.Right; ++c, pixel += channels) {
            ConvertPixel(pixel, bgr, complement);
        }
    }
}

void ConvertPictureInPlace(CodecState &state) {
    if (state.ColourConversionWanted == 0 || !ConvertsTo(state) || state.PixelBuffer == nullptr) {
        return;
    }
    const int32_t channels = state.PixelChannels;
    const int64_t bufferRows = std::llabs(static_cast<int64_t>(state.PixelHeight));
    const int32_t *roi = state.Roi;
    int64_t rows = roi[1] == roi[3] ? bufferRows : static_cast<int64_t>(roi[3]) - roi[1];
    int64_t pixels = static_cast<int64_t>(roi[2]) - roi[0];
    if (pixels == 0) {
        pixels = state.PixelWidth;
    }
    // Never beyond the caller's rows and row length, whatever the region says.
    rows = std::clamp<int64_t>(rows, 0, bufferRows);
    pixels = std::clamp<int64_t>(pixels, 0, state.PixelWidth);
    const int64_t rowBytes = static_cast<int64_t>(state.PixelWidth) *
                             (state.PixelSubsampling == 2 ? 2 : channels);
    pixels = std::min(pixels, rowBytes / channels);

    const int64_t stride = state.PixelRowStride;
    uint8_t *rowZero = state.PixelBuffer;
    if (stride < 0 && bufferRows > 0) {
        rowZero += (bufferRows - 1) * -stride;
    }
    const bool bgr = channels == 3 && state.PixelColour == COLOUR_BGR;
    for (int64_t r = rows - 1; r >= 0; --r) {
        uint8_t *pixel = rowZero + r * stride;
        for (int64_t c = 0; c < pixels; ++c, pixel += channels) {
            if (channels == 3) {
                ConvertPixel(pixel, bgr, false);
            } else if (state.JpegColour == COLOUR_YCBCR_PLUS) {
                ConvertPixel(pixel, false, true);
            } else if (state.JpegColour == COLOUR_YCBCR) {
                ConvertPixel(pixel, false, false);
                pixel[3] = 255;
            }
        }
    }
}

} // namespace rastrum
