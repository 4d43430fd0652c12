// SPDX-License-Identifier: MIT

#include "pwsavedfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int PwSavedFile::makeTemporary(int folder, const QByteArray &name, mode_t mode, QByteArray *temporary)
{
    for (int tries = 0; tries < 16; ++tries) {
        *temporary = '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::openat(folder, temporary->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Qt's files take a write that the drive cut short for a whole one, and
// QSaveFile then names a truncated file: each write is checked here. A
// network drive may say only when flushed, or closed, that the bytes did
// not fit.
int PwSavedFile::writeOut(int fd, const QByteArray &bytes)
{
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno != EINTR)
            error = errno;
        done += written > 0 ? written : 0;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

QString PwSavedFile::write(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const int folder = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return qt_error_string(errno);
    const QByteArray name = QFile::encodeName(info.fileName());
    QByteArray temporary;
    const int fd = makeTemporary(folder, name, 0666, &temporary);
    int error = fd < 0 ? errno : writeOut(fd, bytes);
    if (error == 0 && ::renameat(folder, temporary.constData(), folder, name.constData()) != 0)
        error = errno;
    if (error != 0 && fd >= 0)
        ::unlinkat(folder, temporary.constData(), 0);
    ::close(folder);
    return error == 0 ? QString() : qt_error_string(error);
}
