// Decoding speed: Rastrum and libjpeg-turbo (TurboJPEG, accurate integer DCT) decode the same
// in-memory 1920 x 1080 4:2:0 JPEG pictures at quality 96, baseline and progressive, into BGR
// pixels.  libjpeg-turbo runs twice: with its default smooth chroma upsampling and with
// replicated chroma, which is what Rastrum does by default.  All are reported in megapixels per
// second, followed by the speed ratios Rastrum / libjpeg-turbo.  Micro-benchmarks time the
// per-block routines of the default inverse DCT family.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "inverse_dct.h"
#include "rastrum.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kQuality = 96;

// A picture with everything a photograph throws at a decoder: smooth gradients, hard-edged
// shapes, fine stripes of changing frequency, saturated colours and noise.
std::vector<uint8_t> MakeRichPicture() {
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 6.0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double fx = double(x) / kWidth;
            const double fy = double(y) / kHeight;
            double r = 255 * fx;
            double g = 255 * fy;
            double b = 128 + 100 * std::sin(fx * 9 + fy * 5);
            if (x > kWidth / 2) { // stripes whose frequency rises to the right
                const double stripes = std::sin(x * (0.05 + fx * 0.6)) * 70;
                r += stripes;
                g -= stripes;
            }
            if (y > kHeight / 2 && ((x / 64 + y / 48) % 3) == 0) { // hard-edged tiles
                r = 250;
                g = 30;
                b = 40 + (x % 64) * 3;
            }
            const double dx = x - 500.0;
            const double dy = y - 300.0;
            if (dx * dx + dy * dy < 200.0 * 200.0) { // a disc of fine rings
                const double ring = std::cos(std::sqrt(dx * dx + dy * dy) * 0.4) * 100;
                r = 128 + ring;
                g = 128 - ring;
                b = 200;
            }
            const double n = noise(rng);
            uint8_t *pixel = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            pixel[0] = static_cast<uint8_t>(std::clamp(r + n, 0.0, 255.0));
            pixel[1] = static_cast<uint8_t>(std::clamp(g + n, 0.0, 255.0));
            pixel[2] = static_cast<uint8_t>(std::clamp(b + n, 0.0, 255.0));
        }
    }
    return rgb;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t> &rgb, int flags) {
    tjhandle handle = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    const int result = tjCompress2(handle, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg,
                                   &size, TJSAMP_420, kQuality, flags);
    std::vector<uint8_t> bytes;
    if (result == 0) {
        bytes.assign(jpeg, jpeg + size);
    } else {
        std::fprintf(stderr, "TurboJPEG could not compress: %s\n", tjGetErrorStr2(handle));
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

struct Pictures {
    std::vector<uint8_t> Baseline;
    std::vector<uint8_t> Progressive;
};

const Pictures &TestPictures() {
    static const Pictures pictures = [] {
        const std::vector<uint8_t> rgb = MakeRichPicture();
        return Pictures{Compress(rgb, 0), Compress(rgb, TJFLAG_PROGRESSIVE)};
    }();
    return pictures;
}

const std::vector<uint8_t> &Picture(bool progressive) {
    return progressive ? TestPictures().Progressive : TestPictures().Baseline;
}

// One whole decode as a caller of the library makes it; returns the result code.
CodecError DecodeWithRastrum(const std::vector<uint8_t> &jpeg, std::vector<uint8_t> &bgr) {
    CodecProperties record;
    std::memset(&record, 0, sizeof record);
    CodecError result = CodecInit(&record);
    if (result == CODEC_SUCCESS) {
        record.JpegBuffer = const_cast<uint8_t *>(jpeg.data());
        record.JpegBufferSize = static_cast<int32_t>(jpeg.size());
        record.PixelBuffer = bgr.data();
        record.PixelWidth = kWidth;
        record.PixelHeight = kHeight;
        record.PixelChannels = 3;
        record.PixelColour = COLOUR_BGR;
        result = CodecRead(&record, IO_READ_IMAGE_MEMORY);
    }
    const CodecError freed = CodecFree(&record);
    return result != CODEC_SUCCESS ? result : freed;
}

// libjpeg-turbo's chroma upsampling: its default (smooth) or replication.
enum class Chroma { Smooth, Replicated };

bool DecodeWithTurbo(tjhandle handle, const std::vector<uint8_t> &jpeg, std::vector<uint8_t> &bgr,
                     Chroma chroma) {
    const int flags = TJFLAG_ACCURATEDCT | (chroma == Chroma::Replicated ? TJFLAG_FASTUPSAMPLE : 0);
    return tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                         bgr.data(), kWidth, 0, kHeight, TJPF_BGR, flags) == 0;
}

void SetMegapixelRate(benchmark::State &state) {
    state.counters["MP/s"] = benchmark::Counter(
        double(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
}

void DecodeRastrum(benchmark::State &state, bool progressive) {
    const std::vector<uint8_t> &jpeg = Picture(progressive);
    std::vector<uint8_t> bgr(static_cast<size_t>(kWidth) * kHeight * 3);
    const CodecError first = DecodeWithRastrum(jpeg, bgr);
    if (first != CODEC_SUCCESS) {
        const std::string message =
            "Rastrum cannot decode this picture yet: " + std::to_string(first) + " \"" +
            CodecErrorText(first) + "\"";
        state.SkipWithError(message.c_str());
        return;
    }
    // How far the picture is from libjpeg-turbo's with the same chroma upsampling, so that a
    // fast but wrong decode shows.
    std::vector<uint8_t> reference(bgr.size());
    tjhandle handle = tjInitDecompress();
    const bool referenceOk = DecodeWithTurbo(handle, jpeg, reference, Chroma::Replicated);
    tjDestroy(handle);
    int largest = 0;
    for (size_t i = 0; referenceOk && i < bgr.size(); ++i) {
        largest = std::max(largest, std::abs(int(bgr[i]) - int(reference[i])));
    }

    for (auto _ : state) {
        const CodecError result = DecodeWithRastrum(jpeg, bgr);
        if (result != CODEC_SUCCESS) {
            state.SkipWithError("Rastrum failed during the timed decodes");
            break;
        }
        benchmark::DoNotOptimize(bgr.data());
    }
    SetMegapixelRate(state);
    state.counters["max_diff"] = largest;
    state.counters["jpeg_bytes"] = double(jpeg.size());
}

void DecodeTurbo(benchmark::State &state, bool progressive, Chroma chroma) {
    const std::vector<uint8_t> &jpeg = Picture(progressive);
    if (jpeg.empty()) {
        state.SkipWithError("TurboJPEG could not make the test picture");
        return;
    }
    std::vector<uint8_t> bgr(static_cast<size_t>(kWidth) * kHeight * 3);
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        if (!DecodeWithTurbo(handle, jpeg, bgr, chroma)) {
            state.SkipWithError(tjGetErrorStr2(handle));
            break;
        }
        benchmark::DoNotOptimize(bgr.data());
    }
    tjDestroy(handle);
    SetMegapixelRate(state);
}

BENCHMARK_CAPTURE(DecodeRastrum, Baseline, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeTurbo, Baseline, false, Chroma::Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeTurbo, BaselineReplicatedChroma, false, Chroma::Replicated)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRastrum, Progressive, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeTurbo, Progressive, true, Chroma::Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeTurbo, ProgressiveReplicatedChroma, true, Chroma::Replicated)
    ->Unit(benchmark::kMillisecond);

// ---- Per-block routines

constexpr int kPoolBlocks = 1024;

// Dequantised coefficients as they come out of a quality-96 picture: a large DC, AC shrinking
// with frequency, many zeros at high frequencies.
std::vector<int16_t> MakeBlockPool(bool dcOnly) {
    std::vector<int16_t> pool(static_cast<size_t>(kPoolBlocks) * 64, 0);
    std::mt19937 rng(3);
    for (int b = 0; b < kPoolBlocks; ++b) {
        int16_t *block = &pool[static_cast<size_t>(b) * 64];
        block[0] = static_cast<int16_t>(std::uniform_int_distribution<int>(-1000, 1000)(rng));
        for (int i = 1; i < 64 && !dcOnly; ++i) {
            const int frequency = (i >> 3) + (i & 7);
            if (std::uniform_int_distribution<int>(0, 13)(rng) < frequency) {
                continue;
            }
            const int limit = 400 / (1 + frequency);
            block[i] = static_cast<int16_t>(std::uniform_int_distribution<int>(-limit, limit)(rng));
        }
    }
    return pool;
}

void InverseDctBPerBlock(benchmark::State &state, bool dcOnly) {
    const std::vector<int16_t> pool = MakeBlockPool(dcOnly);
    alignas(16) int16_t block[64];
    size_t next = 0;
    for (auto _ : state) {
        std::memcpy(block, &pool[next * 64], sizeof block);
        rastrum::InverseDctB(block);
        benchmark::DoNotOptimize(block);
        next = (next + 1) % kPoolBlocks;
    }
    state.SetItemsProcessed(state.iterations());
}

void DequantizeBPerBlock(benchmark::State &state) {
    const std::vector<int16_t> pool = MakeBlockPool(false);
    alignas(16) int16_t table[80] = {};
    for (int i = 0; i < 64; ++i) {
        table[i] = static_cast<int16_t>(1 + (i >> 3) + (i & 7));
    }
    alignas(16) int16_t block[64];
    size_t next = 0;
    for (auto _ : state) {
        std::memcpy(block, &pool[next * 64], sizeof block);
        rastrum::DequantizeB(block, table);
        benchmark::DoNotOptimize(block);
        next = (next + 1) % kPoolBlocks;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(InverseDctBPerBlock, NaturalBlocks, false);
BENCHMARK_CAPTURE(InverseDctBPerBlock, DcOnlyBlocks, true);
BENCHMARK(DequantizeBPerBlock);

// ---- Ratio Rastrum / libjpeg-turbo

// The console report, remembering the processor time of each decode run for the closing ratio
// (processor time, because other work on the machine stretches the wall-clock time).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // With repetitions, the median run stands for the benchmark.
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) {
                seconds_[run.run_name.str()] = run.GetAdjustedCPUTime();
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                seconds_[run.run_name.str()] = run.GetAdjustedCPUTime();
            }
        }
    }

    void PrintRatios() const {
        for (const char *picture : {"Baseline", "Progressive"}) {
            const auto rastrum = seconds_.find(std::string("DecodeRastrum/") + picture);
            for (const char *chroma : {"", "ReplicatedChroma"}) {
                const auto turbo =
                    seconds_.find(std::string("DecodeTurbo/") + picture + chroma);
                const char *label = *chroma != 0 ? "replicated chroma" : "smooth chroma";
                if (rastrum == seconds_.end() || turbo == seconds_.end()) {
                    std::printf("Speed Rastrum / libjpeg-turbo (%s), %s: not measured\n", label,
                                picture);
                    continue;
                }
                std::printf("Speed Rastrum / libjpeg-turbo (%s), %s: %.3f\n", label, picture,
                            turbo->second / rastrum->second);
            }
        }
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
