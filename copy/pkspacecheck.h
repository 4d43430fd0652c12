// SPDX-License-Identifier: MIT

#ifndef PKSPACECHECK_H
#define PKSPACECHECK_H

#include <QHash>
#include <QList>
#include <QString>

// Whether a run's copies fit on the destination's drive, told before the run
// rather than found file by file: a full drive would otherwise fail every
// file that comes after it.
class PkSpaceCheck
{
public:
    // "Needs 2.3 GB, 1.1 GB free on this drive" when the files of
    // picturesFolder named in files cannot fit beside the output folder in
    // destination; empty when they fit or when that cannot be told (no
    // figures from the file system, or copies that may share the pictures'
    // blocks). With resume, the files already in the output folder cost nothing.
    // Sizes are taken from sizes where it has them, so that a change of the
    // files to copy costs no round trip a file on a share.
    static QString shortfall(const QString &picturesFolder, const QList<QString> &files,
                             const QString &destination, bool resume, const QHash<QString, qint64> &sizes = {});
    // The sizes of the regular files (or links to one) among files; others
    // are left out.
    static QHash<QString, qint64> sizes(const QString &picturesFolder, const QList<QString> &files);

    // The sentence for needed and free bytes: the need rounded up, the free
    // space rounded down, so that the figures never read as if they fit.
    static QString sentence(qint64 needed, qint64 free);
    // A size as the user reads it: "512 bytes", "4.1 kB", "2.3 GB".
    static QString amount(qint64 bytes, bool roundUp);
    // What size bytes take on a file system that allocates whole blocks.
    static qint64 onDisk(qint64 bytes, qint64 blockSize);
    // Copy-on-write file systems (btrfs, XFS) may copy within themselves
    // without new blocks, so their free space says nothing about a copy.
    static bool mayShareBlocks(bool oneDevice, unsigned long fileSystemType);
    // Whether both paths are on one file system; false when either is not there.
    static bool sameDevice(const QString &a, const QString &b);
};

#endif // PKSPACECHECK_H
