// The whole-image loop of a progressive scan: coefficients go to CoefficientStore; once the image
// is complete enough to show, the stored MCUs go through the per-MCU stage, with stopping and
// resuming and the flush calls of the output lags.
#include "process_mcu.h"
#include "progressive_blocks.h"
#include "scan_checkpoint.h"
#include "scan_geometry.h"
#include "scan_loops.h"

namespace rastrum {

namespace {

// A scan walked in its component's block order: one MCU row at a time, shown row by row.
int32_t ComponentScan(CodecState &state, ScanHeader &scan, const ScanGeometry &grid,
                      int32_t scale) {
    const bool raw = RawCoefficientOutput(state);
    const int32_t firstRow = scan.ResumeRow;
    const int32_t firstColumn = scan.ResumeColumn;
    for (int32_t row = firstRow; row < grid.Rows; ++row) {
        const int32_t result =
            DecodeComponentRow(state, scan, grid, row, row == firstRow ? firstColumn : 0);
        if (result < 0) {
            return result;
        }
        if (ProgressiveImageComplete(state)) {
            for (int32_t column = 0; column < grid.Columns; ++column) {
                ShowStoredMcu(state, scan, grid, column, row, scale);
            }
            if (!raw) {
                ProcessMcu(state, scan, grid.Columns, row, grid.Blocks, state.WorkArea,
                           grid.Columns, grid.Rows, scale, grid.Uniform);
            }
        }
        int32_t stop = 0;
        if (StopRequested(state, scan, 0, row + 1, grid.Rows + grid.RowLag, grid.Columns - 1,
                          row - grid.RowLag, stop)) {
            return stop;
        }
    }
    if (!raw) {
        for (int32_t column = 0; column <= grid.Columns; ++column) {
            ProcessMcu(state, scan, column, grid.Rows, grid.Blocks, state.WorkArea, grid.Columns,
                       grid.Rows, scale, grid.Uniform);
        }
    }
    scan.ResumeColumn = 0;
    scan.ResumeRow = 0;
    return 0;
}

// A DC scan walked MCU by MCU.
int32_t McuScan(CodecState &state, ScanHeader &scan, const ScanGeometry &grid, int32_t scale) {
    const int32_t columns = grid.Columns;
    const int32_t rows = grid.Rows;
    const int32_t columnLag = grid.ColumnLag;
    const int32_t rowLag = grid.RowLag;
    const int32_t endRow = rows + rowLag;
    const int32_t firstRow = scan.ResumeRow;
    const int32_t firstColumn = scan.ResumeColumn;
    const bool show = ProgressiveImageComplete(state);
    auto flush = [&](int32_t column, int32_t row) {
        ProcessMcu(state, scan, column, row, grid.Blocks, state.WorkArea, columns, rows, scale,
                   grid.Uniform);
    };
    auto stopAfter = [&](int32_t column, int32_t row, int32_t &result) {
        const int32_t nextColumn = (column + 1) % (columns + columnLag);
        const int32_t nextRow = nextColumn == 0 ? row + 1 : row;
        return StopRequested(state, scan, nextColumn, nextRow, endRow, column - columnLag,
                             row - rowLag, result);
    };
    int32_t result = 0;

    for (int32_t row = firstRow; row < rows; ++row) {
        for (int32_t column = row == firstRow ? firstColumn : 0; column < columns; ++column) {
            if ((result = DecodeDcMcu(state, scan, grid, column, row)) < 0) {
                return result;
            }
            if (show) {
                ShowStoredMcu(state, scan, grid, column, row, scale);
            }
            const bool lagged = (column == 0 && columnLag != 0) || (row == 0 && rowLag != 0);
            if (!lagged && stopAfter(column, row, result)) {
                return result;
            }
        }
        if (columnLag != 0) {
            flush(columns, row);
            if (!(row == 0 && rowLag != 0) &&
                StopRequested(state, scan, 0, row + 1, endRow, columns - columnLag, row - rowLag,
                              result)) {
                return result;
            }
        }
    }
    if (rowLag != 0) {
        for (int32_t column = firstRow == rows ? firstColumn : 0; column <= columns; ++column) {
            flush(column, rows);
            if (!(column == 0 && columnLag != 0) && stopAfter(column, rows, result)) {
                return result;
            }
        }
    }
    scan.ResumeColumn = 0;
    scan.ResumeRow = 0;
    return 0;
}

} // namespace

int32_t DecodeProgressiveScan(CodecState &state, ScanHeader &scan, int32_t scale) {
    ScanGeometry grid;
    if (!ProgressiveGeometry(state, scan, LagRule::WholeImage, grid)) {
        return CODEC_DATA_ERROR;
    }
    return WalksComponentBlocks(scan) ? ComponentScan(state, scan, grid, scale)
                                      : McuScan(state, scan, grid, scale);
}

} // namespace rastrum
