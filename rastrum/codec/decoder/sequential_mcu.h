// One MCU of a sequential scan: its blocks decoded in scan order into WorkArea, each then
// dequantised or copied to the raw planes; or the same blocks only walked to keep the stream
// and the predictions in step.
#pragma once

#include <cstdint>

#include "rastrum.h"
#include "scan_geometry.h"

namespace rastrum {

struct SequentialBlockPlan {
    const HuffmanTable *Dc = nullptr;
    const HuffmanTable *Ac = nullptr;
    int32_t *Predictor = nullptr;
    const int16_t *Quant = nullptr;
    int32_t FrameIndex = 0;
    int32_t BlocksPerRow = 1; // H of the component (1 for a single-component scan)
    int32_t BlockRows = 1;    // V of the component (1 for a single-component scan)
    int32_t ColumnInMcu = 0;  // k
    int32_t RowInMcu = 0;     // i
};

struct SequentialMcuPlan {
    int32_t Count = 0;
    bool Raw = false;
    SequentialBlockPlan Blocks[kMaxMcuBlocks];
};

// Lists the blocks of one MCU of a scan that SequentialGeometry accepted.
void PlanSequentialMcu(const CodecState &state, ScanHeader &scan, const ScanGeometry &geometry,
                       SequentialMcuPlan &plan);

// Decodes the MCU at (column, row) into WorkArea; 0 or the block decoder's negative result.
int32_t DecodeSequentialMcu(CodecState &state, const SequentialMcuPlan &plan, int32_t column,
                            int32_t row);

// Walks the MCU's blocks with SkipBlock, using the first block of WorkArea as scratch space.
int32_t SkipSequentialMcu(CodecState &state, const SequentialMcuPlan &plan);

} // namespace rastrum
