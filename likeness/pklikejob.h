// SPDX-License-Identifier: MIT

#ifndef PKLIKEJOB_H
#define PKLIKEJOB_H

#include "pkselectionmatcher.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class PkHashCache;

// An example and the picture it found.
struct PkLikeFinding
{
    QString example;
    QString picture;
    bool byContent = false;
    bool contentDiffers = false; // found by capture time, but looks different
};

// What matching example pictures against a folder found. match names the
// examples as its identifiers, so that it is reported and copied as a
// list's match is.
struct PkLikeResult
{
    PkMatchResult match;
    QList<QString> ids; // the examples that are pictures, as match counts them
    QList<QString> paths; // per id, the example's absolute path
    QList<PkLikeFinding> found; // in example order
    // The files of the pictures an ambiguous example may show that no
    // example found, each under the first such example, in listing order:
    // not in match, so nothing is copied until the user chooses among them.
    QList<QString> choices;
    QList<qsizetype> choiceIds;
    QList<std::pair<QString, QString>> notPictures; // example, why
    int byTime = 0;
    int byContent = 0;
    bool cancelled = false;

    // Each example found and its picture, as a report names them.
    QList<PkNearMatch> foundPictures() const
    {
        QList<PkNearMatch> pictures;
        for (const PkLikeFinding &finding : found)
            pictures.append({finding.example, finding.picture});
        return pictures;
    }
};

// Finds the pictures of a folder that example pictures show, reading
// metadata first and decoding only what the metadata leaves open. Blocks
// the calling thread, which must not be the GUI's.
class PkLikeJob
{
public:
    // done of total steps; called from worker threads.
    using Progress = std::function<void(int done, int total)>;

    struct Options
    {
        PkHashCache *cache = nullptr;
        Progress progress;
        const std::atomic_bool *cancel = nullptr;
        const void *owner = nullptr; // for the decoder pool's cancel()
        // Where the pictures are looked for: as for a list, sub-folders only
        // where the folder itself holds no picture, never, or always.
        PkMatchOptions::Subfolders subfolders = PkMatchOptions::Subfolders::Never;
    };

    // examples: their paths; each is named by its path relative to base
    // (its file name where base is empty).
    static PkLikeResult run(const QStringList &examples, const QString &base, const QString &folder,
                            const Options &options);
    // The files below dir and its sub-folders, hidden ones aside, sorted.
    static QStringList examplesIn(const QString &dir);
    // Whether dir is folder or lies inside it, links resolved.
    static bool isWithin(const QString &dir, const QString &folder);
};

#endif // PKLIKEJOB_H
