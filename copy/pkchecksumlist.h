// SPDX-License-Identifier: MIT

#ifndef PKCHECKSUMLIST_H
#define PKCHECKSUMLIST_H

#include <QByteArray>
#include <QString>

#include "pkfiledescriptor.h"

// The list of the copies' hashes that a run keeps in its output folder, in
// the lines xxhsum --tag -H2 writes and checks, so that anyone can prove the
// copies later with a tool of their own. Lines are appended whole, one write
// each: a run that ends at any point leaves only complete lines, and a run
// that is finished later goes on with the same list.
class PkChecksumList
{
public:
    static QString fileName() { return QStringLiteral(".pickwell-checksums.xxh128"); }

    // Opens the list in the output folder open at folder, creating it where it is missing; never
    // through a link, and only a regular file. Returns why it cannot be
    // written, in words for the user, or an empty string.
    QString open(int folder);
    static QString cannotWrite() { return QStringLiteral("checksums cannot be written"); }

    // Appends the line of relativeName (a path below the output folder).
    // Returns 0, or the errno of the failed write; EINVAL where the name
    // holds a line break, which no line of the list can hold.
    int add(const QString &relativeName, const QByteArray &hex);

private:
    PkFileDescriptor list;
    // Where the list ends: where a line cut short is cut back to.
    qint64 length = 0;
};

#endif // PKCHECKSUMLIST_H
