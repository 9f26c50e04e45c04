// Reduced-size inverse DCTs of family B (one half, one quarter, one eighth of each side): they
// leave 4 x 4, 2 x 2 or 1 x 1 samples in the block's top-left corner.  Both passes skip the
// multiplications when a column or row has nothing but its first value.
#include <cstdint>
#include <initializer_list>

#include "inverse_dct.h"
#include "transform_arithmetic.h"

namespace rastrum {
namespace {

// The 4-point butterfly on an 8-value row or column (x4 does not contribute); results before
// the descaling of the pass, in output order.
struct Quad {
    uint32_t v[4];
};

inline Quad HalfButterfly(const uint32_t *x) {
    const uint32_t t0 = x[0] << 14;
    const uint32_t t2 = 15137u * x[2] - 6270u * x[6];
    const uint32_t t10 = t0 + t2;
    const uint32_t t12 = t0 - t2;
    const uint32_t o0 = 11893u * x[5] + 8697u * x[1] - 1730u * x[7] - 17799u * x[3];
    const uint32_t o2 = 7373u * x[3] + 20995u * x[1] - 4176u * x[7] - 4926u * x[5];
    return {{t10 + o2, t12 + o0, t12 - o0, t10 - o2}};
}

// The odd term of the 2-point transform.
inline uint32_t QuarterOdd(const uint32_t *x) {
    return 6967u * x[5] + 29692u * x[1] - 5906u * x[7] - 10426u * x[3];
}

} // namespace

void InverseDctBHalf(int16_t *block) {
    uint32_t work[4][8] = {};
    for (const int u : {0, 1, 2, 3, 5, 6, 7}) {
        uint32_t x[8];
        for (int k = 0; k < 8; ++k) {
            x[k] = Widen(block[8 * k + u]);
        }
        if ((x[1] | x[2] | x[3] | x[5] | x[6] | x[7]) == 0) {
            for (int r = 0; r < 4; ++r) {
                work[r][u] = x[0] << 2;
            }
            continue;
        }
        const Quad q = HalfButterfly(x);
        for (int r = 0; r < 4; ++r) {
            work[r][u] = Sar(q.v[r] + 2048u, 12);
        }
    }

    for (int r = 0; r < 4; ++r) {
        const uint32_t *x = work[r];
        int16_t *out = block + 8 * r;
        if ((x[1] | x[2] | x[3] | x[5] | x[6] | x[7]) == 0) {
            const int16_t sample = Clamp8(Sar(x[0] + 16u, 5) + 128u);
            for (int k = 0; k < 4; ++k) {
                out[k] = sample;
            }
            continue;
        }
        const Quad q = HalfButterfly(x);
        for (int k = 0; k < 4; ++k) {
            out[k] = Clamp8(Sar(q.v[k] + 262144u, 19) + 128u);
        }
    }
}

void InverseDctBQuarter(int16_t *block) {
    uint32_t work[2][8] = {};
    for (const int u : {0, 1, 3, 5, 7}) {
        uint32_t x[8];
        for (int k = 0; k < 8; ++k) {
            x[k] = Widen(block[8 * k + u]);
        }
        if ((x[1] | x[3] | x[5] | x[7]) == 0) {
            work[0][u] = x[0] << 2;
            work[1][u] = x[0] << 2;
            continue;
        }
        const uint32_t s = x[0] << 15;
        const uint32_t v = QuarterOdd(x);
        work[0][u] = Sar(s + v + 4096u, 13);
        work[1][u] = Sar(s - v + 4096u, 13);
    }

    for (int r = 0; r < 2; ++r) {
        const uint32_t *x = work[r];
        int16_t *out = block + 8 * r;
        if ((x[1] | x[3] | x[5] | x[7]) == 0) {
            const int16_t sample = Clamp8(Sar(x[0] + 16u, 5) + 128u);
            out[0] = sample;
            out[1] = sample;
            continue;
        }
        const uint32_t s = x[0] << 15;
        const uint32_t v = QuarterOdd(x);
        out[0] = Clamp8(Sar(s + v + 524288u, 20) + 128u);
        out[1] = Clamp8(Sar(s - v + 524288u, 20) + 128u);
    }
}

void InverseDctBEighth(int16_t *block) {
    block[0] = Clamp8(Sar(Widen(block[0]) + 4u, 3) + 128u);
}

} // namespace rastrum
