// POSIX files for the codec's file modes.  Interrupted system calls are repeated so that a
// signal never turns into a spurious file error.
#include "file_stream.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace rastrum {

namespace {

int32_t OpenWithFlags(const char *path, int flags) {
    if (path == nullptr || *path == '\0') {
        return -1;
    }
    int handle = -1;
    do {
        handle = ::open(path, flags | O_CLOEXEC, 0666);
    } while (handle < 0 && errno == EINTR);
    return handle;
}

} // namespace

int32_t OpenFileForReading(const char *path) {
    return OpenWithFlags(path, O_RDONLY);
}

int32_t CreateFileForWriting(const char *path) {
    return OpenWithFlags(path, O_RDWR | O_CREAT | O_TRUNC);
}

bool CloseFile(int32_t handle) {
    if (handle < 0) {
        return false;
    }
    // A close interrupted by a signal has released the descriptor already on Linux; retrying
    // could close a descriptor another thread has just opened.
    return ::close(handle) == 0 || errno == EINTR;
}

int32_t ReadFileBytes(int32_t handle, uint8_t *into, int32_t count) {
    if (handle < 0 || into == nullptr || count < 0) {
        return -1;
    }
    int32_t total = 0;
    while (total < count) {
        const ssize_t got = ::read(handle, into + total, static_cast<size_t>(count - total));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<int32_t>(got);
    }
    return total;
}

bool WriteFileBytes(int32_t handle, const uint8_t *from, int32_t count) {
    if (handle < 0 || count < 0 || (from == nullptr && count > 0)) {
        return false;
    }
    int32_t total = 0;
    while (total < count) {
        const ssize_t put = ::write(handle, from + total, static_cast<size_t>(count - total));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (put == 0) {
            return false;
        }
        total += static_cast<int32_t>(put);
    }
    return true;
}

bool SeekFileFromStart(int32_t handle, int64_t offset) {
    if (handle < 0 || offset < 0) {
        return false;
    }
    return ::lseek(handle, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool SeekFileRelative(int32_t handle, int64_t delta) {
    if (handle < 0) {
        return false;
    }
    return ::lseek(handle, static_cast<off_t>(delta), SEEK_CUR) >= 0;
}

} // namespace rastrum
