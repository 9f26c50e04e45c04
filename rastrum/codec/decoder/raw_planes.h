// Raw-coefficient output: quantised blocks copied to the caller's planes, one plane of 16-bit
// entries per frame component, McusPerRow x H x 8 entries per row.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Copies one block of frame component `frameIndex` to block column `blockColumn` and block row
// `blockRow` of its plane.  Blocks that fall outside the plane (a single-component grid can be
// wider than the MCU grid for unusual sampling factors) and absent planes are left out.
void CopyBlockToPlane(const CodecState &state, int32_t frameIndex, int32_t blockColumn,
                      int32_t blockRow, const int16_t *block);

// Copies a progressive MCU (every frame component's H x V blocks in frame order) at (column,
// row) of the MCU grid.
void CopyMcuToPlanes(const CodecState &state, const int16_t *mcu, int32_t column, int32_t row);

} // namespace rastrum
