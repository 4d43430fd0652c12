// SPDX-License-Identifier: MIT

#ifndef PKMARKJOB_H
#define PKMARKJOB_H

#include "pksidecarplan.h"
#include "pksidecarwriter.h"

#include <QList>
#include <QString>

// Marks the picks in their sidecars, or takes the mark off again: plans the
// sidecars, refuses the whole job where a folder cannot be written, and
// gathers what became of each sidecar.
class PkMarkJob
{
public:
    struct Report
    {
        int changed = 0;
        int created = 0;
        int unchanged = 0; // marked already, or not marked where the mark is taken off
        // Each sidecar left as it is: "IMG_2403.xmp: not XMP; left as it is".
        QList<QString> problems;
        // Sidecars that several raw files of one name share, written once:
        // "IMG_2403.xmp: one sidecar for IMG_2403.CR2 and IMG_2403.DNG".
        QList<QString> shared;
        // Each sidecar changed or created (or that would be), in order.
        QList<PkSidecarTarget> marked;
        // Why nothing was written at all, where a folder refuses.
        QString refusal;
    };

    static Report run(const PkSidecarWriter &writer, const QList<QString> &files, const PkXmpPacket::Edit &edit,
                      bool dryRun);

    // The sidecars the job created, for the files to copy.
    static QList<PkSidecarTarget> created(const Report &report);
};

#endif // PKMARKJOB_H
