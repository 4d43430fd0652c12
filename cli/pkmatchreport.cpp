// SPDX-License-Identifier: MIT

#include "pkmatchreport.h"

#include "pkselectionmatcher.h"
#include "pkterminaltext.h"

#include <QFile>

namespace {

// Built up to the limit only: thousands of pictures sharing a long prefix
// would otherwise make lines of hundreds of megabytes.
QByteArray pictureList(const QList<QString> &pictures)
{
    QByteArray out;
    const qsizetype shown = std::min<qsizetype>(pictures.size(), PkMatchReport::pictureLimit);
    for (qsizetype i = 0; i < shown; ++i)
        out += (i > 0 ? ", " : "") + PkTerminalText::escaped(pictures.at(i));
    if (pictures.size() > shown)
        out += " and " + QByteArray::number(pictures.size() - shown) + " more";
    return out;
}

} // namespace

QByteArray PkMatchReport::summary(const PkMatchResult &match)
{
    QByteArray out = QByteArray::number(match.idCount) + " identifiers, " + QByteArray::number(match.files.size())
        + " files to copy, " + QByteArray::number(match.idsNotFound.size() + match.ranges.size()) + " not found";
    if (!match.ambiguous.isEmpty())
        out += ", " + QByteArray::number(match.ambiguous.size()) + " ambiguous";
    if (!match.near.isEmpty())
        out += ", " + QByteArray::number(match.near.size()) + " near";
    out += '\n';
    for (const QString &id : match.idsNotFound)
        out += "not found: " + PkTerminalText::escaped(id) + '\n';
    for (const PkRangeRead &range : match.ranges)
        out += "range: " + PkTerminalText::escaped(range.id) + ": " + pictureList(range.missing) + " not in the folder\n";
    for (const PkProseRead &prose : match.prose)
        out += "prose: " + PkTerminalText::escaped(prose.shortLine()) + ": " + pictureList(prose.picks) + '\n';
    for (const PkNearMatch &entry : match.near)
        out += "near: " + PkTerminalText::escaped(entry.id) + ": " + PkTerminalText::escaped(entry.picture) + '\n';
    for (const PkAmbiguousId &entry : match.ambiguous)
        out += "ambiguous: " + PkTerminalText::escaped(entry.id) + ": " + pictureList(entry.pictures) + '\n';
    for (const QString &line : match.textLines)
        out += "text: " + PkTerminalText::escaped(line) + '\n';
    return out;
}

QByteArray PkMatchReport::fileList(const QString &folder, const QList<QString> &files, bool nulTerminated,
                                   QList<QString> &leftOut)
{
    QByteArray prefix = QFile::encodeName(folder);
    if (!prefix.endsWith('/'))
        prefix += '/';
    QByteArray out;
    for (const QString &name : files) {
        if (!nulTerminated && name.contains(QLatin1Char('\n'))) {
            leftOut.append(name);
            continue;
        }
        out += prefix + QFile::encodeName(name) + (nulTerminated ? '\0' : '\n');
    }
    return out;
}
