// Dequantisation and inverse DCT of 8x8 blocks in two families of arithmetic.  Family A: tables
// pre-scaled by the AAN factors and a 16-bit fast transform; family B: plain tables and a 32-bit
// accurate transform.  Blocks are 64 int16 in natural order and are transformed in place into
// samples 0..255 (level shift and clamping included); a reduced transform leaves n x n samples
// in the block's top-left corner, 8 entries apart from row to row.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// AAN scale factors indexed by zig-zag position.
extern const double kAanScale[64];

// Prepares a table from the 64 values of a DQT in zig-zag order: natural order, followed by 16
// zero entries.  A: scaled for InverseDctA; B: values unchanged.
void PrepareQuantTableA(QuantTable &table, const int16_t *zigzagValues);
void PrepareQuantTableB(QuantTable &table, const int16_t *zigzagValues);

void DequantizeA(int16_t *block, const int16_t *table);
void DequantizeB(int16_t *block, const int16_t *table);

void InverseDctA(int16_t *block);
void InverseDctAHalf(int16_t *block);
void InverseDctAQuarter(int16_t *block);
void InverseDctAEighth(int16_t *block);
void InverseDctB(int16_t *block);
void InverseDctBHalf(int16_t *block);
void InverseDctBQuarter(int16_t *block);
void InverseDctBEighth(int16_t *block);

} // namespace rastrum
