// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include "pkmarkjob.h"
#include "pkmatchreport.h"
#include "pkterminaltext.h"

#include <cstdio>

namespace {

void print(FILE *stream, const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
}

QByteArray summary(const PkMarkJob::Report &report, const PkCommandLine::Invocation &invocation)
{
    const int sidecars = report.changed + report.created;
    QByteArray line = invocation.unmark ? (invocation.dryRun ? "would unmark in " : "unmarked in ")
                                        : (invocation.dryRun ? "would mark in " : "marked in ");
    line += PkMatchReport::counted(sidecars, "sidecar", "sidecars");
    if (report.created > 0)
        line += " (" + QByteArray::number(report.created) + " new)";
    if (report.unchanged > 0)
        line += ", " + QByteArray::number(report.unchanged) + (invocation.unmark ? " not marked" : " marked already");
    if (!report.problems.isEmpty())
        line += ", " + QByteArray::number(report.problems.size()) + " left as "
            + (report.problems.size() == 1 ? "it is" : "they are");
    return line + '\n';
}

} // namespace

// The picks' sidecars get the keyword, or lose it, before anything is
// copied: the copies then carry the marks, and the sidecars created are
// copied with their pictures. A dry run says what would be marked.
int PkCommandLine::mark(const Invocation &invocation)
{
    PkXmpPacket::Edit edit;
    edit.keyword = invocation.markKeyword;
    edit.label = invocation.markLabel;
    edit.remove = invocation.unmark;
    const PkMarkJob::Report report = PkMarkJob::run(PkSidecarWriter(folderPath), files, edit, invocation.dryRun);
    if (!report.refusal.isEmpty()) {
        printError(QStringLiteral("cannot mark the picks: ") + QString::fromLocal8Bit(PkTerminalText::escaped(report.refusal)));
        return FolderRefused;
    }
    std::fflush(stdout);
    FILE *out = invocation.dryRun ? stderr : stdout;
    for (const QString &problem : report.problems)
        print(stderr, "mark: " + PkTerminalText::escaped(problem) + '\n');
    for (const QString &shared : report.shared)
        print(out, "note: " + PkTerminalText::escaped(shared) + '\n');
    if (invocation.dryRun) {
        // Without copies to list, standard output lists the sidecars.
        for (const PkSidecarTarget &target : report.marked) {
            const QByteArray name = PkTerminalText::escaped(target.sidecar);
            print(stderr, "mark: " + name + (target.exists ? "\n" : " (new)\n"));
        }
        if (!invocation.copy) {
            QList<QString> sidecars, leftOut;
            for (const PkSidecarTarget &target : report.marked)
                sidecars.append(target.sidecar);
            print(stdout, PkMatchReport::fileList(folderPath, sidecars, invocation.print0, leftOut));
        }
    }
    print(out, summary(report, invocation));
    std::fflush(out);
    markIncomplete = !report.problems.isEmpty();
    files = PkSidecarPlan::withCreated(files, PkMarkJob::created(report));
    return Success;
}
