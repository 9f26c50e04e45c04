// The component layout of the MCU in the work area.
#include "mcu_layout.h"

#include <algorithm>

namespace rastrum {

namespace {

int32_t FrameComponentCount(const CodecState &state) {
    return state.Components == nullptr ? 0 : std::clamp(state.ComponentCount, 0, 4);
}

void AddPart(McuLayout &layout, const CodecState &state, int32_t frameIndex, bool oneBlock) {
    if (frameIndex < 0 || frameIndex >= FrameComponentCount(state) || layout.PartCount == 4) {
        return;
    }
    const FrameComponent &component = state.Components[frameIndex];
    if (component.HSampling < 1 || component.VSampling < 1) {
        return;
    }
    const int64_t blocks =
        oneBlock ? 1 : static_cast<int64_t>(component.HSampling) * component.VSampling;
    if (layout.BlockCount + blocks > CODEC_WORK_AREA_BLOCKS) {
        return;
    }
    McuPart &part = layout.Parts[layout.PartCount++];
    part.FrameIndex = frameIndex;
    part.HSampling = component.HSampling;
    part.VSampling = component.VSampling;
    part.FirstBlock = layout.BlockCount;
    part.Blocks = static_cast<int32_t>(blocks);
    layout.BlockCount += part.Blocks;
}

} // namespace

McuLayout DescribeMcu(const CodecState &state, const ScanHeader *scan) {
    McuLayout layout;
    if (state.Progressive != 0 || scan == nullptr || scan->Components == nullptr) {
        for (int32_t index = 0; index < FrameComponentCount(state); ++index) {
            AddPart(layout, state, index, false);
        }
        return layout;
    }
    const int32_t count = std::clamp(scan->ScanComponentCount, 0, 4);
    layout.SingleComponentScan = count == 1;
    for (int32_t index = 0; index < count; ++index) {
        AddPart(layout, state, scan->Components[index].FrameIndex, layout.SingleComponentScan);
    }
    return layout;
}

int64_t SmoothingPlaneSamples(const CodecState &state) {
    int64_t blocks = 0;
    for (int32_t index = 0; index < FrameComponentCount(state); ++index) {
        blocks += static_cast<int64_t>(std::max(state.Components[index].HSampling, 0)) *
                  std::max(state.Components[index].VSampling, 0);
    }
    return blocks * 64 * (static_cast<int64_t>(std::max(state.McusPerRow, 0)) + 2);
}

} // namespace rastrum
