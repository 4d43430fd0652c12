// SPDX-License-Identifier: MIT

#ifndef PKRUNDESTINATION_H
#define PKRUNDESTINATION_H

#include <QList>
#include <QString>

#include "pkchecksumlist.h"
#include "pkfilecopier.h"
#include "pkfiledescriptor.h"
#include "pkoutputlock.h"

#include <sys/stat.h>

// One folder a run copies into: its output folder, opened once and locked
// for the run, the checksum list beside the copies, its own copier, and what
// became of the run there. A run with a backup has one of these for each
// drive, so that a drive that fails ends only its own copies.
class PkRunDestination
{
public:
    // The output folder goes into folder. The main destination is the one
    // the run is about; the others are backups, told apart in what is said.
    PkRunDestination(const QString &folder, bool main, bool resume, bool verify);

    // Makes the output folder, or opens the one that is there, never through
    // a link. Returns why it cannot, empty when it is open; a full drive is
    // told apart through end.
    QString openFolder(PkFileCopier::RunEnd &end);
    // Takes the folder's lock, removes what runs that were ended mid-file
    // left in it (their paths below the output folder go into removed) and
    // opens the checksum list. Returns why the run cannot write here.
    QString prepare(QList<QString> &removed);

    // Copies the picture name, a path below the picture folder pictures, to
    // the same place below the output folder, or with flat to its top.
    PkFileCopier::Result copy(const QString &pictures, const QString &name, bool flat);
    // Lists a copy's hash; 0 or the errno of the failed write (EINVAL: a
    // name no line can hold).
    int list(const QString &name, bool flat, const QByteArray &hash) { return checksums.add(copyName(name, flat), hash); }
    // Ends the run here, with why in words for the user, or none where
    // there is nothing to say (nothing to copy).
    void stop(const QString &why = QString())
    {
        stopped = why;
        active = false;
    }
    bool isActive() const { return active; }

    // The name a copy of name gets below the output folder.
    static QString copyName(const QString &name, bool flat);

    QString folder;
    bool main;
    QString outputPath;
    PkFileCopier copier;
    int copied = 0;
    int failed = 0;
    int alreadyThere = 0;
    QString stopped; // why the run ended here early, if it did
    QList<QString> waiting; // the names whose copies wait to be read back, in order

private:
    bool active = true;
    PkFileDescriptor output;
    struct stat opened {}; // the output folder as it was opened
    QString subfolderName; // the sub-folder of the output folder that the last copy went into
    PkFileDescriptor subfolder;
    PkOutputLock lock;
    PkChecksumList checksums;
};

#endif // PKRUNDESTINATION_H
