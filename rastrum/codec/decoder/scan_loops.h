// The loops that walk the MCUs of one scan: whole-image and region-of-interest loops for
// sequential and progressive images, with stopping and resuming, raw planes and output lags.
//
// CoefficientStore (progressive images) holds McusPerRow x McusPerColumn MCUs in raster order,
// each the blocks of every frame component in frame order (H x V blocks each, row by row),
// 64 int16 per block.  RoiIndex entries are initialised by DecodeScanData: entry 0 holds the
// position of the scan data's start, the others are empty (Position -1).
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Each returns 0 (scan finished, or left for the marker loop), 1 (stopped on InterruptRequest,
// resume position saved), 2 (region loops: region complete) or a negative result code.
int32_t DecodeSequentialScan(CodecState &state, ScanHeader &scan, int32_t scale);
int32_t DecodeProgressiveScan(CodecState &state, ScanHeader &scan, int32_t scale);
int32_t DecodeSequentialRoi(CodecState &state, ScanHeader &scan, int32_t scale);
int32_t DecodeProgressiveRoi(CodecState &state, ScanHeader &scan, int32_t scale);

void SaveRoiEntry(CodecState &state, const ScanHeader &scan, int32_t row);
int32_t RestoreRoiEntry(CodecState &state, ScanHeader &scan, int32_t row);

} // namespace rastrum
