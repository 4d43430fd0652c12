// SPDX-License-Identifier: MIT

#include "pwpathhelper.h"

#include <QPixmap>
#include <QtTest>

#include <memory>

class tst_PwPathHelper : public QObject
{
    Q_OBJECT

    // The marker as an image; the pixmap is the caller's to delete.
    QImage crosshair(double radius) const
    {
        const std::unique_ptr<QPixmap> pixmap(helper.getCrosshairPixmap(QColor(212, 146, 17), radius));
        return pixmap->toImage();
    }

    PwPathHelper helper;

private slots:
    void outlines()
    {
        // Both cuts are 5% of the width, so the bevel stays at 45 degrees on a tall rectangle too.
        QCOMPARE(helper.getCutCornerPath({10, 20, 100, 40}, "topRight").toFillPolygon(),
                 QPolygonF({{10, 20}, {105, 20}, {110, 25}, {110, 60}, {10, 60}, {10, 20}}));
        QCOMPARE(helper.getCutCornerPath({0, 0, 20, 100}, "topRight").toFillPolygon(),
                 QPolygonF({{0, 0}, {19, 0}, {20, 1}, {20, 100}, {0, 100}, {0, 0}}));
        QVERIFY(helper.getCutCornerPath({0, 0, 200, 50}, "topright").isEmpty()); // no other corner, not even by case
        // Negative margins move edges inward, and edges that cross are not swapped back.
        QCOMPARE(helper.getExpandedRect({10, 10, 100, 50}, 1, 2, 3, 4), QRectF(6, 9, 106, 54));
        QCOMPARE(helper.getExpandedRect({0, 0, 10, 10}, 0, -8, 0, -8), QRectF(8, 0, -6, 10));
        // The status panel's track, 300 degrees clockwise from 7 o'clock: as wide and high as its outer circle,
        // but for the gap at the bottom.
        QCOMPARE(helper.getRingSegmentPath({400, 219}, 300, 100, 80, 210).boundingRect().toRect(), QRect(300, 119, 200, 187));
    }

    // Tick marks, a ring and a dot, drawn without antialiasing so that every pixel is exact.
    void crosshair()
    {
        const QImage image = crosshair(20);
        QString row;
        QString column;
        for (int i = 0; i < image.width(); ++i) {
            row += image.pixelColor(i, 20) == QColor(212, 146, 17) ? '#' : '.';
            column += image.pixelColor(20, i) == QColor(212, 146, 17) ? '#' : '.';
        }
        QCOMPARE(row, "###########.......#####.......##########");
        QCOMPARE(column, row); // the marker is symmetric
        QCOMPARE(crosshair(10.7).size(), QSize(21, 21));
        // A radius that is no usable positive number gives the smallest marker.
        for (double radius : {0.0, -5.0, qQNaN(), qInf()})
            QCOMPARE(crosshair(radius).size(), QSize(2, 2));
    }
};

QTEST_MAIN(tst_PwPathHelper)
#include "tst_pwpathhelper.moc"
