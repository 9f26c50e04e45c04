// The YCCK colour kernels: Y, Cb, Cr converted with the plain rounding and complemented
// (255 - value), K's sample copied unchanged as the fourth byte.  K is sampled like Y.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

using vectors::PixelOrder;

void Ycck444KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    vectors::Convert444<PixelOrder::Ycck>(mcu, out, stride);
}

void Ycck422KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    vectors::Convert422<PixelOrder::Ycck>(mcu, out, stride);
}

void Ycck420KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    vectors::Convert420<PixelOrder::Ycck>(mcu, out, stride);
}

} // namespace rastrum
