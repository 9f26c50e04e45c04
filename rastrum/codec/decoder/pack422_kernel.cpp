// The 4:2:2 packing kernel for 2-byte YCbCr pixels: Y(2j), Cb(j), Y(2j + 1), Cr(j) for every
// pixel pair, the samples' low bytes unchanged.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

void Pack422KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    using namespace vectors;
#pragma GCC unroll 8
    for (int row = 0; row < 8; ++row) {
        const __m128i luma = LowBytes(LoadRow(mcu + 8 * row), LoadRow(mcu + 64 + 8 * row));
        const __m128i chroma = LowBytes(LoadRow(mcu + 128 + 8 * row), LoadRow(mcu + 192 + 8 * row));
        // Cb0 Cr0 Cb1 Cr1 ... then each chroma byte after its pixel's luma byte.
        const __m128i pairs = _mm_unpacklo_epi8(chroma, _mm_srli_si128(chroma, 8));
        Store16(out + row * stride, _mm_unpacklo_epi8(luma, pairs));
        Store16(out + row * stride + 16, _mm_unpackhi_epi8(luma, pairs));
    }
}

} // namespace rastrum
