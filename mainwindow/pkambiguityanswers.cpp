// SPDX-License-Identifier: MIT

#include "pkambiguityanswers.h"

#include <algorithm>

void PkAmbiguityAnswers::reset(const PkReviewSelection &selection)
{
    keep(selection);
    changed.clear();
    answers.clear();
}

void PkAmbiguityAnswers::keep(const PkReviewSelection &selection)
{
    current = selection;
    candidates = QSet<QString>(selection.unticked.cbegin(), selection.unticked.cend());
}

// A held file is unticked unless all of its identifier's files were let in.
bool PkAmbiguityAnswers::heldUnticked(qsizetype file) const
{
    return current.held.value(file) && answers.value(current.fileIds.value(file, -1)) != Answer::CopyAll;
}

bool PkAmbiguityAnswers::untickedAtFirst(qsizetype file) const
{
    return heldUnticked(file) || candidates.contains(current.files.at(file));
}

QSet<QString> PkAmbiguityAnswers::leftOut() const
{
    QSet<QString> files;
    for (qsizetype file = 0; file < current.files.size(); ++file) {
        const QString &name = current.files.at(file);
        if (untickedAtFirst(file) != changed.contains(name))
            files.insert(name);
    }
    return files;
}

void PkAmbiguityAnswers::setLeftOut(const QSet<QString> &files)
{
    changed.clear();
    for (qsizetype file = 0; file < current.files.size(); ++file) {
        const QString &name = current.files.at(file);
        if (untickedAtFirst(file) != files.contains(name))
            changed.insert(name);
    }
}

QList<QString> PkAmbiguityAnswers::filesToRun() const
{
    const QSet<QString> out = leftOut();
    QList<QString> files;
    for (const QString &file : current.files) {
        if (!out.contains(file))
            files.append(file);
    }
    return files;
}

// A group the user ticked or unticked anything in is answered: the ticks say
// what to copy.
QList<qsizetype> PkAmbiguityAnswers::unanswered() const
{
    QSet<qsizetype> waiting, touched;
    for (qsizetype file = 0; file < current.files.size(); ++file) {
        const qsizetype id = current.fileIds.value(file, -1);
        if (current.held.value(file) && answers.value(id) == Answer::None)
            waiting.insert(id);
        if (changed.contains(current.files.at(file)))
            touched.insert(id);
    }
    waiting.subtract(touched);
    QList<qsizetype> ids(waiting.cbegin(), waiting.cend());
    std::sort(ids.begin(), ids.end());
    return ids;
}

int PkAmbiguityAnswers::waiting() const
{
    const QList<qsizetype> unansweredIds = unanswered();
    const QSet<qsizetype> ids(unansweredIds.cbegin(), unansweredIds.cend());
    int files = 0;
    for (qsizetype file = 0; file < current.files.size(); ++file)
        files += current.held.value(file) && ids.contains(current.fileIds.value(file, -1)) ? 1 : 0;
    return files;
}

void PkAmbiguityAnswers::answer(Answer answer)
{
    for (const qsizetype id : unanswered())
        answers.insert(id, answer);
}
