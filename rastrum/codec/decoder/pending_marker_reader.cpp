// TEMPORARY scaffolding so that the tree links while the marker reader is being written.
// Delete each definition as its real one lands; delete the file when it is empty.
#include "input_stream.h"
#include "marker_reader.h"

namespace rastrum {
void ResetInput(CodecStream &) {}
int32_t RefillInput(CodecStream &) { return -12; }
int32_t TakeBytes(CodecStream &, int32_t, const uint8_t *&) { return -12; }
SegmentBytes::~SegmentBytes() {}
int32_t ReadSegment(CodecStream &, int32_t, SegmentBytes &) { return -12; }
int32_t ReadWord(CodecStream &, int32_t &) { return -12; }
int32_t FindMarker(CodecStream &) { return -12; }
int32_t NextMarker(CodecStream &, uint8_t &) { return -12; }
int32_t SkipSegment(CodecStream &) { return -12; }
int32_t DecodeImage(CodecState &) { return -12; }
int32_t SetUpDecoder(CodecState &) { return -12; }
int32_t DecodeScanData(CodecState &, ScanHeader &) { return -12; }
int32_t ParseFrameHeader(CodecState &) { return -12; }
int32_t ParseQuantTables(CodecState &) { return -12; }
int32_t ParseHuffmanTables(CodecState &) { return -12; }
int32_t ParseRestartInterval(CodecState &) { return -12; }
int32_t ParseScanHeader(CodecState &, ScanHeader *&) { return -12; }
int32_t ParseJfifSegment(CodecState &) { return -12; }
int32_t ParseAdobeSegment(CodecState &) { return -12; }
int32_t ParseComment(CodecState &) { return -12; }
void ReleaseScan(ScanHeader *) {}
} // namespace rastrum
