// SPDX-License-Identifier: MIT

#ifndef PKLISTREADER_H
#define PKLISTREADER_H

#include <QByteArrayView>
#include <QList>
#include <QString>

// A selection list as read from its file. error holds the system's reason when
// the file exists but cannot be read; a missing file is simply an empty list.
// Blank lines of a plain list are counted, not kept in ids; no figure shown
// counts them as identifiers.
struct PkSelectionList
{
    QList<QString> ids;
    QString error;
    qsizetype blankLines = 0;

    qsizetype count() const { return ids.size() + blankLines; }
};

// Reads the identifiers of a selection list, from a file, from standard input
// or from pasted text: the same rules for each.
class PkListReader
{
public:
    // The most identifiers and bytes a list may hold: a larger list is
    // refused with error set, rather than taking the machine's memory.
    static constexpr qsizetype maxIds = 1'000'000;
    static constexpr qint64 maxBytes = 64'000'000;
    static QString tooLarge(bool bytes);

    static PkSelectionList readFile(const QString &path);

    // The identifiers in bytes, a list's whole content. fileName is the name
    // the list came under, empty for pasted text or standard input.
    static PkSelectionList readBytes(QByteArrayView bytes, const QString &fileName = QString());

    // The identifiers in text that is already decoded, as pasted text is.
    static PkSelectionList readText(const QString &text);
};

#endif // PKLISTREADER_H
