// SPDX-License-Identifier: MIT

#ifndef PKMATCHREPORT_H
#define PKMATCHREPORT_H

#include <QByteArray>
#include <QList>
#include <QString>

#include "pkfoldertree.h"

struct PkMatchResult;

// What the command line prints of a match: the summary line, then one line
// per identifier that needs a look (not found, a range's gaps, a sentence's
// picks, near, ambiguous, text), and,
// for a dry run, the paths of the files that would be copied.
class PkMatchReport
{
public:
    // An ambiguous line names this many pictures, then how many more there are.
    static constexpr int pictureLimit = 20;

    static QByteArray summary(const PkMatchResult &match);
    // One line a name that files of several folders share, where copies go
    // into one folder: "clash: IMG_0001.JPG: CardA, CardB".
    static QByteArray clashes(const QList<PkFolderTree::Clash> &clashes);
    // The lines that name the ambiguous identifiers whose files were not
    // copied (as many as pictureLimit), and how to add them.
    static QByteArray skipped(const QList<QString> &ids);

    // count and the noun that agrees with it: "1 file", "2 files".
    static QByteArray counted(qsizetype count, const char *one, const char *many);

    // folder, a slash and each name, raw for a pipe, ended by a line feed or
    // with nulTerminated by a NUL. A name with a line break would read as two
    // paths: it is left out of line-ended output and appended to leftOut.
    static QByteArray fileList(const QString &folder, const QList<QString> &files, bool nulTerminated,
                               QList<QString> &leftOut);
};

#endif // PKMATCHREPORT_H
