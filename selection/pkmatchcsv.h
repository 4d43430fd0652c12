// SPDX-License-Identifier: MIT

#ifndef PKMATCHCSV_H
#define PKMATCHCSV_H

#include <QByteArray>
#include <QList>
#include <QString>

struct PkMatchResult;
struct PkNearMatch;

// A match as a spreadsheet opens it: one row per identifier, with how it was
// found, the range or sentence it was read from, its pictures and its files.
// Comma-separated (RFC 4180), UTF-8 behind a byte-order mark, without which
// spreadsheet programs read the names in the system's old code page.
class PkMatchCsv
{
public:
    // The files in leftOut (left out in the review) are not on their rows;
    // a row that had no others says "left out". Where example pictures were
    // the identifiers, examples holds the picture each one found: an example
    // of a picture that an earlier one found has no files of its own.
    static QByteArray report(const PkMatchResult &match, const QList<QString> &leftOut = {},
                             const QList<PkNearMatch> *examples = nullptr);

    // text as one field: quoted where it holds a comma, a quote or a line
    // break, and behind an apostrophe where a spreadsheet would run it as a
    // formula: a name may come from a client's list or anyone's camera.
    static QString field(const QString &text);
};

#endif // PKMATCHCSV_H
