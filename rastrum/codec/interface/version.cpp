// The library's version record.
#include "rastrum.h"

namespace {

constexpr CodecVersionInfo kVersion = {
    2, 4, 7, "librastrum.so", "2.4.7", "[2.4.7.19]", "Dec 10 2026",
};

} // namespace

extern "C" RASTRUM_API const CodecVersionInfo *CodecVersion(void) { return &kVersion; }
