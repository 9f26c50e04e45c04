// What the output stage's files share: the MCU output routines that the output choice stores
// in the McuOutput slot, the fused routines' edge code, rectangle operations, and the pieces of
// the general path (sample expansion, smoothing, in-place conversion).
#pragma once

#include <cstddef>
#include <cstdint>

#include "colour_output.h"
#include "mcu_layout.h"

namespace rastrum {

// ---- Rectangles (right and bottom exclusive; the empty rectangle is all zero) ----

bool IsEmptyRect(const McuRect &rect);
McuRect IntersectRects(const McuRect &a, const McuRect &b);
// Moves a non-empty rectangle by (-dx, -dy); the empty rectangle stays empty.
McuRect TranslateRect(const McuRect &rect, int32_t dx, int32_t dy);

// ---- MCU output routines: (record, MCU column, MCU row) -> 0, or -8 outside the region ----

int32_t GreyOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc444RgbOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc422RgbOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc420RgbOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc444BgrOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc422BgrOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc420BgrOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc444RgbaOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc422RgbaOut(CodecState &state, int32_t column, int32_t row);
int32_t Ycc420RgbaOut(CodecState &state, int32_t column, int32_t row);
int32_t Copy444Out(CodecState &state, int32_t column, int32_t row);
int32_t Copy422Out(CodecState &state, int32_t column, int32_t row);
int32_t Copy420Out(CodecState &state, int32_t column, int32_t row);
int32_t Copy444AlphaOut(CodecState &state, int32_t column, int32_t row);
int32_t Pack422Out(CodecState &state, int32_t column, int32_t row);
int32_t Ycck444Out(CodecState &state, int32_t column, int32_t row);
int32_t Ycck422Out(CodecState &state, int32_t column, int32_t row);
int32_t Ycck420Out(CodecState &state, int32_t column, int32_t row);
int32_t Copy4Out(CodecState &state, int32_t column, int32_t row);
// Components 1 x 1 stored unchanged with the channel rules of grey and reversed RGB.
int32_t CopyOut(CodecState &state, int32_t column, int32_t row);
// Single-component scans into 2-byte YCbCr pixels.
int32_t PackScanOut(CodecState &state, int32_t column, int32_t row);
// The general path at full size, without and with colour conversion.
int32_t PlaceOut(CodecState &state, int32_t column, int32_t row);
int32_t GeneralOut(CodecState &state, int32_t column, int32_t row);

// ---- Edge code of the fused routines ----

enum class FusedKind : int32_t {
    Grey,
    Ycc444Rgb,
    Ycc422Rgb,
    Ycc420Rgb,
    Ycc444Bgr,
    Ycc422Bgr,
    Ycc420Bgr,
    Ycc444Rgba,
    Ycc422Rgba,
    Ycc420Rgba,
    Copy444,
    Copy422,
    Copy420,
    Copy444Alpha,
    Pack422,
    Ycck444,
    Ycck422,
    Ycck420,
    Copy4,
};

struct FusedShape {
    int32_t Width;
    int32_t Height;
    int32_t BytesPerPixel;
};

FusedShape ShapeOfFused(FusedKind kind);

// Writes the pixels of `visible` (MCU coordinates) exactly as the kind's kernel would, taking
// the MCU's 8 x 8 luma blocks one by one with the chroma part that covers each.
void RunEdgeCode(FusedKind kind, const int16_t *mcu, uint8_t *out, ptrdiff_t stride,
                 const McuRect &visible);

// ---- General path ----

// One MCU through the general path; `convert` asks for the in-place colour conversion.
int32_t GeneralPath(CodecState &state, const ScanHeader *scan, int32_t column, int32_t row,
                    int32_t blockSize, int32_t uniform, bool convert);

// Pixel size of the MCU that the general path places for this layout and block size.
void GeneralMcuSize(const CodecState &state, const McuLayout &layout, int32_t blockSize,
                    int32_t &width, int32_t &height);

// Samples of one component expanded to the MCU's pixels (width x height, kExpandedStride apart):
// replication by the sampling factors, samples taken as they are (uniform flag), or the
// smoothing upsampler from the planes for MCU column `column`.
inline constexpr int32_t kExpandedStride = 32;
void ExpandPart(const CodecState &state, const McuLayout &layout, const McuPart &part,
                const int16_t *mcu, int32_t blockSize, int32_t uniform, int32_t column,
                int32_t width, int32_t height, int16_t *expanded);

// Converts the visible pixels at PixelCursor from Y, Cb, Cr with the general path's rounding.
void ConvertMcuInPlace(CodecState &state, const McuRect &visible);

// ---- Smoothing upsampler ----

// 4:2:2: `rows` rows of n chroma samples (8 apart) to rows of 2n samples (kExpandedStride
// apart); the neighbours of a row are the last sample of `left`'s row and the first of
// `right`'s.
void SmoothHorizontal(const int16_t *left, const int16_t *centre, const int16_t *right,
                      int32_t n, int32_t rows, int16_t *out);

// 4:2:0: one 8 x 8 chroma block to 16 x 16 samples (kExpandedStride apart); `around` holds the
// blocks above, level and below (first index), left, centre and right (second index).
void SmoothBlock420(const int16_t *const around[3][3], int16_t *out);

} // namespace rastrum
