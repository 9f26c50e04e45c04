// POSIX file access for the codec's file modes.  Handles are plain descriptors; -1 means that no
// file is open.  Every function reports failure instead of throwing.
#pragma once

#include <cstdint>

namespace rastrum {

// Opens an existing file for reading; returns the handle or -1.
int32_t OpenFileForReading(const char *path);
// Creates (or truncates) a file for reading and writing; returns the handle or -1.
int32_t CreateFileForWriting(const char *path);
// Closes the handle; false when the close failed.
bool CloseFile(int32_t handle);
// Reads up to `count` bytes; returns the number read (0 at the end of the file) or -1.
int32_t ReadFileBytes(int32_t handle, uint8_t *into, int32_t count);
// Writes all `count` bytes; false on any failure or short write.
bool WriteFileBytes(int32_t handle, const uint8_t *from, int32_t count);
// Moves the position to `offset` from the start of the file; false on failure.
bool SeekFileFromStart(int32_t handle, int64_t offset);
// Moves the position by `delta` bytes from the current position; false on failure.
bool SeekFileRelative(int32_t handle, int64_t delta);

} // namespace rastrum
