// SPDX-License-Identifier: MIT

#ifndef PKSMARTCOLLECTION_H
#define PKSMARTCOLLECTION_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// Reads a smart collection that a photo catalogue saved to a file: a Lua
// table (`s = { ... type = "LibrarySmartCollection" ... }`) whose rules say
// which pictures belong. The picks are the words of the rules on the file
// name that include pictures, in file order; rules that exclude pictures and
// words starting with `!` are not picks.
class PkSmartCollection
{
public:
    static bool isSmartCollection(QStringView text);

    // The identifiers, read as far as the table makes sense. error receives
    // why there are none: the file is cut short, or it has no such rule.
    static QList<QString> read(QStringView text, QString &error);

    // A smart collection titled title whose one rule takes the pictures
    // whose file names contain any of names: those read() gives back. The
    // rule's words are separated by blanks, so a name that holds one is two
    // words, in the catalogue as here.
    static QByteArray write(const QString &title, const QList<QString> &names);
};

#endif // PKSMARTCOLLECTION_H
