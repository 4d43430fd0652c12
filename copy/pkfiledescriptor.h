// SPDX-License-Identifier: MIT

#ifndef PKFILEDESCRIPTOR_H
#define PKFILEDESCRIPTOR_H

#include <utility>

#include <unistd.h>

// An open file or folder of the system's own, closed when this ends.
class PkFileDescriptor
{
public:
    explicit PkFileDescriptor(int fd = -1) : fd(fd) {}
    ~PkFileDescriptor()
    {
        if (fd != -1)
            ::close(fd);
    }
    PkFileDescriptor(const PkFileDescriptor &) = delete;
    PkFileDescriptor &operator=(const PkFileDescriptor &) = delete;

    int get() const { return fd; }
    bool isOpen() const { return fd != -1; }
    // Network file systems report a failed write-back here at the latest.
    int close() { return ::close(std::exchange(fd, -1)); }
    // Hands the descriptor over, to be closed by its new owner.
    int release() { return std::exchange(fd, -1); }
    void reset(int other = -1)
    {
        if (const int old = std::exchange(fd, other); old != -1)
            ::close(old);
    }

private:
    int fd;
};

#endif // PKFILEDESCRIPTOR_H
