// The per-MCU stage: inverse transforms of the MCU's blocks at the read's size, then either the
// caller's raw sample planes, or the output (through the smoothing planes' lag when the
// smoothing upsampler is on).
#include "process_mcu.h"

#include <algorithm>

#include "colour_output.h"
#include "dispatch_table.h"
#include "mcu_layout.h"
#include "smoothing_planes.h"

namespace rastrum {

namespace {

// Transforms every block at the read's size.  With the uniform flag a component of a single
// block per MCU is transformed one size larger, so that it carries one sample per pixel of the
// other components' upsampled area.
void TransformMcu(const DispatchTable &table, const McuLayout &layout, int16_t *workArea,
                  int32_t blocks, int32_t scale, int32_t uniform) {
    BlockTransform reduced = table.ActiveInverseDct;
    BlockTransform larger = table.ActiveInverseDct;
    switch (scale) {
    case 2:
        reduced = table.ActiveInverseDctHalf;
        larger = table.ActiveInverseDct;
        break;
    case 4:
        reduced = table.ActiveInverseDctQuarter;
        larger = table.ActiveInverseDctHalf;
        break;
    case 8:
        reduced = table.ActiveInverseDctEighth;
        larger = table.ActiveInverseDctQuarter;
        break;
    default: break;
    }
    for (int32_t block = 0; block < blocks; ++block) {
        bool single = false;
        for (int32_t index = 0; index < layout.PartCount; ++index) {
            const McuPart &part = layout.Parts[index];
            if (block >= part.FirstBlock && block < part.FirstBlock + part.Blocks) {
                single = part.HSampling * part.VSampling == 1;
            }
        }
        const BlockTransform transform = uniform != 0 && single ? larger : reduced;
        if (transform != nullptr) {
            transform(workArea + 64 * block);
        }
    }
}

// Copies the MCU's blocks into the caller's planes: the component's block at block column bx and
// block row by goes to plane rows 8 by .. 8 by + 7, entries 8 bx .. 8 bx + 7.
void CopyToRawPlanes(const CodecState &state, const McuLayout &layout, const int16_t *workArea,
                     int32_t column, int32_t row) {
    for (int32_t index = 0; index < layout.PartCount; ++index) {
        const McuPart &part = layout.Parts[index];
        int16_t *plane = state.RawPlanes->Plane[part.FrameIndex];
        if (plane == nullptr) {
            continue;
        }
        const int64_t blocksAcross = static_cast<int64_t>(state.McusPerRow) * part.HSampling;
        const int64_t blocksDown = static_cast<int64_t>(state.McusPerColumn) * part.VSampling;
        const int32_t across = layout.SingleComponentScan ? 1 : part.HSampling;
        const int32_t down = layout.SingleComponentScan ? 1 : part.VSampling;
        for (int32_t i = 0; i < down; ++i) {
            for (int32_t j = 0; j < across; ++j) {
                const int64_t bx = static_cast<int64_t>(column) * across + j;
                const int64_t by = static_cast<int64_t>(row) * down + i;
                if (bx >= blocksAcross || by >= blocksDown) {
                    continue;
                }
                const int16_t *block = workArea + 64 * (part.FirstBlock + i * across + j);
                for (int32_t r = 0; r < 8; ++r) {
                    std::copy_n(block + 8 * r, 8, plane + (8 * by + r) * blocksAcross * 8 + 8 * bx);
                }
            }
        }
    }
}

} // namespace

int32_t ProcessMcu(CodecState &state, ScanHeader &scan, int32_t column, int32_t row,
                   int32_t blocks, int16_t *workArea, int32_t mcusPerRow, int32_t mcuRows,
                   int32_t scale, int32_t uniform) {
    const DispatchTable *table = state.Stream.Dispatch;
    if (table == nullptr || workArea == nullptr) {
        return 0;
    }
    if (scale != 2 && scale != 4 && scale != 8) {
        scale = 1;
    }
    // The common full-size read without smoothing needs no component layout at all.
    const bool smoothing = state.UpsamplingMode == 1 && state.MaxHSampling == 2;
    McuLayout layout;
    if (smoothing || state.RawPlanes != nullptr || scale != 1) {
        layout = DescribeMcu(state, &scan);
        blocks = std::min(blocks, layout.BlockCount);
    }
    const bool flush = column >= mcusPerRow || row >= mcuRows;
    if (!flush) {
        TransformMcu(*table, layout, workArea, std::clamp<int32_t>(blocks, 0, CODEC_WORK_AREA_BLOCKS),
                     scale, uniform);
    }
    // Raw planes take the samples instead of the pixel buffer, whose fields were not checked.
    if (state.RawPlanes != nullptr) {
        if (!flush && state.RawPlanes->Control != 0) {
            CopyToRawPlanes(state, layout, workArea, column, row);
        }
        return 0;
    }

    int32_t outColumn = column;
    int32_t outRow = row;
    const LagStep step = FeedSmoothingPlanes(state, layout, workArea, column, row, mcusPerRow,
                                             mcuRows, scale, outColumn, outRow);
    if (step == LagStep::Withhold || (step == LagStep::Direct && flush)) {
        return 0;
    }
    if (scale == 1) {
        if (table->McuOutput != nullptr) {
            table->McuOutput(state, outColumn, outRow);
        }
    } else {
        GeneralOutput(state, &scan, outColumn, outRow, 8 / scale, uniform);
    }
    return 0;
}

} // namespace rastrum
