// SPDX-License-Identifier: MIT

#ifndef PWTOOLS_H
#define PWTOOLS_H

#include <QColor>
#include <QString>

// Stateless toolkit shared by every widget: the named grey palette and the
// colour variants derived from it. Each user keeps an instance of its own.
class PwTools
{
public:
    PwTools() = default;

    QColor getColor(const QString &name) const;
    QColor getColorDark(QColor color) const;
    QColor getColorLight(QColor color) const;
};

#endif // PWTOOLS_H
