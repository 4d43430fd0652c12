// SPDX-License-Identifier: MIT

#include "pwpathhelper.h"

#include "pwtools.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>

#include <cmath>
#include <limits>

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

QPainterPath PwPathHelper::getCutCornerPath(QRectF rect, const QString &corner)
{
    // Both cuts come from the width so the bevel is always at 45 degrees.
    cornerCutX = 0.05 * rect.width();
    cornerCutY = 0.05 * rect.width();

    QPainterPath path;
    if (corner != QLatin1String("topRight"))
        return path;

    const double x = rect.x();
    const double y = rect.y();
    const double w = rect.width();
    const double h = rect.height();
    path.moveTo(x, y);
    path.lineTo(x + w - cornerCutX, y);
    path.lineTo(x + w, y + cornerCutY);
    path.lineTo(x + w, y + h);
    path.lineTo(x, y + h);
    path.closeSubpath();
    return path;
}

QRectF PwPathHelper::getExpandedRect(QRectF rect, double top, double right, double bottom,
                                     double left) const
{
    // Built from corners rather than normalized: negative margins may cross the edges.
    const QPointF topLeft(rect.x() - left, rect.y() - top);
    const QPointF bottomRight(rect.x() + rect.width() + right, rect.y() + rect.height() + bottom);
    return QRectF(topLeft, bottomRight);
}

QPixmap *PwPathHelper::getCrosshairPixmap(QColor color, double radius) const
{
    // A radius that is not a usable positive number (NaN and infinity included)
    // gives the smallest marker rather than an undefined pixmap size.
    if (!(radius > 0) || !std::isfinite(radius))
        radius = 1;
    const double diameter = 2 * radius;
    const int side = diameter < std::numeric_limits<int>::max()
            ? static_cast<int>(diameter)
            : std::numeric_limits<int>::max();

    auto *pixmap = new QPixmap(side, side);
    pixmap->fill(QColor(0, 0, 0, 0));
    if (pixmap->isNull())
        return pixmap;

    const double c = radius;
    const double tick = 0.5 * radius;
    const double dot = 0.1 * radius;

    QPainterPath ticks;
    ticks.moveTo(c, 0);
    ticks.lineTo(c, tick);
    ticks.moveTo(c, diameter);
    ticks.lineTo(c, diameter - tick);
    ticks.moveTo(0, c);
    ticks.lineTo(tick, c);
    ticks.moveTo(diameter, c);
    ticks.lineTo(diameter - tick, c);

    QPainter painter(pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(color, 1));
    painter.setBrush(QBrush(QColor(0, 0, 0, 0), Qt::SolidPattern));
    painter.drawPath(ticks);
    painter.drawEllipse(QRectF(c - tick, c - tick, 2 * tick, 2 * tick));

    painter.setBrush(QBrush(color, Qt::SolidPattern));
    painter.drawEllipse(QRectF(c - dot, c - dot, 2 * dot, 2 * dot));
    painter.end();
    return pixmap;
}
