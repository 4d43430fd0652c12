// SPDX-License-Identifier: MIT

#ifndef PKLINESPLITTER_H
#define PKLINESPLITTER_H

#include <QList>
#include <QString>
#include <QStringView>

// Reads one line of a selection list. Clients send their picks as they come:
// one number a line, a gallery's "copy file names" line (`IMG_1206, IMG_1508`),
// numbers typed with spaces between them, a search filter (`L1000412 OR
// L1000418`), or bulleted and numbered e-mail lines (`• 3555`, `1. 5504`).
// A line is split only when every piece looks like a picture identifier, so a
// name such as `Hochzeit Anna, Tom - 0012.jpg` stays whole, exactly as written.
class PkLineSplitter
{
public:
    // Replaces the lines by their identifiers: each line's blanks simplified,
    // a leading bullet or list number dropped, then either its pieces or the
    // line whole. Lists of one identifier a line are read in place. Stops
    // once there are more than most: a list that large is refused whole.
    static void read(QList<QString> &lines, qsizetype most);

    // Appends the identifiers of line to ids, stopping past most in all.
    static void append(QString line, QList<QString> &ids, qsizetype most);

    // No space, at least one digit, and only letters of any alphabet, digits
    // and `_ - . ~ +`: what a camera or a renamed picture is called.
    static bool looksLikeId(QStringView piece);

    // piece without one pair of surrounding quotes, straight or typographic.
    static QStringView unquoted(QStringView piece);

private:
    static void tidy(QString &line);
    static bool appendPieces(QStringView line, QList<QString> &ids, qsizetype most);
};

#endif // PKLINESPLITTER_H
