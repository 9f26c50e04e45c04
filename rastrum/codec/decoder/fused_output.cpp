// The fused MCU output routines: each places its MCU, runs its kernel slot when the whole MCU is
// visible, and otherwise the plain edge code over exactly the visible pixels.
#include "dispatch_table.h"
#include "output_routines.h"

namespace rastrum {

namespace {

template <FusedKind Kind, OutputKernel DispatchTable::*Slot, OutputKernel Plain>
int32_t FusedOut(CodecState &state, int32_t column, int32_t row) {
    const FusedShape shape = ShapeOfFused(Kind);
    McuRect visible;
    const int32_t result =
        ClipMcu(state, shape.Width, shape.Height, column, row, shape.BytesPerPixel, visible);
    if (result != 0 || IsEmptyRect(visible)) {
        return result;
    }
    uint8_t *out = state.Stream.PixelCursor;
    if (visible.Left == 0 && visible.Top == 0 && visible.Right == shape.Width &&
        visible.Bottom == shape.Height) {
        const DispatchTable *table = state.Stream.Dispatch;
        const OutputKernel kernel =
            table != nullptr && table->*Slot != nullptr ? table->*Slot : Plain;
        kernel(state.WorkArea, out, state.PixelRowStride);
        return 0;
    }
    RunEdgeCode(Kind, state.WorkArea, out, state.PixelRowStride, visible);
    return 0;
}

} // namespace

int32_t GreyOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Grey, &DispatchTable::GreyKernel, GreyKernelPlain>(state, column, row);
}

int32_t Ycc444RgbOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc444Rgb, &DispatchTable::Ycc444RgbKernel, Ycc444RgbKernelPlain>(
        state, column, row);
}

int32_t Ycc422RgbOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc422Rgb, &DispatchTable::Ycc422RgbKernel, Ycc422RgbKernelPlain>(
        state, column, row);
}

int32_t Ycc420RgbOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc420Rgb, &DispatchTable::Ycc420RgbKernel, Ycc420RgbKernelPlain>(
        state, column, row);
}

int32_t Ycc444BgrOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc444Bgr, &DispatchTable::Ycc444BgrKernel, Ycc444BgrKernelPlain>(
        state, column, row);
}

int32_t Ycc422BgrOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc422Bgr, &DispatchTable::Ycc422BgrKernel, Ycc422BgrKernelPlain>(
        state, column, row);
}

int32_t Ycc420BgrOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc420Bgr, &DispatchTable::Ycc420BgrKernel, Ycc420BgrKernelPlain>(
        state, column, row);
}

int32_t Ycc444RgbaOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc444Rgba, &DispatchTable::Ycc444RgbaKernel,
                    Ycc444RgbaKernelPlain>(state, column, row);
}

int32_t Ycc422RgbaOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc422Rgba, &DispatchTable::Ycc422RgbaKernel,
                    Ycc422RgbaKernelPlain>(state, column, row);
}

int32_t Ycc420RgbaOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycc420Rgba, &DispatchTable::Ycc420RgbaKernel,
                    Ycc420RgbaKernelPlain>(state, column, row);
}

int32_t Copy444Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Copy444, &DispatchTable::Copy444Kernel, Copy444KernelPlain>(
        state, column, row);
}

int32_t Copy422Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Copy422, &DispatchTable::Copy422Kernel, Copy422KernelPlain>(
        state, column, row);
}

int32_t Copy420Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Copy420, &DispatchTable::Copy420Kernel, Copy420KernelPlain>(
        state, column, row);
}

int32_t Copy444AlphaOut(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Copy444Alpha, &DispatchTable::Copy444AlphaKernel,
                    Copy444AlphaKernelPlain>(state, column, row);
}

int32_t Pack422Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Pack422, &DispatchTable::Pack422Kernel, Pack422KernelPlain>(
        state, column, row);
}

int32_t Ycck444Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycck444, &DispatchTable::Ycck444Kernel, Ycck444KernelPlain>(
        state, column, row);
}

int32_t Ycck422Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycck422, &DispatchTable::Ycck422Kernel, Ycck422KernelPlain>(
        state, column, row);
}

int32_t Ycck420Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Ycck420, &DispatchTable::Ycck420Kernel, Ycck420KernelPlain>(
        state, column, row);
}

int32_t Copy4Out(CodecState &state, int32_t column, int32_t row) {
    return FusedOut<FusedKind::Copy4, &DispatchTable::Copy4Kernel, Copy4KernelPlain>(state, column,
                                                                                     row);
}

} // namespace rastrum
