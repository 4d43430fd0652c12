// SPDX-License-Identifier: MIT

#ifndef PKNEARMATCHER_H
#define PKNEARMATCHER_H

#include "pkselectionmatcher.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Looks again for identifiers that selected no file as written, more loosely
// each time; the first try that finds anything decides: ignoring case, then
// their picture without an edit or copy marker, then their number alone.
// Clients retype, rename and export in lower case; these tries find what
// they meant without touching any identifier that already selects files.
class PkNearMatcher
{
public:
    // What a try found for one identifier: the pictures, in listing order,
    // and, when it found exactly one, the files to select (their positions in
    // the listing, ascending).
    struct Found
    {
        std::vector<int> pictures;
        std::vector<qsizetype> files;
    };

    PkNearMatcher(const QStringList &names, PkMatchOptions options);

    // One result for each of ids, none of which selected anything.
    std::vector<Found> find(const QList<QString> &ids);

    // A picture as the folder spells it (its first file's name without up to
    // two extensions).
    const QString &picture(int index) const { return pictures.at(index); }

private:
    enum class Kind { Substring, Picture, Number };
    Kind kindOf(const QString &id) const;
    void indexPictures();
    void indexNumbers();
    void findIgnoringCase(const QList<QString> &ids, std::vector<Found> &found);
    void findWithoutMarker(const QList<QString> &ids, std::vector<Found> &found);
    void findByNumber(const QList<QString> &ids, std::vector<Found> &found);
    void selectPictures(std::vector<int> pictures, Found &found) const;

    const QStringList &names;
    PkMatchOptions options;
    QList<QString> pictures;
    std::vector<int> namePicture;                  // per name: its picture
    std::vector<std::vector<qsizetype>> pictureFiles;
    QHash<QString, std::vector<int>> foldedPictures;  // case-folded picture -> pictures
    QHash<QString, std::vector<int>> numberPictures;  // number without leading zeros -> pictures
    bool numbersIndexed = false;
};

#endif // PKNEARMATCHER_H
