// SPDX-License-Identifier: MIT

#ifndef PKMATCHTEXT_H
#define PKMATCHTEXT_H

#include <QString>
#include <QStringView>

#include <string_view>

// The pieces of text that matching compares: identifiers and file names made
// comparable, their extensions, pictures and numbers, and the loosened forms
// that near matches look for.
class PkMatchText
{
public:
    // Text below this code unit has no combining marks and is the same
    // composed and decomposed.
    static constexpr char16_t firstComposable = 0x300;

    // text composed (NFC): a Mac writes "ü" as "u" and a combining mark.
    static QString comparable(const QString &text);
    // comparable(text), case-folded.
    static QString folded(QStringView text);

    static bool isDigit(QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); }
    static bool isNumber(QStringView text);
    static std::u16string_view withoutLeadingZeros(QStringView digits);

    // How much of text stays when its last extension goes: a dot and 1 to 5
    // ASCII letters or digits, at least one a letter, at its end.
    static qsizetype stemLength(QStringView text);
    // How much of a file name its picture is: the name without up to two
    // extensions.
    static qsizetype pictureLength(QStringView fileName);

    // How much of a case-folded stem stays without the edit or copy marker
    // at its end ("-edit", "_lr_edit", "-2", " copy", " (1)"), or -1 when it
    // ends in none.
    static qsizetype unmarkedLength(QStringView stem);

    // The one run of three or more digits in text, runs of one or two digits
    // ignored; empty when there is none or more than one.
    static QStringView pictureNumber(QStringView text);

    // A line of two or more words with no digit: a greeting, a thank-you, a
    // signature, rather than an identifier.
    static bool isText(QStringView line);

    // The file name of a path relative to the picture folder
    // ("CardA/IMG_0001.JPG" -> "IMG_0001.JPG"): identifiers are matched
    // against names, never against the folders a job is kept in.
    static QString baseName(const QString &path)
    {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        return slash < 0 ? path : path.sliced(slash + 1);
    }
};

#endif // PKMATCHTEXT_H
