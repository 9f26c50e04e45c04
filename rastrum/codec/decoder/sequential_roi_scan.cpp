// The region-of-interest loop of a sequential scan: rows above the region are reached through
// the region index (or walked with SkipBlock), columns outside the region are skipped, the
// region's MCUs are decoded and output, and rows after the region are not read.
#include <algorithm>

#include "dispatch_table.h"
#include "entropy_decoder.h"
#include "process_mcu.h"
#include "scan_checkpoint.h"
#include "scan_geometry.h"
#include "scan_loops.h"
#include "sequential_mcu.h"

namespace rastrum {

namespace {

bool EntryFilled(const CodecState &state, int32_t row) {
    return row >= 0 && row < ROI_INDEX_ENTRIES && state.RoiIndex[row].Position >= 0;
}

class SequentialRegion {
  public:
    SequentialRegion(CodecState &state, ScanHeader &scan, int32_t scale)
        : state_(state), scan_(scan), scale_(scale) {}

    int32_t Run() {
        if (state_.RoiIndex == nullptr ||
            !SequentialGeometry(state_, scan_, LagRule::Region, grid_)) {
            return CODEC_DATA_ERROR;
        }
        PlanSequentialMcu(state_, scan_, grid_, plan_);
        const ScanComponent &first = scan_.Components[0];
        const int32_t h = scan_.ScanComponentCount == 1 ? first.HSampling : 1;
        const int32_t v = scan_.ScanComponentCount == 1 ? first.VSampling : 1;
        range_ = RegionOfInterest(state_, grid_, 8 * state_.MaxHSampling / h / scale_,
                                  8 * state_.MaxVSampling / v / scale_);
        // Later component scans of a non-interleaved image are skipped from their start; only
        // the first component's scan uses the index.
        walkFromStart_ = state_.NonInterleaved != 0 && state_.Stream.DecodedComponents != 0;

        const int32_t startRow = std::max(scan_.ResumeRow, range_.FirstRow);
        const int32_t startColumn = scan_.ResumeColumn;
        int32_t result = 0;
        if (startColumn == 0 && startRow < range_.EndRow) {
            if ((result = ReachRow(startRow)) != 0) {
                return result;
            }
        }
        for (int32_t row = startRow; row < range_.EndRow; ++row) {
            if ((result = RegionRow(row, row == startRow ? startColumn : 0)) != 0) {
                return result;
            }
        }
        if (grid_.RowLag != 0) {
            for (int32_t column = range_.FirstColumn; column < range_.EndColumn + grid_.ColumnLag;
                 ++column) {
                Process(column, range_.EndRow);
            }
        }
        scan_.ResumeColumn = 0;
        scan_.ResumeRow = 0;
        return state_.NonInterleaved != 0 && state_.AcPassesDone < state_.ComponentCount
                   ? CODEC_SUCCESS
                   : CODEC_ROI_SUCCESS;
    }

  private:
    void Process(int32_t column, int32_t row) {
        ProcessMcu(state_, scan_, column, row, grid_.Blocks, state_.WorkArea, grid_.Columns,
                   grid_.Rows, scale_, grid_.Uniform);
    }

    // Walks the positions [from, to) of a row with SkipBlock.
    int32_t SkipColumns(int32_t row, int32_t from, int32_t to) {
        for (int32_t column = from; column < to; ++column) {
            if (SkipSequentialMcu(state_, plan_) < 0) {
                return CODEC_DATA_ERROR;
            }
            if (HandleRestart(state_.Stream, scan_, grid_.Columns, grid_.Rows, column, row) < 0) {
                return CODEC_BAD_RST_MARKER;
            }
        }
        return 0;
    }

    // Brings the stream to the start of `row`: from the scan's start for later component scans,
    // else through the nearest filled index entry, filling the entries of the rows walked.
    int32_t ReachRow(int32_t row) {
        int32_t result = 0;
        if (walkFromStart_) {
            for (int32_t skipped = 0; skipped < row; ++skipped) {
                if ((result = SkipColumns(skipped, 0, grid_.Columns)) != 0) {
                    return result;
                }
            }
            return 0;
        }
        int32_t known = std::min(row, ROI_INDEX_ENTRIES - 1);
        while (known > 0 && !EntryFilled(state_, known)) {
            --known;
        }
        if (RestoreRoiEntry(state_, scan_, known) != 0) {
            return CODEC_FILE_ERROR;
        }
        for (int32_t skipped = known; skipped < row; ++skipped) {
            if ((result = SkipColumns(skipped, 0, grid_.Columns)) != 0) {
                return result;
            }
            SaveRoiEntry(state_, scan_, skipped + 1);
        }
        return 0;
    }

    // One row of the region: 0 to go on, 1 when stopped at a check point, or an error.
    int32_t RegionRow(int32_t row, int32_t startColumn) {
        const int32_t columnLag = grid_.ColumnLag;
        const int32_t rowLag = grid_.RowLag;
        int32_t result = SkipColumns(row, startColumn, range_.FirstColumn);
        if (result != 0) {
            return result;
        }
        for (int32_t column = std::max(range_.FirstColumn, startColumn); column < range_.EndColumn;
             ++column) {
            if (DecodeSequentialMcu(state_, plan_, column, row) < 0) {
                return CODEC_DATA_ERROR;
            }
            if (HandleRestart(state_.Stream, scan_, grid_.Columns, grid_.Rows, column, row) < 0) {
                return CODEC_BAD_RST_MARKER;
            }
            if (!plan_.Raw) {
                Process(column, row);
            }
            const bool noCheckPoint = state_.NonInterleaved != 0 ||
                                      (column == range_.FirstColumn && columnLag != 0) ||
                                      (row == range_.FirstRow && rowLag != 0) ||
                                      (column == range_.EndColumn - 1 && columnLag == 0);
            if (!noCheckPoint && StopRequested(state_, scan_, column + 1, row, grid_.Rows,
                                               column - columnLag, row - rowLag, result)) {
                return result;
            }
        }
        if (columnLag != 0) {
            Process(range_.EndColumn, row);
        }
        if (row + 1 >= grid_.Rows) {
            return 0;
        }
        if (walkFromStart_) {
            return SkipColumns(row, range_.EndColumn, grid_.Columns);
        }
        if (EntryFilled(state_, row + 1)) {
            return RestoreRoiEntry(state_, scan_, row + 1) != 0 ? CODEC_FILE_ERROR : 0;
        }
        if ((result = SkipColumns(row, range_.EndColumn, grid_.Columns)) != 0) {
            return result;
        }
        SaveRoiEntry(state_, scan_, row + 1);
        return 0;
    }

    CodecState &state_;
    ScanHeader &scan_;
    const int32_t scale_;
    ScanGeometry grid_;
    SequentialMcuPlan plan_;
    RegionRange range_;
    bool walkFromStart_ = false;
};

} // namespace

int32_t DecodeSequentialRoi(CodecState &state, ScanHeader &scan, int32_t scale) {
    SequentialRegion region(state, scan, scale);
    const int32_t result = region.Run();
    const EndCallRoutine endCall = state.Stream.Dispatch->EndCall;
    if (endCall != nullptr) {
        endCall();
    }
    return result;
}

} // namespace rastrum
