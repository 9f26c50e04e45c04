// The parameter check of CodecRead and CodecWrite.  Rules run in a fixed order and the first
// failing rule decides the code, so callers can rely on which fault is reported.
#include "parameter_check.h"

#include <cstddef>

namespace rastrum {

namespace {

constexpr int32_t kAnyCount = 0;

// One allowed pairing: a source colour with its channel count and a target colour with its
// channel count (kAnyCount matches every count).
struct ColourPair {
    int32_t FromColour;
    int32_t FromChannels;
    int32_t ToColour;
    int32_t ToChannels;
};

// Reading: coded data (JpegColour, JpegChannels) -> pixel buffer (PixelColour, PixelChannels).
constexpr ColourPair kReadPairs[] = {
    {COLOUR_GREY, 1, COLOUR_GREY, 1},
    {COLOUR_GREY, 1, COLOUR_RGB, 3},
    {COLOUR_GREY, 1, COLOUR_BGR, 3},
    {COLOUR_GREY, 1, COLOUR_RGB_PLUS, 4},
    {COLOUR_RGB, 3, COLOUR_RGB, 3},
    {COLOUR_RGB, 3, COLOUR_BGR, 3},
    {COLOUR_RGB, 3, COLOUR_RGB_PLUS, 4},
    {COLOUR_YCBCR, 3, COLOUR_GREY, 1},
    {COLOUR_YCBCR, 3, COLOUR_RGB, 3},
    {COLOUR_YCBCR, 3, COLOUR_BGR, 3},
    {COLOUR_YCBCR, 3, COLOUR_RGB_PLUS, 4},
    {COLOUR_YCBCR, 3, COLOUR_YCBCR, kAnyCount},
    {COLOUR_RGB_PLUS, 4, COLOUR_RGB_PLUS, 4},
    {COLOUR_YCBCR_PLUS, 4, COLOUR_RGB_PLUS, 4},
    {COLOUR_OTHER, kAnyCount, COLOUR_OTHER, kAnyCount},
};

// Writing: pixel buffer (PixelColour, PixelChannels) -> coded data (JpegColour, JpegChannels).
// COLOUR_OTHER is handled apart: it allows at most as many coded channels as pixel channels.
constexpr ColourPair kWritePairs[] = {
    {COLOUR_GREY, 1, COLOUR_GREY, 1},         {COLOUR_GREY, 1, COLOUR_YCBCR, 3},
    {COLOUR_RGB, 3, COLOUR_GREY, 1},          {COLOUR_RGB, 3, COLOUR_RGB, 3},
    {COLOUR_RGB, 3, COLOUR_YCBCR, 3},         {COLOUR_RGB, 4, COLOUR_YCBCR, 3},
    {COLOUR_BGR, 3, COLOUR_GREY, 1},          {COLOUR_BGR, 3, COLOUR_RGB, 3},
    {COLOUR_BGR, 3, COLOUR_YCBCR, 3},         {COLOUR_YCBCR, 3, COLOUR_YCBCR, 3},
    {COLOUR_RGB_PLUS, 4, COLOUR_RGB_PLUS, 4}, {COLOUR_RGB_PLUS, 4, COLOUR_YCBCR_PLUS, 4},
};

bool CountMatches(int32_t wanted, int32_t actual) {
    return wanted == kAnyCount || wanted == actual;
}

template <size_t N>
bool PairAllowed(const ColourPair (&pairs)[N], int32_t fromColour, int32_t fromChannels,
                 int32_t toColour, int32_t toChannels) {
    for (const ColourPair &pair : pairs) {
        if (pair.FromColour == fromColour && CountMatches(pair.FromChannels, fromChannels) &&
            pair.ToColour == toColour && CountMatches(pair.ToChannels, toChannels)) {
            return true;
        }
    }
    return false;
}

bool IsFileMode(int32_t mode) {
    return mode % 2 == 0;
}

bool IsWriteMode(int32_t mode) {
    return mode >= 8 && mode <= 13;
}

// Modes that fill or read the caller's pixel buffer.
bool ChecksPixelBuffer(int32_t mode) {
    switch (mode) {
    case 0:
    case 1:
    case 4:
    case 5:
    case 10:
    case 11:
        return false;
    default:
        return true;
    }
}

bool InRange(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

CodecError CheckPixelBuffer(const CodecProperties &record, int32_t mode) {
    if (record.PixelBuffer == nullptr || !InRange(record.PixelWidth, 1, 65535) ||
        !InRange(record.PixelHeight, -65535, 65535)) {
        return CODEC_INVALID_PROPERTIES;
    }
    if ((mode == IO_READ_THUMBNAIL_FILE || mode == IO_READ_THUMBNAIL_MEMORY) &&
        record.PixelColour != COLOUR_RGB && record.PixelColour != COLOUR_BGR) {
        return CODEC_THUMBNAIL_WRONG_COLOUR;
    }
    if (record.PixelRowPadding < 0 || !InRange(record.PixelChannels, 1, 255)) {
        return CODEC_INVALID_PROPERTIES;
    }
    if (record.PixelSubsampling != 0 &&
        !(record.PixelSubsampling == 2 && record.PixelColour == COLOUR_YCBCR)) {
        return CODEC_UNSUPPORTED_SUBSAMPLING;
    }
    return CODEC_SUCCESS;
}

CodecError CheckWriteGeometry(const CodecProperties &record, int32_t mode) {
    const bool writesImage = mode == IO_WRITE_IMAGE_FILE || mode == IO_WRITE_IMAGE_MEMORY ||
                             mode == IO_WRITE_ENTROPY_FILE || mode == IO_WRITE_ENTROPY_MEMORY;
    if (writesImage) {
        if (!InRange(record.JpegWidth, 1, 65535) || !InRange(record.JpegHeight, 1, 65535)) {
            return CODEC_INVALID_PROPERTIES;
        }
        const bool channelsFree =
            record.PixelColour == COLOUR_GREY || record.JpegColour == COLOUR_YCBCR;
        if (!channelsFree && record.JpegChannels > record.PixelChannels) {
            return CODEC_INVALID_PROPERTIES;
        }
    }
    bool subsamplingFits = record.JpegSubsampling == SUBSAMPLING_444;
    if (record.JpegChannels == 3) {
        subsamplingFits = subsamplingFits || record.JpegSubsampling == SUBSAMPLING_420 ||
                          record.JpegSubsampling == SUBSAMPLING_422;
    } else if (record.JpegChannels == 4) {
        subsamplingFits = subsamplingFits || record.JpegSubsampling == SUBSAMPLING_4200 ||
                          record.JpegSubsampling == SUBSAMPLING_4220;
    }
    return subsamplingFits ? CODEC_SUCCESS : CODEC_UNSUPPORTED_SUBSAMPLING;
}

bool ColourPairSupported(const CodecProperties &record, bool writing) {
    if (!writing) {
        return PairAllowed(kReadPairs, record.JpegColour, record.JpegChannels, record.PixelColour,
                           record.PixelChannels);
    }
    if (record.PixelColour == COLOUR_OTHER) {
        return record.JpegColour == COLOUR_OTHER && record.JpegChannels <= record.PixelChannels;
    }
    return PairAllowed(kWritePairs, record.PixelColour, record.PixelChannels, record.JpegColour,
                       record.JpegChannels);
}

} // namespace

CodecError CheckParameters(const CodecProperties &record, int32_t mode, bool writing) {
    const CodecState &state = record.CodecState;

    // A mode of the other direction has no meaning here and is refused like an unknown one.
    if (!InRange(mode, 0, 21) || IsWriteMode(mode) != writing) {
        return CODEC_INVALID_PROPERTIES;
    }
    if (ChecksPixelBuffer(mode) && state.RawPlanes == nullptr) {
        const CodecError pixelResult = CheckPixelBuffer(record, mode);
        if (pixelResult != CODEC_SUCCESS) {
            return pixelResult;
        }
    }
    if (IsFileMode(mode) ? record.JpegFileName == nullptr
                         : (record.JpegBuffer == nullptr || record.JpegBufferSize <= 0)) {
        return CODEC_INVALID_PROPERTIES;
    }
    if (!InRange(record.JpegChannels, 1, 256)) {
        return CODEC_INVALID_PROPERTIES;
    }
    if (writing) {
        const CodecError writeResult = CheckWriteGeometry(record, mode);
        if (writeResult != CODEC_SUCCESS) {
            return writeResult;
        }
    }
    if (!ColourPairSupported(record, writing)) {
        return CODEC_INVALID_PROPERTIES;
    }
    if (!InRange(state.DctMethod, 0, 1) ||
        (state.UpsamplingMode == 1 && state.RawPlanes != nullptr)) {
        return CODEC_INVALID_PROPERTIES;
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
