// What a successful CodecRead reports back to the caller's outer record.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// The subsampling code of the frame's components (1 to 4 components; 255 for other layouts).
int32_t SubsamplingCode(const CodecState &state);

// After a read that returned 0: settles the colour codes, rewinds the source so that the next
// call starts again at the SOS marker, copies the header fields into the outer record and closes
// the file after modes 2, 4 and 6.  0, -23 (failed rewind) or -9 (failed close).
CodecError ReportHeader(CodecProperties &record, int32_t mode);

} // namespace rastrum
