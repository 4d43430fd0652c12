// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include "pklistreader.h"
#include "pkselectionmatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace {

QString alreadyCopied()
{
    return QStringLiteral("already exists in %1").arg(PkFileReader::outputFolderName());
}

QString vanished()
{
    return QStringLiteral("no longer in the folder");
}

QString notRegular()
{
    return QStringLiteral("not a regular file");
}

// A name handed to the copy slot must stay inside the picture folder.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/'));
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

// Empty when the copy is in place, otherwise why it is not.
QString copyWithoutOverwrite(const QString &source, const QString &destination)
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
QString makeOutputFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return QString();
    const int error = errno;
    if (error == EEXIST && QFileInfo(path).isDir())
        return QString();
    return QStringLiteral("cannot create %1: %2").arg(PkFileReader::outputFolderName(), qt_error_string(error));
}

} // namespace

PkFileReader::PkFileReader()
    : QObject(nullptr)
{
}

QList<QString> PkFileReader::readSelectionFile(QString path) const
{
    return PkListReader::readFile(path).ids;
}

QList<QString> PkFileReader::findFilesToCopy(QString folderPath, QList<QString> ids) const
{
    return PkSelectionMatcher::matchFolder(folderPath, ids).files;
}

bool PkFileReader::folderExists(QString path) const
{
    return QDir(path).exists();
}

QString PkFileReader::folderRefusal(const QString &folderPath)
{
    // Copying into the output of an earlier run would silently mix two
    // selections; a file of that name would make every copy fail.
    if (QFileInfo::exists(folderPath + QLatin1Char('/') + outputFolderName())) {
        return QStringLiteral("Folder \"%1\" already exists! Delete it!").arg(outputFolderName());
    }
    // Checked up front so that a write-protected card or share is refused
    // before anything is matched; the run still reports what this cannot foresee.
    if (::access(QFile::encodeName(folderPath).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("Cannot write into this folder!");
    return QString();
}

void PkFileReader::requestStop(int run)
{
    runToStop.store(run);
}

bool PkFileReader::stopRequested(int run) const
{
    // Closing the window interrupts the thread; the Stop button names a run.
    return runToStop.load() == run || QThread::currentThread()->isInterruptionRequested();
}

void PkFileReader::on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath)
{
    const int run = ++runsStarted;
    int copied = 0;
    int failed = 0;
    const auto fail = [this, &failed](const QString &name, const QString &reason) {
        ++failed;
        emit copyFailedSignal(name, reason);
    };

    // With nothing to copy nothing is created: an empty output folder would
    // only make the next choice of this picture folder be refused.
    const QString outputPath = filePath + QLatin1Char('/') + outputFolderName();
    const QString folderError = listOfFilesToCopy.isEmpty() ? QString()
                              : filePath.isEmpty()          ? QStringLiteral("no picture folder")
                                                            : makeOutputFolder(outputPath);
    if (!folderError.isEmpty()) {
        for (const QString &name : std::as_const(listOfFilesToCopy))
            fail(name, folderError);
        emit copyFinishedSignal(0, failed);
        return;
    }

    for (const QString &name : std::as_const(listOfFilesToCopy)) {
        // Checked between files only: a file is either copied whole or not begun.
        if (stopRequested(run))
            break;
        const QString reason = isPlainName(name)
            ? copyWithoutOverwrite(filePath + QLatin1Char('/') + name, outputPath + QLatin1Char('/') + name)
            : QStringLiteral("not a file of the picture folder");
        if (reason.isEmpty())
            emit copyStatusSignal(++copied);
        else
            fail(name, reason);
    }
    emit copyFinishedSignal(copied, failed);
}
