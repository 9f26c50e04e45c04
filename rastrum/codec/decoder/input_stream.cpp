// Byte-level input of the decoder over the caller's memory or through FileBuffer.  Every bound is
// taken from StreamEnd - StreamPos, so that no byte outside the valid data is ever read.
#include "input_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "file_stream.h"

namespace rastrum {

namespace {

int32_t BytesBuffered(const CodecStream &stream) {
    return static_cast<int32_t>(stream.StreamEnd - stream.StreamPos);
}

void Advance(CodecStream &stream, int32_t count) {
    stream.StreamPos += count;
    stream.StreamBytesLeft = BytesBuffered(stream);
    stream.StreamByteCount += count;
}

uint8_t TakeByte(CodecStream &stream) {
    const uint8_t byte = *stream.StreamPos;
    Advance(stream, 1);
    return byte;
}

// Moves the bytes not yet taken to the front of FileBuffer and fills the rest from the file, so
// that a request straddling two buffer loads never loses the bytes it starts with.
int32_t TopUpFileBuffer(CodecStream &stream) {
    const int32_t kept = BytesBuffered(stream);
    std::memmove(stream.FileBuffer, stream.StreamPos, static_cast<size_t>(kept));
    const int32_t read = ReadFileBytes(stream.FileHandle, stream.FileBuffer + kept,
                                       CODEC_FILE_BUFFER_SIZE - kept);
    if (read <= 0) {
        return CODEC_FILE_ERROR;
    }
    stream.StreamPos = stream.FileBuffer;
    stream.StreamEnd = stream.FileBuffer + kept + read;
    stream.StreamBytesLeft = kept + read;
    return CODEC_SUCCESS;
}

} // namespace

void ResetInput(CodecStream &stream) {
    if (stream.FileMode != 0) {
        stream.StreamPos = stream.FileBuffer + CODEC_FILE_BUFFER_SIZE;
        stream.StreamEnd = stream.StreamPos;
        stream.StreamBytesLeft = 0;
    } else {
        stream.StreamPos = stream.StreamStart;
        stream.StreamEnd = stream.StreamStart + stream.StreamCapacity;
        stream.StreamBytesLeft = stream.StreamCapacity;
    }
    stream.BitAccumulator = 0;
    stream.BitCount = 0;
    stream.PendingMarker = 0;
    stream.DecodedComponents = 0;
}

int32_t RefillInput(CodecStream &stream) {
    const int32_t read = ReadFileBytes(stream.FileHandle, stream.FileBuffer, CODEC_FILE_BUFFER_SIZE);
    if (read <= 0) {
        return CODEC_FILE_ERROR;
    }
    stream.StreamPos = stream.FileBuffer;
    stream.StreamEnd = stream.FileBuffer + read;
    stream.StreamBytesLeft = read;
    return CODEC_SUCCESS;
}

int32_t TakeBytes(CodecStream &stream, int32_t count, const uint8_t *&bytes) {
    if (count < 0) {
        return CODEC_DATA_ERROR;
    }
    if (BytesBuffered(stream) < count) {
        if (stream.FileMode == 0) {
            return CODEC_MEMORY_ERROR;
        }
        if (count > CODEC_FILE_BUFFER_SIZE) {
            return CODEC_INTERNAL_ERROR;
        }
        if (const int32_t result = TopUpFileBuffer(stream); result != CODEC_SUCCESS) {
            return result;
        }
        if (BytesBuffered(stream) < count) {
            return CODEC_INTERNAL_ERROR;
        }
    }
    bytes = stream.StreamPos;
    Advance(stream, count);
    return CODEC_SUCCESS;
}

SegmentBytes::~SegmentBytes() { std::free(Owned); }

int32_t ReadSegment(CodecStream &stream, int32_t count, SegmentBytes &segment) {
    if (count < 0) {
        return CODEC_DATA_ERROR;
    }
    if (BytesBuffered(stream) >= count) {
        return TakeBytes(stream, count, segment.Data);
    }
    // Memory holds everything there is: a segment running past its end is damaged.
    if (stream.FileMode == 0) {
        return CODEC_DATA_ERROR;
    }
    auto *copy = static_cast<uint8_t *>(std::malloc(static_cast<size_t>(count)));
    if (copy == nullptr) {
        return CODEC_MEMORY_ERROR;
    }
    int32_t filled = BytesBuffered(stream);
    std::memcpy(copy, stream.StreamPos, static_cast<size_t>(filled));
    Advance(stream, filled);
    while (filled < count) {
        const int32_t piece = std::min(count - filled, int32_t{CODEC_FILE_BUFFER_SIZE});
        const uint8_t *bytes = nullptr;
        if (TakeBytes(stream, piece, bytes) != CODEC_SUCCESS) {
            std::free(copy);
            return CODEC_DATA_ERROR;
        }
        std::memcpy(copy + filled, bytes, static_cast<size_t>(piece));
        filled += piece;
    }
    std::free(segment.Owned);
    segment.Owned = copy;
    segment.Data = copy;
    return CODEC_SUCCESS;
}

int32_t ReadWord(CodecStream &stream, int32_t &word) {
    SegmentBytes bytes;
    if (const int32_t result = ReadSegment(stream, 2, bytes); result != CODEC_SUCCESS) {
        return result;
    }
    word = (bytes.Data[0] << 8) | bytes.Data[1];
    return CODEC_SUCCESS;
}

int32_t FindMarker(CodecStream &stream) {
    for (;;) {
        if (BytesBuffered(stream) == 0) {
            if (stream.FileMode == 0) {
                return CODEC_MEMORY_ERROR;
            }
            if (const int32_t result = RefillInput(stream); result != CODEC_SUCCESS) {
                return result;
            }
        }
        bool sawFf = false;
        while (BytesBuffered(stream) > 0) {
            if (TakeByte(stream) == 0xFF) {
                sawFf = true;
                break;
            }
        }
        if (BytesBuffered(stream) == 0) {
            if (stream.FileMode == 0) {
                return CODEC_MEMORY_ERROR;
            }
            if (const int32_t result = RefillInput(stream); result != CODEC_SUCCESS) {
                return result;
            }
            if (!sawFf) {
                continue;
            }
        }
        const uint8_t next = *stream.StreamPos;
        if (next == 0xFF) {
            continue; // a fill byte: taken by the next round
        }
        if (next == 0x00) {
            TakeByte(stream); // a stuffed zero belongs to entropy-coded data
            continue;
        }
        return CODEC_SUCCESS;
    }
}

int32_t NextMarker(CodecStream &stream, uint8_t &marker) {
    if (stream.PendingMarker != 0) {
        marker = stream.PendingMarker;
        stream.PendingMarker = 0;
        return CODEC_SUCCESS;
    }
    if (const int32_t result = FindMarker(stream); result != CODEC_SUCCESS) {
        return result;
    }
    marker = TakeByte(stream);
    return CODEC_SUCCESS;
}

int32_t SkipBytes(CodecStream &stream, int32_t count) {
    if (count < 0) {
        return CODEC_DATA_ERROR;
    }
    int32_t remaining = count;
    const int32_t buffered = std::min(remaining, BytesBuffered(stream));
    Advance(stream, buffered);
    remaining -= buffered;
    while (remaining > 0) {
        const int32_t piece = std::min(remaining, int32_t{CODEC_FILE_BUFFER_SIZE});
        const uint8_t *bytes = nullptr;
        if (const int32_t result = TakeBytes(stream, piece, bytes); result != CODEC_SUCCESS) {
            return result;
        }
        remaining -= piece;
    }
    return CODEC_SUCCESS;
}

int32_t SkipSegment(CodecStream &stream) {
    int32_t length = 0;
    if (ReadWord(stream, length) != CODEC_SUCCESS || length < 2 ||
        SkipBytes(stream, length - 2) != CODEC_SUCCESS) {
        return CODEC_DATA_ERROR;
    }
    return CODEC_SUCCESS;
}

int32_t ReadSegmentLength(CodecStream &stream, int32_t &payloadLength) {
    int32_t length = 0;
    if (const int32_t result = ReadWord(stream, length); result != CODEC_SUCCESS) {
        return result;
    }
    if (length < 2) {
        return CODEC_DATA_ERROR;
    }
    payloadLength = length - 2;
    return CODEC_SUCCESS;
}

int32_t ReadBoundedSegment(CodecStream &stream, int32_t largestPayload, int32_t &payloadLength,
                           SegmentBytes &segment) {
    if (const int32_t result = ReadSegmentLength(stream, payloadLength); result != CODEC_SUCCESS) {
        return result;
    }
    if (payloadLength > largestPayload) {
        return CODEC_DATA_ERROR;
    }
    return ReadSegment(stream, payloadLength, segment);
}

} // namespace rastrum
