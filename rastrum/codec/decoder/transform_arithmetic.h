// Wrapping 32-bit arithmetic shared by the inverse transforms.  Values are carried as uint32_t
// so that sums and products wrap modulo 2^32 without undefined behaviour; Sar reinterprets
// them as signed for the arithmetic right shifts.
#pragma once

#include <cstdint>

namespace rastrum {

// A block entry, sign-extended to 32 bits.
inline uint32_t Widen(int16_t value) {
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

// Arithmetic right shift of a wrapped value.
inline uint32_t Sar(uint32_t value, int shift) {
    return static_cast<uint32_t>(static_cast<int32_t>(value) >> shift);
}

// The low 16 bits as a signed value.
inline int16_t Store16(uint32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// A sample: the signed value limited to 0..255.
inline int16_t Clamp8(uint32_t value) {
    const int32_t v = static_cast<int32_t>(value);
    return static_cast<int16_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

} // namespace rastrum
