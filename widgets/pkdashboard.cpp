// SPDX-License-Identifier: MIT

#include "pkdashboard.h"

PkDashboard::PkDashboard(QWidget *parent)
    : QWidget(parent)
{
}
