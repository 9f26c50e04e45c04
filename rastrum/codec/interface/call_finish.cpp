// The clean-up at the end of every CodecRead and CodecWrite.
#include "call_guard.h"

#include "dispatch_table.h"
#include "file_stream.h"

namespace rastrum {

CodecError FinishCall(CodecState &state, CodecError result) noexcept {
    const CodecError cleanUp = GuardedCall([&state]() -> CodecError {
        if (state.Stream.Dispatch != nullptr && state.Stream.Dispatch->EndCall != nullptr) {
            state.Stream.Dispatch->EndCall();
        }
        return CODEC_SUCCESS;
    });
    const CodecError final = cleanUp == CODEC_SUCCESS ? result : cleanUp;
    if (final < 0 && state.Stream.FileHandle >= 0) {
        CloseFile(state.Stream.FileHandle);
        state.Stream.FileHandle = -1;
    }
    return final;
}

} // namespace rastrum
