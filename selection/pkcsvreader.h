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
    // so that a plain list holding a line `Name` stays a list.
    static bool read(const QList<QString> &lines, const QString &fileName, QList<QString> &ids);

    // The index of the field that names the files, by the preference Filename,
    // File name, Name, File, Image, Photo (any case, blanks, `_` and `-`
    // ignored), or -1.
    static qsizetype fileColumn(const QList<QString> &header);
};

#endif // PKCSVREADER_H
