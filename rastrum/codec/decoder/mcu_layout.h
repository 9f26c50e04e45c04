// Which component owns which blocks of the MCU in the work area, shared by the per-MCU stage and
// the general output path.  A progressive image's MCU holds every frame component; a sequential
// scan's MCU holds its own components (one block only in a single-component scan).
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

struct McuPart {
    int32_t FrameIndex = 0;
    int32_t HSampling = 1;
    int32_t VSampling = 1;
    int32_t FirstBlock = 0;
    int32_t Blocks = 0;
};

struct McuLayout {
    McuPart Parts[4];
    int32_t PartCount = 0;
    int32_t BlockCount = 0;
    // A sequential scan of one component: its MCU is one block, whatever the component's factors.
    bool SingleComponentScan = false;
};

// Components with a sampling factor below 1, outside the frame's four records, or whose blocks
// would not fit the work area are left out.
McuLayout DescribeMcu(const CodecState &state, const ScanHeader *scan);

// Samples in each smoothing plane: two margin slots and McusPerRow slots of a whole-frame MCU.
int64_t SmoothingPlaneSamples(const CodecState &state);

} // namespace rastrum
