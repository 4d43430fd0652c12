// SPDX-License-Identifier: MIT

#include "pkbutton.h"

PkButton::PkButton(int, const QString &, QWidget *parent)
    : QAbstractButton(parent)
{
}
