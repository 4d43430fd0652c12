// SPDX-License-Identifier: MIT

#include "pkoutputlock.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens the lock file, creating it where it is missing; never through a
// link, and only a regular file. O_NONBLOCK: a FIFO of that name must not
// hold the run.
int openLock(int folder, bool create, int *error)
{
    const QByteArray name = QFile::encodeName(PkOutputLock::fileName());
    const int fd = ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    *error = errno;
    struct stat status;
    if (fd == -1 || (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)))
        return fd;
    ::close(fd);
    *error = EISDIR;
    return -1;
}

} // namespace

QString PkOutputLock::take(int folder)
{
    int error = 0;
    lock.reset(openLock(folder, true, &error));
    if (!lock.isOpen()) {
        return error == ELOOP || error == EISDIR || error == ENXIO
            ? QStringLiteral("the lock file is not a file")
            : QStringLiteral("cannot lock: ") + qt_error_string(error);
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) == 0)
        return QString();
    error = errno;
    lock.reset();
    return error == EWOULDBLOCK ? inUseText() : QStringLiteral("cannot lock: ") + qt_error_string(error);
}

bool PkOutputLock::inUse(const QString &outputPath)
{
    const PkFileDescriptor folder(
        ::open(QFile::encodeName(outputPath).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int error = 0;
    const PkFileDescriptor file(folder.isOpen() ? openLock(folder.get(), false, &error) : -1);
    return file.isOpen() && ::flock(file.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

QList<QString> PkOutputLock::removeLeftovers(const QString &outputPath)
{
    // The names mkostemp gives: the prefix and six letters or digits.
    static const QRegularExpression temporary(QStringLiteral("^\\.pickwell-[A-Za-z0-9]{6}$"));
    QList<QString> removed;
    QDirIterator it(outputPath, {QStringLiteral(".pickwell-*")}, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file = it.nextFileInfo();
        if (!file.isSymLink() && temporary.match(file.fileName()).hasMatch() && QFile::remove(file.filePath()))
            removed << file.filePath().sliced(outputPath.size() + 1);
    }
    return removed;
}
