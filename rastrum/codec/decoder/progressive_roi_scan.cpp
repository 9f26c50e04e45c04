// The region-of-interest loop of a progressive scan: the whole scan is still decoded into
// CoefficientStore (later scans refine every block), but only the region's MCUs are shown; once
// the coefficients are complete a region is shown from the store without reading the stream.
#include "process_mcu.h"
#include "progressive_blocks.h"
#include "scan_checkpoint.h"
#include "scan_geometry.h"
#include "scan_loops.h"

namespace rastrum {

namespace {

struct RegionScan {
    CodecState &State;
    ScanHeader &Scan;
    const ScanGeometry &Grid;
    const RegionRange &Range;
    const int32_t Scale;
    const bool Show;

    void Process(int32_t column, int32_t row) const {
        ProcessMcu(State, Scan, column, row, Grid.Blocks, State.WorkArea, Grid.Columns, Grid.Rows,
                   Scale, Grid.Uniform);
    }

    bool InRegion(int32_t column, int32_t row) const {
        return column >= Range.FirstColumn && column < Range.EndColumn && row >= Range.FirstRow &&
               row < Range.EndRow;
    }

    int32_t Finished() const {
        Scan.ResumeColumn = 0;
        Scan.ResumeRow = 0;
        return Show ? CODEC_ROI_SUCCESS : CODEC_SUCCESS;
    }

    // Component-walked scans: row by row; the region's part of each row is shown after it.
    int32_t ComponentRows() const {
        const bool raw = RawCoefficientOutput(State);
        // After the region read that completed the image the coefficients are final: the
        // stream is not read again.
        const bool read = State.AcPassesDone <= State.ComponentCount;
        const int32_t firstRow = Scan.ResumeRow;
        for (int32_t row = firstRow; row < Grid.Rows; ++row) {
            if (read) {
                const int32_t result = DecodeComponentRow(State, Scan, Grid, row,
                                                          row == firstRow ? Scan.ResumeColumn : 0);
                if (result < 0) {
                    return result;
                }
            }
            if (Show && row >= Range.FirstRow && row < Range.EndRow) {
                for (int32_t column = Range.FirstColumn; column < Range.EndColumn; ++column) {
                    ShowStoredMcu(State, Scan, Grid, column, row, Scale);
                }
                if (!raw && Grid.ColumnLag != 0) {
                    Process(Range.EndColumn, row);
                }
            }
            int32_t stop = 0;
            if (StopRequested(State, Scan, 0, row + 1, Grid.Rows + Grid.RowLag, Grid.Columns - 1,
                              row - Grid.RowLag, stop)) {
                return stop;
            }
        }
        if (!raw && Grid.RowLag != 0) {
            for (int32_t column = Range.FirstColumn; column <= Range.EndColumn; ++column) {
                Process(column, Grid.Rows);
            }
            if (State.InterruptRequest != 0) {
                Scan.ResumeColumn = 0;
                Scan.ResumeRow = 0;
                return CODEC_SUCCESS;
            }
        }
        return Finished();
    }

    // DC scans of several components: every MCU of the image, the region's shown.
    int32_t Mcus() const {
        const int32_t firstRow = Scan.ResumeRow;
        for (int32_t row = firstRow; row < Grid.Rows; ++row) {
            for (int32_t column = row == firstRow ? Scan.ResumeColumn : 0; column < Grid.Columns;
                 ++column) {
                int32_t result = DecodeDcMcu(State, Scan, Grid, column, row);
                if (result < 0) {
                    return result;
                }
                if (Show && InRegion(column, row)) {
                    ShowStoredMcu(State, Scan, Grid, column, row, Scale);
                }
                const int32_t nextColumn = (column + 1) % Grid.Columns;
                const int32_t nextRow = nextColumn == 0 ? row + 1 : row;
                if (StopRequested(State, Scan, nextColumn, nextRow, Grid.Rows,
                                  column - Grid.ColumnLag, row - Grid.RowLag, result)) {
                    return result;
                }
            }
        }
        return Finished();
    }
};

} // namespace

int32_t DecodeProgressiveRoi(CodecState &state, ScanHeader &scan, int32_t scale) {
    ScanGeometry grid;
    if (!ProgressiveGeometry(state, scan, LagRule::Region, grid)) {
        return CODEC_DATA_ERROR;
    }
    const RegionRange range = RegionOfInterest(state, grid, 8 / scale * state.MaxHSampling,
                                               8 / scale * state.MaxVSampling);
    const RegionScan region{state, scan, grid, range, scale, ProgressiveImageComplete(state)};
    return WalksComponentBlocks(scan) ? region.ComponentRows() : region.Mcus();
}

} // namespace rastrum
