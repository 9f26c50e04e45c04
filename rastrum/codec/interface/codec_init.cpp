// CodecInit: prepares a caller's record with its defaults, its own routine table and the
// component array.  The record's previous contents are never read: it may be fresh stack memory.
#include <cstdlib>
#include <cstring>

#include "call_guard.h"
#include "dispatch_table.h"
#include "processor_class.h"
#include "record_layout.h"

namespace rastrum {

namespace {

constexpr int32_t kDefaultPixelChannels = 3;
constexpr int32_t kDefaultJpegChannels = 3;
constexpr int32_t kDefaultQuality = 75;
constexpr int32_t kInitialComponentCount = 4;
constexpr uint8_t kTableOfComponent[4] = {0, 1, 1, 1};

void SetOuterDefaults(CodecProperties &record) {
    record.UseInnerRecord = 0;
    record.PixelBuffer = nullptr;
    record.PixelWidth = 0;
    record.PixelHeight = 0;
    record.PixelRowPadding = 0;
    record.PixelChannels = kDefaultPixelChannels;
    record.PixelColour = COLOUR_BGR;
    record.PixelSubsampling = 0;
    record.JpegFileName = nullptr;
    record.JpegBuffer = nullptr;
    record.JpegBufferSize = 0;
    record.JpegWidth = 0;
    record.JpegHeight = 0;
    record.JpegChannels = kDefaultJpegChannels;
    record.JpegColour = COLOUR_YCBCR;
    record.JpegSubsampling = SUBSAMPLING_420;
    record.ThumbnailWidth = 0;
    record.ThumbnailHeight = 0;
    record.ColourConversionWanted = 1;
    record.UpsamplingWanted = 1;
    record.Quality = kDefaultQuality;
}

// The inner copies of the outer defaults; everything else of the inner record starts at zero.
void SetInnerDefaults(CodecState &state) {
    state.PixelChannels = kDefaultPixelChannels;
    state.PixelColour = COLOUR_BGR;
    state.JpegChannels = kDefaultJpegChannels;
    state.JpegColour = COLOUR_YCBCR;
    state.JpegSubsampling = SUBSAMPLING_420;
    state.ColourConversionWanted = 1;
    state.UpsamplingWanted = 1;
    state.Quality = kDefaultQuality;

    state.IoMode = -1;
    state.DctMethod = 1;
    for (QuantTable &table : state.QuantTables) {
        table.Entries = QuantEntriesStart(table);
    }
    std::memcpy(state.DcTableOfComponent, kTableOfComponent, sizeof kTableOfComponent);
    std::memcpy(state.AcTableOfComponent, kTableOfComponent, sizeof kTableOfComponent);
    state.FramePending = 1;
    state.Stream.FileHandle = -1;
    state.WorkArea = WorkAreaStart(state);
    state.AdobeVersion = 100;
    state.JfifVersion = 0x0101;
    state.JfifXDensity = 1;
    state.JfifYDensity = 1;
}

CodecError InitRecord(CodecProperties &record) {
    CodecState &state = record.CodecState;
    auto *dispatch = static_cast<DispatchTable *>(std::calloc(1, sizeof(DispatchTable)));
    if (dispatch == nullptr) {
        std::memset(&state, 0, sizeof state);
        state.Stream.FileHandle = -1;
        return CODEC_MEMORY_ERROR;
    }
    const int32_t processorClass = DetectProcessorClass();
    FillDispatchTable(*dispatch, processorClass);

    SetOuterDefaults(record);
    std::memset(&state, 0, sizeof state);
    SetInnerDefaults(state);
    state.Stream.Dispatch = dispatch;
    state.Stream.ProcessorClass = processorClass;
    state.ProcessorClassCopy = processorClass;

    auto *components =
        static_cast<FrameComponent *>(std::calloc(kInitialComponentCount, sizeof(FrameComponent)));
    if (components == nullptr) {
        return CODEC_MEMORY_ERROR;
    }
    components[0].QuantSelector = 0;
    for (int32_t k = 1; k < kInitialComponentCount; ++k) {
        components[k].QuantSelector = 1;
    }
    state.Components = components;
    state.ComponentCount = kInitialComponentCount;
    return CODEC_SUCCESS;
}

} // namespace

} // namespace rastrum

extern "C" RASTRUM_API CodecError CodecInit(CodecProperties *record) {
    if (record == nullptr) {
        return CODEC_INVALID_PROPERTIES;
    }
    return rastrum::GuardedCall([record] { return rastrum::InitRecord(*record); });
}
