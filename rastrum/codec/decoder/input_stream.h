// Byte-level input of the decoder: the stream runs over the caller's memory (memory modes) or
// through FileBuffer, refilled 4096 bytes at a time (file modes).  Every operation returns 0 or
// a negative result code.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Memory modes: back to StreamStart with StreamCapacity bytes; file modes: empty buffer, so that
// the first access reads the file.  Clears the bit reader, PendingMarker and DecodedComponents.
void ResetInput(CodecStream &stream);
// Reads up to 4096 bytes of the file into FileBuffer; -23 when the read gives no byte.
int32_t RefillInput(CodecStream &stream);
// Hands out the next `count` bytes (contiguous) and advances.
int32_t TakeBytes(CodecStream &stream, int32_t count, const uint8_t *&bytes);

// The payload of one marker segment as one contiguous block.  When the bytes were not all
// buffered the block is a copy that this object owns and releases.
class SegmentBytes {
  public:
    SegmentBytes() = default;
    SegmentBytes(const SegmentBytes &) = delete;
    SegmentBytes &operator=(const SegmentBytes &) = delete;
    ~SegmentBytes();
    const uint8_t *Data = nullptr;
    uint8_t *Owned = nullptr;
};

int32_t ReadSegment(CodecStream &stream, int32_t count, SegmentBytes &segment);
// Two bytes, big-endian.
int32_t ReadWord(CodecStream &stream, int32_t &word);
// Skips to the next marker; the marker code byte stays unread.
int32_t FindMarker(CodecStream &stream);
// PendingMarker if set (and clears it), otherwise searches and takes the next marker code.
int32_t NextMarker(CodecStream &stream, uint8_t &marker);
// Reads a length word and passes over the segment.
int32_t SkipSegment(CodecStream &stream);
// Reads a segment's length word and gives the payload length (length - 2); -21 below 2.
int32_t ReadSegmentLength(CodecStream &stream, int32_t &payloadLength);
// The length word and the payload of a segment whose payload may hold at most `largestPayload`
// bytes; a longer one is -21.
int32_t ReadBoundedSegment(CodecStream &stream, int32_t largestPayload, int32_t &payloadLength,
                           SegmentBytes &segment);
// Passes over `count` bytes: first what is buffered, then pieces of at most 4096 bytes.
int32_t SkipBytes(CodecStream &stream, int32_t count);

} // namespace rastrum
