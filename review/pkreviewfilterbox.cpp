// SPDX-License-Identifier: MIT

#include "pkreviewfilterbox.h"

#include "pkreviewmodel.h"

PkReviewFilterBox::PkReviewFilterBox(PkReviewModel *model, QWidget *parent)
    : QComboBox(parent)
    , model(model)
{
    setToolTip(QStringLiteral("Show the pictures by their rating or colour label; those hidden are copied all the same"));
    setFocusPolicy(Qt::NoFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    offer();
    connect(model, &PkReviewModel::judgementsChanged, this, &PkReviewFilterBox::offer);
    connect(this, &QComboBox::activated, this, [this](int index) { this->model->setFilter(offered.value(index)); });
}

// Labels come and go with the pictures; the filter in force stays offered.
void PkReviewFilterBox::offer()
{
    QList<QString> labels = model->labels();
    const PkReviewFilter &current = model->filter();
    if (current.kind == PkReviewFilter::Kind::Label && !labels.contains(current.label))
        labels.append(current.label);
    const QList<PkReviewFilter> choices = PkReviewFilter::choices(labels);
    if (choices != offered) {
        const QSignalBlocker quiet(this);
        clear();
        for (const PkReviewFilter &choice : choices)
            addItem(choice.text());
        offered = choices;
    }
    setCurrentIndex(int(offered.indexOf(current)));
    // Offered once a picture has a rating or label: most jobs have none,
    // and the summary beside keeps its room.
    setVisible(model->isJudged() || current.kind != PkReviewFilter::Kind::All);
}
