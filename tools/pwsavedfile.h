// SPDX-License-Identifier: MIT

#ifndef PWSAVEDFILE_H
#define PWSAVEDFILE_H

#include <QByteArray>
#include <QString>

// Writes a file the user asked for whole or not at all: the bytes go to a
// hidden temporary beside it, which takes its name only once every byte is
// on the drive. A full drive or a path that cannot be a file then leaves an
// earlier file of that name as it was, and no part of the new one.
class PwSavedFile
{
public:
    // The system's reason why path could not be written, or an empty string.
    static QString write(const QString &path, const QByteArray &bytes);
};

#endif // PWSAVEDFILE_H
