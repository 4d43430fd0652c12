// SPDX-License-Identifier: MIT

#ifndef PKFOLDERLISTING_H
#define PKFOLDERLISTING_H

#include "pkcollected.h"
#include "pkfolderlister.h"
#include "pkidgroups.h"
#include "pknearmatcher.h"
#include "pkselectionmatcher.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// What listing a folder found: the names that something selected or a near
// try found, in listing order, and what selected them.
struct PkFolderListing
{
    QStringList sorted;
    std::vector<qint32> order; // where each of sorted was collected
    PkCollected collected;
    std::optional<PkIdGroups> groups;
    std::optional<PkNearMatcher> near; // set when nearTexts were given
    // When set, near tries are made once the names are all in, for the texts
    // this gives from which of the ids selected nothing as written, rather
    // than for nearTexts as the names arrive.
    std::function<QList<QString>(const std::vector<bool> &unfound)> nearLater;

    // Takes the names that produce hands over, those it says come ahead
    // first in sorted, matching ids as written and looking for nearTexts by
    // near tries while the names arrive. A name may be a path: only its last
    // part is matched.
    void list(const PkSelectionMatcher::Listing &produce, const QList<QString> &ids,
              const QList<QString> &nearTexts, const std::vector<int> &wholeNumbers, PkMatchOptions options);

private:
    void scanNear(const std::deque<PkFolderLister::Names> &batches, qsizetype idCount, PkMatchOptions options);
};

#endif // PKFOLDERLISTING_H
