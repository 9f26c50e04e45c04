// The report of a successful read: colour codes, the rewind after a header read, the outer
// header fields and the closing of the file.
#include "header_report.h"

#include "dispatch_table.h"
#include "file_stream.h"

namespace rastrum {

namespace {

bool IsUnsampled(const FrameComponent &component) {
    return component.HSampling == 1 && component.VSampling == 1;
}

// The code for a first component sampled H x V with every other component 1 x 1: the codes for
// 1 x 1, 2 x 2 and 2 x 1.
int32_t CodeOfFirst(const FrameComponent &first, int32_t unsampled, int32_t twoByTwo,
                    int32_t twoByOne) {
    if (IsUnsampled(first)) {
        return unsampled;
    }
    if (first.HSampling == 2 && first.VSampling == 2) {
        return twoByTwo;
    }
    if (first.HSampling == 2 && first.VSampling == 1) {
        return twoByOne;
    }
    return SUBSAMPLING_OTHER;
}

void SettleColour(CodecState &state, int32_t mode) {
    const int32_t components = state.JpegChannels;
    if (state.AdobeSeen != 0) {
        if (mode == IO_READ_PARAMETERS_FILE || mode == IO_READ_PARAMETERS_MEMORY) {
            const bool transformed = state.AdobeTransform != 0;
            state.PixelChannels = components;
            if (components == 1) {
                state.JpegColour = COLOUR_GREY;
            } else if (components == 3) {
                state.JpegColour = transformed ? COLOUR_YCBCR : COLOUR_RGB;
            } else if (components == 4) {
                state.JpegColour = transformed ? COLOUR_YCBCR_PLUS : COLOUR_RGB_PLUS;
                state.PixelColour = COLOUR_RGB_PLUS;
            }
        }
    } else if (components == 1) {
        state.JpegColour = COLOUR_GREY;
    } else if (components == 3 && state.JfifSeen != 0) {
        state.JpegColour = COLOUR_YCBCR;
    }
    if (state.PixelColour == COLOUR_YCBCR && state.JpegColour == COLOUR_YCBCR) {
        state.PixelSubsampling = 2;
    }
}

// Whole-image reads from a file, at full or reduced size, end at EOI with nothing left to
// continue from: the file is closed, so that a later read opens it again at its start, rather
// than moved back near its end, where a later read would find no image and report success.
bool WholeImageFileRead(int32_t mode) {
    return mode == IO_READ_IMAGE_FILE || mode == IO_READ_HALF_FILE ||
           mode == IO_READ_QUARTER_FILE || mode == IO_READ_EIGHTH_FILE;
}

// After a header read the next call on the same record must start again at the SOS marker.
CodecError RewindSource(CodecState &state, int32_t mode) {
    const int32_t sosLength = state.Stream.Dispatch->SosLength;
    CodecStream &stream = state.Stream;
    if (mode % 2 == 0) {
        if (!WholeImageFileRead(mode) &&
            !SeekFileRelative(stream.FileHandle,
                              -(int64_t{stream.StreamBytesLeft} + int64_t{sosLength}))) {
            return CODEC_FILE_ERROR;
        }
    } else if (mode == IO_READ_PARAMETERS_MEMORY || mode == IO_READ_THUMBNAIL_MEMORY) {
        // Stay inside the caller's buffer even when no SOS was read.
        const int64_t consumed = stream.StreamPos - state.JpegBuffer;
        stream.StreamStart = sosLength >= 0 && sosLength <= consumed ? stream.StreamPos - sosLength
                                                                     : state.JpegBuffer;
    }
    return CODEC_SUCCESS;
}

void CopyHeaderToOuter(CodecProperties &record) {
    const CodecState &state = record.CodecState;
    record.JpegWidth = state.JpegWidth;
    record.JpegHeight = state.JpegHeight;
    record.JpegChannels = state.JpegChannels;
    record.ThumbnailWidth = state.ThumbnailWidth;
    record.ThumbnailHeight = state.ThumbnailHeight;
    record.ColourConversionWanted = state.ColourConversionWanted;
    record.UpsamplingWanted = state.UpsamplingWanted;
    record.JpegColour = state.JpegColour;
    record.PixelColour = state.PixelColour;
    record.PixelChannels = state.PixelChannels;
}

} // namespace

int32_t SubsamplingCode(const CodecState &state) {
    const FrameComponent *c = state.Components;
    if (c == nullptr) {
        return SUBSAMPLING_OTHER;
    }
    switch (state.ComponentCount) {
    case 1:
        return SUBSAMPLING_444;
    case 2:
        return IsUnsampled(c[0]) && IsUnsampled(c[1]) ? SUBSAMPLING_444 : SUBSAMPLING_OTHER;
    case 3:
        if (!IsUnsampled(c[1]) || !IsUnsampled(c[2])) {
            return SUBSAMPLING_OTHER;
        }
        return CodeOfFirst(c[0], SUBSAMPLING_444, SUBSAMPLING_420, SUBSAMPLING_422);
    case 4:
        if (!IsUnsampled(c[1]) || !IsUnsampled(c[2]) || c[3].HSampling != c[0].HSampling ||
            c[3].VSampling != c[0].VSampling) {
            return SUBSAMPLING_OTHER;
        }
        return CodeOfFirst(c[0], SUBSAMPLING_444, SUBSAMPLING_4200, SUBSAMPLING_4220);
    default:
        return SUBSAMPLING_OTHER;
    }
}

CodecError ReportHeader(CodecProperties &record, int32_t mode) {
    CodecState &state = record.CodecState;
    SettleColour(state, mode);
    const CodecError rewound = RewindSource(state, mode);
    if (rewound != CODEC_SUCCESS) {
        return rewound;
    }
    CopyHeaderToOuter(record);
    const int32_t subsampling = SubsamplingCode(state);
    state.JpegSubsampling = subsampling;
    record.JpegSubsampling = subsampling;

    const bool closes =
        WholeImageFileRead(mode) || mode == IO_READ_TABLES_FILE || mode == IO_READ_ENTROPY_FILE;
    if (closes && state.Stream.FileHandle >= 0) {
        const bool closed = CloseFile(state.Stream.FileHandle);
        state.Stream.FileHandle = -1;
        if (!closed) {
            return CODEC_ERROR_CLOSE_FILE;
        }
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
