// The copy of the caller's outer fields into the inner record that every read and write starts
// with (unless the caller fills the inner record itself).
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Signed byte step between pixel rows: width x bytes per pixel (2 for interleaved 4:2:2 YCbCr)
// plus padding, negative for bottom-up rows.  Computed in 64 bits so no input overflows it.
int64_t PixelRowStride(int32_t width, int32_t height, int32_t channels, int32_t subsampling,
                       int32_t padding);

// Copies outer fields 2 to 21 into the inner record and sets PixelRowStride.  -8 when the row
// stride does not fit 32 bits (the inner record is then left unchanged).
CodecError CopyOuterFields(CodecProperties &record);

} // namespace rastrum
