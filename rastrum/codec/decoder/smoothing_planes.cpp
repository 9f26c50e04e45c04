// Feeding the smoothing planes.  Plane slot k + 1 holds MCU column k of a row, slots 0 and
// McusPerRow + 1 are margins that repeat the picture's outermost samples; for 4:2:0 plane 0 holds
// the row above the one being output, plane 1 that row, plane 2 the row below, and plane 3
// collects the bottom margin.  Samples past the picture's right and bottom edge are replaced by
// the last real ones first, so that the border sample serves as its own neighbour.
#include "smoothing_planes.h"

#include <algorithm>
#include <cstdlib>

namespace rastrum {

namespace {

// Columns from `first` to 7 of every row repeat column first - 1, in each block of the parts
// whose horizontal factor is 1.
void RepeatLastColumn(const McuLayout &layout, int16_t *mcu, int32_t first) {
    for (int32_t index = 0; index < layout.PartCount; ++index) {
        const McuPart &part = layout.Parts[index];
        if (part.HSampling != 1) {
            continue;
        }
        for (int32_t block = 0; block < part.Blocks; ++block) {
            int16_t *samples = mcu + 64 * (part.FirstBlock + block);
            for (int32_t r = 0; r < 8; ++r) {
                std::fill(samples + 8 * r + first, samples + 8 * r + 8, samples[8 * r + first - 1]);
            }
        }
    }
}

// Rows from `first` to 7 repeat row first - 1, in each block of the parts whose vertical factor
// is 1.
void RepeatLastRow(const McuLayout &layout, int16_t *mcu, int32_t first) {
    for (int32_t index = 0; index < layout.PartCount; ++index) {
        const McuPart &part = layout.Parts[index];
        if (part.VSampling != 1) {
            continue;
        }
        for (int32_t block = 0; block < part.Blocks; ++block) {
            int16_t *samples = mcu + 64 * (part.FirstBlock + block);
            for (int32_t r = first; r < 8; ++r) {
                std::copy_n(samples + 8 * (first - 1), 8, samples + 8 * r);
            }
        }
    }
}

LagStep Feed422(CodecState &state, const McuLayout &layout, int16_t *mcu, int32_t column,
                int32_t row, int32_t mcusPerRow, int32_t mcuRows, int32_t scale,
                int32_t &outColumn) {
    // Without a row lag nothing below the picture is ever output.
    if (row >= mcuRows || column > mcusPerRow) {
        return LagStep::Withhold;
    }
    const int32_t slot = layout.BlockCount * 64;
    const int32_t last = 8 / scale - 1; // last sample of a block row at this scale
    int16_t *plane = state.Planes->Plane[1];
    if (column < mcusPerRow) {
        const int32_t rest = std::abs(state.JpegWidth) % 16;
        if (column == mcusPerRow - 1 && rest != 0) {
            RepeatLastColumn(layout, mcu, (rest + 2 * scale - 1) / (2 * scale));
        }
        std::copy_n(mcu, slot, plane + static_cast<int64_t>(column + 1) * slot);
        for (int32_t block = 0; block < layout.BlockCount; ++block) {
            const int16_t *samples = mcu + 64 * block;
            for (int32_t r = 0; r < 8; ++r) {
                if (column == 0) {
                    plane[64 * block + 8 * r + last] = samples[8 * r];
                }
                if (column == mcusPerRow - 1) {
                    plane[static_cast<int64_t>(mcusPerRow + 1) * slot + 64 * block + 8 * r] =
                        samples[8 * r + last];
                }
            }
        }
    }
    if (column <= state.Roi[0] / (16 / scale)) {
        return LagStep::Withhold;
    }
    std::copy_n(plane + static_cast<int64_t>(column) * slot, slot, mcu);
    outColumn = column - 1;
    return LagStep::Delayed;
}

void RotatePlanes(SmoothingPlanes &planes, bool bottomMargin) {
    int16_t *above = planes.Plane[0];
    planes.Plane[0] = planes.Plane[1];
    planes.Plane[1] = planes.Plane[2];
    if (bottomMargin) {
        planes.Plane[2] = planes.Plane[3];
        planes.Plane[3] = above;
    } else {
        planes.Plane[2] = above;
    }
}

// The margins of one real MCU at (column, row), block by block.
void StoreMargins420(SmoothingPlanes &planes, const McuLayout &layout, const int16_t *mcu,
                     int32_t column, int32_t row, int32_t mcusPerRow, int32_t mcuRows) {
    const int64_t slot = layout.BlockCount * 64;
    const int64_t own = (column + 1) * slot;
    const int64_t right = static_cast<int64_t>(mcusPerRow + 1) * slot;
    const bool first = column == 0;
    const bool lastColumn = column == mcusPerRow - 1;
    for (int32_t block = 0; block < layout.BlockCount; ++block) {
        const int16_t *samples = mcu + 64 * block;
        const int64_t at = 64 * block;
        for (int32_t r = 0; r < 8; ++r) {
            if (first) {
                planes.Plane[2][at + 8 * r + 7] = samples[8 * r];
            }
            if (lastColumn) {
                planes.Plane[2][right + at + 8 * r] = samples[8 * r + 7];
            }
        }
        if (row == 0) {
            std::copy_n(samples, 8, planes.Plane[1] + own + at + 56);
            if (first) {
                planes.Plane[1][at + 63] = samples[0];
            }
            if (lastColumn) {
                planes.Plane[1][right + at + 56] = samples[7];
            }
        }
        if (row == mcuRows - 1) {
            std::copy_n(samples + 56, 8, planes.Plane[3] + own + at);
            if (first) {
                planes.Plane[3][at + 7] = samples[56];
            }
            if (lastColumn) {
                planes.Plane[3][right + at] = samples[63];
            }
        }
    }
}

LagStep Feed420(CodecState &state, const McuLayout &layout, int16_t *mcu, int32_t column,
                int32_t row, int32_t mcusPerRow, int32_t mcuRows, int32_t &outColumn,
                int32_t &outRow) {
    if (column > mcusPerRow || row > mcuRows) {
        return LagStep::Withhold;
    }
    SmoothingPlanes &planes = *state.Planes;
    if (row != planes.LastRow) {
        RotatePlanes(planes, row == mcuRows);
        planes.LastRow = row;
    }
    const int32_t slot = layout.BlockCount * 64;
    if (column < mcusPerRow && row < mcuRows) {
        const int32_t widthRest = std::abs(state.JpegWidth) % 16;
        const int32_t heightRest = std::abs(state.JpegHeight) % 16;
        if (column == mcusPerRow - 1 && widthRest != 0) {
            RepeatLastColumn(layout, mcu, (widthRest + 1) / 2);
        }
        if (row == mcuRows - 1 && heightRest != 0) {
            RepeatLastRow(layout, mcu, (heightRest + 1) / 2);
        }
        std::copy_n(mcu, slot, planes.Plane[2] + static_cast<int64_t>(column + 1) * slot);
        StoreMargins420(planes, layout, mcu, column, row, mcusPerRow, mcuRows);
    }
    if (column <= state.Roi[0] / 16 || row <= state.Roi[1] / 16) {
        return LagStep::Withhold;
    }
    std::copy_n(planes.Plane[1] + static_cast<int64_t>(column) * slot, slot, mcu);
    outColumn = column - 1;
    outRow = row - 1;
    return LagStep::Delayed;
}

} // namespace

LagStep FeedSmoothingPlanes(CodecState &state, const McuLayout &layout, int16_t *workArea,
                            int32_t column, int32_t row, int32_t mcusPerRow, int32_t mcuRows,
                            int32_t scale, int32_t &outColumn, int32_t &outRow) {
    outColumn = column;
    outRow = row;
    if (state.UpsamplingMode != 1 || state.MaxHSampling != 2) {
        return LagStep::Direct;
    }
    const bool horizontal = state.MaxVSampling == 1;
    const bool both = state.MaxVSampling == 2 && scale == 1;
    const SmoothingPlanes *planes = state.Planes;
    if ((!horizontal && !both) || planes == nullptr || layout.BlockCount == 0 || mcusPerRow < 1 ||
        column < 0 || row < 0) {
        return LagStep::Direct;
    }
    for (int16_t *plane : planes->Plane) {
        if (plane == nullptr) {
            return LagStep::Direct;
        }
    }
    const int64_t slot = static_cast<int64_t>(layout.BlockCount) * 64;
    if ((static_cast<int64_t>(mcusPerRow) + 2) * slot > SmoothingPlaneSamples(state)) {
        return LagStep::Direct;
    }
    if (horizontal) {
        return Feed422(state, layout, workArea, column, row, mcusPerRow, mcuRows, scale, outColumn);
    }
    return Feed420(state, layout, workArea, column, row, mcusPerRow, mcuRows, outColumn, outRow);
}

} // namespace rastrum
