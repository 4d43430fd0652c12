// SPDX-License-Identifier: MIT

#ifndef PKSELECTIONMATCHER_H
#define PKSELECTIONMATCHER_H

#include "pkfolderlister.h"
#include "pklinepieces.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// How identifiers are compared with file names. All are off by default, as
// the file reader wants it: then an identifier selects every name that
// contains it, case-sensitively. The window and the command line turn on
// withoutExtensions and nearMatches unless the user chose otherwise.
struct PkMatchOptions
{
    // An identifier with an extension selects the files of its picture: those
    // whose pictureOf equals withoutExtension of the identifier. Identifiers
    // without one still select every name that contains them.
    bool withoutExtensions = false;
    // An identifier of digits only selects a name where that number stands as
    // a whole run of digits, leading zeros aside: "412" selects "IMG_0412.jpg"
    // but not "IMG_1412.jpg".
    bool wholeNumbers = false;
    // An identifier that selects nothing as it stands is tried again, more
    // loosely (case, an edit or copy marker, its number alone); it then
    // selects the files of the one picture such a try finds.
    bool nearMatches = false;
    // Whether the picture folder's sub-folders are matched too, as one
    // folder with its own: never; only when the folder's own files answer no
    // identifier at all, so that a job is never answered half from the folder
    // and half from a sub-folder of rejects; or always.
    enum class Subfolders { Never, WhenNoneHere, Always };
    Subfolders subfolders = Subfolders::Never;
    // Whether two files of one picture name in different folders, as paths
    // relative to the picture folder, are one shot (an export or a raw kept
    // apart from its JPEG); asked only for pictures that one identifier
    // selects in several folders. Without it they are two pictures.
    std::function<bool(const QString &a, const QString &b)> oneShot = {};
};

// An identifier that selected files of more than one picture, with those
// pictures in the folder's listing order.
struct PkAmbiguousId
{
    QString id;
    QList<QString> pictures;
    // Whether the identifier selected them as written, so that its files are
    // held until the user answers, rather than by a near try, which selects
    // no file of them at all.
    bool asWritten = false;

    bool operator==(const PkAmbiguousId &other) const
    {
        return id == other.id && pictures == other.pictures && asWritten == other.asWritten;
    }
};

// An identifier that selected nothing as written but the files of one
// picture by a looser comparison.
struct PkNearMatch
{
    QString id;
    QString picture;

    bool operator==(const PkNearMatch &other) const { return id == other.id && picture == other.picture; }
};

// What matching a folder against a selection list found.
struct PkMatchResult
{
    // The files to copy, in listing order.
    QList<QString> files;
    // For each of files, the position in the identifier list of the first
    // identifier, in list order, that selects it.
    QList<qsizetype> fileIds;
    // For each of files, whether only identifiers ambiguous as written select
    // it: such a file waits for the user's answer. Missing entries are false.
    QList<bool> held;
    // The identifiers that named no file, as written, each once, in list order.
    QList<QString> idsNotFound;
    // The identifiers that selected more than one picture, each once, in list order.
    QList<PkAmbiguousId> ambiguous;
    // The identifiers found only by a near match, each once, in list order.
    QList<PkNearMatch> near;
    // Lines of the list that read as text rather than identifiers (a
    // greeting, a signature): they selected nothing and are not counted.
    QList<QString> textLines;
    // How many identifiers the list holds once text lines are left out.
    qsizetype idCount = 0;
    // The identifiers that fileIds refer to: the list's, with ranges and
    // sentences read as the numbers and names they stand for.
    QList<QString> ids;
    // Ranges read as their numbers where some of them no file holds.
    QList<PkRangeRead> ranges;
    // Lines read as sentences, with the picks matched in their place.
    QList<PkProseRead> prose;
    // Where sub-folders were matched, how many; files are then named by
    // their paths relative to the picture folder ("CardA/IMG_0001.JPG").
    int subfolders = 0;
    // Where they were not, how many of idsNotFound would select files in them.
    qsizetype inSubfolders = 0;
    // Sub-folders that could not be walked whole, each with its reason.
    QList<QString> unreadable;
    // Names that are not UTF-8, never matched, for the user to rename.
    QList<QString> notUtf8;

    bool isHeld(qsizetype file) const { return held.value(file); }
};

// Matches a picture folder's file names against a selection list as the
// options say, with composed and decomposed Unicode spellings taken as equal.
class PkSelectionMatcher
{
public:
    static PkMatchResult matchFolder(const QString &folderPath, const QList<QString> &ids,
                                     PkMatchOptions options = {});
    static PkMatchResult matchNames(const QStringList &names, const QList<QString> &ids,
                                    PkMatchOptions options = {});
    // The folder's own files only, whatever options.subfolders says; others,
    // when given, receives what the listing passed over.
    static PkMatchResult matchOwnFiles(const QString &folderPath, const QList<QString> &ids, PkMatchOptions options,
                                       PkFolderLister::Others *others = nullptr);
    // Names handed over in batches, from any thread, by listed, which
    // returns how many of the first it hands over come ahead of the rest; a
    // name may be a path, of which only the last part is matched.
    // Near tries are made as the names arrive, at the cost of making them for
    // every identifier, or once it is known which select nothing.
    using Listing = std::function<qsizetype(const PkFolderLister::Batch &batch)>;
    enum class NearTries { WhileListing, Afterwards };
    static PkMatchResult matchListed(const Listing &listed, const QList<QString> &ids, PkMatchOptions options,
                                     NearTries near = NearTries::WhileListing);

    // id without its last extension: a dot and 1 to 5 ASCII letters or digits
    // at its end, at least one of them a letter ("IMG_1.CR2" -> "IMG_1", but
    // "v1.2" stays). Leading dots start no extension, so ".jpg" stays as it is.
    static QString withoutExtension(const QString &id);

    // The picture a file belongs to: its name without up to two extensions,
    // so that "IMG_1.JPG", "IMG_1.CR2" and "IMG_1.CR2.xmp" are one picture.
    static QString pictureOf(const QString &fileName);
};

#endif // PKSELECTIONMATCHER_H
