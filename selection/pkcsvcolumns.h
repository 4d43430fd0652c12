// SPDX-License-Identifier: MIT

#ifndef PKCSVCOLUMNS_H
#define PKCSVCOLUMNS_H

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

// Which column of a spreadsheet export names the pictures: by its header, in
// the languages that galleries and spreadsheets export in, or, where no
// header says so, by what its cells hold. The other columns (ratings,
// comments, colour labels) never name a picture.
class PkCsvColumns
{
public:
    // The index of the field that names the files, or -1. Headers are
    // compared in any case, with blanks, `_`, `-` and apostrophes ignored,
    // and preferred in this order: the original file name (a
    // gallery may have renamed its copies; the folder holds the camera's
    // names), the file name, the photo or image name, then Name, File,
    // Image, Photo. Each of the first three also in German, French, Spanish,
    // Italian, Portuguese, Dutch, Polish, Swedish, Danish, Norwegian, Finnish
    // and Czech.
    static qsizetype byHeader(const QList<QString> &header);

    // Whether a cell reads as a picture's file name: it ends in a picture or
    // raw extension, or it is a camera's numbering (IMG_1234, DSC01234,
    // _MG_1234, P1010123).
    static bool looksLikePictureName(QStringView cell);

    // Counts, column by column, the cells of rows that name pictures.
    void addRow(const QList<QString> &fields);
    // The one column whose non-empty cells mostly look like picture names,
    // among at least two columns; -1 when there is none, or more than one.
    qsizetype byContent() const;
    qsizetype columns() const { return qsizetype(cells.size()); }

private:
    std::vector<qsizetype> cells; // non-empty cells per column
    std::vector<qsizetype> names; // cells per column that look like picture names
};

#endif // PKCSVCOLUMNS_H
