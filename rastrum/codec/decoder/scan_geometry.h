// What every scan loop derives at its start: the grid of MCU positions, the blocks handed to
// the per-MCU stage, the uniform-sampling flag, the output lags and whether a progressive image
// can be shown yet.  Also the check that a scan fits the decoder's fixed buffers.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// DcPredictor has four entries; WorkArea holds 11 blocks.
inline constexpr int32_t kMaxScanComponents = 4;
inline constexpr int32_t kMaxMcuBlocks = CODEC_WORK_AREA_BLOCKS;
inline constexpr int32_t kBlockSize = 64;

struct ScanGeometry {
    int32_t Columns = 0;   // C: positions per row
    int32_t Rows = 0;      // R: rows of positions
    int32_t Blocks = 0;    // n: blocks of the MCU handed to ProcessMcu
    int32_t Uniform = 0;   // f
    int32_t ColumnLag = 0; // 0 or 1
    int32_t RowLag = 0;    // 0 or 1
};

// Whole-image loops and region loops place the output lags differently.
enum class LagRule { WholeImage, Region };

// The grid of a sequential scan: one block per position for a single component, else one MCU
// of the scan's components.  False when the scan does not fit (no component, more than four,
// a component outside the frame, a zero sampling factor, a missing table, an MCU of more than
// 11 blocks).
bool SequentialGeometry(const CodecState &state, const ScanHeader &scan, LagRule lags,
                        ScanGeometry &geometry);

// The grid of a progressive image: McusPerRow x McusPerColumn MCUs of every frame component's
// blocks.  False under the same conditions as above (and without a coefficient store).
bool ProgressiveGeometry(const CodecState &state, const ScanHeader &scan, LagRule lags,
                         ScanGeometry &geometry);

// The block grid of one component scanned alone: ceil(ceil(JpegWidth x H / MaxHSampling) / 8)
// blocks per row, and the same for the height.  For factors that divide the largest factor this
// is ceil(JpegWidth / (8 x MaxHSampling / H)); for others (4 and 3) it is the component's true
// width in blocks, which a stream of such a frame codes.
int32_t ComponentBlockColumns(const CodecState &state, int32_t hSampling);
int32_t ComponentBlockRows(const CodecState &state, int32_t vSampling);

// D: every component has its last DC pass and enough AC passes are done to show the image.
bool ProgressiveImageComplete(const CodecState &state);

// First block of frame component `frameIndex` inside a progressive MCU.
int32_t FrameBlockOffset(const CodecState &state, int32_t frameIndex);

// The MCU at (column, row) in CoefficientStore.
int16_t *StoredMcu(const CodecState &state, const ScanGeometry &geometry, int32_t column,
                   int32_t row);

// The positions of the grid that a region read covers: columns FirstColumn..EndColumn - 1 and
// rows FirstRow..EndRow - 1.
struct RegionRange {
    int32_t FirstColumn = 0;
    int32_t EndColumn = 0;
    int32_t FirstRow = 0;
    int32_t EndRow = 0;
};

// The range of Roi (pixels of the scaled output) on a grid of positions `width` x `height`
// pixels large: widened by one position before (unless at 0) and after (unless at the grid's
// end) where an output lag applies, and held inside the grid.
RegionRange RegionOfInterest(const CodecState &state, const ScanGeometry &grid, int32_t width,
                             int32_t height);

// Raw-coefficient output: caller planes with control word 0 receive the quantised blocks and
// nothing is transformed or output.
inline bool RawCoefficientOutput(const CodecState &state) {
    return state.RawPlanes != nullptr && state.RawPlanes->Control == 0;
}

} // namespace rastrum
