// The general output path: component by component, each expanded to the MCU's pixels and
// placed into its channels, then (for GeneralOut and reduced-size reads that convert) the
// visible pixels converted in place.  It serves every layout without a fused routine, the
// smoothing upsampler, single-component scans and reduced-size reads.
#include <algorithm>

#include "output_routines.h"

namespace rastrum {

namespace {

// The output channels that frame component `component` is placed into (at most three).
int32_t ChannelsOf(const CodecState &state, int32_t component, int32_t targets[3]) {
    const int32_t channels = state.PixelChannels;
    int32_t limit = std::min(state.ComponentCount, channels);
    if (state.PixelColour == COLOUR_YCBCR) {
        limit = std::min(limit, 3);
    }
    int32_t count = 0;
    if (component < limit) {
        const bool reversed =
            state.PixelColour == COLOUR_BGR && state.JpegColour == COLOUR_RGB && component < 3;
        const int32_t channel = reversed ? 2 - component : component;
        if (channel < channels) {
            targets[count++] = channel;
        }
    }
    if (state.JpegColour == COLOUR_GREY && component == 0) {
        for (int32_t channel = 1; channel < 3 && channel < channels; ++channel) {
            targets[count++] = channel;
        }
    }
    return count;
}

bool Smoothed(const CodecState &state, const McuLayout &layout, const McuPart &part,
              int32_t blockSize, int32_t column) {
    if (state.UpsamplingMode != 1 || state.MaxHSampling != 2 || part.HSampling != 1 ||
        part.VSampling != 1 || column < 0) {
        return false;
    }
    const bool horizontal = state.MaxVSampling == 1 && blockSize != 1;
    const bool both = state.MaxVSampling == 2 && blockSize == 8;
    const SmoothingPlanes *planes = state.Planes;
    if (!(horizontal || both) || planes == nullptr || planes->Plane[0] == nullptr ||
        planes->Plane[1] == nullptr || planes->Plane[2] == nullptr) {
        return false;
    }
    // The MCU's slot and both neighbours must lie inside the planes.
    const int64_t slot = static_cast<int64_t>(layout.BlockCount) * 64;
    return (static_cast<int64_t>(column) + 3) * slot <= SmoothingPlaneSamples(state);
}

} // namespace

void GeneralMcuSize(const CodecState &state, const McuLayout &layout, int32_t blockSize,
                    int32_t &width, int32_t &height) {
    const int32_t maxH = state.MaxHSampling;
    const int32_t maxV = state.MaxVSampling;
    width = 0;
    height = 0;
    if (maxH < 1 || maxV < 1 || maxH > 4 || maxV > 4 || layout.PartCount == 0) {
        return;
    }
    if (layout.SingleComponentScan) {
        // The scan's one block covers as many pixels as its component's share of the MCU.
        width = blockSize * maxH / layout.Parts[0].HSampling;
        height = blockSize * maxV / layout.Parts[0].VSampling;
    } else {
        width = blockSize * maxH;
        height = blockSize * maxV;
    }
}

void ExpandPart(const CodecState &state, const McuLayout &layout, const McuPart &part,
                const int16_t *mcu, int32_t blockSize, int32_t uniform, int32_t column,
                int32_t width, int32_t height, int16_t *expanded) {
    const int32_t n = blockSize;
    if (Smoothed(state, layout, part, n, column)) {
        const int64_t slot = static_cast<int64_t>(layout.BlockCount) * 64;
        const int64_t offset = static_cast<int64_t>(column) * slot + 64 * part.FirstBlock;
        const SmoothingPlanes &planes = *state.Planes;
        if (state.MaxVSampling == 1) {
            const int16_t *row = planes.Plane[1] + offset;
            SmoothHorizontal(row, row + slot, row + 2 * slot, n, n, expanded);
        } else {
            const int16_t *around[3][3];
            for (int32_t i = 0; i < 3; ++i) {
                for (int32_t j = 0; j < 3; ++j) {
                    around[i][j] = planes.Plane[i] + offset + j * slot;
                }
            }
            SmoothBlock420(around, expanded);
        }
        return;
    }
    const int16_t *first = mcu + 64 * part.FirstBlock;
    if (uniform != 0 && part.HSampling * part.VSampling == 1 && width <= 8 && height <= 8) {
        // The block was transformed one size larger: it holds one sample per pixel.
        for (int32_t y = 0; y < height; ++y) {
            std::copy_n(first + 8 * y, width, expanded + kExpandedStride * y);
        }
        return;
    }
    const int32_t blocksAcross = layout.SingleComponentScan ? 1 : part.HSampling;
    const int32_t blocksDown = layout.SingleComponentScan ? 1 : part.VSampling;
    const int32_t maxH = state.MaxHSampling;
    const int32_t maxV = state.MaxVSampling;
    for (int32_t y = 0; y < height; ++y) {
        // Each sample covers maxV / V rows and maxH / H columns.
        const int32_t sy = std::min(y * part.VSampling / maxV, n * blocksDown - 1);
        const int16_t *blockRow = first + 64 * blocksAcross * (sy / n) + 8 * (sy % n);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = std::min(x * part.HSampling / maxH, n * blocksAcross - 1);
            expanded[kExpandedStride * y + x] = blockRow[64 * (sx / n) + sx % n];
        }
    }
}

int32_t GeneralPath(CodecState &state, const ScanHeader *scan, int32_t column, int32_t row,
                    int32_t blockSize, int32_t uniform, bool convert) {
    if (blockSize != 1 && blockSize != 2 && blockSize != 4 && blockSize != 8) {
        return 0;
    }
    const McuLayout layout = DescribeMcu(state, scan);
    int32_t width = 0;
    int32_t height = 0;
    GeneralMcuSize(state, layout, blockSize, width, height);
    const int32_t channels = state.PixelChannels;
    if (width < 1 || height < 1 || width > kExpandedStride || height > kExpandedStride ||
        channels < 1) {
        return 0;
    }
    McuRect visible;
    const int32_t result = ClipMcu(state, width, height, column, row, channels, visible);
    if (result != 0 || IsEmptyRect(visible)) {
        return result;
    }
    uint8_t *out = state.Stream.PixelCursor;
    const ptrdiff_t stride = state.PixelRowStride;
    int16_t expanded[kExpandedStride * kExpandedStride];
    for (int32_t index = 0; index < layout.PartCount; ++index) {
        const McuPart &part = layout.Parts[index];
        int32_t targets[3];
        const int32_t targetCount = ChannelsOf(state, part.FrameIndex, targets);
        if (targetCount == 0) {
            continue;
        }
        ExpandPart(state, layout, part, state.WorkArea, blockSize, uniform, column, width, height,
                   expanded);
        for (int32_t r = visible.Top; r < visible.Bottom; ++r) {
            uint8_t *pixel = out + r * stride + visible.Left * channels;
            const int16_t *samples = expanded + kExpandedStride * r;
            for (int32_t c = visible.Left; c < visible.Right; ++c, pixel += channels) {
                for (int32_t target = 0; target < targetCount; ++target) {
                    pixel[targets[target]] = static_cast<uint8_t>(samples[c]);
                }
            }
        }
    }
    if (state.PixelColour == COLOUR_RGB_PLUS && state.ComponentCount < 4 && channels >= 4) {
        for (int32_t r = visible.Top; r < visible.Bottom; ++r) {
            uint8_t *pixel = out + r * stride + visible.Left * channels + 3;
            for (int32_t c = visible.Left; c < visible.Right; ++c, pixel += channels) {
                *pixel = 255;
            }
        }
    }
    if (convert) {
        ConvertMcuInPlace(state, visible);
    }
    return 0;
}

int32_t GeneralOutput(CodecState &state, const ScanHeader *scan, int32_t column, int32_t row,
                      int32_t blockSize, int32_t uniform) {
    // Single-component scans of a sequential image are converted once the last one is placed.
    const bool separateScans = state.NonInterleaved != 0 && state.Progressive == 0;
    return GeneralPath(state, scan, column, row, blockSize, uniform,
                       state.ColourConversionWanted != 0 && !separateScans);
}

int32_t PlaceOut(CodecState &state, int32_t column, int32_t row) {
    return GeneralPath(state, state.Scan, column, row, 8, 0, false);
}

int32_t GeneralOut(CodecState &state, int32_t column, int32_t row) {
    return GeneralPath(state, state.Scan, column, row, 8, 0, true);
}

} // namespace rastrum
