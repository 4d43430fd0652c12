// SPDX-License-Identifier: MIT

#ifndef PKOUTPUTLOCK_H
#define PKOUTPUTLOCK_H

#include <QList>
#include <QString>

#include "pkfiledescriptor.h"

// The lock a run holds on its output folder while it writes there, so that
// two runs (two windows, a window and a script) never copy into one folder
// at once: on a card, two such runs could each find a name free and both
// take it. The lock is flock on a file of its own that is never deleted,
// so no run can lock a file that another is about to replace; a lock that
// nobody holds any more (a run that was killed) is simply taken.
class PkOutputLock
{
public:
    static QString fileName() { return QStringLiteral(".pickwell-lock"); }
    static QString inUseText() { return QStringLiteral("in use by another Pickwell"); }

    // Takes the lock of the output folder open at folder until this object
    // ends. Returns why it cannot, in words for the user, or an empty string.
    QString take(int folder);

    // Whether another run holds the lock of the output folder at outputPath
    // now; a folder without a lock file is not in use.
    static bool inUse(const QString &outputPath);

    // With the lock held, every hidden temporary in the output folder and
    // its sub-folders was left by a run that ended mid-file: removes them and
    // returns their paths below the output folder.
    static QList<QString> removeLeftovers(const QString &outputPath);

private:
    PkFileDescriptor lock;
};

#endif // PKOUTPUTLOCK_H
