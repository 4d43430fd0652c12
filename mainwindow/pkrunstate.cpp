// SPDX-License-Identifier: MIT

#include "pkrunstate.h"

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
    return true;
}

int PkRunState::start(int total, const QString &folder)
{
    phase = Phase::Running;
    this->total = total;
    runFolder = folder;
    copied = 0;
    alreadyThere = 0;
    failures.clear();
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
            if (filesThere() < total)
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
    const qsizetype failed = failures.size();
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
    if (filesThere() + failed < total)
        return QStringLiteral("Stopped: ") + QString::number(copied) + QStringLiteral(" of ") + QString::number(total)
            + QStringLiteral(" copied") + parts;
    if (failed)
        return QStringLiteral("%1 copied").arg(copied) + parts;
    return QStringLiteral("Done: %1 copied").arg(copied) + parts;
}

QString PkRunState::failureToolTip() const
{
    QStringList lines;
    for (qsizetype i = 0; i < failures.size() && i < failureToolTipLimit; ++i)
        lines << failures.at(i).first + QStringLiteral(": ") + failures.at(i).second;
    if (failures.size() > failureToolTipLimit)
        lines << QStringLiteral("and %1 more").arg(failures.size() - failureToolTipLimit);
    return lines.join(QLatin1Char('\n'));
}

QString PkRunState::failureReport() const
{
    QStringList lines;
    for (const auto &[name, reason] : failures)
        lines << name + QLatin1Char('\t') + reason;
    return lines.join(QLatin1Char('\n'));
}
