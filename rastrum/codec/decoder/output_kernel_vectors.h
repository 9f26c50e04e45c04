// Building blocks of the output kernels on 128-bit vectors (SSE2, present on every x86-64):
// the plain chroma terms in int32 arithmetic, luma plus term saturated to 0..255, and the
// interleaving of 3- and 4-byte pixels.  Each kernel converts a whole MCU with fixed loop
// counts and no test per pixel.  Samples are 0..255 (the inverse transforms clamp them), so
// the 16-bit sums below are exact and the unsigned saturation is the clamp.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace rastrum::vectors {

inline __m128i LoadRow(const int16_t *samples) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(samples));
}

inline void Store16(uint8_t *out, __m128i bytes) {
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), bytes);
}

inline void StoreLow8(uint8_t *out, __m128i bytes) {
    _mm_storel_epi64(reinterpret_cast<__m128i *>(out), bytes);
}

inline void StoreHigh8(uint8_t *out, __m128i bytes) {
    _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_srli_si128(bytes, 8));
}

// Repeats each of eight 16-bit lanes twice: lanes 0..3 give 8 lanes, lanes 4..7 the next 8.
inline __m128i RepeatLow(__m128i lanes) { return _mm_unpacklo_epi16(lanes, lanes); }
inline __m128i RepeatHigh(__m128i lanes) { return _mm_unpackhi_epi16(lanes, lanes); }

// The low bytes of sixteen 16-bit samples (first eight from `a`), stored unchanged.
inline __m128i LowBytes(__m128i a, __m128i b) {
    const __m128i low = _mm_set1_epi16(0x00FF);
    return _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low));
}

// Plain chroma terms of eight Cb, Cr pairs: (359 Cr - 45813) >> 8, (88 Cb + 183 Cr - 34806) >> 8
// and (454 Cb - 57937) >> 8, each product and sum in 32 bits, the results as 16-bit lanes.
struct ChromaTerms {
    __m128i Red;
    __m128i Green;
    __m128i Blue;
};

inline __m128i PairTerm(__m128i lowPairs, __m128i highPairs, int32_t weights, int32_t bias) {
    const __m128i weight = _mm_set1_epi32(weights);
    const __m128i offset = _mm_set1_epi32(bias);
    const __m128i low = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(lowPairs, weight), offset), 8);
    const __m128i high =
        _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(highPairs, weight), offset), 8);
    return _mm_packs_epi32(low, high);
}

inline ChromaTerms TermsOf(__m128i cb, __m128i cr) {
    // Each 32-bit lane holds a (Cb, Cr) pair; a weight word holds the Cb weight in its low half
    // and the Cr weight in its high half, so one multiply-add gives the whole product sum.
    const __m128i lowPairs = _mm_unpacklo_epi16(cb, cr);
    const __m128i highPairs = _mm_unpackhi_epi16(cb, cr);
    return {PairTerm(lowPairs, highPairs, 359 << 16, -45813),
            PairTerm(lowPairs, highPairs, (183 << 16) | 88, -34806),
            PairTerm(lowPairs, highPairs, 454, -57937)};
}

inline ChromaTerms RepeatLow(const ChromaTerms &terms) {
    return {RepeatLow(terms.Red), RepeatLow(terms.Green), RepeatLow(terms.Blue)};
}

inline ChromaTerms RepeatHigh(const ChromaTerms &terms) {
    return {RepeatHigh(terms.Red), RepeatHigh(terms.Green), RepeatHigh(terms.Blue)};
}

// Sixteen converted pixels: luma `first` with terms `firstTerms` give pixels 0..7, `second`
// with `secondTerms` pixels 8..15.
struct PixelBytes {
    __m128i Red;
    __m128i Green;
    __m128i Blue;
};

inline PixelBytes Convert(__m128i first, __m128i second, const ChromaTerms &firstTerms,
                          const ChromaTerms &secondTerms) {
    return {_mm_packus_epi16(_mm_adds_epi16(first, firstTerms.Red),
                             _mm_adds_epi16(second, secondTerms.Red)),
            _mm_packus_epi16(_mm_subs_epi16(first, firstTerms.Green),
                             _mm_subs_epi16(second, secondTerms.Green)),
            _mm_packus_epi16(_mm_adds_epi16(first, firstTerms.Blue),
                             _mm_adds_epi16(second, secondTerms.Blue))};
}

// Twelve bytes of four 3-byte pixels from four 32-bit lanes whose top bytes are zero; the result
// fills bytes 0..11 and leaves bytes 12..15 zero.
inline __m128i CloseGaps(__m128i lanes) {
    // Within each 64-bit half: the lower pixel stays, the upper one moves down by one byte.
    const __m128i lowPixel = _mm_set1_epi64x(0x0000000000FFFFFF);
    const __m128i highPixel = _mm_set1_epi64x(0x0000FFFFFF000000);
    const __m128i halves = _mm_or_si128(_mm_and_si128(lanes, lowPixel),
                                        _mm_and_si128(_mm_srli_epi64(lanes, 8), highPixel));
    // Then the upper half's six bytes move down next to the lower half's six.
    return _mm_or_si128(_mm_move_epi64(halves), _mm_slli_si128(_mm_srli_si128(halves, 8), 6));
}

// Sixteen 3-byte pixels (bytes a, b, c per pixel) as 48 bytes in three vectors.
inline void Interleave3(__m128i a, __m128i b, __m128i c, __m128i out[3]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i abLow = _mm_unpacklo_epi8(a, b);
    const __m128i abHigh = _mm_unpackhi_epi8(a, b);
    const __m128i cLow = _mm_unpacklo_epi8(c, zero);
    const __m128i cHigh = _mm_unpackhi_epi8(c, zero);
    const __m128i p0 = CloseGaps(_mm_unpacklo_epi16(abLow, cLow));
    const __m128i p1 = CloseGaps(_mm_unpackhi_epi16(abLow, cLow));
    const __m128i p2 = CloseGaps(_mm_unpacklo_epi16(abHigh, cHigh));
    const __m128i p3 = CloseGaps(_mm_unpackhi_epi16(abHigh, cHigh));
    out[0] = _mm_or_si128(p0, _mm_slli_si128(p1, 12));
    out[1] = _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8));
    out[2] = _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4));
}

// Sixteen 4-byte pixels (bytes a, b, c, d per pixel) as 64 bytes in four vectors.
inline void Interleave4(__m128i a, __m128i b, __m128i c, __m128i d, __m128i out[4]) {
    const __m128i abLow = _mm_unpacklo_epi8(a, b);
    const __m128i abHigh = _mm_unpackhi_epi8(a, b);
    const __m128i cdLow = _mm_unpacklo_epi8(c, d);
    const __m128i cdHigh = _mm_unpackhi_epi8(c, d);
    out[0] = _mm_unpacklo_epi16(abLow, cdLow);
    out[1] = _mm_unpackhi_epi16(abLow, cdLow);
    out[2] = _mm_unpacklo_epi16(abHigh, cdHigh);
    out[3] = _mm_unpackhi_epi16(abHigh, cdHigh);
}

// Stores interleaved pixels: sixteen of one row, or eight of `row` and eight of `nextRow`.
template <int BytesPerPixel> inline void StoreRow(uint8_t *row, const __m128i *vectors) {
    for (int i = 0; i < BytesPerPixel; ++i) {
        Store16(row + 16 * i, vectors[i]);
    }
}

template <int BytesPerPixel>
inline void StoreTwoRows(uint8_t *row, uint8_t *nextRow, const __m128i *vectors) {
    if constexpr (BytesPerPixel == 3) {
        Store16(row, vectors[0]);
        StoreLow8(row + 16, vectors[1]);
        StoreHigh8(nextRow, vectors[1]);
        Store16(nextRow + 8, vectors[2]);
    } else {
        Store16(row, vectors[0]);
        Store16(row + 16, vectors[1]);
        Store16(nextRow, vectors[2]);
        Store16(nextRow + 16, vectors[3]);
    }
}

// The byte orders of the colour kernels; Ycck writes complemented R, G, B and then K.
enum class PixelOrder { Rgb, Bgr, Rgba, Ycck };

template <PixelOrder Order> inline constexpr int kBytesPerPixel = Order == PixelOrder::Rgb ||
                                                                          Order == PixelOrder::Bgr
                                                                      ? 3
                                                                      : 4;

template <PixelOrder Order>
inline void Arrange(const PixelBytes &pixels, __m128i fourth, __m128i *vectors) {
    if constexpr (Order == PixelOrder::Rgb) {
        Interleave3(pixels.Red, pixels.Green, pixels.Blue, vectors);
    } else if constexpr (Order == PixelOrder::Bgr) {
        Interleave3(pixels.Blue, pixels.Green, pixels.Red, vectors);
    } else if constexpr (Order == PixelOrder::Rgba) {
        Interleave4(pixels.Red, pixels.Green, pixels.Blue, _mm_set1_epi8(-1), vectors);
    } else {
        const __m128i ones = _mm_set1_epi8(-1);
        Interleave4(_mm_xor_si128(pixels.Red, ones), _mm_xor_si128(pixels.Green, ones),
                    _mm_xor_si128(pixels.Blue, ones), fourth, vectors);
    }
}

// The conversions by sampling.  Work-area blocks: 4:4:4 Y, Cb, Cr (K); 4:2:2 Y left, Y right, Cb,
// Cr (K left, K right); 4:2:0 Y top left, top right, bottom left, bottom right, Cb, Cr (four K).
template <PixelOrder Order> inline void Convert444(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    const int16_t *luma = mcu;
    const int16_t *cb = mcu + 64;
    const int16_t *cr = mcu + 128;
    const int16_t *fourth = mcu + 192;
    __m128i vectors[4];
#pragma GCC unroll 4
    for (int row = 0; row < 8; row += 2) {
        const ChromaTerms first = TermsOf(LoadRow(cb + 8 * row), LoadRow(cr + 8 * row));
        const ChromaTerms second = TermsOf(LoadRow(cb + 8 * row + 8), LoadRow(cr + 8 * row + 8));
        const PixelBytes pixels =
            Convert(LoadRow(luma + 8 * row), LoadRow(luma + 8 * row + 8), first, second);
        __m128i k = _mm_setzero_si128();
        if constexpr (Order == PixelOrder::Ycck) {
            k = LowBytes(LoadRow(fourth + 8 * row), LoadRow(fourth + 8 * row + 8));
        }
        Arrange<Order>(pixels, k, vectors);
        StoreTwoRows<kBytesPerPixel<Order>>(out + row * stride, out + (row + 1) * stride, vectors);
    }
}

template <PixelOrder Order> inline void Convert422(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    const int16_t *cb = mcu + 128;
    const int16_t *cr = mcu + 192;
    const int16_t *fourth = mcu + 256;
    __m128i vectors[4];
#pragma GCC unroll 8
    for (int row = 0; row < 8; ++row) {
        const ChromaTerms terms = TermsOf(LoadRow(cb + 8 * row), LoadRow(cr + 8 * row));
        const PixelBytes pixels = Convert(LoadRow(mcu + 8 * row), LoadRow(mcu + 64 + 8 * row),
                                          RepeatLow(terms), RepeatHigh(terms));
        __m128i k = _mm_setzero_si128();
        if constexpr (Order == PixelOrder::Ycck) {
            k = LowBytes(LoadRow(fourth + 8 * row), LoadRow(fourth + 64 + 8 * row));
        }
        Arrange<Order>(pixels, k, vectors);
        StoreRow<kBytesPerPixel<Order>>(out + row * stride, vectors);
    }
}

template <PixelOrder Order> inline void Convert420(const int16_t *mcu, uint8_t *out, ptrdiff_t stride) {
    const int16_t *cb = mcu + 256;
    const int16_t *cr = mcu + 320;
    const int16_t *fourth = mcu + 384;
    __m128i vectors[4];
#pragma GCC unroll 8
    for (int chromaRow = 0; chromaRow < 8; ++chromaRow) {
        const ChromaTerms terms = TermsOf(LoadRow(cb + 8 * chromaRow), LoadRow(cr + 8 * chromaRow));
        const ChromaTerms left = RepeatLow(terms);
        const ChromaTerms right = RepeatHigh(terms);
        for (int half = 0; half < 2; ++half) {
            const int row = 2 * chromaRow + half;
            // Rows 0..7 come from the top blocks, rows 8..15 from the bottom ones.
            const int offset = (row >> 3) * 128 + (row & 7) * 8;
            const PixelBytes pixels =
                Convert(LoadRow(mcu + offset), LoadRow(mcu + offset + 64), left, right);
            __m128i k = _mm_setzero_si128();
            if constexpr (Order == PixelOrder::Ycck) {
                k = LowBytes(LoadRow(fourth + offset), LoadRow(fourth + offset + 64));
            }
            Arrange<Order>(pixels, k, vectors);
            StoreRow<kBytesPerPixel<Order>>(out + row * stride, vectors);
        }
    }
}

} // namespace rastrum::vectors
