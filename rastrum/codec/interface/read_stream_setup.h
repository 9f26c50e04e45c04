// The stream set-up of CodecRead: where the decoder's bytes come from and where its pixels go.
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Unless a scan is in progress, clears the bit reader and points the stream at FileBuffer
// (file modes; mode 20 first moves the file back to its start) or at JpegBuffer (memory modes).
// Always places PixelCursor on the first pixel row in memory order of the picture's top row and
// WorkArea on its aligned start.  -23 when the file cannot be moved to its start.
CodecError SetUpReadStream(CodecState &state, int32_t mode);

} // namespace rastrum
