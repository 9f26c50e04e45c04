// The fast 8x8 inverse DCT (family A, AAN factorisation): columns first with 16-bit results,
// then rows, in 32-bit arithmetic that wraps modulo 2^32.  Each pass runs the butterfly on
// eight lanes at once (one per column, then one per row) so that the compiler can turn the
// lane loops into packed operations; the row pass works on a transposed copy.
#include <cstdint>

#include "inverse_dct.h"
#include "transform_arithmetic.h"

namespace rastrum {
namespace {

struct Octet {
    uint32_t v[8];
};

// R15: multiply by a constant scaled by 2^15 and round back.
inline uint32_t Scale15(uint32_t x, uint32_t constant) {
    return Sar(x * constant + 16384u, 15);
}

inline Octet ButterflyA(uint32_t x0, uint32_t x1, uint32_t x2, uint32_t x3, uint32_t x4,
                        uint32_t x5, uint32_t x6, uint32_t x7) {
    const uint32_t z10 = x5 - x3;
    const uint32_t z13 = x5 + x3;
    const uint32_t z12 = x1 - x7;
    const uint32_t z11 = x1 + x7;
    const uint32_t e = Scale15(z10 - z12, 25080);
    const uint32_t t7 = z11 + z13;
    const uint32_t t6 = Scale15(z12, 35468) - e - t7;
    const uint32_t t5 = Scale15(z11 - z13, 46341) - t6;
    const uint32_t t4 = (e - Scale15(z10, 85627)) + t5;

    const uint32_t t10 = x0 + x4;
    const uint32_t t11 = x0 - x4;
    const uint32_t t13 = x2 + x6;
    const uint32_t t12 = Scale15(x2 - x6, 46341) - t13;
    const uint32_t t0 = t10 + t13;
    const uint32_t t3 = t10 - t13;
    const uint32_t t1 = t11 + t12;
    const uint32_t t2 = t11 - t12;
    return {{t0 + t7, t1 + t6, t2 + t5, t3 - t4, t3 + t4, t2 - t5, t1 - t6, t0 - t7}};
}

} // namespace

void InverseDctA(int16_t *block) {
    // Column pass: lane u is column u; results keep 16 bits.
    alignas(16) int16_t columnOut[8][8];
    for (int u = 0; u < 8; ++u) {
        const Octet o = ButterflyA(Widen(block[u]), Widen(block[8 + u]), Widen(block[16 + u]),
                                   Widen(block[24 + u]), Widen(block[32 + u]),
                                   Widen(block[40 + u]), Widen(block[48 + u]),
                                   Widen(block[56 + u]));
        for (int r = 0; r < 8; ++r) {
            columnOut[r][u] = Store16(o.v[r]);
        }
    }

    // byRow[k][r] = entry (r, k), so that lane r of the row pass reads contiguous values.
    alignas(16) int16_t byRow[8][8];
    for (int k = 0; k < 8; ++k) {
        for (int r = 0; r < 8; ++r) {
            byRow[k][r] = columnOut[r][k];
        }
    }

    // Row pass: lane r is row r.  samples[k][r] = sample (r, k).
    alignas(16) int16_t samples[8][8];
    for (int r = 0; r < 8; ++r) {
        const Octet o = ButterflyA(Widen(byRow[0][r]), Widen(byRow[1][r]), Widen(byRow[2][r]),
                                   Widen(byRow[3][r]), Widen(byRow[4][r]), Widen(byRow[5][r]),
                                   Widen(byRow[6][r]), Widen(byRow[7][r]));
        for (int k = 0; k < 8; ++k) {
            samples[k][r] = Clamp8(Sar(o.v[k] + 8u, 4) + 128u);
        }
    }

    for (int r = 0; r < 8; ++r) {
        for (int k = 0; k < 8; ++k) {
            block[8 * r + k] = samples[k][r];
        }
    }
}

} // namespace rastrum
