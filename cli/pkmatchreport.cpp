// SPDX-License-Identifier: MIT

#include "pkmatchreport.h"

#include "pkselectionmatcher.h"
#include "pkterminaltext.h"

#include <QFile>
#include <QStringList>

QByteArray PkMatchReport::summary(const PkMatchResult &match)
{
    QString counts = QStringLiteral("%1 identifiers, %2 files to copy, %3 not found")
                         .arg(match.idCount)
                         .arg(match.files.size())
                         .arg(match.idsNotFound.size());
    if (!match.ambiguous.isEmpty())
        counts += QStringLiteral(", %1 ambiguous").arg(match.ambiguous.size());
    QByteArray out = counts.toUtf8() + '\n';
    for (const QString &id : match.idsNotFound)
        out += "not found: " + PkTerminalText::escaped(id) + '\n';
    for (const PkAmbiguousId &entry : match.ambiguous)
        out += "ambiguous: " + PkTerminalText::escaped(entry.id) + ": "
            + PkTerminalText::escaped(QStringList(entry.pictures).join(QStringLiteral(", "))) + '\n';
    return out;
}

QByteArray PkMatchReport::fileList(const QList<QString> &files)
{
    QByteArray out;
    for (const QString &name : files)
        out += QFile::encodeName(name) + '\n';
    return out;
}
