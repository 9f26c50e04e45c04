// The accurate 8x8 inverse DCT (family B): rows first, then columns, in 32-bit arithmetic that
// wraps modulo 2^32.  It runs for every block of every default decode, so it is written with
// SSE2 (present on every x86-64 processor): each butterfly step works on four rows or columns
// at once, and the results are bit for bit those of the scalar formulas for every input.
#include <emmintrin.h>

#include <cstdint>

#include "inverse_dct.h"

namespace rastrum {
namespace {

inline __m128i Pair(int16_t first, int16_t second) {
    return _mm_set_epi16(second, first, second, first, second, first, second, first);
}

// x * k modulo 2^32 for 32-bit lanes and a constant 0 < k < 65536: with x = xh * 2^16 + xl,
// the product is xl * k plus (xh * k mod 2^16) * 2^16, and both halves come from 16-bit
// multiplies (SSE2 has no 32-bit low multiply).
inline __m128i MulConst(__m128i x, uint16_t k) {
    const __m128i kk = _mm_set1_epi16(static_cast<int16_t>(k));
    const __m128i low = _mm_mullo_epi16(x, kk);
    const __m128i high = _mm_mulhi_epu16(x, kk);
    return _mm_add_epi32(low, _mm_slli_epi32(high, 16));
}

inline __m128i Descale(__m128i value, int rounding, int shift) {
    return _mm_srai_epi32(_mm_add_epi32(value, _mm_set1_epi32(rounding)), shift);
}

// The eight results of one butterfly before the descaling of its pass.
struct Lanes {
    __m128i v[8];
};

// The parts both passes share once the four products of the odd part and the two of the even
// part are known.
inline Lanes Combine(__m128i a1, __m128i b1, __m128i a2, __m128i b2, __m128i e0, __m128i e1,
                     __m128i c1, __m128i c2) {
    const __m128i t1 = MulConst(Descale(_mm_add_epi32(a1, a2), 2048, 12), 5793);
    const __m128i t2 = MulConst(Descale(_mm_add_epi32(b1, b2), 2048, 12), 5793);
    const __m128i da = _mm_sub_epi32(a1, a2);
    const __m128i db = _mm_sub_epi32(b1, b2);
    const __m128i s1 = _mm_add_epi32(da, db);
    const __m128i s2 = _mm_sub_epi32(da, db);
    const __m128i even0 = _mm_add_epi32(e0, c1);
    const __m128i even3 = _mm_sub_epi32(e0, c1);
    const __m128i even1 = _mm_add_epi32(e1, c2);
    const __m128i even2 = _mm_sub_epi32(e1, c2);
    return {{_mm_add_epi32(even0, t1), _mm_add_epi32(even1, s1), _mm_add_epi32(even2, s2),
             _mm_add_epi32(even3, t2), _mm_sub_epi32(even3, t2), _mm_sub_epi32(even2, s2),
             _mm_sub_epi32(even1, s1), _mm_sub_epi32(even0, t1)}};
}

// Row pass on four rows: pk holds (xk, xj) pairs of 16-bit inputs, so that one packed
// multiply-add gives the exact sum of two products.  Multipliers that do not fit in 16 bits
// (42813) are split into k - 65536 plus a shift by 16.
inline Lanes RowButterfly(__m128i p04, __m128i p17, __m128i p26, __m128i p53, __m128i x2High,
                          __m128i x6High) {
    const __m128i a1 = _mm_madd_epi16(p17, Pair(32138, 6393));
    const __m128i b1 = _mm_madd_epi16(p17, Pair(6393, -32138));
    const __m128i a2 = _mm_madd_epi16(p53, Pair(18205, 27246));
    const __m128i b2 = _mm_madd_epi16(p53, Pair(27246, -18205));
    const __m128i e0 = _mm_slli_epi32(_mm_madd_epi16(p04, Pair(16384, 16384)), 1);
    const __m128i e1 = _mm_slli_epi32(_mm_madd_epi16(p04, Pair(16384, -16384)), 1);
    const __m128i c1 = _mm_add_epi32(_mm_madd_epi16(p26, Pair(42813 - 65536, 17734)), x2High);
    const __m128i c2 = _mm_sub_epi32(_mm_madd_epi16(p26, Pair(17734, 65536 - 42813)), x6High);
    return Combine(a1, b1, a2, b2, e0, e1, c1, c2);
}

// Column pass on four columns of 32-bit inputs.
inline Lanes ColumnButterfly(const __m128i *x) {
    const __m128i a1 = _mm_add_epi32(MulConst(x[1], 32138), MulConst(x[7], 6393));
    const __m128i b1 = _mm_sub_epi32(MulConst(x[1], 6393), MulConst(x[7], 32138));
    const __m128i a2 = _mm_add_epi32(MulConst(x[5], 18205), MulConst(x[3], 27246));
    const __m128i b2 = _mm_sub_epi32(MulConst(x[5], 27246), MulConst(x[3], 18205));
    const __m128i e0 = _mm_slli_epi32(_mm_add_epi32(x[0], x[4]), 15);
    const __m128i e1 = _mm_slli_epi32(_mm_sub_epi32(x[0], x[4]), 15);
    const __m128i c1 = _mm_add_epi32(MulConst(x[2], 42813), MulConst(x[6], 17734));
    const __m128i c2 = _mm_sub_epi32(MulConst(x[2], 17734), MulConst(x[6], 42813));
    return Combine(a1, b1, a2, b2, e0, e1, c1, c2);
}

// Transposes four rows of four 32-bit values in place.
inline void Transpose4(__m128i &r0, __m128i &r1, __m128i &r2, __m128i &r3) {
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
    const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
    const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
    r0 = _mm_unpacklo_epi64(t0, t1);
    r1 = _mm_unpackhi_epi64(t0, t1);
    r2 = _mm_unpacklo_epi64(t2, t3);
    r3 = _mm_unpackhi_epi64(t2, t3);
}

} // namespace

void InverseDctB(int16_t *block) {
    __m128i row[8];
    for (int r = 0; r < 8; ++r) {
        row[r] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 8 * r));
    }

    // A lone DC gives 8 x DC across row 0 after the row pass and one value everywhere after
    // the column pass, which shifts it left by 15 (wrapping) before descaling.
    __m128i ac = _mm_slli_si128(_mm_srli_si128(row[0], 2), 2); // row 0 without its DC
    for (int r = 1; r < 8; ++r) {
        ac = _mm_or_si128(ac, row[r]);
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(ac, _mm_setzero_si128())) == 0xFFFF) {
        const uint32_t scaled = (static_cast<uint32_t>(int32_t{block[0]}) << 18) + 1048576u;
        const int32_t level = (static_cast<int32_t>(scaled) >> 21) + 128;
        const auto sample = static_cast<int16_t>(level < 0 ? 0 : level > 255 ? 255 : level);
        const __m128i samples = _mm_set1_epi16(sample);
        for (int r = 0; r < 8; ++r) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(block + 8 * r), samples);
        }
        return;
    }

    // Transpose the 16-bit block: column[k] holds coefficient k of rows 0..7.
    const __m128i s0 = _mm_unpacklo_epi16(row[0], row[1]);
    const __m128i s1 = _mm_unpackhi_epi16(row[0], row[1]);
    const __m128i s2 = _mm_unpacklo_epi16(row[2], row[3]);
    const __m128i s3 = _mm_unpackhi_epi16(row[2], row[3]);
    const __m128i s4 = _mm_unpacklo_epi16(row[4], row[5]);
    const __m128i s5 = _mm_unpackhi_epi16(row[4], row[5]);
    const __m128i s6 = _mm_unpacklo_epi16(row[6], row[7]);
    const __m128i s7 = _mm_unpackhi_epi16(row[6], row[7]);
    const __m128i u0 = _mm_unpacklo_epi32(s0, s2);
    const __m128i u1 = _mm_unpackhi_epi32(s0, s2);
    const __m128i u2 = _mm_unpacklo_epi32(s1, s3);
    const __m128i u3 = _mm_unpackhi_epi32(s1, s3);
    const __m128i u4 = _mm_unpacklo_epi32(s4, s6);
    const __m128i u5 = _mm_unpackhi_epi32(s4, s6);
    const __m128i u6 = _mm_unpacklo_epi32(s5, s7);
    const __m128i u7 = _mm_unpackhi_epi32(s5, s7);
    const __m128i column[8] = {
        _mm_unpacklo_epi64(u0, u4), _mm_unpackhi_epi64(u0, u4), _mm_unpacklo_epi64(u1, u5),
        _mm_unpackhi_epi64(u1, u5), _mm_unpacklo_epi64(u2, u6), _mm_unpackhi_epi64(u2, u6),
        _mm_unpacklo_epi64(u3, u7), _mm_unpackhi_epi64(u3, u7)};

    // Row pass, rows 0..3 (half 0) and 4..7 (half 1): rowOut[k][half] is output k of the row.
    const __m128i zero = _mm_setzero_si128();
    __m128i rowOut[8][2];
    for (int half = 0; half < 2; ++half) {
        const auto interleave = [half](__m128i a, __m128i b) {
            return half == 0 ? _mm_unpacklo_epi16(a, b) : _mm_unpackhi_epi16(a, b);
        };
        const Lanes out = RowButterfly(
            interleave(column[0], column[4]), interleave(column[1], column[7]),
            interleave(column[2], column[6]), interleave(column[5], column[3]),
            interleave(zero, column[2]), interleave(zero, column[6]));
        for (int k = 0; k < 8; ++k) {
            rowOut[k][half] = Descale(out.v[k], 2048, 12);
        }
    }

    // work[quarter][r]: row r, columns 4 x quarter .. 4 x quarter + 3 of the work array.
    __m128i work[2][8];
    for (int rowHalf = 0; rowHalf < 2; ++rowHalf) {
        for (int quarter = 0; quarter < 2; ++quarter) {
            __m128i r0 = rowOut[4 * quarter + 0][rowHalf];
            __m128i r1 = rowOut[4 * quarter + 1][rowHalf];
            __m128i r2 = rowOut[4 * quarter + 2][rowHalf];
            __m128i r3 = rowOut[4 * quarter + 3][rowHalf];
            Transpose4(r0, r1, r2, r3);
            work[quarter][4 * rowHalf + 0] = r0;
            work[quarter][4 * rowHalf + 1] = r1;
            work[quarter][4 * rowHalf + 2] = r2;
            work[quarter][4 * rowHalf + 3] = r3;
        }
    }

    // Column pass; each output row is packed back to 16 bits and limited to 0..255.
    const Lanes left = ColumnButterfly(work[0]);
    const Lanes right = ColumnButterfly(work[1]);
    const __m128i level = _mm_set1_epi32(128);
    const __m128i top = _mm_set1_epi16(255);
    for (int r = 0; r < 8; ++r) {
        const __m128i l = _mm_add_epi32(Descale(left.v[r], 1048576, 21), level);
        const __m128i h = _mm_add_epi32(Descale(right.v[r], 1048576, 21), level);
        const __m128i samples = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(l, h), zero), top);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(block + 8 * r), samples);
    }
}

} // namespace rastrum
