// A hand-made decoder record for the output stage's tests: frame components, one interleaved
// scan, a dispatch table with the plain output kernels, and a pixel buffer of exactly the size
// the caller's fields describe (so that AddressSanitizer sees any write past it).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <memory>
#include <utility>
#include <vector>

#include "colour_output.h"
#include "dispatch_table.h"
#include "rastrum.h"

namespace output_test {

inline constexpr uint8_t kUntouched = 0xA5;

struct OutputRecord {
    std::unique_ptr<CodecState> Owner = std::make_unique<CodecState>();
    CodecState &State = *Owner;
    rastrum::DispatchTable Table{};
    FrameComponent Components[4]{};
    ScanComponent ScanComponents[4]{};
    ScanHeader Scan{};
    std::vector<uint8_t> Pixels;

    OutputRecord() {
        // The generic table: every slot holds its plain routine.
        rastrum::FillDispatchTable(Table, 0);
        State.Stream.Dispatch = &Table;
        const uintptr_t space = reinterpret_cast<uintptr_t>(State.WorkAreaSpace);
        State.WorkArea = reinterpret_cast<int16_t *>((space + 31) & ~uintptr_t{31});
        State.Components = Components;
        State.Scan = &Scan;
        State.JpegColour = COLOUR_YCBCR;
    }

    OutputRecord(const OutputRecord &) = delete;
    OutputRecord &operator=(const OutputRecord &) = delete;

    // Frame components with the given (H, V) factors, all in one interleaved scan.
    void SetFrame(std::vector<std::pair<int, int>> factors, int width, int height) {
        State.ComponentCount = static_cast<int32_t>(factors.size());
        State.MaxHSampling = 1;
        State.MaxVSampling = 1;
        for (size_t i = 0; i < factors.size(); ++i) {
            Components[i] = {static_cast<int32_t>(i + 1), factors[i].first, factors[i].second, 0};
            ScanComponents[i] = {static_cast<int32_t>(i), factors[i].first, factors[i].second,
                                 nullptr, nullptr, nullptr};
            State.MaxHSampling = std::max(State.MaxHSampling, factors[i].first);
            State.MaxVSampling = std::max(State.MaxVSampling, factors[i].second);
        }
        Scan.ScanComponentCount = State.ComponentCount;
        Scan.Components = ScanComponents;
        State.JpegWidth = width;
        State.JpegHeight = height;
        State.JpegChannels = State.ComponentCount;
        State.McusPerRow = (width + 8 * State.MaxHSampling - 1) / (8 * State.MaxHSampling);
        State.McusPerColumn = (height + 8 * State.MaxVSampling - 1) / (8 * State.MaxVSampling);
        State.UpsamplingWanted = State.MaxHSampling > 1 || State.MaxVSampling > 1 ? 1 : 0;
    }

    // A single-component scan of frame component `index`.
    void SetSingleScan(int index) {
        ScanComponents[0] = {index, Components[index].HSampling, Components[index].VSampling,
                             nullptr, nullptr, nullptr};
        Scan.ScanComponentCount = 1;
    }

    // The caller's buffer: |height| rows of width x channels bytes plus padding, filled with
    // kUntouched; a negative height stores the rows bottom-up.
    void SetPixels(int width, int height, int channels, int colour, int padding = 0) {
        const int rowBytes = width * channels + padding;
        Pixels.assign(static_cast<size_t>(rowBytes) * std::abs(height), kUntouched);
        State.PixelBuffer = Pixels.data();
        State.PixelWidth = width;
        State.PixelHeight = height;
        State.PixelChannels = channels;
        State.PixelColour = colour;
        State.PixelRowPadding = padding;
        State.PixelRowStride = height < 0 ? -rowBytes : rowBytes;
        // As the decoder set-up decides it: no conversion of RGB, grey, plain four-channel or
        // unknown coded colour, nor into YCbCr or grey pixels.
        const int coded = State.JpegColour;
        const bool plain = coded == COLOUR_RGB || coded == COLOUR_GREY || coded == COLOUR_RGB_PLUS ||
                           coded == COLOUR_OTHER || colour == COLOUR_YCBCR || colour == COLOUR_GREY;
        State.ColourConversionWanted = plain ? 0 : 1;
    }

    // Byte `channel` of picture pixel (x, y), whichever way the rows run.
    uint8_t &At(int x, int y, int channel = 0) {
        const int rows = std::abs(State.PixelHeight);
        const int rowBytes = std::abs(State.PixelRowStride);
        const int bufferRow = State.PixelHeight < 0 ? rows - 1 - y : y;
        return Pixels[static_cast<size_t>(bufferRow) * rowBytes + x * State.PixelChannels + channel];
    }

    int16_t *Block(int index) { return State.WorkArea + 64 * index; }

    void FillBlock(int index, int16_t value) { std::fill_n(Block(index), 64, value); }
};

// Independent reference arithmetic for the expected bytes.
inline int ClampByte(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

struct Triple {
    int Red, Green, Blue;
    bool operator==(const Triple &) const = default;
};

inline Triple PlainTriple(int y, int cb, int cr) {
    return {ClampByte(y + ((359 * cr - 45813) >> 8)), ClampByte(y - ((88 * cb + 183 * cr - 34806) >> 8)),
            ClampByte(y + ((454 * cb - 57937) >> 8))};
}

inline Triple GeneralTriple(int y, int cb, int cr) {
    return {ClampByte(y + ((359 * cr - 45813) >> 8)), ClampByte(y + ((34806 - 88 * cb - 183 * cr) >> 8)),
            ClampByte(y + ((454 * cb - 57937) >> 8))};
}

// Whole component planes of random samples 0..255, cut into MCUs for the work area the way an
// interleaved scan delivers them, and read back per pixel with plain replication.
struct SampledPicture {
    std::vector<std::vector<int16_t>> Planes;
    std::vector<int> Widths;

    void Make(const OutputRecord &record, uint32_t seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> sample(0, 255);
        const CodecState &state = record.State;
        Planes.assign(state.ComponentCount, {});
        Widths.assign(state.ComponentCount, 0);
        for (int k = 0; k < state.ComponentCount; ++k) {
            Widths[k] = state.McusPerRow * record.Components[k].HSampling * 8;
            const int height = state.McusPerColumn * record.Components[k].VSampling * 8;
            Planes[k].resize(static_cast<size_t>(Widths[k]) * height);
            for (int16_t &value : Planes[k]) {
                value = static_cast<int16_t>(sample(random));
            }
        }
    }

    void LoadMcu(OutputRecord &record, int column, int row) const {
        int block = 0;
        for (int k = 0; k < record.State.ComponentCount; ++k) {
            const int h = record.Components[k].HSampling;
            const int v = record.Components[k].VSampling;
            for (int i = 0; i < v; ++i) {
                for (int j = 0; j < h; ++j, ++block) {
                    for (int r = 0; r < 8; ++r) {
                        for (int c = 0; c < 8; ++c) {
                            const int x = (column * h + j) * 8 + c;
                            const int y = (row * v + i) * 8 + r;
                            record.Block(block)[8 * r + c] = Planes[k][static_cast<size_t>(y) * Widths[k] + x];
                        }
                    }
                }
            }
        }
    }

    // Component k's sample for picture pixel (x, y): each sample covers maxH / H x maxV / V pixels.
    int Sample(const OutputRecord &record, int k, int x, int y) const {
        const int sx = x * record.Components[k].HSampling / record.State.MaxHSampling;
        const int sy = y * record.Components[k].VSampling / record.State.MaxVSampling;
        return Planes[k][static_cast<size_t>(sy) * Widths[k] + sx];
    }

    // Runs the chosen McuOutput over every MCU of the frame; returns the results in raster order.
    std::vector<int32_t> Decode(OutputRecord &record) const {
        std::vector<int32_t> results;
        for (int row = 0; row < record.State.McusPerColumn; ++row) {
            for (int column = 0; column < record.State.McusPerRow; ++column) {
                LoadMcu(record, column, row);
                results.push_back(record.Table.McuOutput(record.State, column, row));
            }
        }
        return results;
    }
};

} // namespace output_test
