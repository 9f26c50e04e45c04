// Decoding and skipping of one sequential MCU.
#include "sequential_mcu.h"

#include "dispatch_table.h"
#include "raw_planes.h"

namespace rastrum {

void PlanSequentialMcu(const CodecState &state, ScanHeader &scan, const ScanGeometry &geometry,
                       SequentialMcuPlan &plan) {
    plan.Raw = RawCoefficientOutput(state);
    plan.Count = 0;
    const bool single = geometry.Blocks == 1 && scan.ScanComponentCount == 1;
    for (int32_t c = 0; c < scan.ScanComponentCount; ++c) {
        const ScanComponent &component = scan.Components[c];
        const int32_t h = single ? 1 : component.HSampling;
        const int32_t v = single ? 1 : component.VSampling;
        for (int32_t i = 0; i < v; ++i) {
            for (int32_t k = 0; k < h; ++k) {
                SequentialBlockPlan &block = plan.Blocks[plan.Count++];
                block.Dc = component.DcTable;
                block.Ac = component.AcTable;
                block.Predictor = &scan.DcPredictor[c];
                block.Quant = component.QuantTable->Entries;
                block.FrameIndex = component.FrameIndex;
                block.BlocksPerRow = h;
                block.BlockRows = v;
                block.ColumnInMcu = k;
                block.RowInMcu = i;
            }
        }
    }
}

int32_t DecodeSequentialMcu(CodecState &state, const SequentialMcuPlan &plan, int32_t column,
                            int32_t row) {
    const DispatchTable &table = *state.Stream.Dispatch;
    const BlockDecoder decodeBlock = table.DecodeBlock;
    const BlockQuantiser dequantize = table.ActiveDequantize;
    int16_t *block = state.WorkArea;
    for (int32_t b = 0; b < plan.Count; ++b, block += kBlockSize) {
        const SequentialBlockPlan &entry = plan.Blocks[b];
        const int32_t result =
            decodeBlock(state.Stream, *entry.Dc, *entry.Ac, entry.Predictor, block);
        if (result < 0) {
            return result;
        }
        if (plan.Raw) {
            CopyBlockToPlane(state, entry.FrameIndex,
                             column * entry.BlocksPerRow + entry.ColumnInMcu,
                             row * entry.BlockRows + entry.RowInMcu, block);
        } else {
            dequantize(block, entry.Quant);
        }
    }
    return 0;
}

int32_t SkipSequentialMcu(CodecState &state, const SequentialMcuPlan &plan) {
    const BlockDecoder skipBlock = state.Stream.Dispatch->SkipBlock;
    for (int32_t b = 0; b < plan.Count; ++b) {
        const SequentialBlockPlan &entry = plan.Blocks[b];
        const int32_t result =
            skipBlock(state.Stream, *entry.Dc, *entry.Ac, entry.Predictor, state.WorkArea);
        if (result < 0) {
            return result;
        }
    }
    return 0;
}

} // namespace rastrum
