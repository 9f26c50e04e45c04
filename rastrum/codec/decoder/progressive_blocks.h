// The parts the progressive loops share: decoding a scan's blocks into CoefficientStore (MCU by
// MCU for DC scans of several components, block by block in the component's raster order for a
// single component) and showing a stored MCU.
#pragma once

#include <cstdint>

#include "rastrum.h"
#include "scan_geometry.h"

namespace rastrum {

// True for scans whose blocks are walked in the raster order of their single component: AC
// scans (Ss and Se non-zero; the first scan component is used), and DC scans of one component
// that has more than one block per MCU.  Every other scan is walked MCU by MCU.
bool WalksComponentBlocks(const ScanHeader &scan);

// Decodes the blocks of MCU row `row` of a component-walked scan: block rows i = 0..V-1 and, from
// MCU column `firstColumn`, block columns column x H + k, as far as the component reaches.
// After each block HandleRestart runs on the component's block grid.  0, the block decoder's
// negative result, or -25 when the restart marker search fails.
int32_t DecodeComponentRow(CodecState &state, ScanHeader &scan, const ScanGeometry &grid,
                           int32_t row, int32_t firstColumn);

// Decodes the DC coefficients of the MCU at (column, row) for every scan component, each
// component's blocks in its own place of the stored MCU, then runs HandleRestart on the MCU grid.
// 0, the block decoder's negative result, or -25.
int32_t DecodeDcMcu(CodecState &state, ScanHeader &scan, const ScanGeometry &grid, int32_t column,
                    int32_t row);

// Shows the stored MCU at (column, row): raw-coefficient output copies it to the planes;
// otherwise it is copied into WorkArea, each block dequantised with its frame component's table,
// and handed to ProcessMcu.
void ShowStoredMcu(CodecState &state, ScanHeader &scan, const ScanGeometry &grid, int32_t column,
                   int32_t row, int32_t scale);

} // namespace rastrum
