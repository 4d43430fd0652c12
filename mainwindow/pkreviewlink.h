// SPDX-License-Identifier: MIT

#ifndef PKREVIEWLINK_H
#define PKREVIEWLINK_H

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include "pkambiguityanswers.h"
#include "pkambiguityquestion.h"
#include "pkreviewselection.h"

#include <functional>

QT_BEGIN_NAMESPACE
class QAction;
QT_END_NAMESPACE

class PkButton;
class PkReviewWindow;

// Opens the review from the To copy tile (a double click, its context action
// or the shortcut) and keeps the files left out there out of the run, and the
// files of ambiguous identifiers until the user answers for them. The review
// window is only made when first opened, so start-up does not pay for it.
class PkReviewLink : public QObject
{
    Q_OBJECT

public:
    PkReviewLink(PkButton *toCopyTile, QWidget *window);

    // A new match. Of the same job (a destination chosen, the rest added)
    // it keeps what was left out and answered; of another list or folder it
    // ticks every file again but those that wait for an answer.
    void setSelection(const PkReviewSelection &selection);
    // Ticks every file again but those that wait: the matching options changed.
    void startOver();
    // The selection's files less those left out, in their order.
    QList<QString> filesToRun() const { return answers.filesToRun(); }
    // How many files wait for an answer, left out of filesToRun meanwhile.
    int waiting() const { return answers.waiting(); }
    // How many of the selection's files are left out: unticked in the
    // review, or waiting for an answer.
    qsizetype leftOutCount() const { return selection.files.size() - filesToRun().size(); }
    void open();
    // Before a run: when files wait for an answer, asks for it and returns
    // true; go is called once the answer lets the run start.
    bool askFirst(const std::function<void()> &go);
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
    void answer(PkAmbiguityQuestion::Choice choice);

    PkAmbiguityQuestion *ambiguityQuestion = nullptr;
    PkReviewSelection selection;
    PkAmbiguityAnswers answers;
    std::function<void()> startWhenAnswered;
};

#endif // PKREVIEWLINK_H
