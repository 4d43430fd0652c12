// SPDX-License-Identifier: MIT

#ifndef PKNEARMATCHER_H
#define PKNEARMATCHER_H

#include "pkselectionmatcher.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
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

    // Looks for ids in names handed to scan one at a time, in any order.
    PkNearMatcher(const QList<QString> &ids, PkMatchOptions options, qsizetype longestName);
    ~PkNearMatcher();

    void scan(const QString &name, qsizetype position);

    // Marks the positions of the names that any try found, as scanned.
    void markFound(std::vector<bool> &positions) const;

    // One result for each of the ids. names is the listing: the name scanned
    // at position n stands at n, or, with order, at the p where order[p] is n;
    // with order, names may leave out every name that no try found.
    std::vector<Found> found(const QStringList &names, const std::vector<qint32> &order = {});

    // One result for each of ids, none of which selected anything as written.
    static std::vector<Found> find(const QStringList &names, const QList<QString> &ids, PkMatchOptions options);

private:
    class Tries;
    qsizetype idCount;
    std::unique_ptr<Tries> tries;
};

#endif // PKNEARMATCHER_H
