// The decoder set-up: colour conversion and upsampling flags, MCU geometry and the choice of the
// MCU output routine, derived from the frame and the caller's output fields.
#include <algorithm>

#include "colour_output.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

constexpr int32_t kFrameComponentSlots = 4;

int32_t CeilDiv(int32_t value, int32_t divisor) { return (value + divisor - 1) / divisor; }

bool NoConversionFor(const CodecState &state) {
    const int32_t coded = state.JpegColour;
    const int32_t pixel = state.PixelColour;
    return coded == COLOUR_RGB || coded == COLOUR_GREY || coded == COLOUR_RGB_PLUS ||
           coded == COLOUR_OTHER || pixel == COLOUR_YCBCR || pixel == COLOUR_GREY;
}

} // namespace

int32_t SetUpDecoder(CodecState &state) {
    // The component array has four records; a count beyond them (possible only in a record the
    // caller filled) must not be walked.
    if (state.Components == nullptr || state.ComponentCount < 1 ||
        state.ComponentCount > kFrameComponentSlots) {
        return CODEC_ERROR_COMP;
    }
    state.ColourConversionWanted = NoConversionFor(state) ? 0 : 1;

    int32_t maxH = 0;
    int32_t maxV = 0;
    bool subsampled = false;
    for (int32_t k = 0; k < state.ComponentCount; ++k) {
        const FrameComponent &component = state.Components[k];
        maxH = std::max(maxH, component.HSampling);
        maxV = std::max(maxV, component.VSampling);
        subsampled = subsampled || component.HSampling != 1 || component.VSampling != 1;
    }
    if (maxH < 1 || maxV < 1) {
        return CODEC_ERROR_COMP; // no MCU size can be derived
    }
    state.MaxHSampling = maxH;
    state.MaxVSampling = maxV;
    state.UpsamplingWanted = subsampled && state.PixelColour != COLOUR_YCBCR ? 1 : 0;

    state.McusPerRow = CeilDiv(state.JpegWidth, 8 * maxH);
    state.McusPerColumn = CeilDiv(state.JpegHeight, 8 * maxV);
    state.McuTotal = state.McusPerRow * state.McusPerColumn;
    state.OutputLayout = 0;

    if (state.ComponentCount == 3 && state.JpegColour == COLOUR_YCBCR &&
        state.PixelColour == COLOUR_YCBCR) {
        const FrameComponent *c = state.Components;
        const bool packable = c[0].HSampling == 2 && c[0].VSampling == 1 &&
                              c[1].HSampling == 1 && c[1].VSampling == 1 &&
                              c[2].HSampling == 1 && c[2].VSampling == 1;
        if (!packable) {
            return CODEC_INVALID_PROPERTIES;
        }
    }
    ChooseMcuOutput(state);
    return CODEC_SUCCESS;
}

} // namespace rastrum
