// SPDX-License-Identifier: MIT

#include "pkfilecopier.h"

#include "pkfilereader.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set in tests of the command line to take the path of file systems without
// unnamed files.
const char copyPathVariable[] = "PICKWELL_TEST_COPY_PATH";

// No errno is negative: copyUnnamed's way of saying that the file system has
// no unnamed files.
constexpr int noUnnamedFiles = -1;

// The hidden temporary being written, for a signal handler to remove. Two
// buffers are filled in turn, so the one a handler may still be reading is
// never the one being overwritten.
char firstTemporaryPath[PATH_MAX];
char secondTemporaryPath[PATH_MAX];
char *const temporaryPaths[] = {firstTemporaryPath, secondTemporaryPath};
std::atomic<const char *> temporaryInProgress{nullptr};
std::atomic<int> temporarySlot{0};
std::atomic<PkFileCopier::NamingHook> namingHook{nullptr};
std::atomic<PkFileCopier::FaultHook> faultHook{nullptr};

// True, with errno set, where a test plays a file system that refuses or
// fails call.
bool faultInTest(PkFileCopier::Call call)
{
    const PkFileCopier::FaultHook hook = faultHook.load();
    const int error = hook ? hook(call) : 0;
    if (error == 0)
        return false;
    errno = error;
    return true;
}

QString notRegular()
{
    return QStringLiteral("not a regular file");
}

QString alreadyCopied()
{
    return QStringLiteral("already exists in %1").arg(PkFileReader::outputFolderName());
}

QString vanished()
{
    return QStringLiteral("no longer in the folder");
}

PkFileCopier::Result failed(const QString &reason)
{
    return {PkFileCopier::Outcome::Failed, reason};
}

// A missing picture was deleted since matching; the picture's other errors,
// and all of the destination's, are the system's own words.
QString sourceReason(int error)
{
    return error == ENOENT ? vanished() : qt_error_string(error);
}

// What file systems answer for a call they do not offer at all, as opposed
// to one that failed.
bool isRefusal(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd(fd) {}
    // Closing -1 fails harmlessly, after every errno that matters was read.
    ~FileDescriptor() { ::close(fd); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd; }
    // Network file systems report a failed write-back here at the latest.
    int close() { return ::close(std::exchange(fd, -1)); }

private:
    int fd;
};

// No call here is interrupted by a signal: the only handlers the program
// installs (the command line's, for SIGINT and SIGTERM) restart them.
bool copyByReadWrite(int in, int out)
{
    std::vector<char> buffer(1 << 20);
    ssize_t got;
    while ((got = ::read(in, buffer.data(), buffer.size())) > 0) {
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, size_t(got - done));
            if (put == -1)
                return false;
            done += put;
        }
    }
    return got == 0;
}

// copy_file_range copies inside the kernel, as a reflink where the file
// system can make one; where it cannot copy at all, read and write do.
bool copyContents(int in, int out)
{
    for (;;) {
        const ssize_t n = faultInTest(PkFileCopier::Call::CopyInPlace)
            ? -1
            : ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return true;
        // Kernels and file systems that cannot copy in place (two different
        // file systems, for one) say so; read and write go on from the file
        // offsets where copy_file_range stopped.
        if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)
            return copyByReadWrite(in, out);
        return false;
    }
}

bool publish(int out, const QByteArray &destination)
{
    // linkat fails with EEXIST instead of replacing, so publishing never
    // overwrites, even against another program racing for the same name.
    // Without the privilege that AT_EMPTY_PATH needs, the descriptor's entry
    // in /proc names the file; a taken name fails there too.
    if (!faultInTest(PkFileCopier::Call::LinkDescriptor)
        && ::linkat(out, "", AT_FDCWD, destination.constData(), AT_EMPTY_PATH) == 0)
        return true;
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(out);
    return ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, destination.constData(), AT_SYMLINK_FOLLOW) == 0;
}

void beforeNaming(const QByteArray &destination)
{
    if (const PkFileCopier::NamingHook hook = namingHook.load())
        hook(QFile::decodeName(destination));
}

// Creates a hidden file of a fresh name in folder, writable by its owner
// whatever the picture's mode, writes its name into path, and returns its
// descriptor, or -1 with errno set. A folder name too long for path leaves
// a pattern that mkostemp refuses.
int createTemporary(const QByteArray &folder, char *path)
{
    std::snprintf(path, PATH_MAX, "%s/.pickwell-XXXXXX", folder.constData());
    return ::mkostemp(path, O_CLOEXEC);
}

// The copy gets the picture's permission bits where the file system can
// hold them, which every file system with unnamed files does. Cards give every file the same bits and refuse others with
// EPERM; the copy is whole all the same, as cp's would be.
bool keepMode(int out, unsigned mode)
{
    return (!faultInTest(PkFileCopier::Call::ChangeMode) && ::fchmod(out, mode) == 0) || isRefusal(errno);
}

} // namespace

PkFileCopier::PkFileCopier(bool resume)
    : resume(resume)
    , unnamedFiles(qEnvironmentVariableIsEmpty(copyPathVariable))
{
}

PkFileCopier::Result PkFileCopier::nameTaken() const
{
    return resume ? Result{Outcome::AlreadyThere, QString()} : failed(alreadyCopied());
}

PkFileCopier::Result PkFileCopier::copy(const QString &source, const QString &destination)
{
    // O_NONBLOCK keeps a FIFO put in place of a picture from blocking the run.
    FileDescriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() == -1)
        return failed(sourceReason(errno));
    struct stat status;
    if (::fstat(in.get(), &status) != 0)
        return failed(sourceReason(errno));
    // O_NONBLOCK means nothing for the regular files that get past this check.
    if (!S_ISREG(status.st_mode))
        return failed(notRegular());
    // Checked before any byte is copied: a run that is finished again finds
    // most names taken, and must not pay for copying them.
    // lstat, so that even a dangling link counts as a name that is taken.
    const QByteArray destinationName = QFile::encodeName(destination);
    struct stat existing;
    if (::lstat(destinationName.constData(), &existing) == 0)
        return nameTaken();
    if (errno != ENOENT)
        return failed(qt_error_string(errno));
    // Pictures are read once, front to back; a wider read-ahead keeps a
    // spinning or network disk streaming, as it does for cp.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const QByteArray folder = QFile::encodeName(QFileInfo(destination).path());
    const unsigned mode = status.st_mode & 0777;
    int error = unnamedFiles ? copyUnnamed(in.get(), mode, folder, destinationName) : noUnnamedFiles;
    if (error == noUnnamedFiles) {
        unnamedFiles = false;
        error = copyThroughTemporary(in.get(), mode, folder, destinationName);
    }
    if (error == 0)
        return {};
    return error == EEXIST ? nameTaken() : failed(qt_error_string(error));
}

// The copy is written into an unnamed file in the destination folder and
// given its name only when complete, so a full disk, an I/O error or the end
// of the process leaves no partial file and no stray temporary behind.
// Unlike QFile::copy it does not sync each file to disk, which would make a
// run many times slower than cp. Returns 0 or the errno of what failed.
int PkFileCopier::copyUnnamed(int in, unsigned mode, const QByteArray &folder, const QByteArray &destination)
{
    FileDescriptor out(faultInTest(Call::UnnamedFile)
                           ? -1
                           : ::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600));
    if (out.get() == -1)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? noUnnamedFiles : errno;
    if (!copyContents(in, out.get()) || !keepMode(out.get(), mode))
        return errno;
    beforeNaming(destination);
    return publish(out.get(), destination) ? 0 : errno;
}

// Cards, exFAT disks and network shares have no unnamed files. The copy is
// written under a hidden name in the output folder and renamed when
// complete, without a sync per file. The temporary's name is removed in the
// end, which after a rename finds nothing. Only the end of the process in
// the middle of a file (kill -9, a power cut) can leave one behind.
int PkFileCopier::copyThroughTemporary(int in, unsigned mode, const QByteArray &folder,
                                       const QByteArray &destination)
{
    char *path = temporaryPaths[temporarySlot.fetch_xor(1) & 1];
    FileDescriptor out(createTemporary(folder, path));
    if (out.get() == -1)
        return errno;
    temporaryInProgress.store(path);
    int error = 0;
    if (!copyContents(in, out.get()) || !keepMode(out.get(), mode) || faultInTest(Call::Close)
        || out.close() != 0) {
        error = errno;
    } else {
        beforeNaming(destination);
        error = giveName(path, destination.constData());
    }
    removeTemporaryInProgress();
    return error;
}

// Never replaces a file: renameat2 refuses to where the name is taken; where
// the file system does not offer that, a hard link fails the same way; where
// it has no hard links either, the name is checked just before the rename.
int PkFileCopier::giveName(const char *temporary, const char *destination)
{
    switch (naming) {
    case Naming::NoReplace:
        if (!faultInTest(Call::RenameNoReplace)
            && ::renameat2(AT_FDCWD, temporary, AT_FDCWD, destination, RENAME_NOREPLACE) == 0)
            return 0;
        if (!isRefusal(errno))
            return errno;
        naming = Naming::Link;
        [[fallthrough]];
    case Naming::Link:
        if (!faultInTest(Call::Link) && ::link(temporary, destination) == 0)
            return 0;
        if (!isRefusal(errno))
            return errno;
        naming = Naming::CheckedRename;
        [[fallthrough]];
    case Naming::CheckedRename: {
        struct stat existing;
        if (::lstat(destination, &existing) == 0)
            return EEXIST;
        if (errno != ENOENT)
            return errno;
        return ::rename(temporary, destination) == 0 ? 0 : errno;
    }
    }
    return EINVAL;
}

void PkFileCopier::removeTemporaryInProgress()
{
    if (const char *path = temporaryInProgress.exchange(nullptr))
        ::unlink(path);
}

void PkFileCopier::setNamingHook(NamingHook hook)
{
    namingHook.store(hook);
}

void PkFileCopier::setFaultHook(FaultHook hook)
{
    faultHook.store(hook);
}

QString PkFileCopier::makeOutputFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return QString();
    const int error = errno;
    if (error == EEXIST && QFileInfo(path).isDir())
        return QString();
    return "cannot create " + PkFileReader::outputFolderName() + ": " + qt_error_string(error);
}
