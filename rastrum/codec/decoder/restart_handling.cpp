// Restart boundaries: after every restart interval the predictions start again from 0, the bit
// reader drops the rest of its byte and the RSTn marker is consumed.
#include "entropy_decoder.h"
#include "input_stream.h"

namespace rastrum {

int32_t HandleRestart(CodecStream &stream, ScanHeader &scan, int32_t positionsPerRow, int32_t rows,
                      int32_t column, int32_t row) {
    const int64_t interval = scan.ScanRestartInterval;
    if (interval <= 0) {
        return 0;
    }
    const int64_t decoded = static_cast<int64_t>(row) * positionsPerRow + column + 1;
    if (decoded % interval != 0 || decoded >= static_cast<int64_t>(positionsPerRow) * rows) {
        return 0;
    }
    for (int32_t &predictor : scan.DcPredictor) {
        predictor = 0;
    }
    stream.BitCount = 0;
    // The marker's number is not checked: any marker at the boundary ends the interval.
    if (stream.PendingMarker != 0) {
        stream.PendingMarker = 0;
        return 0;
    }
    uint8_t marker = 0;
    return NextMarker(stream, marker);
}

} // namespace rastrum
