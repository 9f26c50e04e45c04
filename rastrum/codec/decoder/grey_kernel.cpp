// The grey kernel: one 8 x 8 block to one byte per pixel, clamped to 0..255.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

void GreyKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    using namespace vectors;
#pragma GCC unroll 4
    for (int row = 0; row < 8; row += 2) {
        // The unsigned saturation of the pack is the clamp.
        const __m128i bytes = _mm_packus_epi16(LoadRow(mcu + 8 * row), LoadRow(mcu + 8 * row + 8));
        StoreLow8(out + row * stride, bytes);
        StoreHigh8(out + (row + 1) * stride, bytes);
    }
}

} // namespace rastrum
