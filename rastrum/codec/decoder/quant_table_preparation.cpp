// Turns the 64 values of a DQT (zig-zag order) into the table the dequantiser of each inverse
// DCT family reads: natural order, followed by 16 zero entries.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "entropy_decoder.h"
#include "inverse_dct.h"

namespace rastrum {

// a(v) x a(u) / 8 for the natural position of each zig-zag index, with a(0) = 1 and
// a(k) = sqrt(2) x cos(k x pi / 16), rounded to six decimal places.
const double kAanScale[64] = {
    0.125000, 0.173380, 0.173380, 0.163320, 0.240485, 0.163320, 0.146984, 0.226532,
    0.226532, 0.146984, 0.125000, 0.203873, 0.213388, 0.203873, 0.125000, 0.098212,
    0.173380, 0.192044, 0.192044, 0.173380, 0.098212, 0.067650, 0.136224, 0.163320,
    0.172835, 0.163320, 0.136224, 0.067650, 0.034487, 0.093833, 0.128320, 0.146984,
    0.146984, 0.128320, 0.093833, 0.034487, 0.047835, 0.088388, 0.115485, 0.125000,
    0.115485, 0.088388, 0.047835, 0.045060, 0.079547, 0.098212, 0.098212, 0.079547,
    0.045060, 0.040553, 0.067650, 0.077165, 0.067650, 0.040553, 0.034487, 0.053152,
    0.053152, 0.034487, 0.027097, 0.036612, 0.027097, 0.018664, 0.018664, 0.009515,
};

namespace {

// The entry area lives inside the record; a record that was never initialised gets its pointer
// here so that preparing a table can never write through a null pointer.
int16_t *EntryArea(QuantTable &table) {
    if (table.Entries == nullptr) {
        const auto address = reinterpret_cast<uintptr_t>(table.Area);
        const uintptr_t aligned = (address + 7u) & ~uintptr_t{7};
        table.Entries = table.Area + (aligned - address) / sizeof(int16_t);
    }
    return table.Entries;
}

void ClearTail(int16_t *entries) {
    for (int i = 64; i < 80; ++i) {
        entries[i] = 0;
    }
}

} // namespace

void PrepareQuantTableA(QuantTable &table, const int16_t *zigzagValues) {
    int16_t *entries = EntryArea(table);
    for (int z = 0; z < 64; ++z) {
        const double x = ((zigzagValues[z] * kAanScale[z]) * 0.0625) * 32768.0 + 0.5;
        // |x| stays below 2^25, so the truncation is exact; the 16-bit store wraps on purpose.
        const auto truncated = static_cast<int32_t>(std::trunc(x));
        entries[kZigZagToNatural[z]] = static_cast<int16_t>(truncated);
    }
    ClearTail(entries);
}

void PrepareQuantTableB(QuantTable &table, const int16_t *zigzagValues) {
    int16_t *entries = EntryArea(table);
    for (int z = 0; z < 64; ++z) {
        entries[kZigZagToNatural[z]] = zigzagValues[z];
    }
    ClearTail(entries);
}

} // namespace rastrum
