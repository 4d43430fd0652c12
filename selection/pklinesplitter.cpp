// SPDX-License-Identifier: MIT

#include "pklinesplitter.h"

#include <QVarLengthArray>

#include <algorithm>

namespace {

// The bullets that e-mail programs, word processors and Markdown put before
// list items. A plus sign is not one of them: it may start a typed number.
constexpr QStringView bullets = u"\u2022\u25E6\u25AA\u25AB\u2023\u2043\u2219\u00B7\u2013\u2014-*";

// Straight quotes and the typographic ones that mail programs and word
// processors substitute for them; an opening one pairs with any closing one
// of its kind, as languages put them differently („…“, «…», “…”).
constexpr QStringView doubleQuotes = u"\"\u201C\u201D\u201E\u00AB\u00BB";
constexpr QStringView singleQuotes = u"'\u2018\u2019\u201A\u2039\u203A";

// Separators are tested on the simplified line, where a tab or a run of
// blanks has become one space.
bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char(' ');
}

bool isIdPunctuation(char32_t c)
{
    return c == U'_' || c == U'-' || c == U'.' || c == U'~' || c == U'+';
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

void PkLineSplitter::read(QList<QString> &lines, qsizetype most)
{
    // A 50 MB list is millions of lines: a second list of them is only made
    // once a line turns out to hold several identifiers.
    for (qsizetype row = 0; row < lines.size(); ++row) {
        QString &line = lines[row];
        tidy(line);
        QList<QString> pieces;
        if (!appendPieces(line, pieces, most))
            continue;
        QList<QString> ids;
        ids.reserve(lines.size() + pieces.size());
        for (qsizetype before = 0; before < row; ++before)
            ids.append(std::move(lines[before]));
        ids.append(std::move(pieces));
        for (++row; row < lines.size() && ids.size() <= most; ++row)
            append(std::move(lines[row]), ids, most);
        lines = std::move(ids);
        return;
    }
}

void PkLineSplitter::append(QString line, QList<QString> &ids, qsizetype most)
{
    tidy(line);
    if (!appendPieces(line, ids, most))
        ids.append(std::move(line));
}

// A bullet alone on its line is an empty item, not an identifier: `-` or `*`
// would otherwise select every file whose name holds one. A list number needs
// the text after it, as `12.` alone may well be part of a file name; numbers
// of more than three digits are picture numbers, not list numbers.
void PkLineSplitter::tidy(QString &line)
{
    line = std::move(line).simplified();
    if (line.isEmpty())
        return;
    const QChar first = line.front();
    // Most lines start with a letter or a digit: they are not looked up.
    if ((first == QLatin1Char('-') || first == QLatin1Char('*') || first.unicode() > 0x7F) && bullets.contains(first)) {
        if (line.size() == 1 || line.at(1) == QLatin1Char(' '))
            line.remove(0, 2);
        return;
    }
    qsizetype digits = 0;
    while (digits < line.size() && digits < 4 && isAsciiDigit(line.at(digits)))
        ++digits;
    if (digits == 0 || digits > 3 || digits + 2 > line.size())
        return;
    const QChar mark = line.at(digits);
    if ((mark == QLatin1Char('.') || mark == QLatin1Char(')')) && line.at(digits + 1) == QLatin1Char(' '))
        line.remove(0, digits + 2);
}

// Splits at commas, semicolons, spaces and the word OR between spaces.
// Returns false, appending nothing, when the line is to stay whole.
bool PkLineSplitter::appendPieces(QStringView line, QList<QString> &ids, qsizetype most)
{
    // Most lines hold a single identifier: they are passed on untouched.
    if (std::none_of(line.begin(), line.end(), isSeparator))
        return false;
    QVarLengthArray<QStringView, 32> pieces;
    qsizetype start = 0;
    for (qsizetype at = 0; at <= line.size(); ++at) {
        if (at < line.size() && !isSeparator(line.at(at)))
            continue;
        const QStringView piece = unquoted(line.sliced(start, at - start));
        if (!piece.isEmpty()) {
            if (!looksLikeId(piece))
                return false;
            pieces.append(piece);
            // Past the bound the list is refused: the rest need not be read.
            if (ids.size() + pieces.size() > most)
                break;
        }
        if (at < line.size() && line.at(at) == QLatin1Char(' ') && line.sliced(at + 1).startsWith(u"OR "))
            at += 2;
        start = at + 1;
    }
    if (pieces.isEmpty())
        return false;
    for (const QStringView piece : std::as_const(pieces))
        ids.append(piece.toString());
    return true;
}

bool PkLineSplitter::looksLikeId(QStringView piece)
{
    bool digit = false;
    for (qsizetype at = 0; at < piece.size(); ++at) {
        char32_t c = piece.at(at).unicode();
        if (QChar::isHighSurrogate(c) && at + 1 < piece.size() && piece.at(at + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(piece.at(at), piece.at(at + 1)), ++at;
        if (QChar::isDigit(c))
            digit = true;
        // Marks count as part of their letter: a decomposed `ü` is `u` and a mark.
        else if (!QChar::isLetter(c) && !QChar::isMark(c) && !isIdPunctuation(c))
            return false;
    }
    return digit;
}

QStringView PkLineSplitter::unquoted(QStringView piece)
{
    piece = piece.trimmed();
    if (piece.size() < 2)
        return piece;
    for (const QStringView quotes : {doubleQuotes, singleQuotes}) {
        if (quotes.contains(piece.front()) && quotes.contains(piece.back()))
            return piece.sliced(1, piece.size() - 2);
    }
    return piece;
}
