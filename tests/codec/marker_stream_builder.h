// Hand-built JPEG marker streams for the marker reader tests: segments with their length words,
// frame and scan headers, tables, APP0/APP14/COM segments, and a record prepared by CodecInit
// whose stream runs over such bytes in memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "rastrum.h"

namespace marker_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Bytes Marker(uint8_t code) { return {0xFF, code}; }

// A marker segment: the marker, the length word (payload + 2) and the payload.
inline Bytes Segment(uint8_t code, const Bytes &payload) {
    const size_t length = payload.size() + 2;
    Bytes bytes{0xFF, code, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

struct FrameEntry {
    uint8_t Id;
    uint8_t Sampling; // H in the high nibble, V in the low one
    uint8_t Quant;
};

inline Bytes FramePayload(int width, int height, const std::vector<FrameEntry> &components,
                          uint8_t precision = 8) {
    Bytes payload{precision,
                  static_cast<uint8_t>(height >> 8),
                  static_cast<uint8_t>(height),
                  static_cast<uint8_t>(width >> 8),
                  static_cast<uint8_t>(width),
                  static_cast<uint8_t>(components.size())};
    for (const FrameEntry &c : components) {
        payload.insert(payload.end(), {c.Id, c.Sampling, c.Quant});
    }
    return payload;
}

inline Bytes Frame(uint8_t code, int width, int height, const std::vector<FrameEntry> &components,
                   uint8_t precision = 8) {
    return Segment(code, FramePayload(width, height, components, precision));
}

// One 4:2:0 YCbCr frame (components 1, 2, 3; tables 0, 1, 1).
inline Bytes Frame420(int width, int height, uint8_t code = 0xC0) {
    return Frame(code, width, height, {{1, 0x22, 0}, {2, 0x11, 1}, {3, 0x11, 1}});
}

inline Bytes GreyFrame(int width, int height, uint8_t code = 0xC0) {
    return Frame(code, width, height, {{1, 0x11, 0}});
}

// One DQT table entry: Pq/Tq byte and 64 values in zig-zag order (1 or 2 bytes each).
inline Bytes QuantEntry(uint8_t id, const std::vector<int> &zigzag, bool sixteenBit) {
    Bytes entry{static_cast<uint8_t>((sixteenBit ? 0x10 : 0x00) | id)};
    for (int value : zigzag) {
        if (sixteenBit) {
            entry.push_back(static_cast<uint8_t>(value >> 8));
        }
        entry.push_back(static_cast<uint8_t>(value));
    }
    return entry;
}

inline std::vector<int> FlatTable(int value) { return std::vector<int>(64, value); }

inline Bytes FlatDqt(uint8_t id, int value) {
    return Segment(0xDB, QuantEntry(id, FlatTable(value), false));
}

// The luminance DC and AC tables of T.81 Annex K as DHT table entries (class/id byte, counts,
// symbols).
inline Bytes DcTableEntry(uint8_t id) {
    Bytes entry{static_cast<uint8_t>(0x00 | id), 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    for (uint8_t s = 0; s < 12; ++s) {
        entry.push_back(s);
    }
    return entry;
}

inline Bytes AcTableEntry(uint8_t id) {
    Bytes entry{static_cast<uint8_t>(0x10 | id), 0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
    const Bytes symbols = {
        0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
        0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
        0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
        0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
        0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
        0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
        0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
        0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
        0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
        0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
        0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
    entry.insert(entry.end(), symbols.begin(), symbols.end());
    return entry;
}

// DQT 0 and 1 and the DC/AC tables 0 and 1: enough for any frame of the tests.
inline Bytes AllTables() {
    return Join({FlatDqt(0, 2), FlatDqt(1, 3),
                 Segment(0xC4, Join({DcTableEntry(0), AcTableEntry(0), DcTableEntry(1),
                                     AcTableEntry(1)}))});
}

struct ScanEntry {
    uint8_t Id;
    uint8_t Tables; // Td in the high nibble, Ta in the low one
};

inline Bytes ScanPayload(const std::vector<ScanEntry> &components, uint8_t ss = 0,
                         uint8_t se = 63, uint8_t ahal = 0) {
    Bytes payload{static_cast<uint8_t>(components.size())};
    for (const ScanEntry &c : components) {
        payload.insert(payload.end(), {c.Id, c.Tables});
    }
    payload.insert(payload.end(), {ss, se, ahal});
    return payload;
}

inline Bytes Scan(const std::vector<ScanEntry> &components, uint8_t ss = 0, uint8_t se = 63,
                  uint8_t ahal = 0) {
    return Segment(0xDA, ScanPayload(components, ss, se, ahal));
}

// APP0 "JFIF" version 1.2, dots per inch 72 x 96, with an RGB thumbnail.
inline Bytes Jfif(uint8_t width, uint8_t height, const Bytes &rgb) {
    Bytes payload{'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 72, 0, 96, width, height};
    payload.insert(payload.end(), rgb.begin(), rgb.end());
    return Segment(0xE0, payload);
}

// APP0 "JFXX" with an extension code and what follows it.
inline Bytes Jfxx(uint8_t code, const Bytes &rest) {
    Bytes payload{'J', 'F', 'X', 'X', 0, code};
    payload.insert(payload.end(), rest.begin(), rest.end());
    return Segment(0xE0, payload);
}

inline Bytes Adobe(uint8_t transform) {
    return Segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 101, 0x40, 0x00, 0x00, 0x01, transform});
}

inline Bytes Comment(const std::string &text) {
    return Segment(0xFE, Bytes(text.begin(), text.end()));
}

// Thumbnail pixels whose bytes tell their position: (x, y, x + y) for each pixel.
inline Bytes ThumbnailPixels(int width, int height) {
    Bytes rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rgb.insert(rgb.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                   static_cast<uint8_t>(x + y)});
        }
    }
    return rgb;
}

// A record prepared by CodecInit whose stream runs over `bytes` in memory, as CodecRead leaves
// it just before the decoder runs.  The bytes are kept by the record.
class MemoryRecord {
  public:
    explicit MemoryRecord(Bytes bytes, int32_t mode = IO_READ_PARAMETERS_MEMORY)
        : bytes_(std::move(bytes)) {
        CodecInit(&record_);
        CodecState &state = record_.CodecState;
        state.IoMode = mode;
        state.JpegBuffer = bytes_.data();
        state.JpegBufferSize = static_cast<int32_t>(bytes_.size());
        CodecStream &stream = state.Stream;
        stream.FileMode = 0;
        stream.StreamStart = bytes_.data();
        stream.StreamPos = bytes_.data();
        stream.StreamEnd = bytes_.data() + bytes_.size();
        stream.StreamCapacity = static_cast<int32_t>(bytes_.size());
        stream.StreamBytesLeft = stream.StreamCapacity;
    }
    ~MemoryRecord() { CodecFree(&record_); }
    MemoryRecord(const MemoryRecord &) = delete;
    MemoryRecord &operator=(const MemoryRecord &) = delete;

    CodecState &State() { return record_.CodecState; }
    CodecStream &Stream() { return record_.CodecState.Stream; }
    const Bytes &Data() const { return bytes_; }
    // Bytes taken from the stream so far.
    int32_t Offset() const {
        return static_cast<int32_t>(record_.CodecState.Stream.StreamPos - bytes_.data());
    }

  private:
    Bytes bytes_;
    CodecProperties record_{};
};

} // namespace marker_test
