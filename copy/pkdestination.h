// SPDX-License-Identifier: MIT

#ifndef PKDESTINATION_H
#define PKDESTINATION_H

#include <QList>
#include <QString>

// Another folder than the picture folder to put a run's output folder in:
// for pictures on a write-protected card or a read-only share.
class PkDestination
{
public:
    // Why destination, named as the user gave it, can never take the copies
    // of the pictures in picturesFolder: "Cannot copy into destination: why";
    // empty when it can be used. That it may be refused like any picture
    // folder is PkFileReader's to say.
    static QString refusal(const QString &picturesFolder, const QString &destination);
    // Why also, a folder the copies go to as well, cannot be used beside the
    // destinations in taken (the first the one the copies go to anyway): the
    // same folder as one of them, inside one or holding one, so that two
    // runs' copies would mix. Named as refusal names it; empty when it can.
    static QString besides(const QString &also, const QList<QString> &taken);
};

#endif // PKDESTINATION_H
