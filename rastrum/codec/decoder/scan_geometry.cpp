// Grid, block count, uniform flag, output lags and fit checks of the scan loops.
#include "scan_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace rastrum {

namespace {

bool FrameFits(const CodecState &state) {
    return state.Components != nullptr && state.ComponentCount >= 1 &&
           state.ComponentCount <= kMaxScanComponents && state.MaxHSampling >= 1 &&
           state.MaxVSampling >= 1 && state.McusPerRow >= 1 && state.McusPerColumn >= 1;
}

// Every scan component names a frame component and has its tables and sampling factors.
bool ScanComponentsFit(const CodecState &state, const ScanHeader &scan) {
    if (scan.ScanComponentCount < 1 || scan.ScanComponentCount > kMaxScanComponents ||
        scan.Components == nullptr) {
        return false;
    }
    for (int32_t i = 0; i < scan.ScanComponentCount; ++i) {
        const ScanComponent &component = scan.Components[i];
        if (component.FrameIndex < 0 || component.FrameIndex >= state.ComponentCount ||
            component.HSampling < 1 || component.VSampling < 1 ||
            component.HSampling > state.MaxHSampling || component.VSampling > state.MaxVSampling ||
            component.DcTable == nullptr || component.AcTable == nullptr ||
            component.QuantTable == nullptr || component.QuantTable->Entries == nullptr) {
            return false;
        }
    }
    return true;
}

int32_t UniformFlag(const CodecState &state) {
    if (state.MaxHSampling == 1 && state.MaxVSampling == 1) {
        return 0;
    }
    for (int32_t j = 0; j < state.ComponentCount; ++j) {
        const FrameComponent &component = state.Components[j];
        if (component.HSampling != component.VSampling ||
            (component.HSampling != 1 && component.HSampling != 2)) {
            return 0;
        }
    }
    return 1;
}

void SetLags(const CodecState &state, LagRule lags, ScanGeometry &geometry) {
    const bool smoothing = state.UpsamplingMode == 1;
    if (lags == LagRule::WholeImage) {
        geometry.ColumnLag =
            smoothing && state.MaxHSampling == 2 && state.MaxVSampling <= 2 ? 1 : 0;
        geometry.RowLag = smoothing && state.MaxHSampling == 2 && state.MaxVSampling == 2 ? 1 : 0;
    } else {
        geometry.ColumnLag = smoothing && state.MaxHSampling == 2 ? 1 : 0;
        geometry.RowLag = smoothing && state.MaxVSampling == 2 ? 1 : 0;
    }
}

} // namespace

// ceil(ceil(size x factor / largest factor) / 8), computed in 64 bits.
int32_t ComponentBlockCount(int32_t size, int32_t factor, int32_t largest) {
    const int64_t samples = (int64_t{size} * factor + largest - 1) / largest;
    return static_cast<int32_t>((samples + 7) / 8);
}

int32_t ComponentBlockColumns(const CodecState &state, int32_t hSampling) {
    return ComponentBlockCount(state.JpegWidth, hSampling, state.MaxHSampling);
}

int32_t ComponentBlockRows(const CodecState &state, int32_t vSampling) {
    return ComponentBlockCount(std::abs(state.JpegHeight), vSampling, state.MaxVSampling);
}

bool SequentialGeometry(const CodecState &state, const ScanHeader &scan, LagRule lags,
                        ScanGeometry &geometry) {
    if (!FrameFits(state) || !ScanComponentsFit(state, scan)) {
        return false;
    }
    if (scan.ScanComponentCount == 1) {
        geometry.Columns = ComponentBlockColumns(state, scan.Components[0].HSampling);
        geometry.Rows = ComponentBlockRows(state, scan.Components[0].VSampling);
        geometry.Blocks = 1;
    } else {
        geometry.Columns = state.McusPerRow;
        geometry.Rows = state.McusPerColumn;
        geometry.Blocks = 0;
        for (int32_t i = 0; i < scan.ScanComponentCount; ++i) {
            geometry.Blocks += scan.Components[i].HSampling * scan.Components[i].VSampling;
        }
    }
    if (geometry.Blocks > kMaxMcuBlocks) {
        return false;
    }
    geometry.Uniform = UniformFlag(state);
    SetLags(state, lags, geometry);
    return true;
}

bool ProgressiveGeometry(const CodecState &state, const ScanHeader &scan, LagRule lags,
                         ScanGeometry &geometry) {
    if (!FrameFits(state) || !ScanComponentsFit(state, scan) || state.CoefficientStore == nullptr) {
        return false;
    }
    geometry.Columns = state.McusPerRow;
    geometry.Rows = state.McusPerColumn;
    geometry.Blocks = 0;
    for (int32_t j = 0; j < state.ComponentCount; ++j) {
        const FrameComponent &component = state.Components[j];
        if (component.HSampling < 0 || component.VSampling < 0 || component.QuantSelector < 0 ||
            component.QuantSelector > 3 ||
            state.QuantTables[component.QuantSelector].Entries == nullptr) {
            return false;
        }
        geometry.Blocks += component.HSampling * component.VSampling;
    }
    if (geometry.Blocks > kMaxMcuBlocks) {
        return false;
    }
    geometry.Uniform = UniformFlag(state);
    SetLags(state, lags, geometry);
    return true;
}

bool ProgressiveImageComplete(const CodecState &state) {
    return state.DcScanComponents >= state.ComponentCount &&
           state.AcPassesDone >= state.ComponentCount;
}

int32_t FrameBlockOffset(const CodecState &state, int32_t frameIndex) {
    int32_t offset = 0;
    for (int32_t j = 0; j < frameIndex; ++j) {
        offset += state.Components[j].HSampling * state.Components[j].VSampling;
    }
    return offset;
}

int16_t *StoredMcu(const CodecState &state, const ScanGeometry &geometry, int32_t column,
                   int32_t row) {
    const size_t mcu = static_cast<size_t>(row) * static_cast<size_t>(state.McusPerRow) +
                       static_cast<size_t>(column);
    return state.CoefficientStore + mcu * static_cast<size_t>(geometry.Blocks) * kBlockSize;
}

RegionRange RegionOfInterest(const CodecState &state, const ScanGeometry &grid, int32_t width,
                             int32_t height) {
    RegionRange range;
    range.FirstColumn = state.Roi[0] / width;
    range.EndColumn = static_cast<int32_t>((int64_t{state.Roi[2]} + width - 1) / width);
    range.FirstRow = state.Roi[1] / height;
    range.EndRow = static_cast<int32_t>((int64_t{state.Roi[3]} + height - 1) / height);
    if (range.FirstColumn > 0) {
        range.FirstColumn -= grid.ColumnLag;
    }
    if (range.EndColumn < grid.Columns) {
        range.EndColumn += grid.ColumnLag;
    }
    if (range.FirstRow > 0) {
        range.FirstRow -= grid.RowLag;
    }
    if (range.EndRow < grid.Rows) {
        range.EndRow += grid.RowLag;
    }
    // A region that lies partly or wholly outside the picture keeps to the grid.
    range.FirstColumn = std::clamp(range.FirstColumn, 0, grid.Columns);
    range.EndColumn = std::clamp(range.EndColumn, range.FirstColumn, grid.Columns);
    range.FirstRow = std::clamp(range.FirstRow, 0, grid.Rows);
    range.EndRow = std::clamp(range.EndRow, range.FirstRow, grid.Rows);
    return range;
}

} // namespace rastrum
