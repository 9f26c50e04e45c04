// Hand-built entropy-coded data for the decoder tests: Huffman codes made from counts and
// symbols the way an encoder makes them, a bit writer that stuffs 0x00 after every 0xFF and can
// place markers, and a memory stream over the bytes.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "entropy_decoder.h"
#include "rastrum.h"
#include "support/standard_huffman_tables.h"

namespace entropy_test {

// A Huffman table in both forms: counts and symbols, the decoder's table and the code of every
// symbol (assigned independently of the decoder: consecutive codes per length, doubling).
struct TestTable {
    std::array<uint8_t, 16> Counts{};
    std::vector<uint8_t> Symbols;
    std::array<uint32_t, 256> Code{};
    std::array<int32_t, 256> Length{}; // 0: symbol absent
    HuffmanTable Decode{};
};

inline TestTable MakeTable(const std::array<uint8_t, 16> &counts,
                           const std::vector<uint8_t> &symbols, int32_t tableClass = 0) {
    TestTable table;
    table.Counts = counts;
    table.Symbols = symbols;
    uint32_t code = 0;
    size_t index = 0;
    for (int32_t length = 1; length <= 16; ++length) {
        for (int32_t i = 0; i < counts[length - 1]; ++i, ++index, ++code) {
            table.Code[symbols[index]] = code;
            table.Length[symbols[index]] = length;
        }
        code <<= 1;
    }
    std::memset(&table.Decode, 0, sizeof(table.Decode));
    rastrum::BuildHuffmanTable(counts.data(), symbols.data(), tableClass, 0, table.Decode);
    return table;
}

// The example luminance DC and AC tables published with the JPEG standard.
inline TestTable LuminanceDc() {
    return MakeTable(fixtures::kLuminanceDcCounts, fixtures::kLuminanceDcSymbols, 0);
}

inline TestTable LuminanceAc() {
    return MakeTable(fixtures::kLuminanceAcCounts, fixtures::kLuminanceAcSymbols, 1);
}

// Size category and value bits of a coefficient or difference (the inverse of extension).
inline int32_t SizeOf(int32_t value) {
    int32_t magnitude = value < 0 ? -value : value;
    int32_t size = 0;
    while (magnitude != 0) {
        ++size;
        magnitude >>= 1;
    }
    return size;
}

inline uint32_t ValueBits(int32_t value, int32_t size) {
    return static_cast<uint32_t>(value < 0 ? value + (1 << size) - 1 : value) & ((1u << size) - 1u);
}

class BitWriter {
  public:
    void Put(uint32_t bits, int32_t count) {
        for (int32_t i = count - 1; i >= 0; --i) {
            current_ = static_cast<uint8_t>((current_ << 1) | ((bits >> i) & 1u));
            if (++filled_ == 8) {
                Emit(current_);
            }
        }
    }
    // A string of '0' and '1'.
    void PutString(const std::string &bits) {
        for (char c : bits) {
            Put(c == '1' ? 1u : 0u, 1);
        }
    }
    void Symbol(const TestTable &table, int32_t symbol) {
        Put(table.Code[symbol], table.Length[symbol]);
    }
    // A symbol of size s followed by the value bits of `value`.
    void Coefficient(const TestTable &table, int32_t run, int32_t value) {
        const int32_t size = SizeOf(value);
        Symbol(table, (run << 4) | size);
        Put(ValueBits(value, size), size);
    }
    // Completes the byte with 1 bits, as encoders pad before a marker.
    void Pad() {
        while (filled_ != 0) {
            Put(1, 1);
        }
    }
    void Marker(uint8_t code) {
        Pad();
        bytes_.push_back(0xFF);
        bytes_.push_back(code);
    }
    void RawByte(uint8_t byte) {
        Pad();
        bytes_.push_back(byte);
    }
    std::vector<uint8_t> &Bytes() { return bytes_; }

  private:
    void Emit(uint8_t byte) {
        bytes_.push_back(byte);
        if (byte == 0xFF) {
            bytes_.push_back(0x00);
        }
        current_ = 0;
        filled_ = 0;
    }
    std::vector<uint8_t> bytes_;
    uint8_t current_ = 0;
    int32_t filled_ = 0;
};

// A memory-mode stream over `bytes` (which must outlive it), bit reader empty.
inline CodecStream MemoryStream(std::vector<uint8_t> &bytes) {
    CodecStream stream;
    std::memset(&stream, 0, sizeof(stream));
    stream.StreamPos = bytes.data();
    stream.StreamStart = bytes.data();
    stream.StreamEnd = bytes.data() + bytes.size();
    stream.StreamCapacity = static_cast<int32_t>(bytes.size());
    stream.StreamBytesLeft = static_cast<int32_t>(bytes.size());
    stream.FileHandle = -1;
    return stream;
}

} // namespace entropy_test
