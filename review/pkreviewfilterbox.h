// SPDX-License-Identifier: MIT

#ifndef PKREVIEWFILTERBOX_H
#define PKREVIEWFILTERBOX_H

#include "pkreviewfilter.h"

#include <QComboBox>

class PkReviewModel;

// The choice of which pictures the review shows by the photographer's
// judgement; it offers the colour labels the pictures have as they are read.
class PkReviewFilterBox : public QComboBox
{
    Q_OBJECT

public:
    explicit PkReviewFilterBox(PkReviewModel *model, QWidget *parent = nullptr);

private:
    void offer();

    PkReviewModel *model;
    QList<PkReviewFilter> offered;
};

#endif // PKREVIEWFILTERBOX_H
