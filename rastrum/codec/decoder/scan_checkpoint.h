// The check point of the scan loops: when the caller asked to stop, the loop either finishes (the
// next position lies past the scan) or saves the next position and reports where it stopped.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// True when the loop must return now with `result`: 0 when the next position (nextColumn,
// nextRow) lies at or past `endRow` (the scan is finished, the resume position cleared), else 1
// with the resume position saved and Roi set to (reportColumn, reportRow) on both corners.
inline bool StopRequested(CodecState &state, ScanHeader &scan, int32_t nextColumn, int32_t nextRow,
                          int32_t endRow, int32_t reportColumn, int32_t reportRow,
                          int32_t &result) {
    if (state.InterruptRequest == 0) {
        return false;
    }
    if (nextRow >= endRow) {
        scan.ResumeColumn = 0;
        scan.ResumeRow = 0;
        result = CODEC_SUCCESS;
        return true;
    }
    scan.ResumeColumn = nextColumn;
    scan.ResumeRow = nextRow;
    state.Roi[0] = reportColumn;
    state.Roi[1] = reportRow;
    state.Roi[2] = reportColumn;
    state.Roi[3] = reportRow;
    result = CODEC_INTERRUPT_SUCCESS;
    return true;
}

} // namespace rastrum
