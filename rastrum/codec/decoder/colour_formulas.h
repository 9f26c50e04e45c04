// The YCbCr to RGB arithmetic of the output stage, one inline function per rounding group.
// The fused routines and their edge code use the plain group; the general path and the in-place
// pass round green the other way round, so the two groups differ by one in some greens.
// Every ">> 8" is an arithmetic shift on int32 (rounding towards minus infinity).
#pragma once

#include <algorithm>
#include <cstdint>

namespace rastrum {

inline uint8_t ClampSample(int32_t value) {
    return static_cast<uint8_t>(std::min(std::max(value, 0), 255));
}

// The chroma terms of the plain group; a pixel is Y + red term, Y - green term, Y + blue term.
inline int32_t PlainRedTerm(int32_t cr) { return (359 * cr - 45813) >> 8; }
inline int32_t PlainGreenTerm(int32_t cb, int32_t cr) { return (88 * cb + 183 * cr - 34806) >> 8; }
inline int32_t PlainBlueTerm(int32_t cb) { return (454 * cb - 57937) >> 8; }

// The general path's green: Y + this term.
inline int32_t GeneralGreenTerm(int32_t cb, int32_t cr) { return (34806 - 88 * cb - 183 * cr) >> 8; }

struct RgbSample {
    uint8_t Red;
    uint8_t Green;
    uint8_t Blue;
};

inline RgbSample PlainRgb(int32_t y, int32_t cb, int32_t cr) {
    return {ClampSample(y + PlainRedTerm(cr)), ClampSample(y - PlainGreenTerm(cb, cr)),
            ClampSample(y + PlainBlueTerm(cb))};
}

inline RgbSample GeneralRgb(int32_t y, int32_t cb, int32_t cr) {
    return {ClampSample(y + PlainRedTerm(cr)), ClampSample(y + GeneralGreenTerm(cb, cr)),
            ClampSample(y + PlainBlueTerm(cb))};
}

} // namespace rastrum
