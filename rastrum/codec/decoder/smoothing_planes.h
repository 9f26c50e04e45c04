// The per-MCU stage's part of the smoothing upsampler: it keeps every MCU in the smoothing
// planes and hands out the MCU one column (and for 4:2:0 one row) behind, once its right and
// lower neighbours exist.
#pragma once

#include <cstdint>

#include "mcu_layout.h"
#include "rastrum.h"

namespace rastrum {

enum class LagStep {
    Direct,   // no smoothing: the MCU at (column, row) is output as it is
    Withhold, // nothing to output yet
    Delayed,  // the work area now holds the earlier MCU at (outColumn, outRow)
};

LagStep FeedSmoothingPlanes(CodecState &state, const McuLayout &layout, int16_t *workArea,
                            int32_t column, int32_t row, int32_t mcusPerRow, int32_t mcuRows,
                            int32_t scale, int32_t &outColumn, int32_t &outRow);

} // namespace rastrum
