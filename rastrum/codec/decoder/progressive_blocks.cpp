// Progressive scans into CoefficientStore, and stored MCUs out to the per-MCU stage.
#include "progressive_blocks.h"

#include <cstring>

#include "dispatch_table.h"
#include "entropy_decoder.h"
#include "process_mcu.h"
#include "raw_planes.h"

namespace rastrum {

namespace {

bool AcScan(const ScanHeader &scan) {
    return scan.SpectralStart != 0 && scan.SpectralEnd != 0;
}

} // namespace

bool WalksComponentBlocks(const ScanHeader &scan) {
    if (AcScan(scan)) {
        return true;
    }
    const ScanComponent &component = scan.Components[0];
    return scan.ScanComponentCount == 1 && component.HSampling * component.VSampling > 1;
}

int32_t DecodeComponentRow(CodecState &state, ScanHeader &scan, const ScanGeometry &grid,
                           int32_t row, int32_t firstColumn) {
    CodecStream &stream = state.Stream;
    const ScanComponent &component = scan.Components[0];
    const int32_t h = component.HSampling;
    const int32_t v = component.VSampling;
    const int32_t blockColumns = ComponentBlockColumns(state, h);
    const int32_t blockRows = ComponentBlockRows(state, v);
    const int32_t offset = FrameBlockOffset(state, component.FrameIndex);
    const bool ac = AcScan(scan);
    const bool refine = scan.ApproxHigh > 0;
    for (int32_t i = 0; i < v && row * v + i < blockRows; ++i) {
        for (int32_t column = firstColumn; column < grid.Columns; ++column) {
            int16_t *mcu = StoredMcu(state, grid, column, row);
            for (int32_t k = 0; k < h && column * h + k < blockColumns; ++k) {
                int16_t *block = mcu + (offset + i * h + k) * kBlockSize;
                int32_t result = 0;
                if (ac) {
                    result = refine ? DecodeAcRefine(stream, scan, *component.AcTable, block)
                                    : DecodeAcFirst(stream, scan, *component.AcTable, block);
                } else if (refine) {
                    result = DecodeDcRefine(stream, scan, block);
                } else {
                    std::memset(block, 0, kBlockSize * sizeof(int16_t));
                    result = DecodeDcFirst(stream, scan, *component.DcTable, &scan.DcPredictor[0],
                                           block);
                }
                if (result < 0) {
                    return result;
                }
                if (HandleRestart(stream, scan, blockColumns, blockRows, column * h + k,
                                  row * v + i) < 0) {
                    return CODEC_BAD_RST_MARKER;
                }
            }
        }
    }
    return 0;
}

int32_t DecodeDcMcu(CodecState &state, ScanHeader &scan, const ScanGeometry &grid, int32_t column,
                    int32_t row) {
    CodecStream &stream = state.Stream;
    int16_t *mcu = StoredMcu(state, grid, column, row);
    const bool refine = scan.ApproxHigh > 0;
    for (int32_t c = 0; c < scan.ScanComponentCount; ++c) {
        const ScanComponent &component = scan.Components[c];
        int16_t *block = mcu + FrameBlockOffset(state, component.FrameIndex) * kBlockSize;
        const int32_t blocks = component.HSampling * component.VSampling;
        for (int32_t b = 0; b < blocks; ++b, block += kBlockSize) {
            int32_t result = 0;
            if (refine) {
                result = DecodeDcRefine(stream, scan, block);
            } else {
                std::memset(block, 0, kBlockSize * sizeof(int16_t));
                result =
                    DecodeDcFirst(stream, scan, *component.DcTable, &scan.DcPredictor[c], block);
            }
            if (result < 0) {
                return result;
            }
        }
    }
    if (HandleRestart(stream, scan, grid.Columns, grid.Rows, column, row) < 0) {
        return CODEC_BAD_RST_MARKER;
    }
    return 0;
}

void ShowStoredMcu(CodecState &state, ScanHeader &scan, const ScanGeometry &grid, int32_t column,
                   int32_t row, int32_t scale) {
    const int16_t *mcu = StoredMcu(state, grid, column, row);
    if (RawCoefficientOutput(state)) {
        CopyMcuToPlanes(state, mcu, column, row);
        return;
    }
    std::memcpy(state.WorkArea, mcu, static_cast<size_t>(grid.Blocks) * kBlockSize * 2);
    const BlockQuantiser dequantize = state.Stream.Dispatch->ActiveDequantize;
    int16_t *block = state.WorkArea;
    for (int32_t j = 0; j < state.ComponentCount; ++j) {
        const FrameComponent &component = state.Components[j];
        const int16_t *table = state.QuantTables[component.QuantSelector].Entries;
        const int32_t blocks = component.HSampling * component.VSampling;
        for (int32_t b = 0; b < blocks; ++b, block += kBlockSize) {
            dequantize(block, table);
        }
    }
    ProcessMcu(state, scan, column, row, grid.Blocks, state.WorkArea, grid.Columns, grid.Rows,
               scale, grid.Uniform);
}

} // namespace rastrum
