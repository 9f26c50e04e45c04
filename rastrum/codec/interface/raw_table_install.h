// Installation of caller-supplied quantisation and Huffman tables before an image read.
#pragma once

#include "rastrum.h"

namespace rastrum {

// With UseRawQuantTables: the first RawQuantTableCount tables go, in order, into the
// quantisation records of the same position, prepared for the DctMethod's transform family.
// With UseRawHuffmanTables: the first RawHuffmanTableCount tables are built into the DC or AC
// record named by their class and id.  -7 for an unusable quantisation table, -6 for an
// unusable Huffman table; 0 otherwise.
CodecError InstallRawTables(CodecState &state);

} // namespace rastrum
