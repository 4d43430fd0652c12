// SPDX-License-Identifier: MIT

#ifndef PWPATHHELPER_H
#define PWPATHHELPER_H

#include <QPainterPath>
#include <QPointF>

#include <memory>

class PwTools;

// Builds the outlines that the painted widgets draw.
class PwPathHelper
{
public:
    PwPathHelper();
    ~PwPathHelper();

    // Angles in degrees, clockwise from 12 o'clock; the sweep runs clockwise.
    QPainterPath getRingSegmentPath(QPointF center, double sweep, double outerRadius,
                                    double innerRadius, double startAngle) const;

private:
    std::unique_ptr<PwTools> tools;
};

#endif // PWPATHHELPER_H
