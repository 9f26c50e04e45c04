// PackScanOut: the separate scans of a sequential YCbCr image placed into 2-byte pixels.  Luma
// goes to each pixel's first byte, Cb to the second byte of even pixels and Cr to the second byte
// of odd ones, so the 4:2:2 packing results once all three scans are placed.
#include "output_routines.h"

namespace rastrum {

int32_t PackScanOut(CodecState &state, int32_t column, int32_t row) {
    const McuLayout layout = DescribeMcu(state, state.Scan);
    int32_t width = 0;
    int32_t height = 0;
    GeneralMcuSize(state, layout, 8, width, height);
    if (width < 1 || height < 1 || width > kExpandedStride || height > kExpandedStride) {
        return 0;
    }
    McuRect visible;
    const int32_t result = ClipMcu(state, width, height, column, row, 2, visible);
    if (result != 0 || IsEmptyRect(visible)) {
        return result;
    }
    uint8_t *out = state.Stream.PixelCursor;
    const ptrdiff_t stride = state.PixelRowStride;
    int16_t expanded[kExpandedStride * kExpandedStride];
    for (int32_t index = 0; index < layout.PartCount; ++index) {
        const McuPart &part = layout.Parts[index];
        if (part.FrameIndex > 2) {
            continue;
        }
        ExpandPart(state, layout, part, state.WorkArea, 8, 0, column, width, height, expanded);
        // Luma: every pixel's byte 0.  Cb: byte 1 of even pixels.  Cr: byte 1 of odd pixels,
        // whose chroma sample is their even neighbour's.
        const int32_t byte = part.FrameIndex == 0 ? 0 : 1;
        const int32_t step = part.FrameIndex == 0 ? 1 : 2;
        const int32_t parity = part.FrameIndex == 2 ? 1 : 0;
        for (int32_t r = visible.Top; r < visible.Bottom; ++r) {
            const int16_t *samples = expanded + kExpandedStride * r;
            int32_t c = visible.Left;
            if (step == 2 && (c & 1) != parity) {
                ++c;
            }
            for (; c < visible.Right; c += step) {
                out[r * stride + 2 * c + byte] = static_cast<uint8_t>(samples[c]);
            }
        }
    }
    return 0;
}

} // namespace rastrum
