// The 4:2:2 YCbCr colour kernels (one 16 x 8 MCU: blocks Y left, Y right, Cb, Cr; each chroma
// sample serves two pixels side by side) with the plain rounding.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

using vectors::Convert422;
using vectors::PixelOrder;

void Ycc422RgbKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert422<PixelOrder::Rgb>(mcu, out, stride);
}

void Ycc422BgrKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert422<PixelOrder::Bgr>(mcu, out, stride);
}

void Ycc422RgbaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert422<PixelOrder::Rgba>(mcu, out, stride);
}

} // namespace rastrum
