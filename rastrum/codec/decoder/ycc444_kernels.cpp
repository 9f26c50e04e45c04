// The 4:4:4 YCbCr colour kernels (one 8 x 8 MCU: blocks Y, Cb, Cr) with the plain rounding.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

using vectors::Convert444;
using vectors::PixelOrder;

void Ycc444RgbKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert444<PixelOrder::Rgb>(mcu, out, stride);
}

void Ycc444BgrKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert444<PixelOrder::Bgr>(mcu, out, stride);
}

void Ycc444RgbaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert444<PixelOrder::Rgba>(mcu, out, stride);
}

} // namespace rastrum
