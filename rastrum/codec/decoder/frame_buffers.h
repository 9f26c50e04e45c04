// The decoder's whole-frame buffers: the coefficient store of progressive images and the
// smoothing planes of the upsampler.  Both are sized from the frame, so a new frame header
// releases them and they are allocated again for the new geometry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Sum of H x V over the frame's components: the blocks of one MCU of a progressive image.
int32_t FrameBlocksPerMcu(const CodecState &state);

// Bytes of the coefficient store: blocks per MCU x 64 x McusPerRow x McusPerColumn int16,
// computed in size_t so that the largest frames cannot overflow.
size_t CoefficientStoreBytes(const CodecState &state);

// Allocates the zeroed coefficient store; -5 when the memory is not available.
int32_t AllocateCoefficientStore(CodecState &state);

// Allocates the four smoothing planes of McusPerRow + 2 MCU slots in one block; -5 on failure.
int32_t AllocateSmoothingPlanes(CodecState &state);

// Releases both buffers (each may be absent).
void ReleaseFrameBuffers(CodecState &state);

} // namespace rastrum
