// SPDX-License-Identifier: MIT

#include "pkfoldertree.h"
#include "pkselectionmatcher.h"

#include <QSet>

#include <algorithm>
#include <atomic>

namespace {

using Subfolders = PkMatchOptions::Subfolders;

// Whether the folder's own files answered nothing at all: no identifier
// selected a picture's file, as written or by a near try, nor several
// pictures. Sidecars alone are no picture, as they are in sub-folders.
bool answeredNothing(const PkMatchResult &result)
{
    return result.ambiguous.isEmpty() && std::all_of(result.files.cbegin(), result.files.cend(), [](const QString &file) {
        return PkFolderTree::isSidecar(file.toStdString());
    });
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

// Matched as one folder, the tree's names are matched as they are read, as
// one folder's are: the folder's own files first when they are asked for too.
// Near tries wait for the end: where cameras share numbers, each number
// stands in many folders.
PkMatchResult matchTree(const QString &folderPath, const QList<QString> &ids, PkMatchOptions options, bool withOwn,
                        PkFolderLister::Others &others, PkFolderTree::Walk &walk, bool &anyName)
{
    std::atomic<bool> named{false};
    PkMatchResult result = PkSelectionMatcher::matchListed([&](const PkFolderLister::Batch &batch) {
        qsizetype own = 0;
        if (withOwn && !folderPath.isEmpty()) {
            PkFolderLister::listInBatches(folderPath, [&](PkFolderLister::Names names) {
                own += names.size();
                batch(std::move(names));
            }, nullptr, &others);
        }
        walk = PkFolderTree::walk(folderPath, others.folders, 4, [&](PkFolderLister::Names names) {
            named = true;
            batch(std::move(names));
        });
        return own;
    }, ids, options, PkSelectionMatcher::NearTries::Afterwards);
    anyName = named;
    return result;
}

} // namespace

// The folder's own files are matched as they always were; the tree is walked
// only where it can change what the user is told.
PkMatchResult PkSelectionMatcher::matchFolder(const QString &folderPath, const QList<QString> &ids,
                                              PkMatchOptions options)
{
    const bool always = options.subfolders == Subfolders::Always;
    PkFolderLister::Others others;
    PkMatchResult result;
    if (!always)
        result = matchOwnFiles(folderPath, ids, options, &others);
    const bool wholeTree = always || (options.subfolders == Subfolders::WhenNoneHere && answeredNothing(result));
    PkFolderTree::Walk walk;
    bool treeNamed = false;
    if (wholeTree) {
        PkMatchResult tree = matchTree(folderPath, ids, options, always, others, walk, treeNamed);
        // Where the folder's own files answered nothing and no sub-folder
        // holds a file, what the user is told stays as it was.
        if (always || treeNamed) {
            result = std::move(tree);
            result.subfolders = walk.folders;
        }
    } else if (!result.idsNotFound.isEmpty()) {
        walk = PkFolderTree::walk(folderPath, others.folders);
        result.inSubfolders = answeredThere(walk.names, result.idsNotFound, options);
    }
    QList<QString> notUtf8;
    for (const std::string &name : others.notUtf8)
        notUtf8.append(PkFolderTree::readable(QByteArrayView(name.data(), qsizetype(name.size()))));
    result.unreadable = walk.problems;
    result.notUtf8 = notUtf8 + walk.notUtf8;
    return result;
}
