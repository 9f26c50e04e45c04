// The last stage of decoding: upsampling, colour conversion, clipping against the picture and
// the region of interest, and storing bytes into the caller's pixel buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Rectangles: left, top, right, bottom; right and bottom exclusive; all zero when empty.
struct McuRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

// Chooses the MCU output routine (stored in the McuOutput slot) and OutputLayout from the
// frame and the caller's output fields.  Called at the end of SetUpDecoder.
void ChooseMcuOutput(CodecState &state);

// Places an MCU of width x height pixels at (column, row): stores its first pixel's address in
// PixelCursor and gives the visible part in MCU coordinates.  -8 when the MCU lies wholly
// outside the region of interest (nothing may be written), else 0.
int32_t ClipMcu(CodecState &state, int32_t width, int32_t height, int32_t column, int32_t row,
                int32_t bytesPerPixel, McuRect &visible);

// The general, component-by-component output path for one MCU: used for reduced-size reads
// (blockSize 8 / scale) and by PlaceOut and GeneralOut (blockSize 8).  Converts colour when the
// chosen output asks for it.
int32_t GeneralOutput(CodecState &state, const ScanHeader *scan, int32_t column, int32_t row,
                      int32_t blockSize, int32_t uniform);

// Converts the whole picture (or the region) in place after single-component scans.
void ConvertPictureInPlace(CodecState &state);

// Plain output kernels (the routines of the kernel slots).
void GreyKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc444RgbKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc422RgbKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc420RgbKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc444BgrKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc422BgrKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc420BgrKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc444RgbaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc422RgbaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycc420RgbaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Copy444KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Copy422KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Copy420KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Copy444AlphaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Pack422KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycck444KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycck422KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Ycck420KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
void Copy4KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);

} // namespace rastrum
