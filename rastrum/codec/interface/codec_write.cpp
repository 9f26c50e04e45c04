// CodecWrite: checks the caller's parameters and refuses the write, because this build has no
// encoder.  Nothing is created or written, so a caller never mistakes the refusal for output.
#include "call_guard.h"
#include "parameter_check.h"

namespace rastrum {

namespace {

CodecError WriteRecord(CodecProperties &record, int32_t mode) {
    record.CodecState.IoMode = mode;
    if (record.UseInnerRecord == 0) {
        const CodecError checked = CheckParameters(record, mode, true);
        if (checked != CODEC_SUCCESS) {
            return checked;
        }
    }
    return CODEC_NOT_SUPPORTED;
}

} // namespace

} // namespace rastrum

extern "C" RASTRUM_API CodecError CodecWrite(CodecProperties *record, int32_t mode) {
    if (record == nullptr || record->CodecState.Stream.Dispatch == nullptr) {
        return CODEC_INVALID_PROPERTIES;
    }
    const CodecError result =
        rastrum::GuardedCall([record, mode] { return rastrum::WriteRecord(*record, mode); });
    return rastrum::FinishCall(record->CodecState, result);
}
