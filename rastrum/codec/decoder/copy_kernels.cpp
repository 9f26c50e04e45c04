// The copy kernels: each component's samples stored unchanged (their low bytes), chroma repeated
// over the pixels it covers, optionally followed by a fourth byte of 255.
#include "colour_output.h"
#include "output_kernel_vectors.h"

namespace rastrum {

using namespace vectors;

namespace {

// Blocks a, b, c (and d) of a 4:4:4 MCU to 3- or 4-byte pixels; without a fourth block the
// fourth byte is 255.
template <int BytesPerPixel>
void Copy444(const int16_t *mcu, bool fourthBlock, uint8_t *out, ptrdiff_t stride) {
    __m128i vectors[4];
#pragma GCC unroll 4
    for (int row = 0; row < 8; row += 2) {
        const int offset = 8 * row;
        const __m128i a = LowBytes(LoadRow(mcu + offset), LoadRow(mcu + offset + 8));
        const __m128i b = LowBytes(LoadRow(mcu + 64 + offset), LoadRow(mcu + 72 + offset));
        const __m128i c = LowBytes(LoadRow(mcu + 128 + offset), LoadRow(mcu + 136 + offset));
        if constexpr (BytesPerPixel == 3) {
            Interleave3(a, b, c, vectors);
        } else {
            const __m128i d = fourthBlock
                                  ? LowBytes(LoadRow(mcu + 192 + offset), LoadRow(mcu + 200 + offset))
                                  : _mm_set1_epi8(-1);
            Interleave4(a, b, c, d, vectors);
        }
        StoreTwoRows<BytesPerPixel>(out + row * stride, out + (row + 1) * stride, vectors);
    }
}

// One row of 16 pixels: luma from two blocks' rows, chroma rows repeated over pixel pairs.
inline void CopyRow16(const int16_t *left, const int16_t *right, const int16_t *cb,
                      const int16_t *cr, uint8_t *out) {
    const __m128i blue = LoadRow(cb);
    const __m128i red = LoadRow(cr);
    __m128i vectors[3];
    Interleave3(LowBytes(LoadRow(left), LoadRow(right)), LowBytes(RepeatLow(blue), RepeatHigh(blue)),
                LowBytes(RepeatLow(red), RepeatHigh(red)), vectors);
    StoreRow<3>(out, vectors);
}

} // namespace

void Copy444KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Copy444<3>(mcu, false, out, stride);
}

void Copy444AlphaKernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Copy444<4>(mcu, false, out, stride);
}

void Copy4KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    Copy444<4>(mcu, true, out, stride);
}

void Copy422KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
#pragma GCC unroll 8
    for (int row = 0; row < 8; ++row) {
        CopyRow16(mcu + 8 * row, mcu + 64 + 8 * row, mcu + 128 + 8 * row, mcu + 192 + 8 * row,
                  out + row * stride);
    }
}

void Copy420KernelPlain(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
#pragma GCC unroll 4
    for (int row = 0; row < 16; ++row) {
        const int offset = (row >> 3) * 128 + (row & 7) * 8;
        const int chroma = 8 * (row >> 1);
        CopyRow16(mcu + offset, mcu + offset + 64, mcu + 256 + chroma, mcu + 320 + chroma,
                  out + row * stride);
    }
}

} // namespace rastrum
