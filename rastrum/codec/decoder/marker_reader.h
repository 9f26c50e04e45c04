// The decoder driver: the marker loop, the segment parsers, the scan start and the decoder
// set-up that derives the MCU geometry.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Runs one read in state.IoMode (header modes, whole image, tables only, entropy-coded image,
// reduced sizes, thumbnail); returns 0, 1 (interrupted), 2 (region complete) or an error.
int32_t DecodeImage(CodecState &state);

// Derives MCU geometry and decoder flags from the frame and the caller's output fields, then
// chooses the MCU output routine.
int32_t SetUpDecoder(CodecState &state);

// Selects the inverse DCT family, the scale and the scan loop, and runs it.
int32_t DecodeScanData(CodecState &state, ScanHeader &scan);

// Marker segment parsers; each is called with the stream positioned after the marker code.
int32_t ParseFrameHeader(CodecState &state);
int32_t ParseQuantTables(CodecState &state);
int32_t ParseHuffmanTables(CodecState &state);
int32_t ParseRestartInterval(CodecState &state);
// Parses an SOS segment into a newly allocated scan (released again on error).
int32_t ParseScanHeader(CodecState &state, ScanHeader *&scan);
int32_t ParseJfifSegment(CodecState &state);
int32_t ParseAdobeSegment(CodecState &state);
int32_t ParseComment(CodecState &state);

// Releases a scan record and its component list.
void ReleaseScan(ScanHeader *scan);

} // namespace rastrum
