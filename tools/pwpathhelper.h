// SPDX-License-Identifier: MIT

#ifndef PWPATHHELPER_H
#define PWPATHHELPER_H

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>

class PwTools;
class QPixmap;

// Builds the outlines that the painted widgets draw: gauge ring segments,
// a rectangle with a cut corner, grown rectangles and a crosshair marker.
class PwPathHelper
{
public:
    PwPathHelper();
    ~PwPathHelper();

    // Angles in degrees, clockwise from 12 o'clock; the sweep runs clockwise.
    QPainterPath getRingSegmentPath(QPointF center, double sweep, double outerRadius,
                                    double innerRadius, double startAngle) const;
    // Only "topRight" is known; any other corner gives an empty path.
    QPainterPath getCutCornerPath(QRectF rect, const QString &corner);
    QRectF getExpandedRect(QRectF rect, double top, double right, double bottom,
                           double left) const;
    // The caller owns the returned pixmap.
    QPixmap *getCrosshairPixmap(QColor color, double radius) const;

private:
    std::unique_ptr<PwTools> tools;
    double cornerCutX = 0.0;
    double cornerCutY = 0.0;
};

#endif // PWPATHHELPER_H
