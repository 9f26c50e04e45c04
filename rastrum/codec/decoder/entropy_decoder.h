// Huffman decoding of 8x8 blocks: tables, the bit reader, the sequential and progressive block
// decoders and restart handling.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Result of the bit reader when a marker stops the stream and fewer bits than wanted are held.
inline constexpr int32_t kMarkerStop = 100;

// Zig-zag index to natural (row-major) position, extended by 16 entries of 63 so that a run
// past index 63 lands on coefficient 63.
extern const uint8_t kZigZagToNatural[80];

// Builds the decoding form of a table from the 16 code-length counts and the symbols.
// 0, or -6 for more than 257 codes or an over-subscribed table.
int32_t BuildHuffmanTable(const uint8_t *counts, const uint8_t *symbols, int32_t tableClass,
                          int32_t tableId, HuffmanTable &table);

// Appends whole bytes until more than 24 bits are held; 0, kMarkerStop or a negative code.
int32_t FillBits(CodecStream &stream, int32_t wanted);

// Removes and returns the next n bits (1..16), most significant first.  Missing bits read as 0.
inline uint32_t GetBits(CodecStream &stream, int32_t n) {
    stream.BitCount -= n;
    const int32_t shift = stream.BitCount;
    const uint64_t bits = shift >= 0 ? (stream.BitAccumulator >> shift)
                          : shift > -64 ? (stream.BitAccumulator << -shift)
                                        : 0;
    return static_cast<uint32_t>(bits) & ((1u << n) - 1u);
}

// The next n bits without removing them.
inline uint32_t PeekBits(const CodecStream &stream, int32_t n) {
    const int32_t shift = stream.BitCount - n;
    const uint64_t bits = shift >= 0 ? (stream.BitAccumulator >> shift)
                          : shift > -64 ? (stream.BitAccumulator << -shift)
                                        : 0;
    return static_cast<uint32_t>(bits) & ((1u << n) - 1u);
}

// Decodes one symbol; 0, kMarkerStop or a negative code.
int32_t DecodeSymbol(CodecStream &stream, const HuffmanTable &table, int32_t &symbol);

// Sequential block decoders (the plain routines of the DecodeBlock and SkipBlock slots).
// `predictor` is the component's DC prediction (16-bit two's complement, wrapping).
int32_t DecodeBlockPlain(CodecStream &stream, const HuffmanTable &dc, const HuffmanTable &ac,
                         int32_t *predictor, int16_t *block);
int32_t SkipBlockPlain(CodecStream &stream, const HuffmanTable &dc, const HuffmanTable &ac,
                       int32_t *predictor, int16_t *block);

// Progressive block decoders; `block` is the block's slot in CoefficientStore.
int32_t DecodeDcFirst(CodecStream &stream, const ScanHeader &scan, const HuffmanTable &dc,
                      int32_t *predictor, int16_t *block);
int32_t DecodeDcRefine(CodecStream &stream, const ScanHeader &scan, int16_t *block);
int32_t DecodeAcFirst(CodecStream &stream, const ScanHeader &scan, const HuffmanTable &ac,
                      int16_t *block);
int32_t DecodeAcRefine(CodecStream &stream, const ScanHeader &scan, const HuffmanTable &ac,
                       int16_t *block);

// Called after every MCU (or block of a progressive AC scan) at (column, row) of a grid of
// positionsPerRow x rows; at a restart boundary resets the predictors and the bit reader and
// consumes the marker.  0 or the error of the marker search.
int32_t HandleRestart(CodecStream &stream, ScanHeader &scan, int32_t positionsPerRow,
                      int32_t rows, int32_t column, int32_t row);

} // namespace rastrum
