// SPDX-License-Identifier: MIT

#include "pkcsvreader.h"

#include <QStringView>

namespace {

// Lines above the header are a gallery's title, an export date, Excel's
// `sep=;`; ten leave room for those without taking a long list for a sheet.
constexpr int headerSearchLines = 10;

// No header row is this long; a single 50 MB line is not parsed three times
// just to find that out.
constexpr qsizetype longestHeader = 64 * 1024;

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
            bool quoted = acrossLines_ || line.indexOf(QLatin1Char('"'), at) >= 0;
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

QString columnKey(QStringView field)
{
    QString key;
    for (const QChar c : field) {
        if (!c.isSpace() && c != QLatin1Char('_') && c != QLatin1Char('-'))
            key += c.toLower();
    }
    return key;
}

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
            const qsizetype column = PkCsvReader::fileColumn(fields);
            if (column >= 0 && fields.size() > columns) {
                best = {row, QChar(delimiter), column};
                columns = fields.size();
            }
        }
        if (best.row >= 0)
            return best;
    }
    return {};
}

} // namespace

qsizetype PkCsvReader::fileColumn(const QList<QString> &header)
{
    // "File name" and "Filename" are one key once blanks are ignored.
    static const QString names[] = {"filename", "name", "file", "image", "photo"};
    QList<QString> keys;
    for (const QString &field : header)
        keys.append(columnKey(field));
    for (const QString &name : names) {
        const qsizetype column = keys.indexOf(name);
        if (column >= 0)
            return column;
    }
    return -1;
}

bool PkCsvReader::read(const QList<QString> &lines, const QString &fileName, QList<QString> &ids)
{
    const Header header = findHeader(lines, fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive));
    if (header.row < 0)
        return false;
    for (Records records(lines, header.delimiter, header.row + 1); !records.atEnd();) {
        QList<QString> fields = records.next();
        if (header.column >= fields.size())
            continue;
        QString cell = std::move(fields[header.column]).simplified();
        if (!cell.isEmpty())
            ids.append(std::move(cell));
    }
    return true;
}
