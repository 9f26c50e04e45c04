// The segment parsers, each called with the stream just after its marker code: tables, frame and
// scan headers, restart interval, JFIF/JFXX thumbnails, the Adobe header and the comment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "codec/marker_stream_builder.h"
#include "dispatch_table.h"
#include "input_stream.h"
#include "marker_reader.h"

namespace {

using namespace marker_test;
using namespace rastrum;

// A segment without its marker code: what a parser reads.
Bytes Body(const Bytes &segment) { return Bytes(segment.begin() + 2, segment.end()); }

std::vector<int> CountingTable(int first) {
    std::vector<int> values(64);
    for (int z = 0; z < 64; ++z) {
        values[z] = first + z;
    }
    return values;
}

TEST(QuantTableSegment, ReadsAnEightBitAndASixteenBitTableInNaturalOrder) {
    const Bytes dqt = Segment(0xDB, Join({QuantEntry(0, CountingTable(1), false),
                                          QuantEntry(2, CountingTable(1000), true)}));
    MemoryRecord record(Body(dqt));
    CodecState &state = record.State();
    uint8_t raw[128] = {};
    state.RawQuantTables[2].Values = raw;
    ASSERT_EQ(ParseQuantTables(state), 0);

    // Zig-zag positions 0, 1, 2 and 63 are natural positions 0, 1, 8 and 63.
    const int16_t *eight = state.QuantTables[0].Entries;
    EXPECT_EQ(state.QuantTables[0].Precision, 0);
    EXPECT_EQ(eight[0], 1);
    EXPECT_EQ(eight[1], 2);
    EXPECT_EQ(eight[8], 3);
    EXPECT_EQ(eight[63], 64);
    const int16_t *sixteen = state.QuantTables[2].Entries;
    EXPECT_EQ(state.QuantTables[2].Precision, 1);
    EXPECT_EQ(sixteen[8], 1002);
    EXPECT_EQ(sixteen[63], 1063);
    EXPECT_EQ(state.QuantTableCount, 2);
    EXPECT_EQ(state.RawQuantTableCount, 3);
    // The caller's copy holds the table as it stands in the segment.
    EXPECT_EQ(state.RawQuantTables[2].TableId, 2);
    EXPECT_EQ(raw[0], 1000 >> 8);
    EXPECT_EQ(raw[127], 1063 & 0xFF);
    EXPECT_EQ(record.Offset(), static_cast<int32_t>(record.Data().size()));
}

TEST(QuantTableSegment, MethodZeroPreparesTheScaledTable) {
    MemoryRecord record(Body(FlatDqt(1, 16)));
    record.State().DctMethod = 0;
    ASSERT_EQ(ParseQuantTables(record.State()), 0);
    EXPECT_EQ(record.State().QuantTables[1].Entries[0], 4096); // 16 x 0.125 x 2048, truncated
}

TEST(QuantTableSegment, RefusesDamagedSegments) {
    const Bytes table = QuantEntry(0, FlatTable(1), false);
    Bytes oversized = Join({QuantEntry(0, FlatTable(1), true), QuantEntry(1, FlatTable(1), true),
                            QuantEntry(2, FlatTable(1), true), QuantEntry(3, FlatTable(1), true)});
    oversized.push_back(0); // 517 bytes
    const struct {
        const char *Name;
        Bytes Input;
        int32_t Result;
    } cases[] = {
        {"payload of 517 bytes", Body(Segment(0xDB, oversized)), CODEC_DATA_ERROR},
        {"selector 4", Body(Segment(0xDB, QuantEntry(4, FlatTable(1), false))),
         CODEC_BAD_QUANT_TABLE},
        {"table cut short", Body(Segment(0xDB, Bytes(table.begin(), table.end() - 1))),
         CODEC_DATA_ERROR},
        {"sixteen-bit table cut short", Body(Segment(0xDB, Join({Bytes{0x10}, table}))),
         CODEC_DATA_ERROR},
        {"length below 2", {0x00, 0x01}, CODEC_DATA_ERROR},
        {"segment past the data", {0x00, 0x43, 0x00, 0x01}, CODEC_DATA_ERROR},
    };
    for (const auto &c : cases) {
        MemoryRecord record(c.Input);
        EXPECT_EQ(ParseQuantTables(record.State()), c.Result) << c.Name;
    }
}

TEST(HuffmanTableSegment, BuildsFourTablesOfOneSegment) {
    const Bytes dht = Segment(
        0xC4, Join({DcTableEntry(0), AcTableEntry(0), DcTableEntry(1), AcTableEntry(1)}));
    MemoryRecord record(Body(dht));
    CodecState &state = record.State();
    uint8_t counts[16] = {};
    uint8_t symbols[256] = {};
    state.RawHuffmanTables[3] = {counts, symbols, 0, 0}; // AC table 1
    ASSERT_EQ(ParseHuffmanTables(state), 0);

    EXPECT_EQ(state.DcTableCount, 2);
    EXPECT_EQ(state.AcTableCount, 2);
    EXPECT_EQ(state.RawHuffmanTableCount, 2);
    for (int id = 0; id < 2; ++id) {
        const HuffmanTable &dc = state.DcHuffmanTables[id];
        const HuffmanTable &ac = state.AcHuffmanTables[id];
        EXPECT_EQ(dc.TableClass, 0);
        EXPECT_EQ(dc.TableId, id);
        EXPECT_EQ(ac.TableClass, 1);
        EXPECT_EQ(ac.TableId, id);
        // The first code of each table is 00 (length 2): DC symbol 0, AC symbol 0x01.
        EXPECT_EQ(dc.Lookahead[0], (2u << 16) | 0x00u);
        EXPECT_EQ(ac.Lookahead[0], (2u << 16) | 0x01u);
    }
    EXPECT_EQ(state.RawHuffmanTables[3].TableClass, 1);
    EXPECT_EQ(state.RawHuffmanTables[3].TableId, 1);
    EXPECT_EQ(counts[15], 0x7d);
    EXPECT_EQ(symbols[161], 0xfa);
    EXPECT_EQ(record.Offset(), static_cast<int32_t>(record.Data().size()));
}

TEST(HuffmanTableSegment, RefusesDamagedSegments) {
    Bytes classTwo = DcTableEntry(0);
    classTwo[0] = 0x20;
    Bytes selectorFour = DcTableEntry(0);
    selectorFour[0] = 0x04;
    Bytes oversubscribed = {0x00, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};
    const Bytes dc = DcTableEntry(0);
    Bytes oversized;
    while (oversized.size() < 1092) {
        oversized.insert(oversized.end(), dc.begin(), dc.end());
    }
    oversized.resize(1092);
    const struct {
        const char *Name;
        Bytes Payload;
        int32_t Result;
    } cases[] = {
        {"class 2", classTwo, CODEC_BAD_HUFFMAN_TABLE},
        {"selector 4", selectorFour, CODEC_BAD_HUFFMAN_TABLE},
        {"over-subscribed counts", oversubscribed, CODEC_BAD_HUFFMAN_TABLE},
        {"symbols cut short", Bytes(dc.begin(), dc.end() - 1), CODEC_DATA_ERROR},
        {"counts cut short", Bytes(dc.begin(), dc.begin() + 10), CODEC_DATA_ERROR},
        {"payload of 1092 bytes", oversized, CODEC_DATA_ERROR},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Body(Segment(0xC4, c.Payload)));
        EXPECT_EQ(ParseHuffmanTables(record.State()), c.Result) << c.Name;
    }
}

TEST(FrameHeader, ReadsSizeComponentsAndMcuCounts) {
    MemoryRecord record(Body(Frame420(33, 17)));
    CodecState &state = record.State();
    ASSERT_EQ(ParseFrameHeader(state), 0);
    EXPECT_EQ(state.FramePrecision, 8);
    EXPECT_EQ(state.FrameWidth, 33);
    EXPECT_EQ(state.FrameHeight, 17);
    ASSERT_EQ(state.ComponentCount, 3);
    const int expected[3][4] = {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}};
    for (int k = 0; k < 3; ++k) {
        const FrameComponent &c = state.Components[k];
        EXPECT_EQ((std::vector<int>{c.Id, c.HSampling, c.VSampling, c.QuantSelector}),
                  (std::vector<int>(expected[k], expected[k] + 4)));
    }
    EXPECT_EQ(state.Components[3].Id, 0); // records beyond the frame are cleared
    EXPECT_EQ(state.FrameMcusPerRow, 3);
    EXPECT_EQ(state.McuTotal, 6);
}

TEST(FrameHeader, SingleComponentIsOneBlockPerMcuWhateverItsFactors) {
    MemoryRecord record(Body(Frame(0xC0, 40, 24, {{7, 0x22, 0}})));
    CodecState &state = record.State();
    ASSERT_EQ(ParseFrameHeader(state), 0);
    EXPECT_EQ(state.Components[0].HSampling, 1);
    EXPECT_EQ(state.Components[0].VSampling, 1);
    EXPECT_EQ(state.McuTotal, 5 * 3);
}

TEST(FrameHeader, RefusesFramesItCannotHold) {
    Bytes cut = FramePayload(16, 16, {{1, 0x11, 0}, {2, 0x11, 1}, {3, 0x11, 1}});
    cut.resize(cut.size() - 3);
    const struct {
        const char *Name;
        Bytes Payload;
        int32_t Result;
    } cases[] = {
        {"precision 12", FramePayload(16, 16, {{1, 0x11, 0}}, 12), CODEC_UNSUPPORTED_FRAME},
        {"height 0", FramePayload(16, 0, {{1, 0x11, 0}}), CODEC_ERROR_DNL},
        {"no component", FramePayload(16, 16, {}), CODEC_ERROR_COMP},
        {"five components",
         FramePayload(16, 16, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}, {4, 0x11, 0}, {5, 0x11, 0}}),
         CODEC_ERROR_COMP},
        {"horizontal factor 0", FramePayload(16, 16, {{1, 0x01, 0}, {2, 0x11, 0}}),
         CODEC_ERROR_COMP},
        {"vertical factor 5", FramePayload(16, 16, {{1, 0x15, 0}, {2, 0x11, 0}}),
         CODEC_ERROR_COMP},
        {"component entries cut short", cut, CODEC_DATA_ERROR},
        {"fixed fields cut short", Bytes{8, 0, 16, 0, 16}, CODEC_DATA_ERROR},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Body(Segment(0xC0, c.Payload)));
        CodecState &state = record.State();
        state.Components[0].HSampling = 9; // a refused frame leaves the records as they were
        EXPECT_EQ(ParseFrameHeader(state), c.Result) << c.Name;
        EXPECT_EQ(state.ComponentCount, 4) << c.Name;
        EXPECT_EQ(state.Components[0].HSampling, 9) << c.Name;
    }
}

TEST(ScanHeader, LinksComponentsToTheirTables) {
    const Bytes scan = Scan({{1, 0x00}, {2, 0x11}, {3, 0x11}}, 1, 5, 0x21);
    MemoryRecord record(Join({Body(Frame420(16, 16)), Body(scan)}));
    CodecState &state = record.State();
    ASSERT_EQ(ParseFrameHeader(state), 0);
    ScanHeader *parsed = nullptr;
    ASSERT_EQ(ParseScanHeader(state, parsed), 0);
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(parsed->ScanComponentCount, 3);
    EXPECT_EQ(parsed->SpectralStart, 1);
    EXPECT_EQ(parsed->SpectralEnd, 5);
    EXPECT_EQ(parsed->ApproxHigh, 2);
    EXPECT_EQ(parsed->ApproxLow, 1);
    EXPECT_EQ(parsed->ResumeColumn, 0);
    EXPECT_EQ(parsed->DcPredictor[3], 0);
    const ScanComponent &chroma = parsed->Components[2];
    EXPECT_EQ(chroma.FrameIndex, 2);
    EXPECT_EQ(chroma.DcTable, &state.DcHuffmanTables[1]);
    EXPECT_EQ(chroma.AcTable, &state.AcHuffmanTables[1]);
    EXPECT_EQ(chroma.QuantTable, &state.QuantTables[1]);
    EXPECT_EQ(parsed->Components[0].HSampling, 2);
    EXPECT_EQ(state.DcTableOfComponent[0], 0);
    EXPECT_EQ(state.AcTableOfComponent[1], 1);
    EXPECT_EQ(state.Stream.Dispatch->SosLength, static_cast<int32_t>(scan.size()));
    ReleaseScan(parsed);
}

TEST(ScanHeader, RefusesDamagedScans) {
    Bytes cut = ScanPayload({{1, 0x00}, {2, 0x11}, {3, 0x11}});
    cut.resize(cut.size() - 2);
    const struct {
        const char *Name;
        Bytes Frame;
        Bytes Payload;
    } cases[] = {
        {"no component", Frame420(16, 16), ScanPayload({})},
        {"five components", Frame420(16, 16),
         ScanPayload({{1, 0}, {2, 0}, {3, 0}, {1, 0}, {2, 0}})},
        {"id absent from the frame", Frame420(16, 16), ScanPayload({{9, 0x00}})},
        {"DC selector 4", Frame420(16, 16), ScanPayload({{1, 0x40}})},
        {"AC selector 4", Frame420(16, 16), ScanPayload({{1, 0x04}})},
        {"entries cut short", Frame420(16, 16), cut},
        {"band past coefficient 63", Frame420(16, 16), ScanPayload({{1, 0x00}}, 1, 64)},
        {"band ending before it starts", Frame420(16, 16), ScanPayload({{1, 0x00}}, 9, 8)},
        {"quantisation selector 4", Frame(0xC0, 16, 16, {{1, 0x11, 4}}), ScanPayload({{1, 0x00}})},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Join({Body(c.Frame), Body(Segment(0xDA, c.Payload))}));
        ASSERT_EQ(ParseFrameHeader(record.State()), 0) << c.Name;
        ScanHeader *parsed = nullptr;
        EXPECT_EQ(ParseScanHeader(record.State(), parsed), CODEC_DATA_ERROR) << c.Name;
        EXPECT_EQ(parsed, nullptr) << c.Name;
    }
}

TEST(RestartIntervalSegment, TakesTheInterval) {
    MemoryRecord record(Body(Segment(0xDD, {0x01, 0x2C})));
    ASSERT_EQ(ParseRestartInterval(record.State()), 0);
    EXPECT_EQ(record.State().RestartInterval, 300);
    MemoryRecord shortOne(Body(Segment(0xDD, {0x01})));
    EXPECT_EQ(ParseRestartInterval(shortOne.State()), CODEC_DATA_ERROR);
}

// A pixel buffer for thumbnail reads: `padding` bytes after each row, filled with 0xEE.
struct ThumbnailTarget {
    std::vector<uint8_t> Pixels;
    void Attach(CodecState &state, int width, int height, int padding, int colour) {
        const int stride = width * 3 + padding;
        Pixels.assign(static_cast<size_t>(stride) * std::abs(height), 0xEE);
        state.PixelBuffer = Pixels.data();
        state.PixelWidth = width;
        state.PixelHeight = height;
        state.PixelChannels = 3;
        state.PixelColour = colour;
        state.PixelRowStride = height < 0 ? -stride : stride;
    }
};

TEST(JfifSegment, RecordsTheHeaderAndTheThumbnailSize) {
    MemoryRecord record(Body(Jfif(16, 8, ThumbnailPixels(16, 8))), IO_READ_PARAMETERS_MEMORY);
    CodecState &state = record.State();
    ThumbnailTarget target;
    target.Attach(state, 16, 8, 0, COLOUR_BGR);
    ASSERT_EQ(ParseJfifSegment(state), 0);
    EXPECT_EQ(state.JfifSeen, 1);
    EXPECT_EQ(state.JfifVersion, 0x0102);
    EXPECT_EQ(state.JfifUnits, 1);
    EXPECT_EQ(state.JfifXDensity, 72);
    EXPECT_EQ(state.JfifYDensity, 96);
    EXPECT_EQ(state.ThumbnailWidth, 16);
    EXPECT_EQ(state.ThumbnailHeight, 8);
    EXPECT_EQ(target.Pixels, std::vector<uint8_t>(target.Pixels.size(), 0xEE)); // not copied
}

TEST(JfifSegment, ThumbnailModesCopyThePixelsRowByRow) {
    const struct {
        const char *Name;
        int Colour;
        int Height; // negative: bottom-up rows
        bool Exchanged;
    } cases[] = {
        {"BGR", COLOUR_BGR, 8, true},
        {"RGB", COLOUR_RGB, 8, false},
        {"BGR bottom-up", COLOUR_BGR, -8, true},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Body(Jfif(16, 8, ThumbnailPixels(16, 8))), IO_READ_THUMBNAIL_MEMORY);
        CodecState &state = record.State();
        ThumbnailTarget target;
        target.Attach(state, 16, c.Height, 4, c.Colour);
        ASSERT_EQ(ParseJfifSegment(state), 0) << c.Name;
        for (int y = 0; y < 8; ++y) {
            const int memoryRow = c.Height < 0 ? 7 - y : y;
            const uint8_t *row = target.Pixels.data() + memoryRow * 52;
            for (int x = 0; x < 16; ++x) {
                const uint8_t red = static_cast<uint8_t>(x);
                const uint8_t blue = static_cast<uint8_t>(x + y);
                EXPECT_EQ(row[3 * x], c.Exchanged ? blue : red) << c.Name << x << "," << y;
                EXPECT_EQ(row[3 * x + 1], y) << c.Name;
                EXPECT_EQ(row[3 * x + 2], c.Exchanged ? red : blue) << c.Name;
            }
            EXPECT_EQ(row[48], 0xEE) << c.Name; // padding untouched
        }
    }
}

TEST(JfifSegment, ExtensionThumbnails) {
    // 0x13: 2 x 2 pixels of three bytes; 0x11: a palette and one index per pixel.
    Bytes rgb = {2, 2};
    const Bytes pixels = ThumbnailPixels(2, 2);
    rgb.insert(rgb.end(), pixels.begin(), pixels.end());
    Bytes palette = {2, 2};
    for (int i = 0; i < 256; ++i) {
        palette.insert(palette.end(), {static_cast<uint8_t>(i), 100, static_cast<uint8_t>(255 - i)});
    }
    palette.insert(palette.end(), {0, 1, 2, 3});

    MemoryRecord direct(Body(Jfxx(0x13, rgb)), IO_READ_THUMBNAIL_MEMORY);
    ThumbnailTarget directTarget;
    directTarget.Attach(direct.State(), 2, 2, 0, COLOUR_RGB);
    ASSERT_EQ(ParseJfifSegment(direct.State()), 0);
    EXPECT_EQ(direct.State().ThumbnailWidth, 2);
    EXPECT_EQ(directTarget.Pixels, pixels);

    MemoryRecord indexed(Body(Jfxx(0x11, palette)), IO_READ_THUMBNAIL_MEMORY);
    ThumbnailTarget indexedTarget;
    indexedTarget.Attach(indexed.State(), 2, 2, 0, COLOUR_BGR);
    ASSERT_EQ(ParseJfifSegment(indexed.State()), 0);
    EXPECT_EQ(indexed.State().ThumbnailHeight, 2);
    EXPECT_EQ(indexedTarget.Pixels,
              (std::vector<uint8_t>{255, 100, 0, 254, 100, 1, 253, 100, 2, 252, 100, 3}));

    // A JPEG-coded thumbnail (0x10) is not read: the thumbnail fields stay as they were.
    MemoryRecord coded(Body(Jfxx(0x10, Bytes(20, 0x55))), IO_READ_THUMBNAIL_MEMORY);
    coded.State().ThumbnailWidth = 7;
    ASSERT_EQ(ParseJfifSegment(coded.State()), 0);
    EXPECT_EQ(coded.State().ThumbnailWidth, 7);
    EXPECT_EQ(coded.State().ThumbnailHeight, 0);
}

TEST(JfifSegment, ThumbnailLargerThanThePixelBufferIsRefused) {
    MemoryRecord record(Body(Jfif(16, 8, ThumbnailPixels(16, 8))), IO_READ_THUMBNAIL_MEMORY);
    ThumbnailTarget narrow;
    narrow.Attach(record.State(), 15, 8, 0, COLOUR_BGR);
    EXPECT_EQ(ParseJfifSegment(record.State()), CODEC_THUMBNAIL_TOO_SMALL);
    EXPECT_EQ(narrow.Pixels, std::vector<uint8_t>(narrow.Pixels.size(), 0xEE));

    MemoryRecord again(Body(Jfif(16, 8, ThumbnailPixels(16, 8))), IO_READ_THUMBNAIL_MEMORY);
    ThumbnailTarget low;
    low.Attach(again.State(), 16, -7, 0, COLOUR_BGR);
    EXPECT_EQ(ParseJfifSegment(again.State()), CODEC_THUMBNAIL_TOO_SMALL);
}

TEST(JfifSegment, SegmentsThatAreNotReadLeaveTheRecordAlone) {
    const struct {
        const char *Name;
        Bytes Input;
        int FramePending;
        int JfifSeen;
    } cases[] = {
        // Too short for the JFIF fields; its bytes look like EOI but are passed over.
        {"short", Join({Body(Segment(0xE0, {'J', 'F', 'I', 'F', 0, 0xFF, 0xD9})), Marker(0xC4)}),
         1, 0},
        {"frame already known", Join({Body(Jfif(4, 4, ThumbnailPixels(4, 4))), Marker(0xC4)}), 0,
         0},
        {"other identifier",
         Join({Body(Segment(0xE0, Bytes{'E', 'x', 'i', 'f', 0, 0, 1, 2, 3, 4, 5, 6, 7, 8})),
               Marker(0xC4)}),
         1, 0},
        {"thumbnail data cut short", Join({Body(Jfif(4, 4, ThumbnailPixels(4, 3))), Marker(0xC4)}),
         1, 1},
    };
    for (const auto &c : cases) {
        MemoryRecord record(c.Input, IO_READ_THUMBNAIL_MEMORY);
        CodecState &state = record.State();
        state.FramePending = c.FramePending;
        ThumbnailTarget target;
        target.Attach(state, 4, 4, 0, COLOUR_BGR);
        ASSERT_EQ(ParseJfifSegment(state), 0) << c.Name;
        EXPECT_EQ(state.JfifSeen, c.JfifSeen) << c.Name;
        EXPECT_EQ(target.Pixels, std::vector<uint8_t>(target.Pixels.size(), 0xEE)) << c.Name;
        uint8_t marker = 0;
        ASSERT_EQ(NextMarker(state.Stream, marker), 0) << c.Name;
        EXPECT_EQ(marker, 0xC4) << c.Name;
    }
}

TEST(AdobeSegment, ReadsVersionFlagsAndTransform) {
    MemoryRecord record(Body(Adobe(2)));
    CodecState &state = record.State();
    ASSERT_EQ(ParseAdobeSegment(state), 0);
    EXPECT_EQ(state.AdobeSeen, 1);
    EXPECT_EQ(state.AdobeVersion, 101);
    EXPECT_EQ(state.AdobeFlags0, 0x4000);
    EXPECT_EQ(state.AdobeFlags1, 0x0001);
    EXPECT_EQ(state.AdobeTransform, 2);

    MemoryRecord shortOne(Join({Body(Segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0xFF, 0xD9})),
                                Marker(0xDB)}));
    ASSERT_EQ(ParseAdobeSegment(shortOne.State()), 0);
    EXPECT_EQ(shortOne.State().AdobeSeen, 0);
    EXPECT_EQ(shortOne.State().AdobeVersion, 100);
    uint8_t marker = 0;
    ASSERT_EQ(NextMarker(shortOne.Stream(), marker), 0);
    EXPECT_EQ(marker, 0xDB);
}

TEST(CommentSegment, CopiesIntoTheCallersBuffer) {
    const struct {
        const char *Name;
        uint16_t Size;
        int FramePending;
        int32_t Result;
        std::string Copied;
        uint16_t SizeAfter;
    } cases[] = {
        {"too small", 4, 1, CODEC_COMMENT_ACCESS, "0123......", 10},
        {"exact", 10, 1, 0, "0123456789", 10},
        {"larger", 12, 1, 0, "0123456789..", 10},
        {"frame already known", 12, 0, 0, "............", 12},
    };
    for (const auto &c : cases) {
        MemoryRecord record(Body(Comment("0123456789")));
        CodecState &state = record.State();
        std::string buffer(12, '.');
        state.CommentText = reinterpret_cast<uint8_t *>(buffer.data());
        state.CommentSize = c.Size;
        state.FramePending = c.FramePending;
        EXPECT_EQ(ParseComment(state), c.Result) << c.Name;
        EXPECT_EQ(buffer.substr(0, c.Copied.size()), c.Copied) << c.Name;
        EXPECT_EQ(state.CommentSize, c.SizeAfter) << c.Name;
    }
    MemoryRecord noBuffer(Body(Comment("text")));
    EXPECT_EQ(ParseComment(noBuffer.State()), 0);
}

} // namespace
