// SPDX-License-Identifier: MIT

#include "pkmatchcsv.h"

#include "pklinepieces.h"
#include "pkselectionmatcher.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace {

const QString listSeparator = QStringLiteral(", ");

// What a spreadsheet runs as a formula, or reads as one once it has passed
// over a tab or a carriage return.
bool runsAsFormula(const QString &text)
{
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}

class Rows
{
public:
    Rows(const PkMatchResult &match, const QList<QString> &leftOut, const QList<PkNearMatch> *examples)
        : match(match)
        , asFound(examples ? QStringLiteral("example") : QStringLiteral("as written"))
        , leftOut(leftOut.cbegin(), leftOut.cend())
        , text(match.textLines.cbegin(), match.textLines.cend())
        , notFound(match.idsNotFound.cbegin(), match.idsNotFound.cend())
    {
        // A file counts for the first identifier that selects it, as the run names it.
        for (qsizetype file = 0; file < match.files.size(); ++file)
            filesOf[match.ids.value(match.fileIds.value(file))].append(match.files.at(file));
        for (const PkAmbiguousId &entry : match.ambiguous)
            ambiguous.insert(entry.id, entry.pictures);
        for (const PkNearMatch &entry : match.near)
            near.insert(entry.id, entry.picture);
        for (const PkNearMatch &entry : examples ? *examples : QList<PkNearMatch>())
            example.insert(entry.id, entry.picture);
        for (const PkProseRead &prose : match.prose) {
            for (const QString &pick : prose.picks)
                proseOf.insert(pick, prose.line);
        }
        for (const PkRangeRead &range : match.ranges) {
            for (const PkLinePieces::Piece &number : PkLinePieces::rangeNumbers(range.id))
                rangeOf.insert(number.text, &range);
        }
    }

    QByteArray csv()
    {
        add({QStringLiteral("Identifier"), QStringLiteral("Found"), QStringLiteral("Read from"),
             QStringLiteral("Pictures"), QStringLiteral("Files")});
        for (const QString &id : match.ids) {
            if (id.isEmpty() || done.contains(id))
                continue;
            // A range's gaps stand among its numbers, where the list has them.
            if (const PkRangeRead *range = rangeOf.value(id)) {
                for (const PkLinePieces::Piece &number : PkLinePieces::rangeNumbers(range->id))
                    addId(number.text, range->missing.contains(number.text));
            } else {
                addId(id, false);
            }
        }
        return QByteArrayLiteral("\xEF\xBB\xBF") + out;
    }

private:
    void add(const QStringList &cells)
    {
        QStringList fields;
        for (const QString &cell : cells)
            fields.append(PkMatchCsv::field(cell));
        out += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }

    void addId(const QString &id, bool gap)
    {
        done.insert(id);
        const QList<QString> selected = filesOf.value(id);
        QStringList files, pictures, how{found(id, gap)};
        for (const QString &file : selected) {
            if (leftOut.contains(file))
                continue;
            files.append(file);
            const QString picture = PkSelectionMatcher::pictureOf(file);
            if (!pictures.contains(picture))
                pictures.append(picture);
        }
        if (ambiguous.contains(id))
            pictures = ambiguous.value(id);
        else if (near.contains(id) || example.contains(id))
            pictures = {near.value(id, example.value(id))};
        const QString line = proseOf.value(id, rangeOf.contains(id) ? rangeOf.value(id)->id : QString());
        if (rangeOf.contains(id))
            how.append(QStringLiteral("range"));
        if (proseOf.contains(id))
            how.append(QStringLiteral("prose"));
        if (std::any_of(files.cbegin(), files.cend(), [](const QString &file) { return file.contains(QLatin1Char('/')); }))
            how.append(QStringLiteral("sub-folder"));
        if (files.isEmpty() && !selected.isEmpty())
            how.append(QStringLiteral("left out"));
        add({id, how.join(listSeparator), line, pictures.join(listSeparator), files.join(listSeparator)});
    }

    QString found(const QString &id, bool gap) const
    {
        if (text.contains(id))
            return QStringLiteral("text");
        if (ambiguous.contains(id))
            return QStringLiteral("ambiguous");
        if (gap || notFound.contains(id))
            return QStringLiteral("not found");
        return near.contains(id) ? QStringLiteral("near") : asFound;
    }

    const PkMatchResult &match;
    const QString asFound;
    const QSet<QString> leftOut, text, notFound;
    QHash<QString, QList<QString>> filesOf;
    QHash<QString, QList<QString>> ambiguous;
    QHash<QString, QString> near, example, proseOf;
    QHash<QString, const PkRangeRead *> rangeOf;
    QSet<QString> done;
    QByteArray out;
};

} // namespace

QByteArray PkMatchCsv::report(const PkMatchResult &match, const QList<QString> &leftOut,
                              const QList<PkNearMatch> *examples)
{
    return Rows(match, leftOut, examples).csv();
}

QString PkMatchCsv::field(const QString &text)
{
    const QString cell = runsAsFormula(text) ? QLatin1Char('\'') + text : text;
    const bool quoted = std::any_of(cell.cbegin(), cell.cend(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
    });
    if (!quoted)
        return cell;
    return QLatin1Char('"') + QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}
