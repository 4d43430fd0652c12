// SPDX-License-Identifier: MIT

#include "pkreviewmodel.h"

PkReviewModel::PkReviewModel(QObject *parent)
    : QObject(parent)
{
}

// Identifiers whose files all stand under an earlier one get no group: the
// files are shown once, and the identifier did find something, so it is not
// among those not found either.
void PkReviewModel::setSelection(const PkReviewSelection &selection)
{
    current = selection;
    const qsizetype idCount = selection.ids.size();
    QList<Group> byId(idCount + 1);
    for (int file = 0; file < selection.files.size(); ++file) {
        const qsizetype id = selection.fileIds.value(file, -1);
        byId[id >= 0 && id < idCount ? id : idCount].files.append(file);
    }
    groupList.clear();
    for (qsizetype id = 0; id <= idCount; ++id) {
        Group &group = byId[id];
        if (group.files.isEmpty())
            continue;
        if (id < idCount) {
            group.id = selection.ids.at(id);
            group.ambiguous = selection.ambiguous.contains(group.id);
        }
        groupList.append(std::move(group));
    }
    ticks = QList<bool>(selection.files.size(), true);
    ticked = int(selection.files.size());
    emit ticksChanged();
}

QString PkReviewModel::path(int file) const
{
    return current.folder + QLatin1Char('/') + current.files.at(file);
}

Qt::CheckState PkReviewModel::groupState(int group) const
{
    int on = 0;
    const QList<int> &files = groupList.at(group).files;
    for (int file : files)
        on += ticks.at(file) ? 1 : 0;
    if (on == 0)
        return Qt::Unchecked;
    return on == files.size() ? Qt::Checked : Qt::PartiallyChecked;
}

void PkReviewModel::setTicked(int file, bool on)
{
    if (ticks.at(file) == on)
        return;
    ticks[file] = on;
    ticked += on ? 1 : -1;
    emit ticksChanged();
}

void PkReviewModel::toggleGroup(int group)
{
    const bool on = groupState(group) != Qt::Checked;
    QSignalBlocker blocker(this);
    for (int file : groupList.at(group).files)
        setTicked(file, on);
    blocker.unblock();
    emit ticksChanged();
}

QList<QString> PkReviewModel::leftOut() const
{
    QList<QString> files;
    for (int file = 0; file < ticks.size(); ++file) {
        if (!ticks.at(file))
            files.append(current.files.at(file));
    }
    return files;
}
