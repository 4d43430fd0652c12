// SPDX-License-Identifier: MIT

#include "pklikereport.h"

#include "pklikejob.h"
#include "pkmatchreport.h"
#include "pkterminaltext.h"

QByteArray PkLikeReport::summary(const PkLikeResult &result)
{
    const PkMatchResult &match = result.match;
    QString counts = QString::fromUtf8(PkMatchReport::counted(match.idCount, "example", "examples") + ", "
                                       + PkMatchReport::counted(match.files.size(), "file", "files") + " to copy, ")
        + QStringLiteral("%1 not found").arg(match.idsNotFound.size());
    if (!match.ambiguous.isEmpty())
        counts += QStringLiteral(", %1 ambiguous").arg(match.ambiguous.size());
    if (!result.notPictures.isEmpty())
        counts += QString::fromUtf8(", " + PkMatchReport::counted(result.notPictures.size(), "not a picture", "not pictures"));
    QByteArray out = counts.toUtf8() + '\n';
    for (const PkLikeFinding &finding : result.found) {
        const char *how = finding.byContent ? "content" : finding.contentDiffers ? "capture time, content differs"
                                                                                : "capture time";
        out += "like: " + PkTerminalText::escaped(finding.example) + ": " + PkTerminalText::escaped(finding.picture)
            + " (" + how + ")\n";
    }
    // The list's own lines for what was not found or is ambiguous follow
    // its count line.
    const QByteArray lines = PkMatchReport::summary(match);
    out += lines.mid(lines.indexOf('\n') + 1);
    for (const auto &[example, why] : result.notPictures)
        out += "not a picture: " + PkTerminalText::escaped(example) + ": " + why.toUtf8() + '\n';
    return out;
}
