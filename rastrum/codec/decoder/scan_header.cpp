// SOS: the components of one scan with their table selectors, the spectral selection and the
// successive approximation bits.
#include <cstdlib>

#include "dispatch_table.h"
#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

// The DC predictors and the work area have room for four scan components.
constexpr int32_t kMaxScanComponents = 4;
constexpr int32_t kLastCoefficient = 63;

int32_t FrameIndexOf(const CodecState &state, int32_t id) {
    for (int32_t k = 0; k < state.ComponentCount; ++k) {
        if (state.Components[k].Id == id) {
            return k;
        }
    }
    return -1;
}

int32_t FillScan(CodecState &state, const uint8_t *bytes, int32_t length, ScanHeader &scan) {
    if (length < 1) {
        return CODEC_DATA_ERROR;
    }
    const int32_t count = bytes[0];
    if (count < 1 || count > kMaxScanComponents || length < 1 + 2 * count + 3) {
        return CODEC_DATA_ERROR;
    }
    scan.ScanComponentCount = count;
    scan.Components = static_cast<ScanComponent *>(std::calloc(count, sizeof(ScanComponent)));
    if (scan.Components == nullptr) {
        return CODEC_MEMORY_ERROR;
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t id = bytes[1 + 2 * i];
        const int32_t dcSelector = bytes[2 + 2 * i] >> 4;
        const int32_t acSelector = bytes[2 + 2 * i] & 15;
        if (dcSelector > 3 || acSelector > 3) {
            return CODEC_DATA_ERROR;
        }
        const int32_t index = FrameIndexOf(state, id);
        if (index < 0) {
            return CODEC_DATA_ERROR;
        }
        const FrameComponent &component = state.Components[index];
        if (component.QuantSelector < 0 || component.QuantSelector > 3) {
            return CODEC_DATA_ERROR;
        }
        ScanComponent &entry = scan.Components[i];
        entry.FrameIndex = index;
        entry.HSampling = component.HSampling;
        entry.VSampling = component.VSampling;
        entry.DcTable = &state.DcHuffmanTables[dcSelector];
        entry.AcTable = &state.AcHuffmanTables[acSelector];
        entry.QuantTable = &state.QuantTables[component.QuantSelector];
        state.DcTableOfComponent[i] = static_cast<uint8_t>(dcSelector);
        state.AcTableOfComponent[i] = static_cast<uint8_t>(acSelector);
    }
    const uint8_t *tail = bytes + 1 + 2 * count;
    scan.SpectralStart = tail[0];
    scan.SpectralEnd = tail[1];
    scan.ApproxHigh = tail[2] >> 4;
    scan.ApproxLow = tail[2] & 15;
    // A band beyond the last coefficient, or one that ends before it starts, would walk the
    // block decoders past the block.
    if (scan.SpectralEnd > kLastCoefficient || scan.SpectralStart > scan.SpectralEnd) {
        return CODEC_DATA_ERROR;
    }
    return CODEC_SUCCESS;
}

} // namespace

void ReleaseScan(ScanHeader *scan) {
    if (scan != nullptr) {
        std::free(scan->Components);
        std::free(scan);
    }
}

int32_t ParseScanHeader(CodecState &state, ScanHeader *&scan) {
    scan = nullptr;
    CodecStream &stream = state.Stream;
    int32_t length = 0;
    if (const int32_t result = ReadSegmentLength(stream, length); result != CODEC_SUCCESS) {
        return result;
    }
    stream.Dispatch->SosLength = length + 4;
    SegmentBytes payload;
    if (const int32_t result = ReadSegment(stream, length, payload); result != CODEC_SUCCESS) {
        return result;
    }
    auto *fresh = static_cast<ScanHeader *>(std::calloc(1, sizeof(ScanHeader)));
    if (fresh == nullptr) {
        return CODEC_MEMORY_ERROR;
    }
    if (const int32_t result = FillScan(state, payload.Data, length, *fresh);
        result != CODEC_SUCCESS) {
        ReleaseScan(fresh);
        return result;
    }
    scan = fresh;
    return CODEC_SUCCESS;
}

} // namespace rastrum
