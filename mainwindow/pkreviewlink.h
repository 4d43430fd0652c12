// SPDX-License-Identifier: MIT

#ifndef PKREVIEWLINK_H
#define PKREVIEWLINK_H

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include "pkreviewselection.h"

QT_BEGIN_NAMESPACE
class QAction;
QT_END_NAMESPACE

class PkButton;
class PkReviewWindow;

// Opens the review from the To copy tile (a double click, its context action
// or the shortcut) and keeps the files left out there out of the run. The
// review window is only made when first opened, so start-up does not pay for it.
class PkReviewLink : public QObject
{
    Q_OBJECT

public:
    PkReviewLink(PkButton *toCopyTile, QWidget *window);

    // A new match. Of the same job (a destination chosen, the rest added)
    // it keeps what was left out; of another list or folder it ticks every
    // file again.
    void setSelection(const PkReviewSelection &selection);
    // Ticks every file again: the matching options changed.
    void startOver();
    // The selection's files less those left out, in their order.
    QList<QString> filesToRun() const;
    // How many of the selection's files were left out in the review.
    qsizetype leftOutCount() const { return selection.files.size() - filesToRun().size(); }
    void open();
    PkReviewWindow *review() const { return reviewWindow; }
    QAction *action() const { return reviewAction; }

signals:
    void filesChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window;
    QAction *reviewAction;
    PkReviewWindow *reviewWindow = nullptr;
    PkReviewSelection selection;
    QSet<QString> leftOut;
};

#endif // PKREVIEWLINK_H
