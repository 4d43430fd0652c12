// SPDX-License-Identifier: MIT

#include "pkcopycontents.h"

#include "pkfilecopier.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool faultInTest(PkFileCopier::Call call)
{
    return PkFileCopier::injectedFault(call);
}

// Pieces of at most a megabyte: large enough to stream, small enough that a
// large file's progress moves.
std::vector<char> bufferFor(off_t size)
{
    return std::vector<char>(size_t(std::clamp<off_t>(size, 1, 1 << 20)));
}

} // namespace

PkCopyContents::PkCopyContents(bool verify, const std::function<void(qint64)> &progressed)
    : verify(verify)
    , progressed(progressed)
{
}

// Verifying, the copy is trusted for what it reads back; a copy that reads
// back different from a picture that changed meanwhile says the latter.
int PkCopyContents::copy(int in, int out, const struct stat &status)
{
    if (const int error = write(in, out, status))
        return error;
    if (!verify)
        return 0;
    if (const int error = settle(out, false))
        return error;
    return check(in, out, status, hex);
}

// copy_file_range copies inside the kernel, as a reflink where the file
// system can make one; where it stops or fails (two different file systems,
// for one), read and write go on from the offsets it reached, and so tell
// the failing side. Verifying, the bytes must pass through, so only read and
// write copy them.
int PkCopyContents::write(int in, int out, const struct stat &status)
{
    contentHash.reset();
    passedThrough = true;
    for (off_t remaining = status.st_size; remaining > 0;) {
        const ssize_t n = verify || faultInTest(PkFileCopier::Call::CopyInPlace)
            ? -1
            : ::copy_file_range(in, nullptr, out, nullptr, size_t(std::min<off_t>(remaining, 32 << 20)), 0);
        if (n <= 0) {
            if (const int error = copyByReadWrite(in, out, remaining))
                return error;
            break;
        }
        passedThrough = false;
        remaining -= n;
        progressed(n);
    }
    if (const int error = checkEnd(in))
        return error;
    hex = contentHash.hex();
    // Read back later, the picture is checked once it has been.
    return readLater ? 0 : unchanged(in, status);
}

int PkCopyContents::check(int in, int out, const struct stat &status, const QByteArray &expected)
{
    const int error = readBack(out, status.st_size, expected);
    if (error != 0 && error != readsBackDifferent)
        return error;
    const int change = unchanged(in, status);
    return change ? change : error;
}

// Copies the remaining bytes; a picture that ends before them shrank while
// it was copied. No call here is interrupted by a signal: the only handlers
// the program installs restart them.
int PkCopyContents::copyByReadWrite(int in, int out, off_t remaining)
{
    std::vector<char> buffer = bufferFor(remaining);
    while (remaining > 0) {
        const size_t wanted = size_t(std::min<off_t>(remaining, off_t(buffer.size())));
        const ssize_t got = faultInTest(PkFileCopier::Call::Read) ? -1 : ::read(in, buffer.data(), wanted);
        reading = got <= 0;
        if (got <= 0)
            return got == 0 ? changedWhileCopied : errno;
        contentHash.add(buffer.data(), size_t(got));
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = faultInTest(PkFileCopier::Call::Write)
                ? -1
                : ::write(out, buffer.data() + done, size_t(got - done));
            if (put == -1)
                return errno;
            done += put;
        }
        remaining -= got;
        // Verifying, reading the copy back is the other half of the work.
        progressed(verify && !readLater ? got / 2 : got);
    }
    return 0;
}

// A picture that still has bytes past the size it had when opened is
// growing, or is a /proc file that claims to be empty and never ends. The
// probe reads a few bytes: such files refuse a read of a single one.
int PkCopyContents::checkEnd(int in)
{
    char probe[64];
    const ssize_t got = ::read(in, probe, sizeof probe);
    reading = got != 0;
    if (got < 0)
        return errno;
    return got == 0 ? 0 : changedWhileCopied;
}

// Rewritten in place: the same size, another time.
int PkCopyContents::unchanged(int in, const struct stat &status)
{
    struct stat after;
    reading = true;
    if (::fstat(in, &after) != 0)
        return errno;
    reading = false;
    return after.st_size == status.st_size && after.st_mtim.tv_sec == status.st_mtim.tv_sec
            && after.st_mtim.tv_nsec == status.st_mtim.tv_nsec
        ? 0
        : changedWhileCopied;
}

// The copy is written out to its drive and then dropped from this machine's
// cache, so that the bytes read back come from the drive, as far as this
// machine can tell: a cache below a FUSE mount, a share's server or the
// drive itself may still answer. Writing out the data alone is enough for
// that, and spares a journal commit per copy; file systems that cannot
// (FUSE, shares) write out the whole file.
int PkCopyContents::settle(int out, bool prefetch)
{
    constexpr unsigned int writeOut = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    const int range = faultInTest(PkFileCopier::Call::Flush) ? -1 : ::sync_file_range(out, 0, 0, writeOut);
    if (range != 0 && (errno == EIO || ::fdatasync(out) != 0))
        return errno;
    ::posix_fadvise(out, 0, 0, POSIX_FADV_DONTNEED);
    if (prefetch)
        ::posix_fadvise(out, 0, 0, POSIX_FADV_WILLNEED);
    return 0;
}

void PkCopyContents::startWriting(int out)
{
    ::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
}

int PkCopyContents::readBack(int out, off_t size, const QByteArray &expected)
{
    std::vector<char> buffer = bufferFor(size);
    PkContentHash readHash;
    for (off_t offset = 0; offset < size;) {
        const ssize_t got = ::pread(out, buffer.data(), size_t(std::min<off_t>(size - offset, off_t(buffer.size()))), offset);
        if (got < 0)
            return errno;
        if (got == 0)
            return readsBackDifferent;
        // A test plays a destination that returns other bytes.
        if (faultInTest(PkFileCopier::Call::ReadBack))
            buffer[0] = char(~buffer[0]);
        readHash.add(buffer.data(), size_t(got));
        offset += got;
        progressed(got - got / 2);
    }
    return readHash.hex() == expected ? 0 : readsBackDifferent;
}
