// Allocation and release of the coefficient store and the smoothing planes.
#include "frame_buffers.h"

#include <cstdlib>

namespace rastrum {

namespace {

constexpr size_t kBlockSamples = 64;
constexpr int32_t kPlaneCount = 4;

size_t Count(int32_t value) { return static_cast<size_t>(value); }

} // namespace

int32_t FrameBlocksPerMcu(const CodecState &state) {
    int32_t blocks = 0;
    for (int32_t k = 0; k < state.ComponentCount; ++k) {
        blocks += state.Components[k].HSampling * state.Components[k].VSampling;
    }
    return blocks;
}

size_t CoefficientStoreBytes(const CodecState &state) {
    return Count(FrameBlocksPerMcu(state)) * kBlockSamples * Count(state.McusPerRow) *
           Count(state.McusPerColumn) * sizeof(int16_t);
}

int32_t AllocateCoefficientStore(CodecState &state) {
    auto *store = static_cast<int16_t *>(std::calloc(CoefficientStoreBytes(state), 1));
    if (store == nullptr) {
        return CODEC_MEMORY_ERROR;
    }
    state.CoefficientStore = store;
    return CODEC_SUCCESS;
}

int32_t AllocateSmoothingPlanes(CodecState &state) {
    const size_t planeSamples =
        Count(FrameBlocksPerMcu(state)) * kBlockSamples * (Count(state.McusPerRow) + 2);
    auto *planes = static_cast<SmoothingPlanes *>(std::calloc(1, sizeof(SmoothingPlanes)));
    auto *block = static_cast<int16_t *>(std::calloc(planeSamples * kPlaneCount, sizeof(int16_t)));
    if (planes == nullptr || block == nullptr) {
        std::free(planes);
        std::free(block);
        return CODEC_MEMORY_ERROR;
    }
    // Plane 0 starts the shared block, so the lowest plane pointer is the allocation itself.
    planes->Block = block;
    for (int32_t k = 0; k < kPlaneCount; ++k) {
        planes->Plane[k] = block + planeSamples * Count(k);
    }
    planes->LastRow = 0;
    state.Planes = planes;
    return CODEC_SUCCESS;
}

void ReleaseFrameBuffers(CodecState &state) {
    std::free(state.CoefficientStore);
    state.CoefficientStore = nullptr;
    if (state.Planes != nullptr) {
        std::free(state.Planes->Block);
        std::free(state.Planes);
        state.Planes = nullptr;
    }
}

} // namespace rastrum
