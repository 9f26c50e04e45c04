// Addresses of the aligned areas inside the inner record: the quantisation entries start on an
// 8-byte boundary and the MCU work area on a 32-byte boundary, as the block routines expect.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

inline int16_t *QuantEntriesStart(QuantTable &table) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(table.Area);
    return reinterpret_cast<int16_t *>((address + 7u) & ~uintptr_t{7u});
}

inline int16_t *WorkAreaStart(CodecState &state) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(state.WorkAreaSpace);
    return reinterpret_cast<int16_t *>((address + 31u) & ~uintptr_t{31u});
}

} // namespace rastrum
