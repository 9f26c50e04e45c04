// The choice of the MCU output routine and its layout number, made at the end of every decoder
// set-up from the coded colour, the caller's pixels and the sampling factors.
#include "dispatch_table.h"
#include "output_routines.h"

namespace rastrum {

namespace {

enum class Sampling { Ycc420, Ycc422, Other };

struct Choice {
    McuOutputRoutine Routine = nullptr;
    int32_t Layout = 0;
};

bool Factors(const FrameComponent &component, int32_t h, int32_t v) {
    return component.HSampling == h && component.VSampling == v;
}

// 4:2:0 and 4:2:2 of three components (a fourth one sampled like the first).
Sampling SamplingOf(const CodecState &state) {
    const int32_t count = state.ComponentCount;
    if (state.Components == nullptr || count < 3 || count > 4) {
        return Sampling::Other;
    }
    const FrameComponent *c = state.Components;
    if (!Factors(c[1], 1, 1) || !Factors(c[2], 1, 1)) {
        return Sampling::Other;
    }
    if (count == 4 && !Factors(c[3], c[0].HSampling, c[0].VSampling)) {
        return Sampling::Other;
    }
    if (Factors(c[0], 2, 2)) {
        return Sampling::Ycc420;
    }
    return Factors(c[0], 2, 1) ? Sampling::Ycc422 : Sampling::Other;
}

bool EveryComponentUnsampled(const CodecState &state) {
    if (state.Components == nullptr) {
        return false;
    }
    for (int32_t index = 0; index < state.ComponentCount && index < 4; ++index) {
        if (!Factors(state.Components[index], 1, 1)) {
            return false;
        }
    }
    return true;
}

// Colour conversion and upsampling.
Choice ConvertAndUpsample(int32_t c, int32_t n, int32_t d, Sampling sampling, bool smoothing) {
    struct Row {
        int32_t C, N, D;
        McuOutputRoutine Out420;
        int32_t Layout420;
        McuOutputRoutine Out422;
        int32_t Layout422;
    };
    static const Row kRows[] = {
        {3, 3, COLOUR_RGB, Ycc420RgbOut, 3, Ycc422RgbOut, 5},
        {3, 3, COLOUR_BGR, Ycc420BgrOut, 4, Ycc422BgrOut, 6},
        {3, 4, COLOUR_RGB_PLUS, Ycc420RgbaOut, 8, Ycc422RgbaOut, 9},
        {4, 4, COLOUR_RGB_PLUS, Ycck420Out, 11, Ycck422Out, 12},
    };
    for (const Row &row : kRows) {
        if (row.C != c || row.N != n || row.D != d) {
            continue;
        }
        if (!smoothing && sampling == Sampling::Ycc420) {
            return {row.Out420, row.Layout420};
        }
        if (!smoothing && sampling == Sampling::Ycc422) {
            return {row.Out422, row.Layout422};
        }
        return {GeneralOut, 0};
    }
    return {};
}

// Upsampling without conversion.  Every combination not listed goes through the general path,
// which expands any sampling into any channel count.
Choice UpsampleOnly(int32_t c, int32_t n, int32_t d, Sampling sampling, bool smoothing) {
    if (c == 3 && n == 3 && d != COLOUR_BGR && sampling != Sampling::Other) {
        const bool four20 = sampling == Sampling::Ycc420;
        if (smoothing) {
            return {PlaceOut, four20 ? 16 : 17};
        }
        return four20 ? Choice{Copy420Out, 16} : Choice{Copy422Out, 17};
    }
    return {PlaceOut, 0};
}

// Neither conversion nor upsampling: components stored as they are.
Choice StoreOnly(const CodecState &state, int32_t c, int32_t n, int32_t d, Sampling sampling) {
    if (c == 3 && n == 2) {
        return sampling == Sampling::Ycc422 ? Choice{Pack422Out, 19} : Choice{};
    }
    // YCbCr pixels skip the upsampling flag although the chroma is subsampled; only the general
    // path places such components correctly.
    if (!EveryComponentUnsampled(state)) {
        return {PlaceOut, 0};
    }
    if (c == 1) {
        return n == 1 ? Choice{GreyOut, 0} : Choice{CopyOut, 0};
    }
    if (c == 2) {
        return {CopyOut, 0};
    }
    if (c == 3) {
        if (n == 1 || (n == 3 && d == COLOUR_BGR) || (n == 4 && d != COLOUR_RGB_PLUS)) {
            return {CopyOut, 0};
        }
        if (n == 3) {
            return {Copy444Out, 15};
        }
        if (n == 4) {
            return {Copy444AlphaOut, 13};
        }
        return {};
    }
    if (c == 4 && n == 3) {
        return {CopyOut, 0};
    }
    if (c == 4 && n == 4) {
        return {Copy4Out, 14};
    }
    return {};
}

// Conversion without upsampling (every component 1 x 1).
Choice ConvertOnly(int32_t c, int32_t n, int32_t d) {
    if (c == 3 && n == 3 && d == COLOUR_RGB) {
        return {Ycc444RgbOut, 1};
    }
    if (c == 3 && n == 3 && d == COLOUR_BGR) {
        return {Ycc444BgrOut, 2};
    }
    if (c == 3 && n == 4 && d == COLOUR_RGB_PLUS) {
        return {Ycc444RgbaOut, 7};
    }
    if (c == 4 && n == 4 && d == COLOUR_RGB_PLUS) {
        return {Ycck444Out, 10};
    }
    return {};
}

Choice Choose(const CodecState &state) {
    const int32_t d = state.PixelColour;
    if (state.NonInterleaved != 0 && state.Progressive == 0) {
        return {d == COLOUR_YCBCR ? PackScanOut : PlaceOut, 0};
    }
    const int32_t c = state.ComponentCount;
    const int32_t n = state.PixelChannels;
    const Sampling sampling = SamplingOf(state);
    const bool smoothing = state.UpsamplingMode == 1;
    const bool convert = state.ColourConversionWanted != 0;
    const bool upsample = state.UpsamplingWanted != 0;
    if (convert && upsample) {
        return ConvertAndUpsample(c, n, d, sampling, smoothing);
    }
    if (upsample) {
        return UpsampleOnly(c, n, d, sampling, smoothing);
    }
    if (!convert) {
        return StoreOnly(state, c, n, d, sampling);
    }
    return ConvertOnly(c, n, d);
}

} // namespace

void ChooseMcuOutput(CodecState &state) {
    const Choice choice = Choose(state);
    state.OutputLayout = choice.Layout;
    // A combination without a routine leaves the slot empty: the per-MCU stage then writes
    // nothing, rather than running a routine chosen for other pixels.
    if (state.Stream.Dispatch != nullptr) {
        state.Stream.Dispatch->McuOutput = choice.Routine;
    }
}

} // namespace rastrum
