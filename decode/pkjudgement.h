// SPDX-License-Identifier: MIT

#ifndef PKJUDGEMENT_H
#define PKJUDGEMENT_H

#include "pkxmppacket.h"

#include <QStringList>

// What the photographer said of a picture: its rating and colour label, read
// in the decoder helpers beside its thumbnail. They come from the newest of
// its sidecars, as catalogues write them there; a JPEG, DNG or TIFF without
// a sidecar may carry them in its own XMP.
class PkJudgement
{
public:
    // path: the file whose thumbnail is made; sidecars: its picture's.
    static PkXmpPacket::Judgement read(const QString &path, const QStringList &sidecars);

    // The newest of sidecars that is a regular file small enough to be one.
    static QString newest(const QStringList &sidecars);
};

#endif // PKJUDGEMENT_H
