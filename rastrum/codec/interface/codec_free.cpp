// CodecFree: closes the file and releases everything the record owns.  The record may then be
// initialised again.
#include <cstdlib>
#include <cstring>

#include "call_guard.h"
#include "dispatch_table.h"
#include "file_stream.h"
#include "frame_buffers.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

// A component count this large cannot come from a frame header: the record has been damaged.
constexpr int32_t kDamagedComponentCount = 256;

// Every buffer below is allocated only by the codec, so its pointer is sound even when a count
// beside it is not; releasing it in every case keeps a damaged record from leaking.
void ReleaseOwnedBuffers(CodecState &state) {
    std::free(state.Components);
    state.Components = nullptr;
    state.ComponentCount = 0;
    ReleaseFrameBuffers(state);
    std::free(state.RoiIndex);
    state.RoiIndex = nullptr;
    ReleaseScan(state.Scan);
    state.Scan = nullptr;

    std::memset(state.RawQuantTables, 0, sizeof state.RawQuantTables);
    std::memset(state.RawHuffmanTables, 0, sizeof state.RawHuffmanTables);
    state.QuantTableCount = 0;
    state.RawQuantTableCount = 0;
    state.AcTableCount = 0;
    state.DcTableCount = 0;
    state.RawHuffmanTableCount = 0;
    state.UseRawQuantTables = 0;
    state.UseRawHuffmanTables = 0;
}

void ReleaseDispatch(CodecState &state) {
    std::free(state.Stream.Dispatch);
    state.Stream.Dispatch = nullptr;
}

CodecError FreeRecord(CodecProperties &record) {
    CodecState &state = record.CodecState;
    CodecError result = CODEC_SUCCESS;
    if (state.Stream.FileHandle >= 0) {
        const bool closed = CloseFile(state.Stream.FileHandle);
        state.Stream.FileHandle = -1;
        if (!closed) {
            result = CODEC_ERROR_CLOSE_FILE;
        }
    }
    std::memset(state.QuantTableOfId, 0, sizeof state.QuantTableOfId);
    if (result == CODEC_SUCCESS && state.ComponentCount >= kDamagedComponentCount) {
        result = CODEC_INVALID_PROPERTIES;
    }
    ReleaseOwnedBuffers(state);
    ReleaseDispatch(state);
    return result;
}

} // namespace

} // namespace rastrum

extern "C" RASTRUM_API CodecError CodecFree(CodecProperties *record) {
    if (record == nullptr) {
        return CODEC_INVALID_PROPERTIES;
    }
    return rastrum::GuardedCall([record] { return rastrum::FreeRecord(*record); });
}
