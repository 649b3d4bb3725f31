#pragma once
// An open file descriptor of the system's, closed when it goes: the file code works on
// descriptors (openat, fstat, fsync) where Qt's file classes would follow links or block.

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace quenbry {

struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int f = -1)
        : fd(f) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now, for the error that some file systems report only here: an errno, 0 when it
    // closed.
    int close() {
        const int result = ::close(std::exchange(fd, -1));
        return result == 0 || errno == EINTR ? 0 : errno;
    }
};

} // namespace quenbry
