// The check that every CodecRead and CodecWrite starts with (skipped with UseInnerRecord).
#pragma once

#include <cstdint>

#include "rastrum.h"

namespace rastrum {

// Runs the rules in order on the outer fields (and the inner DctMethod, UpsamplingMode and
// RawPlanes); the first failing rule decides the result.  0 when every rule passes.
CodecError CheckParameters(const CodecProperties &record, int32_t mode, bool writing);

} // namespace rastrum
