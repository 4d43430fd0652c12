// SPDX-License-Identifier: MIT

#include "pwsavedfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Qt's files take a write that the drive cut short for a whole one, and
// QSaveFile then names a truncated file: each write is checked here.
int writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno != EINTR)
            return errno;
        done += written > 0 ? written : 0;
    }
    return 0;
}

// A hidden name of its own beside path, created with the mode a new file
// of path's would get; returns the open file or -1 with errno set.
int makeTemporary(const QString &path, QByteArray &temporary)
{
    const QFileInfo info(path);
    const QByteArray stem = QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName()) + '.';
    for (int tries = 0; tries < 16; ++tries) {
        temporary = stem + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

QString PwSavedFile::write(const QString &path, const QByteArray &bytes)
{
    QByteArray temporary;
    const int fd = makeTemporary(path, temporary);
    if (fd < 0)
        return qt_error_string(errno);
    int error = writeAll(fd, bytes);
    // A network drive may say only now that the bytes did not fit.
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error == 0 ? QString() : qt_error_string(error);
}
