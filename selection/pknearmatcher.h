// SPDX-License-Identifier: MIT

#ifndef PKNEARMATCHER_H
#define PKNEARMATCHER_H

#include "pkselectionmatcher.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Looks again for identifiers that selected no file as written, more loosely
// each time; the first try that finds anything decides: ignoring case, then
// their picture without an edit or copy marker, then their number alone.
// Clients retype, rename and export in lower case; these tries find what
// they meant without touching any identifier that already selects files.
// All tries share one pass over the names, which costs about as much as the
// first match did.
class PkNearMatcher
{
public:
    // What the deciding try found for one identifier: the pictures, in
    // listing order, and, when it found exactly one, the files to select
    // (their positions in the listing, ascending).
    struct Found
    {
        QList<QString> pictures;
        std::vector<qsizetype> files;
    };

    // One result for each of ids, none of which selected anything as written.
    static std::vector<Found> find(const QStringList &names, const QList<QString> &ids, PkMatchOptions options);
};

#endif // PKNEARMATCHER_H
