// SPDX-License-Identifier: MIT

#include "pkreviewlink.h"
#include "pkambiguityquestion.h"
#include "pkbutton.h"
#include "pkreviewwindow.h"

#include <QAction>
#include <QEvent>

#include <utility>

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

// The answers hold for the same job, so "Copy the rest" and "Add the rest"
// do not ask again.
void PkReviewLink::setSelection(const PkReviewSelection &newSelection)
{
    if (selection.isSameJob(newSelection))
        answers.keep(newSelection);
    else
        answers.reset(newSelection);
    selection = newSelection;
    reviewAction->setEnabled(true);
    if (reviewWindow)
        reviewWindow->setSelection(selection, answers.leftOut());
    emit filesChanged();
}

// Whether it comes before or after the match it causes, the new match finds
// every file ticked but those that wait for an answer.
void PkReviewLink::startOver()
{
    if (!reviewAction->isEnabled())
        return; // nothing matched yet
    answers.reset(selection);
    if (reviewWindow)
        reviewWindow->setSelection(selection, answers.leftOut());
    emit filesChanged();
}

void PkReviewLink::open()
{
    if (!reviewWindow) {
        reviewWindow = new PkReviewWindow(window);
        reviewWindow->setSelection(selection, answers.leftOut());
        connect(reviewWindow, &PkReviewWindow::leftOutChanged, this, [this](const QList<QString> &files) {
            answers.setLeftOut(QSet<QString>(files.begin(), files.end()));
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

bool PkReviewLink::askFirst(const std::function<void()> &go)
{
    const QList<qsizetype> ids = answers.unanswered();
    if (ids.isEmpty())
        return false;
    if (!ambiguityQuestion) {
        ambiguityQuestion = new PkAmbiguityQuestion(window);
        connect(ambiguityQuestion, &PkAmbiguityQuestion::chosen, this, &PkReviewLink::answer);
    }
    QList<PkAmbiguousId> asked;
    for (const qsizetype id : ids)
        asked.append({selection.ids.at(id), selection.ambiguous.value(selection.ids.at(id)), true});
    startWhenAnswered = go;
    ambiguityQuestion->ask(asked, answers.waiting());
    return true;
}

// Review opens at the first identifier asked about, where the user ticks
// the pictures meant; the other answers start the run.
void PkReviewLink::answer(PkAmbiguityQuestion::Choice choice)
{
    const auto go = std::exchange(startWhenAnswered, nullptr);
    if (choice == PkAmbiguityQuestion::Choice::Review) {
        const QList<qsizetype> ids = answers.unanswered();
        open();
        if (!ids.isEmpty())
            reviewWindow->showGroupOf(selection.ids.at(ids.constFirst()));
        return;
    }
    answers.answer(choice == PkAmbiguityQuestion::Choice::CopyAll
                           ? PkAmbiguityAnswers::Answer::CopyAll
                           : PkAmbiguityAnswers::Answer::LeaveOut);
    if (reviewWindow)
        reviewWindow->setSelection(selection, answers.leftOut());
    emit filesChanged();
    if (go)
        go();
}
