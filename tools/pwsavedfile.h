// SPDX-License-Identifier: MIT

#ifndef PWSAVEDFILE_H
#define PWSAVEDFILE_H

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Writes a file the user asked for whole or not at all: the bytes go to a
// hidden temporary beside it, which takes its name only once every byte is
// on the drive. A full drive or a path that cannot be a file then leaves an
// earlier file of that name as it was, and no part of the new one.
class PwSavedFile
{
public:
    // The system's reason why path could not be written, or an empty string.
    static QString write(const QString &path, const QByteArray &bytes);

    // The steps before the rename, for writers with rules of their own about
    // which file a temporary may take the place of.
    // A hidden temporary beside name in folder (an open folder), ".NAME."
    // and letters, of mode less the umask: the open file, or -1 with errno
    // set. Its name goes into temporary.
    static int makeTemporary(int folder, const QByteArray &name, mode_t mode, QByteArray *temporary);
    // bytes written to fd whole and flushed to the drive, and fd closed:
    // 0, or the system's error.
    static int writeOut(int fd, const QByteArray &bytes);
};

#endif // PWSAVEDFILE_H
