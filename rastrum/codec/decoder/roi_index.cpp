// The region-of-interest index: the stream state at the start of an MCU row, saved as a region
// read passes the row and restored by a later region read of the same scan to jump there.
#include "file_stream.h"
#include "input_stream.h"
#include "scan_loops.h"

namespace rastrum {

namespace {

bool RowInIndex(const CodecState &state, int32_t row) {
    return state.RoiIndex != nullptr && row >= 0 && row < ROI_INDEX_ENTRIES;
}

} // namespace

void SaveRoiEntry(CodecState &state, const ScanHeader &scan, int32_t row) {
    if (!RowInIndex(state, row)) {
        return;
    }
    const CodecStream &stream = state.Stream;
    RoiIndexEntry &entry = state.RoiIndex[row];
    entry.Position = stream.FileMode != 0 ? int64_t{stream.StreamByteCount}
                                          : int64_t{stream.StreamPos - state.JpegBuffer};
    for (int32_t i = 0; i < 4; ++i) {
        entry.DcPredictor[i] = scan.DcPredictor[i];
    }
    entry.BitAccumulator = stream.BitAccumulator;
    entry.BitCount = stream.BitCount;
    entry.PendingMarker = stream.PendingMarker;
}

int32_t RestoreRoiEntry(CodecState &state, ScanHeader &scan, int32_t row) {
    if (!RowInIndex(state, row) || state.RoiIndex[row].Position < 0) {
        return CODEC_FILE_ERROR;
    }
    const RoiIndexEntry &entry = state.RoiIndex[row];
    CodecStream &stream = state.Stream;
    if (stream.FileMode != 0) {
        if (entry.Position > INT32_MAX || !SeekFileFromStart(stream.FileHandle, entry.Position)) {
            return CODEC_FILE_ERROR;
        }
        stream.StreamByteCount = static_cast<int32_t>(entry.Position);
        if (RefillInput(stream) != 0) {
            return CODEC_FILE_ERROR;
        }
    } else {
        if (entry.Position > stream.StreamCapacity) {
            return CODEC_FILE_ERROR;
        }
        stream.StreamPos = state.JpegBuffer + entry.Position;
        stream.StreamByteCount = static_cast<int32_t>(entry.Position);
        stream.StreamBytesLeft = stream.StreamCapacity - stream.StreamByteCount;
    }
    for (int32_t i = 0; i < 4; ++i) {
        scan.DcPredictor[i] = entry.DcPredictor[i];
    }
    stream.BitAccumulator = entry.BitAccumulator;
    stream.BitCount = entry.BitCount;
    stream.PendingMarker = static_cast<uint8_t>(entry.PendingMarker);
    return 0;
}

} // namespace rastrum
