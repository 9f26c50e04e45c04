// The per-MCU stage that the scan loops call after every MCU and at the flush positions of the
// output lag: transforms, raw sample planes, the smoothing buffers, and the MCU output.
//
// Smoothing buffers (UpsamplingMode 1, MaxHSampling 2): state.Planes->Plane[k] holds
// McusPerRow + 2 slots of (blocks per MCU) x 64 samples in work-area order; slot j + 1 holds MCU
// column j, slots 0 and McusPerRow + 1 are the margins.  When the general output path smooths
// MCU column c of the output row: 4:2:2 reads the row from plane 1 (slot c + 1 and its
// neighbours c and c + 2); 4:2:0 reads the row from plane 1, the row above from plane 0 and the
// row below from plane 2, each at slots c, c + 1, c + 2.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// column == mcusPerRow or row == mcuRows marks a flush position.  scale is 1, 2, 4 or 8;
// uniform is the uniform-sampling flag of the scan loop.  Returns 0.
int32_t ProcessMcu(CodecState &state, ScanHeader &scan, int32_t column, int32_t row,
                   int32_t blocks, int16_t *workArea, int32_t mcusPerRow, int32_t mcuRows,
                   int32_t scale, int32_t uniform);

} // namespace rastrum
