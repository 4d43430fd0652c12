// SPDX-License-Identifier: MIT

#include "pkcsvreader.h"

#include "pkcsvcolumns.h"

#include <QStringView>

#include <algorithm>

namespace {

// Lines above the header are a gallery's title, an export date, Excel's
// `sep=;`; ten leave room for those without taking a long list for a sheet.
constexpr int headerSearchLines = 10;

// No header row is this long; a single 50 MB line is not parsed three times
// just to find that out.
constexpr qsizetype longestHeader = 64 * 1024;

// Rows that decide which column names the pictures when no header does:
// enough to outvote a few odd cells, and a bound on the work for a sheet of
// a thousand columns.
constexpr int contentRows = 200;

// Comma, then semicolon as spreadsheets save under European locales, then tab
// as they copy cells.
constexpr char16_t delimiters[] = {u',', u';', u'\t'};

// The records of CSV text (RFC 4180) held as lines: quoted fields may hold
// delimiters, doubled quotes and line breaks. A stray quote is read as far as
// it makes sense instead of swallowing the rest of the file.
class Records
{
public:
    Records(const QList<QString> &lines, QChar delimiter, qsizetype row, bool acrossLines = true)
        : lines_(lines), delimiter_(delimiter), row_(row), acrossLines_(acrossLines)
    {
    }

    bool atEnd() const { return row_ >= lines_.size(); }
    // The line the next record starts on.
    qsizetype row() const { return row_; }

    QList<QString> next()
    {
        QList<QString> fields;
        const qsizetype first = row_;
        if (!parse(fields)) {
            // The quote opened in this record is never closed, so no quote
            // below closes one either: from here on a quoted field ends with
            // its line, which also keeps reading linear.
            acrossLines_ = false;
            row_ = first;
            fields.clear();
            parse(fields);
        }
        return fields;
    }

private:
    // Reads the record at row_ into fields and moves past it; false when a
    // quoted field is still open at the end of the text.
    bool parse(QList<QString> &fields)
    {
        QStringView line = lines_.at(row_++);
        qsizetype at = 0;
        for (bool more = true; more;) {
            more = false;
            if (at == line.size() || line.at(at) != QLatin1Char('"')) {
                const qsizetype end = line.indexOf(delimiter_, at);
                more = end >= 0;
                const qsizetype stop = more ? end : line.size();
                fields.append(line.sliced(at, stop - at).toString());
                at = more ? stop + 1 : stop;
                continue;
            }
            ++at;
            // Within a single line, a quote that nothing closes is a stray one.
            bool quoted = acrossLines_ || line.sliced(at).contains(QLatin1Char('"'));
            QString field;
            while (true) {
                if (at == line.size()) {
                    if (!quoted || !acrossLines_)
                        break;
                    if (row_ == lines_.size())
                        return false;
                    field += QLatin1Char('\n');
                    line = lines_.at(row_++);
                    at = 0;
                    continue;
                }
                const QChar c = line.at(at++);
                if (quoted && c == QLatin1Char('"')) {
                    if (at < line.size() && line.at(at) == QLatin1Char('"'))
                        field += line.at(at++);
                    else
                        quoted = false;
                } else if (!quoted && c == delimiter_) {
                    more = true;
                    break;
                } else {
                    field += c;
                }
            }
            fields.append(std::move(field));
        }
        return true;
    }

    const QList<QString> &lines_;
    QChar delimiter_;
    qsizetype row_;
    bool acrossLines_;
};

// Where the names are: the line of the first row below the header, its
// delimiter and the column.
struct Header
{
    qsizetype row = -1;
    QChar delimiter;
    qsizetype column = -1;
};

// Where several delimiters find a file column, the one that splits the row
// into the most columns is the sheet's own.
Header findHeader(const QList<QString> &lines, bool csvName)
{
    int nonBlank = 0;
    for (qsizetype row = 0; row < lines.size() && nonBlank < headerSearchLines; ++row) {
        const QString &line = lines.at(row);
        if (QStringView(line).trimmed().isEmpty())
            continue;
        ++nonBlank;
        if (line.size() > longestHeader)
            continue;
        Header best;
        qsizetype columns = csvName ? 0 : 1;
        for (const char16_t delimiter : delimiters) {
            const QList<QString> fields = Records(lines, QChar(delimiter), row, false).next();
            const qsizetype column = PkCsvColumns::byHeader(fields);
            if (column >= 0 && fields.size() > columns) {
                best = {row + 1, QChar(delimiter), column};
                columns = fields.size();
            }
        }
        if (best.row >= 0)
            return best;
    }
    return {};
}

// A sheet saved without a header row, or with headers in words not known
// here: the rows start at the first that holds a picture name, below at most
// ten lines of title and header, and one column must mostly hold such names.
// Where several delimiters find one, the one that splits the rows into the
// most columns is the sheet's own.
Header findContentColumn(const QList<QString> &lines)
{
    Header best;
    qsizetype columns = 1;
    for (const char16_t delimiter : delimiters) {
        Records records(lines, QChar(delimiter), 0);
        qsizetype first = -1;
        for (int above = 0; first < 0 && above < headerSearchLines && !records.atEnd(); ++above) {
            const qsizetype row = records.row();
            const QList<QString> fields = records.next();
            if (std::any_of(fields.begin(), fields.end(), PkCsvColumns::looksLikePictureName))
                first = row;
        }
        if (first < 0)
            continue;
        PkCsvColumns tally;
        Records rows(lines, QChar(delimiter), first);
        for (int row = 0; row < contentRows && !rows.atEnd(); ++row)
            tally.addRow(rows.next());
        const qsizetype column = tally.byContent();
        if (column >= 0 && tally.columns() > columns) {
            best = {first, QChar(delimiter), column};
            columns = tally.columns();
        }
    }
    return best;
}

} // namespace

bool PkCsvReader::read(const QList<QString> &lines, const QString &fileName, QList<QString> &ids)
{
    const bool csvName = fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    Header header = findHeader(lines, csvName);
    // Any list may hold commas; only a file saved as a sheet is read by what
    // its columns hold.
    if (header.row < 0 && csvName)
        header = findContentColumn(lines);
    if (header.row < 0)
        return false;
    for (Records records(lines, header.delimiter, header.row); !records.atEnd();) {
        QList<QString> fields = records.next();
        if (header.column >= fields.size())
            continue;
        QString cell = std::move(fields[header.column]).simplified();
        if (!cell.isEmpty())
            ids.append(std::move(cell));
    }
    return true;
}
