// Dequantisation of one block in place, for each inverse DCT family.  Both loops are written
// without branches so that the compiler turns them into packed 16-bit multiplies; the block and
// the table never overlap, and saying so lets that happen at -O2 too (no run-time overlap test).
#include <cstdint>

#include "inverse_dct.h"

namespace rastrum {

// The product carries the table's AAN scaling; >> 7 keeps one fractional bit for InverseDctA.
// |c x q| never exceeds 2^30, so the 32-bit product cannot overflow.
void DequantizeA(int16_t *__restrict block, const int16_t *__restrict table) {
    for (int i = 0; i < 64; ++i) {
        const int32_t product = int32_t{block[i]} * int32_t{table[i]};
        block[i] = static_cast<int16_t>(static_cast<uint16_t>((product + 64) >> 7));
    }
}

// Only the low 16 bits of the product are kept, as the accurate transform expects.
void DequantizeB(int16_t *__restrict block, const int16_t *__restrict table) {
    for (int i = 0; i < 64; ++i) {
        const uint32_t product =
            static_cast<uint32_t>(block[i]) * static_cast<uint32_t>(table[i]);
        block[i] = static_cast<int16_t>(static_cast<uint16_t>(product));
    }
}

} // namespace rastrum
