// Runs the entropy-coded data of one scan: loads the inverse DCT family into the active slots,
// derives the scale from the read mode, prepares a region-of-interest read and picks the loop.
#include <algorithm>
#include <cstdlib>

#include "dispatch_table.h"
#include "marker_reader.h"
#include "scan_loops.h"

namespace rastrum {

namespace {

void LoadInverseDctFamily(const CodecState &state, DispatchTable &table) {
    if (state.DctMethod == 1) {
        table.ActiveInverseDct = table.InverseDctB;
        table.ActiveInverseDctHalf = table.InverseDctBHalf;
        table.ActiveInverseDctQuarter = table.InverseDctBQuarter;
        table.ActiveInverseDctEighth = table.InverseDctBEighth;
        table.ActiveDequantize = table.DequantizeB;
    } else {
        table.ActiveInverseDct = table.InverseDctA;
        table.ActiveInverseDctHalf = table.InverseDctAHalf;
        table.ActiveInverseDctQuarter = table.InverseDctAQuarter;
        table.ActiveInverseDctEighth = table.InverseDctAEighth;
        table.ActiveDequantize = table.DequantizeA;
    }
}

int32_t ScaleOfMode(int32_t mode) {
    switch (mode) {
    case IO_READ_HALF_FILE:
    case IO_READ_HALF_MEMORY:
        return 2;
    case IO_READ_QUARTER_FILE:
    case IO_READ_QUARTER_MEMORY:
        return 4;
    case IO_READ_EIGHTH_FILE:
    case IO_READ_EIGHTH_MEMORY:
        return 8;
    default:
        return 1;
    }
}

bool RegionRequested(const CodecState &state) {
    const int32_t left = state.Roi[0];
    const int32_t top = state.Roi[1];
    const int32_t right = state.Roi[2];
    const int32_t bottom = state.Roi[3];
    return (right > 0 && right < state.JpegWidth) || (bottom > 0 && bottom < state.JpegHeight) ||
           top > 0 || left > 0;
}

// The index starts with the position of the scan data; every other row is still unknown.
int32_t PrepareRoiIndex(CodecState &state) {
    if (state.RoiIndex != nullptr) {
        return CODEC_SUCCESS;
    }
    auto *index = static_cast<RoiIndexEntry *>(
        std::calloc(ROI_INDEX_ENTRIES, sizeof(RoiIndexEntry)));
    if (index == nullptr) {
        return CODEC_MEMORY_ERROR;
    }
    const CodecStream &stream = state.Stream;
    index[0].Position = stream.FileMode != 0 ? int64_t{stream.StreamByteCount}
                                             : int64_t{stream.StreamPos - state.JpegBuffer};
    index[0].PendingMarker = stream.PendingMarker;
    for (int32_t row = 1; row < ROI_INDEX_ENTRIES; ++row) {
        index[row].Position = -1;
    }
    state.RoiIndex = index;
    return CODEC_SUCCESS;
}

} // namespace

int32_t DecodeScanData(CodecState &state, ScanHeader &scan) {
    DispatchTable &table = *state.Stream.Dispatch;
    LoadInverseDctFamily(state, table);
    const int32_t scale = ScaleOfMode(state.IoMode);

    const bool region = RegionRequested(state);
    if (region) {
        state.Roi[2] = std::min(state.Roi[2], state.JpegWidth);
        state.Roi[3] = std::min(state.Roi[3], state.JpegHeight);
        state.Roi[0] = std::max(state.Roi[0], 0);
        state.Roi[1] = std::max(state.Roi[1], 0);
        if (const int32_t result = PrepareRoiIndex(state); result != CODEC_SUCCESS) {
            return result;
        }
    }

    int32_t result = 0;
    if (state.Progressive != 0) {
        result = region ? DecodeProgressiveRoi(state, scan, scale)
                        : DecodeProgressiveScan(state, scan, scale);
    } else {
        result = region ? DecodeSequentialRoi(state, scan, scale)
                        : DecodeSequentialScan(state, scan, scale);
    }
    if (result == CODEC_SUCCESS) {
        state.Stream.BitCount = 0;
    }
    if (table.EndCall != nullptr) {
        table.EndCall();
    }
    return result;
}

} // namespace rastrum
