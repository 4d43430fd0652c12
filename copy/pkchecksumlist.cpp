// SPDX-License-Identifier: MIT

#include "pkchecksumlist.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString PkChecksumList::open(int folder)
{
    const QByteArray name = QFile::encodeName(fileName());
    // O_NONBLOCK: a FIFO of that name must refuse, not hold the run.
    list.reset(::openat(folder, name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                        0644));
    const int error = errno;
    struct stat status;
    const bool opened = list.isOpen();
    if (opened && ::fstat(list.get(), &status) == 0 && S_ISREG(status.st_mode)) {
        length = status.st_size;
        return QString();
    }
    list.reset();
    if (!opened && error == ELOOP)
        return QStringLiteral("the checksum list is a link");
    if (opened || error == EISDIR || error == ENXIO)
        return QStringLiteral("the checksum list is not a file");
    return cannotWrite();
}

int PkChecksumList::add(const QString &relativeName, const QByteArray &hex)
{
    if (relativeName.contains(QLatin1Char('\n')) || relativeName.contains(QLatin1Char('\r')))
        return EINVAL;
    const QByteArray line = "XXH128 (" + QFile::encodeName(relativeName) + ") = " + hex + '\n';
    // One write with O_APPEND puts the line at the end whole or fails; a
    // short write means the drive filled up mid-line, which is cut off again.
    // The lock keeps every other run from appending meanwhile.
    const ssize_t written = ::write(list.get(), line.constData(), size_t(line.size()));
    if (written == line.size()) {
        length += written;
        return 0;
    }
    const int error = written < 0 ? errno : ENOSPC;
    // Where even that fails, nothing more can be done: the line stays cut.
    [[maybe_unused]] const int cut = ::ftruncate(list.get(), length);
    return error;
}
