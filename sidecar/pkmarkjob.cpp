// SPDX-License-Identifier: MIT

#include "pkmarkjob.h"

#include "pkpicturedecoder.h"

#include <QSet>

#include <algorithm>

namespace {

// Raw files that all read a sidecar of the short naming (IMG_2403.xmp):
// a camera's raw and a converted DNG, say.
QList<QString> sharers(const PkSidecarTarget &target)
{
    const QString sidecar = PkSidecarPlan::nameOf(target.sidecar);
    const QString stem = sidecar.left(sidecar.size() - 4);
    QList<QString> raws;
    for (const QString &file : target.files) {
        const QString name = PkSidecarPlan::nameOf(file);
        if (PkPictureDecoder::isRaw(name) && name.left(name.lastIndexOf(QLatin1Char('.'))).compare(stem, Qt::CaseInsensitive) == 0)
            raws.append(name);
    }
    return raws;
}

} // namespace

PkMarkJob::Report PkMarkJob::run(const PkSidecarWriter &writer, const QList<QString> &files,
                                 const PkXmpPacket::Edit &edit, bool dryRun)
{
    Report report;
    const QList<PkSidecarTarget> targets = PkSidecarPlan::plan(files);
    QSet<QString> folders;
    for (const PkSidecarTarget &target : targets)
        folders.insert(PkSidecarPlan::folderOf(target.sidecar));
    QList<QString> sorted(folders.cbegin(), folders.cend());
    std::sort(sorted.begin(), sorted.end());
    for (const QString &folder : std::as_const(sorted)) {
        const QString problem = writer.folderProblem(folder);
        if (!problem.isEmpty()) {
            report.refusal = (folder.isEmpty() ? QStringLiteral("the picture folder") : folder) + QStringLiteral(": ") + problem;
            return report;
        }
    }
    for (const PkSidecarTarget &target : targets) {
        const PkSidecarWriter::Result result = writer.mark(target, edit, dryRun);
        switch (result.outcome) {
        case PkSidecarWriter::Outcome::Refused:
            report.problems.append(target.sidecar + QStringLiteral(": ") + result.reason + QStringLiteral("; left as it is"));
            continue;
        case PkSidecarWriter::Outcome::Unchanged:
            ++report.unchanged;
            continue;
        case PkSidecarWriter::Outcome::Written:
            ++report.changed;
            break;
        case PkSidecarWriter::Outcome::Created:
            ++report.created;
            break;
        }
        report.marked.append(target);
        const QList<QString> raws = sharers(target);
        if (raws.size() > 1)
            report.shared.append(target.sidecar + QStringLiteral(": one sidecar for ") + raws.join(QStringLiteral(" and ")));
    }
    return report;
}

QList<PkSidecarTarget> PkMarkJob::created(const Report &report)
{
    QList<PkSidecarTarget> created;
    std::copy_if(report.marked.cbegin(), report.marked.cend(), std::back_inserter(created),
                 [](const PkSidecarTarget &target) { return !target.exists; });
    return created;
}
