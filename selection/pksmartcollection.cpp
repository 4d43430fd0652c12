// SPDX-License-Identifier: MIT

#include "pksmartcollection.h"

#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <vector>

namespace {

// Rules on the file name that include the pictures they match.
constexpr QStringView including[] = {u"any", u"all", u"words", u"beginsWith", u"endsWith", u"=="};

// A catalogue nests a rule group or two; deeper tables are no rules of its
// own, and a hostile file must not make the stack grow with its size.
constexpr int deepest = 64;

// What a table has said so far of the fields that make a rule.
struct Table
{
    QString criteria;
    QString operation;
    QString value; // a rule without one selects nothing
};

class Parser
{
public:
    explicit Parser(QStringView text) : text(text) {}

    QList<QString> ids;
    bool closed = false;    // the outermost table ended
    bool tooDeep = false;

    void run()
    {
        while (skipBlanks()) {
            const QChar c = text.at(at);
            if (c == QLatin1Char('{')) {
                ++at;
                key.clear();
                if (tables.size() == deepest) {
                    tooDeep = true;
                    return;
                }
                tables.emplace_back();
            } else if (c == QLatin1Char('}')) {
                ++at;
                key.clear();
                if (tables.empty())
                    continue;
                take(tables.back());
                tables.pop_back();
                closed = tables.empty();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                assign(quoted(c));
            } else if (c.isLetter() || c == QLatin1Char('_')) {
                readName();
            } else {
                ++at;
                key.clear();
            }
        }
    }

    // Rules still open where the text ends count as far as they were read.
    void finish()
    {
        for (const Table &table : tables)
            take(table);
        tables.clear();
    }

private:
    QStringView text;
    qsizetype at = 0;
    std::vector<Table> tables;
    QString key;

    // Skips blanks and comments; false at the end of the text.
    bool skipBlanks()
    {
        while (at < text.size()) {
            if (text.at(at).isSpace()) {
                ++at;
            } else if (text.sliced(at).startsWith(u"--")) {
                const qsizetype end = text.indexOf(QLatin1Char('\n'), at);
                at = end < 0 ? text.size() : end;
            } else {
                return true;
            }
        }
        return false;
    }

    // A name followed by a single `=` is the key of the value after it.
    void readName()
    {
        const qsizetype start = at;
        while (at < text.size() && (text.at(at).isLetterOrNumber() || text.at(at) == QLatin1Char('_')))
            ++at;
        const QStringView name = text.sliced(start, at - start);
        key.clear();
        if (skipBlanks() && text.at(at) == QLatin1Char('=') && !text.sliced(at).startsWith(u"=="))
            key = name.toString(), ++at;
    }

    QString quoted(QChar quote)
    {
        QString value;
        for (++at; at < text.size() && text.at(at) != quote; ++at) {
            if (text.at(at) != QLatin1Char('\\') || at + 1 == text.size()) {
                value += text.at(at);
                continue;
            }
            // An escaped quote or backslash stands for itself.
            value += text.at(++at);
        }
        ++at;
        return value;
    }

    void assign(QString value)
    {
        // A value outside every table belongs to no rule; an empty key
        // names no field and so sets nothing below.
        if (tables.empty())
            return;
        Table &table = tables.back();
        if (key == QLatin1String("criteria"))
            table.criteria = std::move(value);
        else if (key == QLatin1String("operation"))
            table.operation = std::move(value);
        else if (key == QLatin1String("value"))
            table.value = std::move(value);
        key.clear();
    }

    void take(const Table &table)
    {
        if (table.criteria != QLatin1String("filename"))
            return;
        if (std::find(std::begin(including), std::end(including), table.operation) == std::end(including))
            return;
        const QString &words = table.value;
        for (qsizetype start = 0; start < words.size();) {
            qsizetype end = start;
            while (end < words.size() && !words.at(end).isSpace())
                ++end;
            if (end > start && words.at(start) != QLatin1Char('!'))
                ids.append(words.sliced(start, end - start));
            start = end + 1;
        }
    }
};

// text as a Lua string between double quotes. A control character would
// end the line or the string for the catalogue; read() takes a backslash
// before any character as that character, as Lua does for these two.
QByteArray luaString(const QString &text)
{
    QString quoted;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\');
        quoted += c.category() == QChar::Other_Control ? QLatin1Char(' ') : c;
    }
    return '"' + quoted.toUtf8() + '"';
}

} // namespace

bool PkSmartCollection::isSmartCollection(QStringView text)
{
    return text.trimmed().startsWith(u"s = {") && text.contains(u"type = \"LibrarySmartCollection\"");
}

QList<QString> PkSmartCollection::read(QStringView text, QString &error)
{
    Parser parser(text);
    parser.run();
    parser.finish();
    if (parser.ids.isEmpty()) {
        error = parser.tooDeep ? QStringLiteral("the smart collection nests too deep")
            : parser.closed    ? QStringLiteral("the smart collection has no rule on the file name")
                               : QStringLiteral("the smart collection is cut short");
    }
    return parser.ids;
}

QByteArray PkSmartCollection::write(const QString &title, const QList<QString> &names)
{
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    return "s = {\n\tid = \"" + id + "\",\n\tinternalName = " + luaString(title) + ",\n\ttitle = " + luaString(title)
        + ",\n\ttype = \"LibrarySmartCollection\",\n\tvalue = {\n\t\t{\n\t\t\tcriteria = \"filename\",\n"
          "\t\t\toperation = \"any\",\n\t\t\tvalue = "
        + luaString(QStringList(names).join(QLatin1Char(' '))) + ",\n\t\t\tvalue2 = \"\",\n\t\t},\n"
        + "\t\tcombine = \"union\",\n\t},\n\tversion = 0,\n}\n";
}
