// SPDX-License-Identifier: MIT

#include "pklinepieces.h"

#include "pklinesplitter.h"
#include "pkmatchtext.h"
#include "pkselectionmatcher.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

bool isDash(QChar c)
{
    return c == QLatin1Char('-') || c == QChar(0x2013) || c == QChar(0x2014);
}

bool hasDigit(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// A range needs a dash or a "to" between its ends.
bool mayBeRange(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isDash) || text.contains(u" to ", Qt::CaseInsensitive);
}

// Punctuation that a sentence puts around its words.
QStringView stripped(QStringView word)
{
    static const QString around = QStringLiteral(".,;:!?()[]{}<>\"'#*\u2026\u201C\u201D\u201E\u00AB\u00BB\u2018\u2019");
    while (!word.isEmpty() && around.contains(word.front()))
        word = word.sliced(1);
    while (!word.isEmpty() && around.contains(word.back()))
        word.chop(1);
    return word;
}

// Chat exports put a date, a time and a name before each message
// ("[06/12/2026, 14:03:22] Anna:", "06/12/2026, 14:03 - Anna:", "[14:03] Anna:"),
// mail programs one ">" per level of quoting, and some exports invisible
// direction marks before all of it.
QStringView withoutPrefixes(QStringView line)
{
    static const QRegularExpression chat(QStringLiteral(
        R"(^\[?(?:\d{1,4}[./-]\d{1,2}[./-]\d{1,4},?\s+)?\d{1,2}[:.]\d{2}(?:[:.]\d{2})?(?:\s?[ap]\.?\s?m\.?)?\]?(?:\s+-)?\s+[^:]{1,60}?:(?:\s|$))"),
        QRegularExpression::CaseInsensitiveOption);
    const auto skip = [&line](auto isPrefix) {
        while (!line.isEmpty() && isPrefix(line.front()))
            line = line.sliced(1);
    };
    skip([](QChar c) { return c == QChar(0x200E) || c == QChar(0x200F) || c == QChar(0xFEFF) || c.isSpace(); });
    skip([](QChar c) { return c == QLatin1Char('>') || c.isSpace(); });
    const QRegularExpressionMatch match = chat.match(line);
    return match.hasMatch() ? line.sliced(match.capturedEnd()).trimmed() : line;
}

bool matches(const QRegularExpression &pattern, QStringView word)
{
    return pattern.match(word).hasMatch();
}

// 06/12/2026, 2026-06-20, 12/2026, 14:03:22, 2:30pm, and prices written
// as a decimal or with thousands: 12.50, 1.200,00, 1,200.00.
bool isDateTimeOrAmount(QStringView word)
{
    static const QRegularExpression dateOrTime(
        QStringLiteral(R"(^(?:\d{1,4}([./-])\d{1,2}\1\d{1,4}|\d{1,2}[./]\d{4}|\d{1,2}:\d{2}(?::\d{2})?(?:[ap]\.?m\.?)?)$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression amount(
        QStringLiteral(R"(^(?:\d+[.,]\d{1,2}|\d{1,3}(?:[.']\d{3})+(?:,\d{1,2})?|\d{1,3}(?:,\d{3})+\.\d{1,2})$)"));
    return matches(dateOrTime, word) || matches(amount, word);
}

bool isCurrency(QStringView word)
{
    static const QStringList codes{QStringLiteral("eur"),   QStringLiteral("usd"),    QStringLiteral("gbp"),
                                   QStringLiteral("chf"),   QStringLiteral("euro"),   QStringLiteral("euros"),
                                   QStringLiteral("dollar"), QStringLiteral("dollars"), QStringLiteral("pounds")};
    return std::any_of(word.begin(), word.end(), [](QChar c) { return c.category() == QChar::Symbol_Currency; })
        || codes.contains(stripped(word).toString().toLower());
}

// A price's number stands beside its currency, or holds it: "€120", "120 EUR".
bool isPrice(const QList<QStringView> &words, qsizetype k)
{
    return isCurrency(words.at(k)) || (k > 0 && isCurrency(words.at(k - 1)))
        || (k + 1 < words.size() && isCurrency(words.at(k + 1)));
}

bool isMonth(QStringView word)
{
    static const QStringList months = QStringLiteral("jan feb mar m\u00e4r apr may mai jun jul aug sep oct okt nov dec dez "
                                                     "f\u00e9v avr jui ao\u00fb d\u00e9c ene abr ago dic gen mag giu lug set ott")
                                          .split(QLatin1Char(' '));
    word = stripped(word);
    return word.size() >= 3 && word.size() <= 9 && std::all_of(word.begin(), word.end(), [](QChar c) { return c.isLetter(); })
        && months.contains(word.first(3).toString().toLower());
}

// The year of "20 June 2026", "June 20th, 2026" or "20. Juni 2026".
bool isYearOfDate(const QList<QStringView> &words, qsizetype k)
{
    static const QRegularExpression day(QStringLiteral(R"(^\d{1,2}(?:st|nd|rd|th|\.)?,?$)"));
    if (stripped(words.at(k)).size() != 4 || k == 0)
        return false;
    return isMonth(words.at(k - 1)) || (k > 1 && matches(day, words.at(k - 1)) && isMonth(words.at(k - 2)));
}

// "Thanks!", "Cheers", "xx": words and the punctuation of a sentence, where
// a name would hold a digit, an underscore or a dash.
bool isSignOff(QStringView id)
{
    static const QString punctuation = QStringLiteral(" !?.,;:'\u2019");
    return std::any_of(id.begin(), id.end(), [](QChar c) { return c.isLetter(); })
        && std::all_of(id.begin(), id.end(), [](QChar c) { return c.isLetter() || c.isMark() || punctuation.contains(c); })
        && PkMatchText::stemLength(id) == id.size();
}

bool isRangeWord(QStringView word)
{
    return (word.size() == 1 && isDash(word.front())) || word.compare(u"to", Qt::CaseInsensitive) == 0;
}

qsizetype longestDigitRun(QStringView word)
{
    qsizetype longest = 0, run = 0;
    for (const QChar c : word) {
        run = PkMatchText::isDigit(c) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// A name as cameras and programs write them: a letter or an underscore
// beside a run of three digits or more ("IMG_2403.jpg", "2026-06-20_0012").
bool isNameLike(QStringView word)
{
    return PkLineSplitter::looksLikeId(word) && longestDigitRun(word) >= 3
        && std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); });
}

bool isListMark(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('/') || c == QLatin1Char('&')
        || c == QLatin1Char('+');
}

} // namespace

QString PkProseRead::shortLine() const
{
    const QStringView said = withoutPrefixes(line);
    return said.size() <= shownLength ? said.toString() : said.first(shownLength).toString() + QChar(0x2026);
}

PkLinePieces::PkLinePieces(const QList<QString> &ids)
    : ids(ids)
{
    qsizetype withDigit = 0, counted = 0;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &id = ids.at(i);
        if (id.isEmpty())
            continue;
        ++counted;
        if (!hasDigit(id))
            continue;
        ++withDigit;
        const qsizetype begin = pieces.size();
        if (mayBeRange(id)) {
            pieces.append(rangeNumbers(id));
            if (pieces.size() > begin) {
                lines.append({i, Kind::Range, begin, pieces.size()});
                continue;
            }
        }
        // A file name may hold blanks, and then it ends in its extension; two
        // words are a name typed with a space ("IMG 2407") more often than a
        // sentence, and near matches read them.
        if (id.count(QLatin1Char(' ')) >= 2 && PkMatchText::stemLength(id) == id.size()) {
            pieces.append(prosePicks(id));
            if (pieces.size() > begin)
                lines.append({i, Kind::Prose, begin, pieces.size()});
        }
    }
    numbered = withDigit * 2 > counted;
}

QList<QString> PkLinePieces::texts() const
{
    QList<QString> texts = ids;
    texts.reserve(ids.size() + pieces.size());
    for (const Piece &piece : pieces)
        texts.append(piece.text);
    return texts;
}

std::vector<int> PkLinePieces::wholeNumbers() const
{
    std::vector<int> numbers(size_t(ids.size()), -1);
    numbers.reserve(size_t(ids.size() + pieces.size()));
    for (const Piece &piece : pieces)
        numbers.push_back(piece.wholeNumber);
    return numbers;
}

PkLinePieces::Reading PkLinePieces::read(const std::vector<bool> &selects) const
{
    Reading reading;
    reading.signOffs = numbered;
    if (lines.isEmpty()) {
        reading.ids = ids;
        reading.wholeNumber.assign(size_t(ids.size()), -1);
        return reading;
    }
    reading.ids.reserve(ids.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (next < lines.size() && lines.at(next).id == i) {
            readPieces(reading, lines.at(next++), selects);
        } else {
            reading.ids.append(ids.at(i));
            reading.wholeNumber.push_back(-1);
        }
    }
    reading.ranges.removeIf([](const PkRangeRead &range) { return range.missing.isEmpty(); });
    return reading;
}

// An identifier that selects files as written stays as it is, and so does
// one whose pieces select nothing: it is then reported as it stands.
void PkLinePieces::readPieces(Reading &reading, const Candidates &line, const std::vector<bool> &selects) const
{
    const QString &id = ids.at(line.id);
    const size_t first = size_t(ids.size() + line.begin), last = size_t(ids.size() + line.end);
    if (selects[size_t(line.id)] || std::none_of(selects.begin() + first, selects.begin() + last, [](bool b) { return b; })) {
        reading.ids.append(id);
        reading.wholeNumber.push_back(-1);
        return;
    }
    PkProseRead prose{id, {}};
    for (qsizetype k = line.begin; k < line.end; ++k) {
        const Piece &piece = pieces.at(k);
        if (!piece.range.isEmpty()) {
            if (k == line.begin || pieces.at(k - 1).range != piece.range || pieces.at(k - 1).text >= piece.text)
                reading.ranges.append({piece.range, {}});
            // Numbers between picks are no picks themselves: they are only counted.
            if (!selects[size_t(ids.size() + k)]) {
                reading.ranges.last().missing.append(piece.text);
                ++reading.missing;
                continue;
            }
        }
        reading.ids.append(piece.text);
        reading.wholeNumber.push_back(piece.wholeNumber);
        prose.picks.append(piece.text);
    }
    if (line.kind == Kind::Prose)
        reading.prose.append(prose);
}

void PkLinePieces::finish(Reading &&reading, PkMatchResult &result)
{
    result.ids = std::move(reading.ids);
    result.ranges = std::move(reading.ranges);
    result.prose = std::move(reading.prose);
    result.idCount += reading.missing;
    QSet<QString> text;
    for (const QString &id : std::as_const(result.idsNotFound)) {
        if (reading.signOffs && isSignOff(id))
            text.insert(id);
    }
    if (text.isEmpty())
        return;
    result.idsNotFound.removeIf([&text](const QString &id) { return text.contains(id); });
    // Text lines are listed once each, in list order, as matching lists them.
    text.unite(QSet<QString>(result.textLines.begin(), result.textLines.end()));
    result.textLines.clear();
    for (const QString &id : std::as_const(result.ids)) {
        if (!text.contains(id))
            continue;
        --result.idCount;
        if (!result.textLines.contains(id))
            result.textLines.append(id);
    }
}

QList<PkLinePieces::Piece> PkLinePieces::rangeNumbers(QStringView piece)
{
    piece = piece.trimmed();
    qsizetype at = 0;
    while (at < piece.size() && !PkMatchText::isDigit(piece.at(at)) && !piece.at(at).isSpace())
        ++at;
    const QStringView prefix = piece.first(at);
    qsizetype end = at;
    while (end < piece.size() && PkMatchText::isDigit(piece.at(end)))
        ++end;
    const QStringView from = piece.sliced(at, end - at);
    const QStringView rest = piece.sliced(end);
    QStringView to = rest.trimmed();
    if (!to.isEmpty() && isDash(to.front()))
        to = to.sliced(1).trimmed();
    else if (rest.startsWith(QLatin1Char(' ')) && to.startsWith(u"to ", Qt::CaseInsensitive))
        to = to.sliced(3).trimmed();
    else
        return {};
    if (!prefix.isEmpty() && to.startsWith(prefix, Qt::CaseInsensitive))
        to = to.sliced(prefix.size());
    // Eighteen digits still fit a qlonglong.
    if (from.size() < 3 || from.size() > 18 || to.size() != from.size() || !PkMatchText::isNumber(to))
        return {};
    const qlonglong first = from.toLongLong(), last = to.toLongLong();
    if (last <= first || last - first >= maxRange)
        return {};
    QList<Piece> numbers;
    numbers.reserve(last - first + 1);
    const QString range = piece.toString();
    for (qlonglong number = first; number <= last; ++number) {
        numbers.append({prefix.toString() + QString::number(number).rightJustified(from.size(), QLatin1Char('0')),
                        int(prefix.size()), range});
    }
    return numbers;
}

QList<PkLinePieces::Piece> PkLinePieces::prosePicks(QStringView line)
{
    const QList<QStringView> words = withoutPrefixes(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<Piece> picks;
    QSet<QString> seen;
    const auto add = [&](const QList<Piece> &found) {
        for (const Piece &piece : found) {
            if (!seen.contains(piece.text)) {
                seen.insert(piece.text);
                picks.append(piece);
            }
        }
    };
    for (qsizetype k = 0; k < words.size(); ++k) {
        if (isPrice(words, k))
            continue;
        const QStringView word = stripped(words.at(k));
        if (k + 2 < words.size() && isRangeWord(words.at(k + 1))) {
            const QList<Piece> range =
                rangeNumbers(word.toString() + QLatin1Char(' ') + words.at(k + 1).toString() + QLatin1Char(' ')
                             + stripped(words.at(k + 2)).toString());
            if (!range.isEmpty()) {
                add(range);
                k += 2;
                continue;
            }
        }
        if (isDateTimeOrAmount(word) || isYearOfDate(words, k))
            continue;
        // "2403,2407" and "2403/2407" are lists within a word.
        for (qsizetype start = 0, at = 0; at <= word.size(); ++at) {
            if (at < word.size() && !isListMark(word.at(at)))
                continue;
            const QStringView part = stripped(word.sliced(start, at - start));
            start = at + 1;
            if (part.isEmpty() || isDateTimeOrAmount(part))
                continue;
            QList<Piece> found = mayBeRange(part) ? rangeNumbers(part) : QList<Piece>();
            if (found.isEmpty() && isNameLike(part))
                found.append(Piece{part.toString(), -1});
            for (qsizetype at = 0; found.isEmpty() && at < part.size();) {
                qsizetype end = at;
                while (end < part.size() && PkMatchText::isDigit(part.at(end)))
                    ++end;
                if (end - at >= 3)
                    add({Piece{part.sliced(at, end - at).toString(), 0}});
                at = std::max(end, at + 1);
            }
            add(found);
        }
    }
    return picks;
}

qsizetype PkLinePieces::countBeforeMatching(const QList<QString> &ids)
{
    qsizetype count = 0;
    for (const QString &id : ids) {
        const qsizetype numbers = hasDigit(id) && mayBeRange(id) ? rangeNumbers(id).size() : 0;
        count += std::max<qsizetype>(numbers, 1);
    }
    return count;
}
