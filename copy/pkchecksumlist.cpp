// SPDX-License-Identifier: MIT

#include "pkchecksumlist.h"

#include <QFile>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PkChecksumList::~PkChecksumList()
{
    if (fd != -1)
        ::close(fd);
}

QString PkChecksumList::open(const QString &outputPath)
{
    const QByteArray path = QFile::encodeName(outputPath + QLatin1Char('/') + fileName());
    // O_NONBLOCK: a FIFO of that name must refuse, not hold the run.
    fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    const int error = errno;
    struct stat status;
    if (fd != -1 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode))
        return QString();
    const bool opened = fd != -1;
    if (opened)
        ::close(std::exchange(fd, -1));
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
    struct stat before;
    if (::fstat(fd, &before) != 0)
        return errno;
    const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
    if (written == line.size())
        return 0;
    const int error = written < 0 ? errno : ENOSPC;
    if (::ftruncate(fd, before.st_size) != 0) {
        // Nothing more can be done: the line stays cut.
    }
    return error;
}
