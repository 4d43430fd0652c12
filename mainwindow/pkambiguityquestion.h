// SPDX-License-Identifier: MIT

#ifndef PKAMBIGUITYQUESTION_H
#define PKAMBIGUITYQUESTION_H

#include <QDialog>
#include <QList>

#include "pkselectionmatcher.h"

QT_BEGIN_NAMESPACE
class QLabel;
class QPushButton;
QT_END_NAMESPACE

// Asked at Start when identifiers select files of more than one picture as
// written (a typo such as 207 for 2071 selects ten pictures): it names them
// with their pictures and lets the user review them, leave them out or copy
// them all. It never blocks the event loop; closing it answers nothing.
class PkAmbiguityQuestion : public QDialog
{
    Q_OBJECT

public:
    enum class Choice { Review, LeaveOut, CopyAll };

    // The question names this many identifiers, each with this many pictures,
    // then says how many more there are.
    static constexpr int idLimit = 10;
    static constexpr int pictureLimit = 5;

    explicit PkAmbiguityQuestion(QWidget *parent = nullptr);

    // Shows the question about ids, whose files number files.
    void ask(const QList<PkAmbiguousId> &ids, int files);
    // What it says of them, for ask's arguments.
    static QString heading(qsizetype ids);
    static QString lines(const QList<PkAmbiguousId> &ids);
    static QString note(qsizetype ids, int files);

    QPushButton *button(Choice choice) const { return buttons.at(int(choice)); }

signals:
    void chosen(Choice choice);

private:
    QPushButton *addButton(const QString &text, Choice choice);

    QLabel *headingLabel;
    QLabel *linesLabel;
    QLabel *noteLabel;
    QList<QPushButton *> buttons;
};

#endif // PKAMBIGUITYQUESTION_H
