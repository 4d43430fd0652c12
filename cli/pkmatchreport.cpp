// SPDX-License-Identifier: MIT

#include "pkmatchreport.h"

#include "pkselectionmatcher.h"
#include "pkterminaltext.h"

#include <QFile>

namespace {

// Built up to the limit only: thousands of pictures sharing a long prefix
// would otherwise make lines of hundreds of megabytes.
QByteArray shortList(const QList<QString> &names)
{
    QByteArray out;
    const qsizetype shown = std::min<qsizetype>(names.size(), PkMatchReport::pictureLimit);
    for (qsizetype i = 0; i < shown; ++i)
        out += (i > 0 ? ", " : "") + PkTerminalText::escaped(names.at(i));
    if (names.size() > shown)
        out += " and " + QByteArray::number(names.size() - shown) + " more";
    return out;
}

} // namespace

QByteArray PkMatchReport::summary(const PkMatchResult &match)
{
    QByteArray out = counted(match.idCount, "identifier", "identifiers") + ", "
        + counted(match.files.size(), "file", "files") + " to copy, "
        + QByteArray::number(match.idsNotFound.size() + match.ranges.size()) + " not found";
    if (!match.ambiguous.isEmpty())
        out += ", " + QByteArray::number(match.ambiguous.size()) + " ambiguous";
    if (!match.near.isEmpty())
        out += ", " + QByteArray::number(match.near.size()) + " near";
    out += '\n';
    for (const QString &id : match.idsNotFound)
        out += "not found: " + PkTerminalText::escaped(id) + '\n';
    for (const PkRangeRead &range : match.ranges)
        out += "range: " + PkTerminalText::escaped(range.id) + ": " + shortList(range.missing) + " not in the folder\n";
    for (const PkProseRead &prose : match.prose)
        out += "prose: " + PkTerminalText::escaped(prose.shortLine()) + ": " + shortList(prose.picks) + '\n';
    for (const PkNearMatch &entry : match.near)
        out += "near: " + PkTerminalText::escaped(entry.id) + ": " + PkTerminalText::escaped(entry.picture) + '\n';
    for (const PkAmbiguousId &entry : match.ambiguous)
        out += "ambiguous: " + PkTerminalText::escaped(entry.id) + ": " + shortList(entry.pictures) + '\n';
    for (const QString &line : match.textLines)
        out += "text: " + PkTerminalText::escaped(line) + '\n';
    for (const QString &name : match.notUtf8)
        out += "not UTF-8: " + PkTerminalText::escaped(name) + '\n';
    if (match.subfolders > 0)
        out += "searched: " + counted(match.subfolders, "sub-folder", "sub-folders") + " with the folder\n";
    if (match.inSubfolders > 0)
        out += "hint: " + counted(match.inSubfolders, "identifier", "identifiers") + " not found here "
             + (match.inSubfolders == 1 ? "is" : "are") + " in sub-folders; see --subfolders\n";
    return out;
}

QByteArray PkMatchReport::clashes(const QList<PkFolderTree::Clash> &clashes)
{
    QByteArray out;
    for (const PkFolderTree::Clash &clash : clashes)
        out += "clash: " + PkTerminalText::escaped(clash.name) + ": " + shortList(clash.folders) + '\n';
    return out;
}

QByteArray PkMatchReport::counted(qsizetype count, const char *one, const char *many)
{
    return QByteArray::number(count) + ' ' + (count == 1 ? one : many);
}

QByteArray PkMatchReport::skipped(const QList<QString> &ids)
{
    return "skipped: " + counted(ids.size(), "ambiguous identifier: ", "ambiguous identifiers: ")
        + shortList(ids) + "\nadd them with --resume --ambiguous=copy\n";
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
