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

    // Lists the folder once, matching ids as written and looking for
    // nearTexts by near tries while the names arrive.
    void list(const QString &folderPath, const QList<QString> &ids, const QList<QString> &nearTexts,
              const std::vector<int> &wholeNumbers, PkMatchOptions options,
              PkFolderLister::Others *others = nullptr);
};

#endif // PKFOLDERLISTING_H
