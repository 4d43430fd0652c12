// SPDX-License-Identifier: MIT

#ifndef PKREVIEWMODEL_H
#define PKREVIEWMODEL_H

#include "pkreviewselection.h"

#include <QList>
#include <QObject>

// The selection as the review groups it, and which files stay ticked. Every
// file is ticked again whenever a new selection comes in.
class PkReviewModel : public QObject
{
    Q_OBJECT

public:
    struct Group
    {
        QString id; // empty for files no identifier was given for
        bool ambiguous = false;
        QList<int> files; // indexes into selection().files
    };

    explicit PkReviewModel(QObject *parent = nullptr);

    void setSelection(const PkReviewSelection &selection);
    const PkReviewSelection &selection() const { return current; }
    const QList<Group> &groups() const { return groupList; }
    QString path(int file) const;

    bool isTicked(int file) const { return ticks.value(file); }
    Qt::CheckState groupState(int group) const;
    void setTicked(int file, bool on);
    // Ticks every file of the group, or unticks them all when all are ticked.
    void toggleGroup(int group);
    int tickedCount() const { return ticked; }
    // The unticked files, in the selection's order.
    QList<QString> leftOut() const;

signals:
    void ticksChanged();

private:
    PkReviewSelection current;
    QList<Group> groupList;
    QList<bool> ticks;
    int ticked = 0;
};

#endif // PKREVIEWMODEL_H
