// CopyOut: MCUs of 1 x 1 components stored without conversion or upsampling, one channel at a
// time: component k to channel k, grey repeated into channels 1 and 2, RGB-coded components
// reversed for BGR pixels, and a fourth channel of 255 where the caller's colour has one.
#include "output_routines.h"

namespace rastrum {

namespace {

// Where one output channel's bytes come from: a block's samples, the constant 255, or nothing.
struct ChannelSource {
    const int16_t *Block = nullptr;
    bool Opaque = false;
};

ChannelSource SourceOf(const CodecState &state, const int16_t *const blockOf[4], int32_t channel) {
    const int32_t components = state.ComponentCount;
    if (state.JpegColour == COLOUR_GREY) {
        return channel < 3 ? ChannelSource{blockOf[0], false} : ChannelSource{nullptr, true};
    }
    if (state.PixelColour == COLOUR_BGR && state.JpegColour == COLOUR_RGB && channel < 3) {
        const int32_t component = 2 - channel;
        return component < components ? ChannelSource{blockOf[component], false} : ChannelSource{};
    }
    if (channel < components && channel < 4) {
        return {blockOf[channel], false};
    }
    if (channel == 3 && state.PixelColour == COLOUR_RGB_PLUS && components <= 3) {
        return {nullptr, true};
    }
    return {};
}

} // namespace

int32_t CopyOut(CodecState &state, int32_t column, int32_t row) {
    const int32_t channels = state.PixelChannels;
    McuRect visible;
    const int32_t result = ClipMcu(state, 8, 8, column, row, channels, visible);
    if (result != 0 || IsEmptyRect(visible)) {
        return result;
    }
    const McuLayout layout = DescribeMcu(state, state.Scan);
    const int16_t *blockOf[4] = {};
    for (int32_t index = 0; index < layout.PartCount; ++index) {
        blockOf[layout.Parts[index].FrameIndex] = state.WorkArea + 64 * layout.Parts[index].FirstBlock;
    }
    uint8_t *out = state.Stream.PixelCursor;
    const ptrdiff_t stride = state.PixelRowStride;
    for (int32_t channel = 0; channel < channels; ++channel) {
        const ChannelSource source = SourceOf(state, blockOf, channel);
        if (source.Block == nullptr && !source.Opaque) {
            continue;
        }
        for (int32_t r = visible.Top; r < visible.Bottom; ++r) {
            uint8_t *pixel = out + r * stride + visible.Left * channels + channel;
            for (int32_t c = visible.Left; c < visible.Right; ++c, pixel += channels) {
                *pixel = source.Opaque ? uint8_t{255} : static_cast<uint8_t>(source.Block[8 * r + c]);
            }
        }
    }
    return 0;
}

} // namespace rastrum
