// SPDX-License-Identifier: MIT

#ifndef PKCSVREADER_H
#define PKCSVREADER_H

#include <QList>
#include <QString>

// Reads a spreadsheet export: a proofing gallery's favourites, a client's own
// sheet saved as CSV. Such a file may start with a title line, has a header
// row naming its columns, and holds the file names in one of them.
class PkCsvReader
{
public:
    // When one of the first ten non-blank lines is a header row with a file
    // name column, appends that column's non-empty cells below it to ids and
    // returns true; otherwise leaves ids alone and returns false. A header
    // with a single column is taken only from a file whose name ends in .csv,
    // so that a plain list holding a line `Name` stays a list. Only such a
    // file, when no header is known, is also read by the one column whose
    // cells mostly look like picture names.
    static bool read(const QList<QString> &lines, const QString &fileName, QList<QString> &ids);
};

#endif // PKCSVREADER_H
