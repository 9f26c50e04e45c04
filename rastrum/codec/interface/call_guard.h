// What every exported codec function does at its edges: no C++ exception may cross the C
// boundary, and every read and write ends with the same clean-up.
#pragma once

#include <new>

#include "rastrum.h"

namespace rastrum {

// Runs the body and turns an escaping exception into a result code: a failed allocation is -5,
// anything else -1.
template <typename Body> CodecError GuardedCall(Body &&body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return CODEC_MEMORY_ERROR;
    } catch (...) {
        return CODEC_EXCEPTION;
    }
}

// End of every CodecRead and CodecWrite: calls the EndCall slot and, when the result is an
// error, closes an open file and forgets its handle.  Returns the result, or -1 when the
// clean-up itself threw.
CodecError FinishCall(CodecState &state, CodecError result) noexcept;

} // namespace rastrum
