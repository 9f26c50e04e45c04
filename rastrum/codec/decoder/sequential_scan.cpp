// The whole-image loop of a sequential scan: every MCU in raster order, restart handling, the
// per-MCU stage, stopping and resuming, and the flush calls of the output lags.
#include "entropy_decoder.h"
#include "process_mcu.h"
#include "scan_checkpoint.h"
#include "scan_geometry.h"
#include "scan_loops.h"
#include "sequential_mcu.h"

namespace rastrum {

int32_t DecodeSequentialScan(CodecState &state, ScanHeader &scan, int32_t scale) {
    ScanGeometry grid;
    if (!SequentialGeometry(state, scan, LagRule::WholeImage, grid)) {
        return CODEC_DATA_ERROR;
    }
    SequentialMcuPlan plan;
    PlanSequentialMcu(state, scan, grid, plan);
    const int32_t columns = grid.Columns;
    const int32_t rows = grid.Rows;
    const int32_t columnLag = grid.ColumnLag;
    const int32_t rowLag = grid.RowLag;
    const int32_t endRow = rows + rowLag;
    const int32_t firstRow = scan.ResumeRow;
    const int32_t firstColumn = scan.ResumeColumn;
    auto process = [&](int32_t column, int32_t row) {
        ProcessMcu(state, scan, column, row, grid.Blocks, state.WorkArea, columns, rows, scale,
                   grid.Uniform);
    };
    // The check point after the MCU (or flush position) at (column, row).
    auto stopAfter = [&](int32_t column, int32_t row, int32_t &result) {
        const int32_t nextColumn = (column + 1) % (columns + columnLag);
        const int32_t nextRow = nextColumn == 0 ? row + 1 : row;
        return StopRequested(state, scan, nextColumn, nextRow, endRow, column - columnLag,
                             row - rowLag, result);
    };
    int32_t result = 0;

    for (int32_t row = firstRow; row < rows; ++row) {
        for (int32_t column = row == firstRow ? firstColumn : 0; column < columns; ++column) {
            if ((result = DecodeSequentialMcu(state, plan, column, row)) < 0) {
                return result;
            }
            if ((result = HandleRestart(state.Stream, scan, columns, rows, column, row)) < 0) {
                return result;
            }
            if (!plan.Raw) {
                process(column, row);
            }
            // Under a lag nothing has been output yet at column 0 or in row 0.
            const bool lagged = (column == 0 && columnLag != 0) || (row == 0 && rowLag != 0);
            if (!lagged && stopAfter(column, row, result)) {
                return result;
            }
        }
        if (columnLag != 0) {
            process(columns, row);
            if (StopRequested(state, scan, 0, row + 1, endRow, columns - columnLag, row - rowLag,
                              result)) {
                return result;
            }
        }
    }
    if (rowLag != 0) {
        for (int32_t column = firstRow == rows ? firstColumn : 0; column < columns; ++column) {
            process(column, rows);
            if (!(column == 0 && columnLag != 0) && stopAfter(column, rows, result)) {
                return result;
            }
        }
        if (columnLag != 0) {
            process(columns, rows);
        }
    }
    scan.ResumeColumn = 0;
    scan.ResumeRow = 0;
    return 0;
}

} // namespace rastrum
