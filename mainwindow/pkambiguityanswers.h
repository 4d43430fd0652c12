// SPDX-License-Identifier: MIT

#ifndef PKAMBIGUITYANSWERS_H
#define PKAMBIGUITYANSWERS_H

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "pkreviewselection.h"

// Which files of a job a run copies: every file but those the user left out
// in the review, those held for an answer, the files that only identifiers
// ambiguous as written select, and the pictures an ambiguous example may
// show, of which the user ticks the one meant (they wait for no answer). Held files stay unticked until
// the user answers for their identifier, at Start or by ticking or
// unticking files of its group in the review, which counts as long as those
// ticks last. Held files are grouped under the first identifier that
// selects them, as the review groups them.
class PkAmbiguityAnswers
{
public:
    enum class Answer { None, CopyAll, LeaveOut };

    // Nothing answered and nothing changed: a new job, or new options.
    void reset(const PkReviewSelection &selection);
    // The same job matched again keeps what the user said of it.
    void keep(const PkReviewSelection &selection);

    // The files unticked as things stand.
    QSet<QString> leftOut() const;
    // Takes the files unticked in the review.
    void setLeftOut(const QSet<QString> &files);
    // The selection's files less those left out, in their order.
    QList<QString> filesToRun() const;

    // The identifiers, as positions in the selection's ids in list order,
    // whose held files wait for an answer.
    QList<qsizetype> unanswered() const;
    // How many files wait for an answer.
    int waiting() const;
    // Gives the answer for every identifier that waits for one.
    void answer(Answer answer);

private:
    bool heldUnticked(qsizetype file) const;
    bool untickedAtFirst(qsizetype file) const;

    PkReviewSelection current;
    QSet<QString> candidates; // shown unticked until one is chosen
    QSet<QString> changed; // files the user ticked or unticked against what they were
    QHash<qsizetype, Answer> answers;
};

#endif // PKAMBIGUITYANSWERS_H
