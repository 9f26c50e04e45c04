// TEMPORARY scaffolding so that the tree links while the interface is being written.
// Delete each definition as its real one lands; delete the file when it is empty.
#include "dispatch_table.h"
#include "file_stream.h"
#include "parameter_check.h"
#include "processor_class.h"

namespace rastrum {
void FillDispatchTable(DispatchTable &, int32_t) {}
int32_t OpenFileForReading(const char *) { return -1; }
int32_t CreateFileForWriting(const char *) { return -1; }
bool CloseFile(int32_t) { return false; }
int32_t ReadFileBytes(int32_t, uint8_t *, int32_t) { return -1; }
bool WriteFileBytes(int32_t, const uint8_t *, int32_t) { return false; }
bool SeekFileFromStart(int32_t, int64_t) { return false; }
bool SeekFileRelative(int32_t, int64_t) { return false; }
ProcessorDescription IdentifyProcessor() { return {}; }
int32_t ClassFromDescription(const ProcessorDescription &) { return 0; }
int32_t ProcessorClassOverride() { return -1; }
int32_t DetectProcessorClass() { return 0; }
CodecError CheckParameters(const CodecProperties &, int32_t, bool) { return -12; }
} // namespace rastrum

extern "C" RASTRUM_API CodecError CodecInit(CodecProperties *) { return -12; }
extern "C" RASTRUM_API CodecError CodecRead(CodecProperties *, int32_t) { return -12; }
extern "C" RASTRUM_API CodecError CodecWrite(CodecProperties *, int32_t) { return -12; }
extern "C" RASTRUM_API CodecError CodecFree(CodecProperties *) { return -12; }
