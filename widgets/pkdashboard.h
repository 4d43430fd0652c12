// SPDX-License-Identifier: MIT

#ifndef PKDASHBOARD_H
#define PKDASHBOARD_H

#include <QWidget>

class PkDashboard : public QWidget
{
    Q_OBJECT

public:
    explicit PkDashboard(QWidget *parent = nullptr);
};

#endif // PKDASHBOARD_H
