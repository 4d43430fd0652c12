// SPDX-License-Identifier: MIT

#include "pkreviewlink.h"
#include "pkbutton.h"
#include "pkreviewwindow.h"

#include <QAction>
#include <QEvent>

PkReviewLink::PkReviewLink(PkButton *toCopyTile, QWidget *window)
    : QObject(window)
    , window(window)
    , reviewAction(new QAction(QStringLiteral("Review selection\u2026"), toCopyTile))
{
    reviewAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    reviewAction->setEnabled(false); // until a folder has been matched
    reviewAction->setToolTip(QStringLiteral("See the files to copy as thumbnails and leave some out (Ctrl+R)"));
    connect(reviewAction, &QAction::triggered, this, &PkReviewLink::open);
    toCopyTile->insertAction(toCopyTile->actions().value(0), reviewAction);
    toCopyTile->setContextMenuPolicy(Qt::ActionsContextMenu);
    toCopyTile->installEventFilter(this);
}

namespace {

QSet<QString> untickedOf(const PkReviewSelection &selection)
{
    return QSet<QString>(selection.unticked.begin(), selection.unticked.end());
}

} // namespace

void PkReviewLink::setSelection(const PkReviewSelection &newSelection)
{
    if (!selection.isSameJob(newSelection))
        leftOut = untickedOf(newSelection);
    selection = newSelection;
    reviewAction->setEnabled(true);
    if (reviewWindow)
        reviewWindow->setSelection(selection, leftOut);
    emit filesChanged();
}

// Whether it comes before or after the match it causes, the new match finds
// every file ticked.
void PkReviewLink::startOver()
{
    if (!reviewAction->isEnabled())
        return; // nothing matched yet
    leftOut = untickedOf(selection);
    if (reviewWindow)
        reviewWindow->setSelection(selection, leftOut);
    emit filesChanged();
}

QList<QString> PkReviewLink::filesToRun() const
{
    if (leftOut.isEmpty())
        return selection.files;
    QList<QString> files;
    for (const QString &file : selection.files) {
        if (!leftOut.contains(file))
            files.append(file);
    }
    return files;
}

void PkReviewLink::open()
{
    if (!reviewWindow) {
        reviewWindow = new PkReviewWindow(window);
        reviewWindow->setSelection(selection, leftOut);
        connect(reviewWindow, &PkReviewWindow::leftOutChanged, this, [this](const QList<QString> &files) {
            leftOut = QSet<QString>(files.begin(), files.end());
            emit filesChanged();
        });
    }
    reviewWindow->show();
    reviewWindow->raise();
    reviewWindow->activateWindow();
}

// A double click that opens the review is the tile's no longer.
bool PkReviewLink::eventFilter(QObject *, QEvent *event)
{
    const bool opens = event->type() == QEvent::MouseButtonDblClick && reviewAction->isEnabled();
    if (opens)
        open();
    return opens;
}
