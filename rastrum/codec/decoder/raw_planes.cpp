// Copies of quantised blocks into the caller's raw planes.
#include "raw_planes.h"

#include <cstddef>
#include <cstring>

namespace rastrum {

void CopyBlockToPlane(const CodecState &state, int32_t frameIndex, int32_t blockColumn,
                      int32_t blockRow, const int16_t *block) {
    int16_t *plane = state.RawPlanes->Plane[frameIndex];
    if (plane == nullptr) {
        return;
    }
    const FrameComponent &component = state.Components[frameIndex];
    const int64_t blocksPerRow = int64_t{state.McusPerRow} * component.HSampling;
    const int64_t blockRows = int64_t{state.McusPerColumn} * component.VSampling;
    if (blockColumn < 0 || blockColumn >= blocksPerRow || blockRow < 0 || blockRow >= blockRows) {
        return;
    }
    const size_t stride = static_cast<size_t>(blocksPerRow) * 8;
    int16_t *out =
        plane + static_cast<size_t>(blockRow) * 8 * stride + static_cast<size_t>(blockColumn) * 8;
    for (int32_t r = 0; r < 8; ++r) {
        std::memcpy(out + static_cast<size_t>(r) * stride, block + r * 8, 8 * sizeof(int16_t));
    }
}

void CopyMcuToPlanes(const CodecState &state, const int16_t *mcu, int32_t column, int32_t row) {
    for (int32_t j = 0; j < state.ComponentCount; ++j) {
        const int32_t h = state.Components[j].HSampling;
        const int32_t v = state.Components[j].VSampling;
        for (int32_t i = 0; i < v; ++i) {
            for (int32_t k = 0; k < h; ++k) {
                CopyBlockToPlane(state, j, column * h + k, row * v + i, mcu);
                mcu += 64;
            }
        }
    }
}

} // namespace rastrum
