// SPDX-License-Identifier: MIT

#include "pkrunstate.h"

#include "pwtools.h"

#include <QStringList>

namespace {

constexpr int failureToolTipLimit = 20;

} // namespace

bool PkRunState::selectionChanged(bool ready)
{
    selectionReady = ready;
    if (phase == Phase::Running) {
        changedDuringRun = true;
        return false;
    }
    phase = Phase::Idle;
    failures.clear();
    notes.clear();
    return true;
}

int PkRunState::start(int total, const QString &folder, bool verify)
{
    phase = Phase::Running;
    verified = verify;
    this->total = total;
    runFolder = folder;
    copied = 0;
    alreadyThere = 0;
    failures.clear();
    notes.clear();
    stopCause.clear();
    backupFailures = 0;
    backupsDone = 0;
    backupsShort.clear();
    changedDuringRun = false;
    return ++runs;
}

void PkRunState::fileCopied(int count)
{
    copied = count;
}

void PkRunState::fileAlreadyThere(int count)
{
    alreadyThere = count;
}

void PkRunState::fileFailed(const QString &name, const QString &reason)
{
    failures.append({name, reason});
}

void PkRunState::fileNoted(const QString &name, const QString &note)
{
    notes.append({name, note});
}

void PkRunState::backupFailed(const QString &folder, const QString &name, const QString &reason)
{
    ++backupFailures;
    failures.append({name, reason + QStringLiteral(" (in ") + folder + QLatin1Char(')')});
}

// A backup says only what it lacks, by its folder's name: "backup stopped:
// the drive is full, 12 of 40 copied".
void PkRunState::backupFinished(const QString &folder, int copied, int failed, int alreadyThere, const QString &stopped)
{
    ++backupsDone;
    if (stopped.isEmpty() && failed == 0 && copied + alreadyThere == total)
        return;
    const QString name = folder.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
    const QString figures = QStringLiteral("%1 of %2 copied").arg(copied + alreadyThere).arg(total);
    backupsShort << (stopped.isEmpty() ? name + QStringLiteral(": ") + figures
                                       : name + QStringLiteral(" stopped: ") + stopped + QStringLiteral(", ") + figures);
}

void PkRunState::finish(int copied, int alreadyThere, bool outputExists)
{
    this->copied = copied;
    this->alreadyThere = alreadyThere;
    hasOutput = outputExists;
    phase = Phase::Ended;
}

PkRunState::Action PkRunState::action() const
{
    switch (phase) {
    case Phase::Running:
        return Action::Stop;
    case Phase::Ended:
        // A selection made during the run waits for its own "Start". Files
        // that a stop or a failure left out can be added to the same output.
        if (!changedDuringRun) {
            if (filesThere() < total || !backupsShort.isEmpty())
                return Action::CopyRest;
            return hasOutput ? Action::ShowCopies : Action::None;
        }
        break;
    case Phase::Idle:
        break;
    }
    return selectionReady ? Action::Start : Action::None;
}

QString PkRunState::summary() const
{
    const qsizetype failed = failures.size() - backupFailures;
    switch (phase) {
    case Phase::Idle:
        return QString();
    case Phase::Running:
        return QString::number(filesThere()) + QStringLiteral(" of ") + QString::number(total);
    case Phase::Ended:
        break;
    }
    // Each part only when it counts something.
    QString parts;
    if (alreadyThere)
        parts += QStringLiteral(", %1 already there").arg(alreadyThere);
    if (failed)
        parts += QStringLiteral(", %1 failed").arg(failed);
    // Only a stop leaves names untried: neither copied, nor there, nor failed.
    // One that no file could escape says why, once.
    const QString why = stopCause.isEmpty() ? QString() : stopCause + QStringLiteral(". ");
    if (filesThere() + failed < total)
        return QStringLiteral("Stopped: ") + why + QString::number(copied) + QStringLiteral(" of ") + QString::number(total)
            + QStringLiteral(" copied") + parts;
    // Only copies read back are said to be verified; those already there
    // were not read.
    const QString made = QString::number(copied)
        + (verified && copied > 0 ? QStringLiteral(" copied and verified") : QStringLiteral(" copied"));
    if (backupsShort.isEmpty() && backupsDone > 0)
        parts += backupsDone == 1 ? QStringLiteral(", backed up") : QStringLiteral(", backed up twice");
    for (const QString &backup : backupsShort)
        parts += QStringLiteral("; ") + backup;
    return (failed || !backupsShort.isEmpty() ? QString() : QStringLiteral("Done: ")) + made + parts;
}

QString PkRunState::failureToolTip() const
{
    // Rich text, so that a name cannot be taken for markup whatever it holds.
    QStringList lines;
    const QList<QPair<QString, QString>> all = reported();
    for (qsizetype i = 0; i < all.size() && i < failureToolTipLimit; ++i)
        lines << (PwTools::visibleText(all.at(i).first) + QStringLiteral(": ") + all.at(i).second).toHtmlEscaped();
    if (all.size() > failureToolTipLimit)
        lines << QStringLiteral("and %1 more").arg(all.size() - failureToolTipLimit);
    if (lines.isEmpty())
        return QString();
    return QStringLiteral("<p style='white-space:pre'>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

QString PkRunState::failureReport() const
{
    QStringList lines;
    for (const auto &[name, reason] : reported())
        lines << PwTools::visibleText(name) + QLatin1Char('\t') + reason;
    return lines.join(QLatin1Char('\n'));
}

// The failures, then what else the run had to say of single files.
QList<QPair<QString, QString>> PkRunState::reported() const
{
    return failures + notes;
}
