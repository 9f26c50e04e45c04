// The decoder driver: resumes an interrupted scan or rewinds the stream, then walks the markers,
// hands each segment to its parser and each scan's entropy-coded data to the scan loops, until
// the point where the read mode stops.
#include "colour_output.h"
#include "dispatch_table.h"
#include "file_stream.h"
#include "frame_buffers.h"
#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {

namespace {

// The MCU work area holds at most this many blocks (T.81 allows ten per MCU).
constexpr int32_t kMaxBlocksPerMcu = 10;

constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;
constexpr uint8_t kSof0 = 0xC0;
constexpr uint8_t kSof1 = 0xC1;
constexpr uint8_t kSof2 = 0xC2;
constexpr uint8_t kDht = 0xC4;
constexpr uint8_t kDqt = 0xDB;
constexpr uint8_t kDri = 0xDD;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kApp14 = 0xEE;
constexpr uint8_t kCom = 0xFE;
constexpr uint8_t kRst0 = 0xD0;
constexpr uint8_t kRst7 = 0xD7;

// What a marker handler tells the loop: go on with the next marker, or end DecodeImage.
struct Step {
    bool Done;
    int32_t Result;
};
constexpr Step kNextMarker{false, 0};
Step Finish(int32_t result) { return Step{true, result}; }
Step FinishOnError(int32_t result) { return result != 0 ? Finish(result) : kNextMarker; }

bool HeaderMode(int32_t mode) {
    return mode == IO_READ_PARAMETERS_FILE || mode == IO_READ_PARAMETERS_MEMORY ||
           mode == IO_READ_TABLES_FILE || mode == IO_READ_TABLES_MEMORY ||
           mode == IO_READ_THUMBNAIL_FILE || mode == IO_READ_THUMBNAIL_MEMORY;
}

bool TablesMode(int32_t mode) {
    return mode == IO_READ_TABLES_FILE || mode == IO_READ_TABLES_MEMORY;
}

// Entropy-coded and reduced-size reads continue counting the bytes of the read before them.
bool KeepsByteCount(int32_t mode) {
    return mode == IO_READ_ENTROPY_FILE || mode == IO_READ_ENTROPY_MEMORY ||
           (mode >= IO_READ_HALF_FILE && mode <= IO_READ_EIGHTH_MEMORY);
}

bool UnsupportedFrame(uint8_t marker) {
    return (marker >= 0xC3 && marker <= 0xCF && marker != kDht && marker != 0xCC);
}

bool RoiIsEmpty(const CodecState &state) {
    return state.Roi[0] == 0 && state.Roi[1] == 0 && state.Roi[2] == 0 && state.Roi[3] == 0;
}

void DropScan(CodecState &state) {
    ReleaseScan(state.Scan);
    state.Scan = nullptr;
}

// Back to the first byte of the JPEG data, for images whose components come in separate scans:
// every read of such an image walks all of them again.  The file modes always rewind the file,
// since their stream never runs over JpegBuffer.
int32_t RewindStream(CodecState &state) {
    CodecStream &stream = state.Stream;
    stream.BitAccumulator = 0;
    stream.StreamByteCount = 0;
    if (stream.FileMode != 0) {
        if (!SeekFileFromStart(stream.FileHandle, 0)) {
            return CODEC_FILE_ERROR;
        }
        return RefillInput(stream);
    }
    stream.StreamStart = state.JpegBuffer;
    stream.StreamPos = state.JpegBuffer;
    stream.StreamEnd = state.JpegBuffer + stream.StreamCapacity;
    stream.StreamBytesLeft = stream.StreamCapacity;
    return CODEC_SUCCESS;
}

// Header reads must start with SOI itself; garbage in front of it is not passed over.
int32_t ExpectStartOfImage(CodecState &state) {
    const uint8_t *bytes = nullptr;
    if (const int32_t result = TakeBytes(state.Stream, 2, bytes); result != CODEC_SUCCESS) {
        return result;
    }
    if (bytes[0] != 0xFF || bytes[1] != kSoi) {
        return CODEC_NOT_JPEG;
    }
    state.RestartInterval = 0;
    return CODEC_SUCCESS;
}

Step StartFrame(CodecState &state) {
    if (TablesMode(state.IoMode)) {
        state.Stream.StreamByteCount -= 2; // left pointing at the frame marker
        return Finish(CODEC_SUCCESS);
    }
    if (const int32_t result = ParseFrameHeader(state); result != CODEC_SUCCESS) {
        return Finish(result);
    }
    // Buffers sized for an earlier frame would not fit this one, and its progressive passes say
    // nothing about this one: a sequential image read after a progressive one must not be
    // decoded as progressive.
    ReleaseFrameBuffers(state);
    state.Progressive = 0;
    state.DcScanComponents = 0;
    state.AcPassesDone = 0;
    state.FramePending = 0;
    state.JpegWidth = state.FrameWidth;
    state.JpegHeight = state.FrameHeight;
    state.JpegChannels = state.ComponentCount;
    return FinishOnError(SetUpDecoder(state));
}

bool SequentialScan(const CodecState &state, const ScanHeader &scan) {
    return state.Progressive == 0 && scan.SpectralStart == 0 && scan.SpectralEnd == 63 &&
           scan.ApproxHigh == 0 && scan.ApproxLow == 0;
}

// Blocks of the MCU that the work area receives for this scan: every frame component's blocks
// in a progressive image, the scan's components' blocks in an interleaved sequential scan.
int32_t BlocksPerMcu(const CodecState &state, const ScanHeader &scan) {
    if (!SequentialScan(state, scan)) {
        return FrameBlocksPerMcu(state);
    }
    if (scan.ScanComponentCount == 1) {
        return 1;
    }
    int32_t blocks = 0;
    for (int32_t i = 0; i < scan.ScanComponentCount; ++i) {
        blocks += scan.Components[i].HSampling * scan.Components[i].VSampling;
    }
    return blocks;
}

// Progressive bookkeeping: which DC components and AC passes are complete, and the coefficient
// store at the first progressive scan.
int32_t CountProgressiveScan(CodecState &state, const ScanHeader &scan) {
    if (scan.SpectralStart == 0 && scan.SpectralEnd == 0) {
        if (scan.ApproxLow == 0) {
            state.DcScanComponents += scan.ScanComponentCount;
        }
    } else if (scan.ApproxLow == 0 && scan.SpectralEnd == 63) {
        state.AcPassesDone += 1;
    }
    state.Progressive += 1;
    if (state.CoefficientStore == nullptr) {
        return AllocateCoefficientStore(state);
    }
    return CODEC_SUCCESS;
}

// Steps from the point where a resumed scan joins: the scan becomes the one in progress, the
// smoothing planes exist, and its entropy-coded data runs.
Step RunScan(CodecState &state, ScanHeader *scan) {
    if (state.Progressive == 0 && state.NonInterleaved != 0) {
        state.AcPassesDone += scan->ScanComponentCount;
    }
    if (state.Scan != scan) {
        ReleaseScan(state.Scan);
        state.Scan = scan;
    }
    if (state.UpsamplingMode == 1 && state.Planes == nullptr) {
        if (const int32_t result = AllocateSmoothingPlanes(state); result != CODEC_SUCCESS) {
            DropScan(state);
            return Finish(result);
        }
    }
    const int32_t result = DecodeScanData(state, *scan);
    const bool stopped = result == CODEC_INTERRUPT_SUCCESS || result == CODEC_ROI_SUCCESS;
    if (stopped && state.Progressive != 0 && state.InterruptRequest == 0) {
        state.AcPassesDone += 1;
        return Finish(result);
    }
    if (result == CODEC_ROI_SUCCESS && state.NonInterleaved != 0) {
        if (state.ColourConversionWanted != 0) {
            ConvertPictureInPlace(state);
        }
        DropScan(state);
        return Finish(result);
    }
    if (stopped) {
        state.InterruptRequest = 0; // the scan stays and resumes on the next call
        return Finish(result);
    }
    if (state.Progressive == 0) {
        state.Stream.DecodedComponents += scan->ScanComponentCount;
    }
    // A failed scan is dropped as well: resuming it on a later call would read stale data.
    DropScan(state);
    return FinishOnError(result);
}

Step StartScan(CodecState &state) {
    if (state.FramePending != 0) {
        return Finish(CODEC_NO_FRAME);
    }
    ScanHeader *scan = nullptr;
    if (const int32_t result = ParseScanHeader(state, scan); result != CODEC_SUCCESS) {
        return Finish(result);
    }
    if (BlocksPerMcu(state, *scan) > kMaxBlocksPerMcu) {
        ReleaseScan(scan);
        return Finish(CODEC_DATA_ERROR);
    }
    CodecStream &stream = state.Stream;
    stream.EobRun = 0;
    if (HeaderMode(state.IoMode)) {
        stream.StreamByteCount -= stream.Dispatch->SosLength; // left pointing at the SOS marker
        ReleaseScan(scan);
        return Finish(CODEC_SUCCESS);
    }
    scan->ScanRestartInterval = state.RestartInterval;
    state.NonInterleaved =
        scan->ScanComponentCount < state.ComponentCount && state.Progressive == 0 ? 1 : 0;
    SetUpDecoder(state);
    if (!SequentialScan(state, *scan)) {
        if (const int32_t result = CountProgressiveScan(state, *scan); result != CODEC_SUCCESS) {
            ReleaseScan(scan);
            return Finish(result);
        }
    }
    return RunScan(state, scan);
}

Step EndOfImage(CodecState &state) {
    if (HeaderMode(state.IoMode)) {
        return Finish(CODEC_SUCCESS);
    }
    if (state.FramePending != 0) {
        // Tables only so far: the image itself must follow.
        uint8_t marker = 0;
        if (NextMarker(state.Stream, marker) != CODEC_SUCCESS || marker != kSoi) {
            return Finish(CODEC_NO_IMAGE);
        }
        state.RestartInterval = 0;
        return kNextMarker;
    }
    if (state.NonInterleaved != 0 && state.ColourConversionWanted != 0 && state.Progressive == 0) {
        ConvertPictureInPlace(state);
    }
    return Finish(CODEC_SUCCESS);
}

Step HandleMarker(CodecState &state, uint8_t marker) {
    if (marker == kSof0 || ((marker == kSof1 || marker == kSof2) && state.FramePending != 0)) {
        return StartFrame(state);
    }
    if (UnsupportedFrame(marker)) {
        return Finish(CODEC_UNSUPPORTED_FRAME);
    }
    if (marker >= kRst0 && marker <= kRst7) {
        return kNextMarker;
    }
    switch (marker) {
    case kSoi:
        state.RestartInterval = 0;
        return kNextMarker;
    case kEoi:
        return EndOfImage(state);
    case kSos:
        return StartScan(state);
    case kDht:
        return FinishOnError(ParseHuffmanTables(state));
    case kDqt:
        return FinishOnError(ParseQuantTables(state));
    case kDri:
        return FinishOnError(ParseRestartInterval(state));
    case kApp0:
        return FinishOnError(state.IoMode == IO_READ_ENTROPY_FILE ? SkipSegment(state.Stream)
                                                                  : ParseJfifSegment(state));
    case kApp14:
        if (const int32_t result = ParseAdobeSegment(state); result != CODEC_SUCCESS) {
            return Finish(result);
        }
        return FinishOnError(state.FramePending == 0 ? SetUpDecoder(state) : CODEC_SUCCESS);
    case kCom:
        return FinishOnError(ParseComment(state));
    default:
        // A repeated frame header (SOF1, SOF2 once the frame is known) and every other segment
        // are passed over by their length, so their bytes can never be taken for markers.
        return FinishOnError(SkipSegment(state.Stream));
    }
}

} // namespace

int32_t DecodeImage(CodecState &state) {
    CodecStream &stream = state.Stream;
    ScanHeader *scan = state.Scan;
    const bool resumePending =
        scan != nullptr && (scan->ResumeColumn != 0 || scan->ResumeRow != 0);
    if (scan == nullptr) {
        ResetInput(stream);
        // No scan left in progress: this read walks the image's scans from the first, so the
        // progressive passes of an earlier read must not count as done.
        state.Progressive = 0;
    }
    if (state.NonInterleaved != 0 && !resumePending) {
        if (scan != nullptr) {
            ResetInput(stream);
        }
        if (const int32_t result = RewindStream(state); result != CODEC_SUCCESS) {
            return result;
        }
    }
    if (!KeepsByteCount(state.IoMode) && RoiIsEmpty(state)) {
        stream.StreamByteCount = 0;
    }
    if (state.FramePending == 0) {
        // The size is the frame's, whatever the caller's copy of the outer fields held.
        state.JpegWidth = state.FrameWidth;
        state.JpegHeight = state.FrameHeight;
        if (const int32_t result = SetUpDecoder(state); result != CODEC_SUCCESS) {
            return result;
        }
    }
    if (HeaderMode(state.IoMode)) {
        if (const int32_t result = ExpectStartOfImage(state); result != CODEC_SUCCESS) {
            return result;
        }
    }
    if (state.Progressive == 0) {
        state.DcScanComponents = 0;
        state.AcPassesDone = 0;
    }
    if (scan != nullptr && (state.NonInterleaved == 0 || resumePending)) {
        if (const Step step = RunScan(state, scan); step.Done) {
            return step.Result;
        }
    }
    for (;;) {
        uint8_t marker = 0;
        if (const int32_t result = NextMarker(stream, marker); result != CODEC_SUCCESS) {
            return result;
        }
        if (const Step step = HandleMarker(state, marker); step.Done) {
            return step.Result;
        }
    }
}

} // namespace rastrum
