// SPDX-License-Identifier: MIT

#include "pwpathhelper.h"

#include "pwtools.h"

#include <QRectF>

#include <cmath>

namespace {
constexpr double degreesToRadians = 0.017453292519943295;
}

PwPathHelper::PwPathHelper()
    : tools(std::make_unique<PwTools>())
{
}

PwPathHelper::~PwPathHelper() = default;

QPainterPath PwPathHelper::getRingSegmentPath(QPointF center, double sweep, double outerRadius,
                                              double innerRadius, double startAngle) const
{
    const double cx = center.x();
    const double cy = center.y();
    const double start = startAngle * degreesToRadians;
    const double end = (startAngle + sweep) * degreesToRadians;

    // QPainterPath counts degrees counter-clockwise from 3 o'clock, hence 90 - angle
    // and the negated sweep for the clockwise outer arc.
    QPainterPath path;
    path.moveTo(cx + outerRadius * std::sin(start), cy - outerRadius * std::cos(start));
    path.arcTo(QRectF(cx - outerRadius, cy - outerRadius, 2 * outerRadius, 2 * outerRadius),
               90 - startAngle, -sweep);
    path.lineTo(cx + innerRadius * std::sin(end), cy - innerRadius * std::cos(end));
    path.arcTo(QRectF(cx - innerRadius, cy - innerRadius, 2 * innerRadius, 2 * innerRadius),
               90 - sweep - startAngle, sweep);
    path.closeSubpath();
    return path;
}
