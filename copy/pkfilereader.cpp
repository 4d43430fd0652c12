// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include "pkfolderlister.h"
#include "pkidmatcher.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

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
    bool copiedAny = false;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            copiedAny = true;
            continue;
        }
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        // Kernels and file systems that cannot copy in place say so before
        // the first byte; anything later is a real I/O error such as a full disk.
        if (!copiedAny && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
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

enum class CopyOutcome { Copied, Failed, Unsupported };

// The copy is written into an unnamed file in the destination folder and given
// its name only when complete, so a full disk, an I/O error or the end of the
// process leaves no partial file and no stray temporary behind. Unlike
// QFile::copy it does not sync each file to disk, which would make a run many
// times slower than cp.
CopyOutcome copyUnnamedThenLink(const QString &source, const QString &destination)
{
    const QByteArray sourceName = QFile::encodeName(source);
    const QByteArray destinationName = QFile::encodeName(destination);
    // O_NONBLOCK keeps a FIFO put in place of a picture from blocking the run.
    FileDescriptor in(::open(sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return CopyOutcome::Failed;
    struct stat status;
    // O_NONBLOCK means nothing for the regular files that get past this check.
    if (::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return CopyOutcome::Failed;
    if (::access(destinationName.constData(), F_OK) == 0 || errno != ENOENT)
        return CopyOutcome::Failed;
    // Pictures are read once, front to back; a wider read-ahead keeps a
    // spinning or network disk streaming, as it does for cp.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const qsizetype slash = destinationName.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? destinationName.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    FileDescriptor out(::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        return (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) ? CopyOutcome::Unsupported
                                                                           : CopyOutcome::Failed;
    }
    if (!copyContents(in.get(), out.get()))
        return CopyOutcome::Failed;
    if (::fchmod(out.get(), status.st_mode & 0777) != 0)
        return CopyOutcome::Failed;
    return publish(out.get(), destinationName) ? CopyOutcome::Copied : CopyOutcome::Failed;
}

#endif // Q_OS_LINUX

bool copyWithoutOverwrite(const QString &source, const QString &destination)
{
#ifdef Q_OS_LINUX
    const CopyOutcome outcome = copyUnnamedThenLink(source, destination);
    if (outcome != CopyOutcome::Unsupported)
        return outcome == CopyOutcome::Copied;
#endif
    return QFile::copy(source, destination);
}

QString decodeLine(QByteArray line, bool first)
{
    if (first && line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);
    return QString::fromUtf8(line).simplified();
}

} // namespace

PkFileReader::PkFileReader()
    : QObject(nullptr)
{
}

QList<QString> PkFileReader::readSelectionFile(QString path) const
{
    QList<QString> ids;
    if (!QFile::exists(path))
        return ids;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ids;
    // readLine gives an empty array both at the end and on a read error (a
    // directory, a vanished device), so stopping on it can never spin.
    for (;;) {
        const QByteArray line = file.readLine(0);
        if (line.isEmpty())
            break;
        ids.append(decodeLine(line, ids.isEmpty()));
    }
    return ids;
}

PkMatchResult PkFileReader::matchFolder(const QString &folderPath, const QList<QString> &ids) const
{
    PkMatchResult result;
    QStringList names;
    // An empty path would list the working directory, which no user chose.
    if (!folderPath.isEmpty())
        names = PkFolderLister::fileNames(folderPath);
    qsizetype longestName = 0;
    for (const QString &name : std::as_const(names))
        longestName = std::max(longestName, name.size());

    PkIdMatcher matcher(ids, longestName);
    for (const QString &name : std::as_const(names)) {
        if (matcher.record(name))
            result.files.append(name);
    }
    result.idsNotFound = matcher.unseenIds();
    return result;
}

QList<QString> PkFileReader::findFilesToCopy(QString folderPath, QList<QString> ids) const
{
    return matchFolder(folderPath, ids).files;
}

bool PkFileReader::folderExists(QString path) const
{
    return QDir(path).exists();
}

void PkFileReader::on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath)
{
    if (filePath.isEmpty())
        return;
    const QString outputPath = filePath + QLatin1Char('/') + outputFolderName();
    if (!QDir(outputPath).exists())
        QDir().mkdir(outputPath);

    QThread *thread = QThread::currentThread();
    int copied = 0;
    for (const QString &name : std::as_const(listOfFilesToCopy)) {
        // Checked between files only: a file is either copied whole or not begun.
        if (thread->isInterruptionRequested())
            return;
        if (!isPlainName(name))
            continue;
        if (copyWithoutOverwrite(filePath + QLatin1Char('/') + name, outputPath + QLatin1Char('/') + name))
            emit copyStatusSignal(++copied);
    }
}
