// Hand-built JPEG marker streams for the marker reader tests: segments with their length words,
// frame and scan headers, tables, APP0/APP14/COM segments, and a record prepared by CodecInit
// whose stream runs over such bytes in memory.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "rastrum.h"
#include "support/standard_huffman_tables.h"

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
inline Bytes TableEntry(uint8_t classAndId, const std::array<uint8_t, 16> &counts,
                        const std::vector<uint8_t> &symbols) {
    Bytes entry{classAndId};
    entry.insert(entry.end(), counts.begin(), counts.end());
    entry.insert(entry.end(), symbols.begin(), symbols.end());
    return entry;
}

inline Bytes DcTableEntry(uint8_t id) {
    return TableEntry(static_cast<uint8_t>(0x00 | id), fixtures::kLuminanceDcCounts,
                      fixtures::kLuminanceDcSymbols);
}

inline Bytes AcTableEntry(uint8_t id) {
    return TableEntry(static_cast<uint8_t>(0x10 | id), fixtures::kLuminanceAcCounts,
                      fixtures::kLuminanceAcSymbols);
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
