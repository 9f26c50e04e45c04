// The 4:2:0 YCbCr colour kernels (one 16 x 16 MCU: four Y blocks, Cb, Cr; each chroma sample
// serves 2 x 2 pixels) with the plain rounding.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

using vectors::Convert420;
using vectors::PixelOrder;

void Ycc420RgbKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert420<PixelOrder::Rgb>(mcu, out, stride);
}

void Ycc420BgrKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert420<PixelOrder::Bgr>(mcu, out, stride);
}

void Ycc420RgbaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Convert420<PixelOrder::Rgba>(mcu, out, stride);
}

} // namespace rastrum
