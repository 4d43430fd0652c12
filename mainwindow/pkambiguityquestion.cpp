// SPDX-License-Identifier: MIT

#include "pkambiguityquestion.h"

#include "pwdarklook.h"
#include "pwtools.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

// The first limit names, then how many more there are.
QString shortList(const QList<QString> &names, int limit)
{
    QString text = QStringList(names.mid(0, limit)).join(QStringLiteral(", "));
    if (names.size() > limit)
        text += QStringLiteral(" and %1 more").arg(names.size() - limit);
    return text;
}

QLabel *plainLabel(QWidget *parent, const QColor &color, int pixelSize, bool bold)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText); // names are shown as they are, whatever they hold
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    QFont font(QStringLiteral("Bender"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

} // namespace

PkAmbiguityQuestion::PkAmbiguityQuestion(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ambiguityQuestion"));
    setWindowTitle(QStringLiteral("Ambiguous identifiers"));
    setWindowModality(Qt::WindowModal);
    setPalette(PwDarkLook::palette());
    setAutoFillBackground(true);
    const PwTools tools;
    headingLabel = plainLabel(this, tools.getColor(QStringLiteral("marker")), 22, true);
    linesLabel = plainLabel(this, tools.getColor(QStringLiteral("gray8")), 16, false);
    noteLabel = plainLabel(this, tools.getColor(QStringLiteral("gray7")), 16, false);
    linesLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    // In the order of the choices, so that button() finds each.
    addButton(QStringLiteral("Review"), Choice::Review)->setDefault(true);
    addButton(QStringLiteral("Leave them out"), Choice::LeaveOut);
    addButton(QStringLiteral("Copy all"), Choice::CopyAll);
    for (QPushButton *button : std::as_const(buttons))
        row->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 18);
    layout->setSpacing(12);
    layout->addWidget(headingLabel);
    layout->addWidget(linesLabel);
    layout->addWidget(noteLabel);
    layout->addSpacing(6);
    layout->addLayout(row);
    setFixedWidth(620);
}

QPushButton *PkAmbiguityQuestion::addButton(const QString &text, Choice choice)
{
    auto *button = new QPushButton(text, this);
    QFont font(QStringLiteral("Bender"));
    font.setPixelSize(16);
    font.setBold(true);
    button->setFont(font);
    button->setMinimumWidth(130);
    connect(button, &QPushButton::clicked, this, [this, choice] {
        accept();
        emit chosen(choice);
    });
    buttons.append(button);
    return button;
}

void PkAmbiguityQuestion::ask(const QList<PkAmbiguousId> &ids, int files)
{
    headingLabel->setText(heading(ids.size()));
    linesLabel->setText(lines(ids));
    noteLabel->setText(note(ids.size(), files));
    button(Choice::Review)->setFocus();
    adjustSize();
    open();
}

QString PkAmbiguityQuestion::heading(qsizetype ids)
{
    return ids == 1 ? QStringLiteral("1 identifier selects more than one picture")
                    : QStringLiteral("%1 identifiers select more than one picture").arg(ids);
}

QString PkAmbiguityQuestion::lines(const QList<PkAmbiguousId> &ids)
{
    QStringList lines;
    for (const PkAmbiguousId &entry : ids.mid(0, idLimit))
        lines << entry.id + QStringLiteral(": ") + shortList(entry.pictures, pictureLimit);
    if (ids.size() > idLimit)
        lines << QStringLiteral("and %1 more").arg(ids.size() - idLimit);
    return lines.join(QLatin1Char('\n'));
}

QString PkAmbiguityQuestion::note(qsizetype ids, int files)
{
    return (ids == 1 ? QStringLiteral("Its ") : QStringLiteral("Their "))
        + (files == 1 ? QStringLiteral("file is") : QStringLiteral("%1 files are").arg(files))
        + QStringLiteral(" copied only if you say so. Review shows the pictures, to tick the ones meant.");
}
