// The bit reader as the block decoders use it: accumulator, bit count and byte position live in
// locals for the whole block and go back to the stream once, when the reader is destroyed.  It
// refills exactly when the stream-level reader would (fewer than 8 bits before a symbol, fewer
// than n bits before n value bits) and up to the same point (more than 24 bits), so the bytes
// taken and the bits held after every block are those of FillBits and DecodeSymbol.
#pragma once

#include <cstdint>

#include "entropy_decoder.h"

namespace rastrum {

// The per-length search of DecodeSymbol, starting with a code of `firstLength` bits.
int32_t DecodeSymbolFrom(CodecStream &stream, const HuffmanTable &table, int32_t firstLength,
                         int32_t &symbol);

// The value of s value bits v (s = 1..16): a leading 0 bit means a negative value.
inline int32_t ExtendValue(uint32_t bits, int32_t size) {
    const int32_t value = static_cast<int32_t>(bits);
    return value < (1 << (size - 1)) ? value - ((1 << size) - 1) : value;
}

// A prediction plus a difference, wrapped to 16 bits.
inline int32_t AddPrediction(int32_t predictor, int32_t difference) {
    return static_cast<int16_t>(static_cast<uint16_t>(predictor + difference));
}

class BlockBitReader {
  public:
    explicit BlockBitReader(CodecStream &stream) : stream_(stream) { Load(); }
    BlockBitReader(const BlockBitReader &) = delete;
    BlockBitReader &operator=(const BlockBitReader &) = delete;
    ~BlockBitReader() { Store(); }

    // Appends whole bytes until more than 24 bits are held; plain data bytes are taken here,
    // 0xFF, the end of the buffer and a pending marker go through FillBits.
    int32_t Fill(int32_t wanted) {
        if (count_ > 24) {
            return 0;
        }
        // The usual case: the bytes needed (one to four) are buffered and none is 0xFF; they
        // are appended at once.
        if (count_ >= -7 && limit_ - pos_ >= 4) {
            const int32_t bytes = (32 - count_) >> 3;
            const uint32_t word = (uint32_t{pos_[0]} << 24) | (uint32_t{pos_[1]} << 16) |
                                  (uint32_t{pos_[2]} << 8) | uint32_t{pos_[3]};
            const int32_t bits = bytes * 8;
            const uint32_t taken = static_cast<uint32_t>(uint64_t{word} >> (32 - bits));
            // Bytes beyond the ones taken are made non-zero so that only taken 0xFF bytes
            // (zero bytes of the complement) are found.
            const uint32_t unused = static_cast<uint32_t>(~0ull << bits);
            const uint32_t complement = ~taken | unused;
            if (((complement - 0x01010101u) & ~complement & 0x80808080u) == 0) {
                accumulator_ = (accumulator_ << bits) | taken;
                pos_ += bytes;
                count_ += bits;
                return 0;
            }
        }
        while (count_ <= 24) {
            if (pos_ == limit_ || *pos_ == 0xFF) {
                return FillThroughStream(wanted);
            }
            accumulator_ = (accumulator_ << 8) | *pos_++;
            count_ += 8;
        }
        return 0;
    }

    // Makes sure n bits are held (fills only when fewer are).
    int32_t Ensure(int32_t n) { return count_ >= n ? 0 : Fill(n); }

    int32_t Count() const { return count_; }

    // The next 8 bits; only while at least 8 are held.
    uint32_t Peek8() const { return static_cast<uint32_t>(accumulator_ >> (count_ - 8)) & 255u; }

    void Drop(int32_t n) { count_ -= n; }

    // Removes the next n bits (1..16); bits missing after exhausted input read as 0.
    uint32_t Get(int32_t n) {
        count_ -= n;
        const uint64_t bits = count_ >= 0    ? (accumulator_ >> count_)
                              : count_ > -64 ? (accumulator_ << -count_)
                                             : 0;
        return static_cast<uint32_t>(bits) & ((1u << n) - 1u);
    }

    // One symbol through the 8-bit look-ahead, or the per-length search for longer codes.
    int32_t Symbol(const HuffmanTable &table, int32_t &symbol) {
        if (count_ < 8) {
            const int32_t result = Fill(0);
            if (result != 0) {
                return result;
            }
            if (count_ < 8) {
                return SearchThroughStream(table, 1, symbol);
            }
        }
        const uint32_t entry = table.Lookahead[Peek8()];
        if (entry == 0) {
            // With 17 bits held the search from length 9 needs no refill on its way: it can
            // run on the held bits here.
            if (count_ >= 17) {
                SearchHeld(table, symbol);
                return 0;
            }
            return SearchThroughStream(table, 9, symbol);
        }
        count_ -= static_cast<int32_t>(entry >> 16);
        symbol = static_cast<int32_t>(entry & 0xFFFF);
        return 0;
    }

  private:
    void Load() {
        accumulator_ = stream_.BitAccumulator;
        count_ = stream_.BitCount;
        pos_ = stream_.StreamPos;
        // While a marker is pending no byte may be taken: the fast path sees an empty buffer.
        limit_ = stream_.PendingMarker != 0 ? pos_ : stream_.StreamEnd;
    }

    void Store() {
        const int32_t taken = static_cast<int32_t>(pos_ - stream_.StreamPos);
        stream_.StreamByteCount += taken;
        stream_.StreamBytesLeft -= taken;
        stream_.StreamPos = pos_;
        stream_.BitAccumulator = accumulator_;
        stream_.BitCount = count_;
    }

    int32_t FillThroughStream(int32_t wanted) {
        Store();
        const int32_t result = FillBits(stream_, wanted);
        Load();
        return result;
    }

    // The per-length search from length 9 on the next 17 held bits; a code that matches no
    // length up to 16 takes 17 bits and decodes as symbol 0.
    void SearchHeld(const HuffmanTable &table, int32_t &symbol) {
        const int32_t next = static_cast<int32_t>(accumulator_ >> (count_ - 17)) & 0x1FFFF;
        int32_t length = 9;
        int32_t code = next >> 8;
        while (length <= 16 && table.MaxCode[length] < code) {
            ++length;
            code = next >> (17 - length);
        }
        if (length > 16) {
            count_ -= 17;
            symbol = 0;
            return;
        }
        count_ -= length;
        symbol = table.Symbols[table.FirstSymbol[length] + code - table.MinCode[length]];
    }

    int32_t SearchThroughStream(const HuffmanTable &table, int32_t firstLength, int32_t &symbol) {
        Store();
        const int32_t result = DecodeSymbolFrom(stream_, table, firstLength, symbol);
        Load();
        return result;
    }

    CodecStream &stream_;
    uint64_t accumulator_ = 0;
    int32_t count_ = 0;
    uint8_t *pos_ = nullptr;
    const uint8_t *limit_ = nullptr;
};

// The DC difference of a block: its size category (symbol & 15) and as many value bits.
inline int32_t DecodeDcDifference(BlockBitReader &reader, const HuffmanTable &dc,
                                  int32_t &difference) {
    if (reader.Count() < 8) {
        const int32_t result = reader.Fill(0);
        if (result != 0) {
            return result;
        }
    }
    if (reader.Count() >= 8) {
        const int32_t fast = dc.FastLookup[reader.Peek8()];
        if (fast != 0) {
            reader.Drop(fast & 255);
            difference = fast >> 16;
            return 0;
        }
    }
    int32_t symbol = 0;
    const int32_t result = reader.Symbol(dc, symbol);
    if (result != 0) {
        return result;
    }
    const int32_t size = symbol & 15;
    difference = 0;
    if (size != 0) {
        const int32_t filled = reader.Ensure(size);
        if (filled != 0) {
            return filled;
        }
        difference = ExtendValue(reader.Get(size), size);
    }
    return 0;
}

} // namespace rastrum
