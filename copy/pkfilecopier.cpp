// SPDX-License-Identifier: MIT

#include "pkfilecopier.h"

#include "pkfilereader.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace {

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

#ifdef Q_OS_LINUX

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd; }

private:
    int fd;
};

bool copyByReadWrite(int in, int out)
{
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
}

bool copyContents(int in, int out)
{
    if (::ioctl(out, FICLONE, in) == 0)
        return true;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
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
    if (::linkat(out, "", AT_FDCWD, destination.constData(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(out);
    return ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, destination.constData(), AT_SYMLINK_FOLLOW) == 0;
}

// The reason a copy failed, in words for the user, from the errno that the
// failing call left behind.
QString reasonFromErrno(int error)
{
    switch (error) {
    case EEXIST:
        return alreadyCopied();
    case ENOENT:
        return vanished();
    default:
        return qt_error_string(error);
    }
}

// The copy is written into an unnamed file in the destination folder and given
// its name only when complete, so a full disk, an I/O error or the end of the
// process leaves no partial file and no stray temporary behind. Unlike
// QFile::copy it does not sync each file to disk, which would make a run many
// times slower than cp. Returns why it failed, empty on success, and nothing
// where the file system has no unnamed files.
std::optional<QString> copyUnnamedThenLink(const QString &source, const QString &destination)
{
    const QByteArray sourceName = QFile::encodeName(source);
    const QByteArray destinationName = QFile::encodeName(destination);
    // O_NONBLOCK keeps a FIFO put in place of a picture from blocking the run.
    FileDescriptor in(::open(sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return reasonFromErrno(errno);
    struct stat status;
    if (::fstat(in.get(), &status) != 0)
        return reasonFromErrno(errno);
    // O_NONBLOCK means nothing for the regular files that get past this check.
    if (!S_ISREG(status.st_mode))
        return notRegular();
    if (::access(destinationName.constData(), F_OK) == 0)
        return alreadyCopied();
    if (errno != ENOENT)
        return qt_error_string(errno);
    // Pictures are read once, front to back; a wider read-ahead keeps a
    // spinning or network disk streaming, as it does for cp.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const QByteArray folder = QFile::encodeName(QFileInfo(destination).path());
    FileDescriptor out(::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return std::nullopt;
        return qt_error_string(errno);
    }
    if (!copyContents(in.get(), out.get()) || ::fchmod(out.get(), status.st_mode & 0777) != 0
        || !publish(out.get(), destinationName)) {
        return reasonFromErrno(errno);
    }
    return QString();
}

#endif // Q_OS_LINUX

} // namespace

// Empty when the copy is in place, otherwise why it is not.
QString PkFileCopier::copyWithoutOverwrite(const QString &source, const QString &destination)
{
#ifdef Q_OS_LINUX
    if (const std::optional<QString> reason = copyUnnamedThenLink(source, destination))
        return *reason;
#endif
    if (QFile::exists(destination))
        return alreadyCopied();
    QFile file(source);
    return file.copy(destination) ? QString() : file.errorString();
}

// Creates the run's output folder, or says why it cannot be used. A folder
// that is there already is used as it is.
QString PkFileCopier::makeOutputFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return QString();
    const int error = errno;
    if (error == EEXIST && QFileInfo(path).isDir())
        return QString();
    return QStringLiteral("cannot create %1: %2").arg(PkFileReader::outputFolderName(), qt_error_string(error));
}

