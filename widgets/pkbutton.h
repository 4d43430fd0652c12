// SPDX-License-Identifier: MIT

#ifndef PKBUTTON_H
#define PKBUTTON_H

#include <QAbstractButton>

class PkButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PkButton(int id, const QString &style, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *) override {}
};

#endif // PKBUTTON_H
