// Reduced-size inverse DCTs of family A (one half, one quarter, one eighth of each side): they
// leave 4 x 4, 2 x 2 or 1 x 1 samples in the block's top-left corner.  The column pass keeps
// 16 bits of each result, which the row pass reads back sign-extended.
#include <cstdint>
#include <initializer_list>

#include "inverse_dct.h"
#include "transform_arithmetic.h"

namespace rastrum {
namespace {

struct Quad {
    uint32_t v[4];
};

// The 4-point transform of one row or column (x4 does not contribute).
inline Quad HalfButterfly(const int16_t *values, int step) {
    uint32_t x[8];
    for (int k = 0; k < 8; ++k) {
        x[k] = Widen(values[k * step]);
    }
    const auto rounded = static_cast<int32_t>(Sar((x[2] - x[6]) * 46341u + 16384u, 15));
    const auto t = static_cast<uint32_t>(rounded / 2); // halved toward zero
    const uint32_t odd = x[1] - x[7];
    const uint32_t even = x[5] - x[3];
    const uint32_t o1 = Sar(60548u * odd - 25080u * even + 32768u, 16);
    const uint32_t o2 = Sar(60547u * even + 25080u * odd + 32768u, 16);
    return {{x[0] + t + o1, x[0] - t + o2, x[0] - t - o2, x[0] + t - o1}};
}

// The odd term of the 2-point transform of one row or column.
inline uint32_t QuarterOdd(const int16_t *values, int step) {
    const uint32_t x1 = Widen(values[step]);
    const uint32_t x3 = Widen(values[3 * step]);
    const uint32_t x5 = Widen(values[5 * step]);
    const uint32_t x7 = Widen(values[7 * step]);
    return Sar(85627u * (x1 - x7) + 35468u * (x5 - x3) + 65536u, 17);
}

inline int16_t SampleA(uint32_t value) {
    return Clamp8(Sar(value + 8u, 4) + 128u);
}

} // namespace

void InverseDctAHalf(int16_t *block) {
    // The column results go to a copy of the first four rows, so that the block keeps its
    // entries outside the 4 x 4 corner.
    int16_t top[4][8] = {};
    for (const int u : {0, 1, 2, 3, 5, 6, 7}) {
        const Quad q = HalfButterfly(block + u, 8);
        for (int r = 0; r < 4; ++r) {
            top[r][u] = Store16(q.v[r]);
        }
    }
    for (int r = 0; r < 4; ++r) {
        const Quad q = HalfButterfly(top[r], 1);
        for (int k = 0; k < 4; ++k) {
            block[8 * r + k] = SampleA(q.v[k]);
        }
    }
}

void InverseDctAQuarter(int16_t *block) {
    int16_t top[2][8] = {};
    for (const int u : {0, 1, 3, 5, 7}) {
        const uint32_t x0 = Widen(block[u]);
        const uint32_t v = QuarterOdd(block + u, 8);
        top[0][u] = Store16(x0 + v);
        top[1][u] = Store16(x0 - v);
    }
    for (int r = 0; r < 2; ++r) {
        const uint32_t x0 = Widen(top[r][0]);
        const uint32_t v = QuarterOdd(top[r], 1);
        block[8 * r] = SampleA(x0 + v);
        block[8 * r + 1] = SampleA(x0 - v);
    }
}

void InverseDctAEighth(int16_t *block) {
    block[0] = SampleA(Widen(block[0]));
}

} // namespace rastrum
