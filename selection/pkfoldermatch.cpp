// SPDX-License-Identifier: MIT

#include "pkfoldertree.h"
#include "pkselectionmatcher.h"

#include <QSet>

#include <algorithm>

namespace {

using Subfolders = PkMatchOptions::Subfolders;

// Whether the folder's own files answered nothing at all: no identifier
// selected a file, as written or by a near try, nor several pictures.
bool answeredNothing(const PkMatchResult &result)
{
    return result.files.isEmpty() && result.ambiguous.isEmpty();
}

// How many of the identifiers that the folder's own files left unanswered
// the sub-folders' files would answer.
qsizetype answeredThere(const QStringList &names, const QList<QString> &unanswered, PkMatchOptions options)
{
    if (names.isEmpty() || unanswered.isEmpty())
        return 0;
    const PkMatchResult there = PkSelectionMatcher::matchNames(names, unanswered, options);
    const QSet<QString> still(there.idsNotFound.cbegin(), there.idsNotFound.cend());
    return std::count_if(unanswered.cbegin(), unanswered.cend(), [&](const QString &id) { return !still.contains(id); });
}

} // namespace

// The folder's own files are matched as they always were; the tree is walked
// only where it can change what the user is told.
PkMatchResult PkSelectionMatcher::matchFolder(const QString &folderPath, const QList<QString> &ids,
                                              PkMatchOptions options)
{
    PkFolderLister::Others others;
    QStringList own;
    PkMatchResult result;
    if (options.subfolders == Subfolders::Always)
        own = PkFolderLister::fileNames(folderPath, nullptr, &others);
    else
        result = matchOwnFiles(folderPath, ids, options, &others);
    QList<QString> notUtf8;
    for (const std::string &name : others.notUtf8)
        notUtf8.append(PkFolderTree::readable(QByteArrayView(name.data(), qsizetype(name.size()))));

    const bool wholeTree = options.subfolders == Subfolders::Always
                        || (options.subfolders == Subfolders::WhenNoneHere && answeredNothing(result));
    PkFolderTree::Walk walk;
    if (wholeTree || !result.idsNotFound.isEmpty())
        walk = PkFolderTree::walk(folderPath, others.folders);
    if (wholeTree && (options.subfolders == Subfolders::Always || !walk.names.isEmpty())) {
        // Where the folder's own files answered nothing, they can add nothing
        // to what the sub-folders answer.
        result = matchNames(own + walk.names, ids, options);
        result.subfolders = walk.folders;
    } else {
        result.inSubfolders = answeredThere(walk.names, result.idsNotFound, options);
    }
    result.unreadable = walk.problems;
    result.notUtf8 = notUtf8 + walk.notUtf8;
    return result;
}
