// TEMPORARY scaffolding so that the tree links while the entropy decoder and the scan loops are
// being written.  Delete each definition as its real one lands; delete the file when empty.
#include "entropy_decoder.h"
#include "scan_loops.h"

namespace rastrum {
int32_t FillBits(CodecStream &, int32_t) { return -12; }
int32_t DecodeSymbol(CodecStream &, const HuffmanTable &, int32_t &) { return -12; }
int32_t DecodeBlockPlain(CodecStream &, const HuffmanTable &, const HuffmanTable &, int32_t *, int16_t *) { return -12; }
int32_t SkipBlockPlain(CodecStream &, const HuffmanTable &, const HuffmanTable &, int32_t *, int16_t *) { return -12; }
int32_t DecodeDcFirst(CodecStream &, const ScanHeader &, const HuffmanTable &, int32_t *, int16_t *) { return -12; }
int32_t DecodeDcRefine(CodecStream &, const ScanHeader &, int16_t *) { return -12; }
int32_t DecodeAcFirst(CodecStream &, const ScanHeader &, const HuffmanTable &, int16_t *) { return -12; }
int32_t DecodeAcRefine(CodecStream &, const ScanHeader &, const HuffmanTable &, int16_t *) { return -12; }
int32_t HandleRestart(CodecStream &, ScanHeader &, int32_t, int32_t, int32_t, int32_t) { return -12; }
int32_t DecodeSequentialScan(CodecState &, ScanHeader &, int32_t) { return -12; }
int32_t DecodeProgressiveScan(CodecState &, ScanHeader &, int32_t) { return -12; }
int32_t DecodeSequentialRoi(CodecState &, ScanHeader &, int32_t) { return -12; }
int32_t DecodeProgressiveRoi(CodecState &, ScanHeader &, int32_t) { return -12; }
void SaveRoiEntry(CodecState &, const ScanHeader &, int32_t) {}
int32_t RestoreRoiEntry(CodecState &, ScanHeader &, int32_t) { return -12; }
} // namespace rastrum
