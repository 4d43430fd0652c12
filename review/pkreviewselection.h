// SPDX-License-Identifier: MIT

#ifndef PKREVIEWSELECTION_H
#define PKREVIEWSELECTION_H

#include <QHash>
#include <QList>
#include <QString>

#include "pkselectionmatcher.h"

// What the review shows: the files a match selected, each under the first
// identifier in list order that selects it.
struct PkReviewSelection
{
    QString folder;
    QList<QString> ids;
    QList<QString> files;
    // Per file, the index in ids of the first identifier that selects it.
    QList<qsizetype> fileIds;
    // Identifiers that select files of more than one picture, with those pictures.
    QHash<QString, QList<QString>> ambiguous;
    QList<QString> idsNotFound;
    // Identifiers found only by a looser comparison, with the picture each found.
    QHash<QString, QString> near;
    // Example pictures chosen as the list: how each found its picture.
    QHash<QString, QString> how = {};
    // Example pictures chosen as the list: per identifier, the example's
    // own path, which lies outside the folder. Empty for a list.
    QList<QString> examples = {};
    // Per file, whether only identifiers ambiguous as written select it, so
    // that it waits for the user's answer. Missing entries are false.
    QList<bool> held = {};
    // Files shown unticked, and so left out until the user ticks them: the
    // pictures an ambiguous example may show, of which the user picks one.
    QList<QString> unticked = {};

    // The same job: a new match of it keeps what the user ticked.
    bool isSameJob(const PkReviewSelection &other) const
    {
        return folder == other.folder && ids == other.ids && files == other.files;
    }

    static PkReviewSelection fromMatch(const QString &folder, const QList<QString> &ids, const PkMatchResult &match)
    {
        PkReviewSelection selection{folder, ids, match.files, match.fileIds, {}, match.idsNotFound, {}};
        for (const PkAmbiguousId &ambiguous : match.ambiguous)
            selection.ambiguous.insert(ambiguous.id, ambiguous.pictures);
        for (const PkNearMatch &near : match.near)
            selection.near.insert(near.id, near.picture);
        selection.held = match.held;
        return selection;
    }
};

#endif // PKREVIEWSELECTION_H
