// SPDX-License-Identifier: MIT

#include "pkmatchtext.h"

#include <algorithm>

namespace {

bool isAsciiLetter(QChar ch)
{
    return (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) || (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'));
}

// Markers that editors and file managers append to a picture's name when
// they save an edit or a copy; numbered ones are read apart.
constexpr std::u16string_view wordMarkers[] = {u"-edit", u"_lr_edit", u"_edited", u"-edited", u"-hdr",
                                              u"-pano", u"-enhanced", u"-enhanced-nr", u" - copy", u" copy"};

// The value of the one or two digits at the end of text (no leading zero),
// and how many there are; 0 digits when there are none.
std::pair<int, qsizetype> endNumber(QStringView text)
{
    qsizetype digits = 0;
    while (digits < 3 && digits < text.size() && PkMatchText::isDigit(text.at(text.size() - 1 - digits)))
        ++digits;
    if (digits == 0 || digits > 2 || text.at(text.size() - digits) == QLatin1Char('0'))
        return {0, 0};
    return {text.right(digits).toInt(), digits};
}

// A copy number: " (1)" to " (99)", and Windows' " - Copy (2)".
qsizetype withoutCopyNumber(QStringView stem)
{
    if (!stem.endsWith(QLatin1Char(')')))
        return -1;
    const QStringView inside = stem.chopped(1);
    const auto [value, digits] = endNumber(inside);
    const QStringView before = inside.chopped(digits);
    if (digits == 0 || !before.endsWith(u" ("))
        return -1;
    const QStringView name = before.chopped(2);
    if (value >= 2 && name.endsWith(u" - copy"))
        return name.size() - 7;
    return name.size();
}

// A numbered edit or copy: "-2" to "-99", "-edit-2", " copy 2".
qsizetype withoutEditNumber(QStringView stem)
{
    const auto [value, digits] = endNumber(stem);
    if (value < 2)
        return -1;
    const QStringView before = stem.chopped(digits);
    if (before.endsWith(u" copy "))
        return before.size() - 6;
    if (!before.endsWith(QLatin1Char('-')))
        return -1;
    return before.endsWith(u"-edit-") ? before.size() - 6 : before.size() - 1;
}

} // namespace

QString PkMatchText::comparable(const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < firstComposable; });
    return plain ? text : text.normalized(QString::NormalizationForm_C);
}

// ASCII, most of what is folded, folds to its small letters: one string
// made, where comparable and toCaseFolded would make two.
QString PkMatchText::folded(QStringView text)
{
    if (std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() >= 0x80; }))
        return comparable(text.toString()).toCaseFolded();
    QString lower(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), lower.begin(), [](QChar ch) {
        return ch >= QLatin1Char('A') && ch <= QLatin1Char('Z') ? QChar(ch.unicode() + (u'a' - u'A')) : ch;
    });
    return lower;
}

bool PkMatchText::isNumber(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isDigit);
}

std::u16string_view PkMatchText::withoutLeadingZeros(QStringView digits)
{
    qsizetype start = 0;
    while (start + 1 < digits.size() && digits[start] == QLatin1Char('0'))
        ++start;
    return std::u16string_view(digits.utf16() + start, size_t(digits.size() - start));
}

// Runs for every name matched: it looks at no more than an extension's
// length back from the end, where a search for the last dot would read on.
qsizetype PkMatchText::stemLength(QStringView text)
{
    const qsizetype size = text.size();
    bool letter = false;
    for (qsizetype dot = size - 1; dot >= 0 && dot >= size - 6; --dot) {
        const QChar ch = text.at(dot);
        if (ch == QLatin1Char('.')) {
            // As for hidden files, leading dots begin the name, not an
            // extension: ".jpg" stays and still matches what it matches as written.
            const QStringView before = text.first(dot);
            const bool nameBefore =
                std::any_of(before.begin(), before.end(), [](QChar c) { return c != QLatin1Char('.'); });
            return letter && nameBefore ? dot : size;
        }
        if (isAsciiLetter(ch))
            letter = true;
        else if (!isDigit(ch))
            return size;
    }
    return size;
}

qsizetype PkMatchText::pictureLength(QStringView fileName)
{
    return stemLength(fileName.first(stemLength(fileName)));
}

qsizetype PkMatchText::unmarkedLength(QStringView stem)
{
    qsizetype length = withoutCopyNumber(stem);
    if (length < 0)
        length = withoutEditNumber(stem);
    for (size_t k = 0; length < 0 && k < std::size(wordMarkers); ++k) {
        const QStringView marker(wordMarkers[k].data(), qsizetype(wordMarkers[k].size()));
        // Most names end in none: the last unit rules most markers out.
        if (!stem.isEmpty() && stem.back() == QChar(marker.back()) && stem.endsWith(marker))
            length = stem.size() - marker.size();
    }
    // A marker alone names no picture.
    return length > 0 ? length : -1;
}

QStringView PkMatchText::pictureNumber(QStringView text)
{
    QStringView number;
    for (qsizetype i = 0; i < text.size();) {
        if (!isDigit(text.at(i))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isDigit(text.at(end)))
            ++end;
        if (end - i >= 3) {
            if (!number.isEmpty())
                return {};
            number = text.sliced(i, end - i);
        }
        i = end;
    }
    return number;
}

bool PkMatchText::isText(QStringView line)
{
    if (std::any_of(line.begin(), line.end(), [](QChar ch) { return ch.isDigit(); }))
        return false;
    const QStringView words = line.trimmed();
    return std::any_of(words.begin(), words.end(), [](QChar ch) { return ch.isSpace(); });
}
