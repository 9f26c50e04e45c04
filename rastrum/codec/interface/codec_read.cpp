// CodecRead: one read in the given I/O mode.  The marker reader does the decoding; this is the
// course around it: the check, the tables supplied by the caller, the source, the stream and
// the report of what was read.
#include <algorithm>

#include "call_guard.h"
#include "file_stream.h"
#include "header_report.h"
#include "marker_reader.h"
#include "parameter_check.h"
#include "raw_table_install.h"
#include "read_stream_setup.h"
#include "record_copy.h"

namespace rastrum {

namespace {

bool IsReadMode(int32_t mode) {
    return mode >= 0 && mode <= 21 && !(mode >= 8 && mode <= 13);
}

bool IsHeaderMode(int32_t mode) {
    return mode == IO_READ_PARAMETERS_FILE || mode == IO_READ_PARAMETERS_MEMORY ||
           mode == IO_READ_TABLES_FILE || mode == IO_READ_TABLES_MEMORY ||
           mode == IO_READ_THUMBNAIL_FILE || mode == IO_READ_THUMBNAIL_MEMORY;
}

void ClearTableCounters(CodecState &state) {
    state.QuantTableCount = 0;
    state.RawQuantTableCount = 0;
    state.AcTableCount = 0;
    state.DcTableCount = 0;
    state.RawHuffmanTableCount = 0;
}

// A stop after an MCU reports the MCU position reached as pixels.
void RoiToPixels(CodecState &state) {
    const int64_t right = (int64_t{state.Roi[2]} * 8 + 8) * state.MaxHSampling;
    const int64_t bottom = (int64_t{state.Roi[3]} * 8 + 8) * state.MaxVSampling;
    state.Roi[2] = static_cast<int32_t>(std::min<int64_t>(right, state.JpegWidth));
    state.Roi[3] = static_cast<int32_t>(std::min<int64_t>(bottom, state.JpegHeight));
}

CodecError ReadRecord(CodecProperties &record, int32_t mode) {
    CodecState &state = record.CodecState;
    state.IoMode = mode;
    const bool innerRecord = record.UseInnerRecord != 0;
    if (innerRecord && !IsReadMode(mode)) {
        return CODEC_INVALID_PROPERTIES;
    }
    if (!innerRecord) {
        const CodecError checked = CheckParameters(record, mode, false);
        if (checked != CODEC_SUCCESS) {
            return checked;
        }
    }

    if (IsHeaderMode(mode)) {
        state.FramePending = 1;
        ClearTableCounters(state);
    } else {
        const CodecError installed = InstallRawTables(state);
        if (installed != CODEC_SUCCESS) {
            return installed;
        }
    }

    if (mode % 2 == 0 && state.Stream.FileHandle < 0) {
        const char *path = innerRecord ? state.JpegFileName : record.JpegFileName;
        state.Stream.FileHandle = OpenFileForReading(path);
        if (state.Stream.FileHandle < 0) {
            return CODEC_INVALID_FILE_NAME;
        }
        // Byte counts are positions in the file, so a file opened anew starts them again; a
        // region index built by this read would otherwise point past the file's end.
        state.Stream.StreamByteCount = 0;
    }

    if (!innerRecord) {
        const CodecError copied = CopyOuterFields(record);
        if (copied != CODEC_SUCCESS) {
            return copied;
        }
    }
    const CodecError streamReady = SetUpReadStream(state, mode);
    if (streamReady != CODEC_SUCCESS) {
        return streamReady;
    }

    const CodecError decoded = DecodeImage(state);
    if (decoded == CODEC_INTERRUPT_SUCCESS) {
        RoiToPixels(state);
        return decoded;
    }
    if (decoded != CODEC_SUCCESS) {
        return decoded;
    }
    return ReportHeader(record, mode);
}

} // namespace

} // namespace rastrum

extern "C" RASTRUM_API CodecError CodecRead(CodecProperties *record, int32_t mode) {
    if (record == nullptr || record->CodecState.Stream.Dispatch == nullptr) {
        return CODEC_INVALID_PROPERTIES;
    }
    const CodecError result =
        rastrum::GuardedCall([record, mode] { return rastrum::ReadRecord(*record, mode); });
    return rastrum::FinishCall(record->CodecState, result);
}
