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
    return MakeTable({0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
                     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 0);
}

inline TestTable LuminanceAc() {
    return MakeTable(
        {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
        {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
         0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
         0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
         0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
         0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
         0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
         0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
         0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
         0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
         0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
         0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa},
        1);
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
