// SPDX-License-Identifier: MIT

#include "pwpathhelper.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <limits>
#include <memory>

class tst_PwPathHelper : public QObject
{
    Q_OBJECT

private slots:
    void ringSegment_data()
    {
        QTest::addColumn<QPointF>("center");
        QTest::addColumn<QList<double>>("shape"); // sweep, outer radius, inner radius, start angle
        QTest::addColumn<QList<QPointF>>("corners"); // outer start, outer end, inner end, inner start
        QTest::newRow("status panel track, 7 to 5 o'clock") << QPointF(400, 219) << QList<double>{300, 100, 80, 210}
                << QList<QPointF>{{350, 305.6025}, {450, 305.6025}, {440, 288.2820}, {360, 288.2820}};
        QTest::newRow("pie slice: inner radius 0") << QPointF(20, 20) << QList<double>{90, 10, 0, 90}
                << QList<QPointF>{{30, 20}, {20, 30}, {20, 20}, {20, 20}};
        QTest::newRow("no sweep: a radial line") << QPointF(50, 50) << QList<double>{0, 40, 10, 0}
                << QList<QPointF>{{50, 10}, {50, 10}, {50, 40}, {50, 40}};
    }
    void ringSegment()
    {
        QFETCH(QPointF, center);
        QFETCH(QList<double>, shape);
        QFETCH(QList<QPointF>, corners);
        const QPainterPath path = helper.getRingSegmentPath(center, shape[0], shape[1], shape[2], shape[3]);
        const auto near = [](QPointF actual, QPointF expected, double tolerance) {
            return QLineF(actual, expected).length() < tolerance;
        };
        const int count = path.elementCount();
        int edge = 1; // the radial edge to the inner end, right after the outer arc
        while (edge < count && !(path.elementAt(edge).isLineTo() && near(path.elementAt(edge), corners[2], 1e-3)))
            ++edge;
        QVERIFY2(edge < count, "no edge to the inner end");
        // QPainterPath places arc ends by its own curve approximation, a few hundredths off.
        QVERIFY(near(path.elementAt(0), corners[0], 1e-3));
        QVERIFY(near(path.elementAt(edge - 1), corners[1], 0.05));
        QVERIFY(near(path.elementAt(count - 2), corners[3], 0.05));
        QVERIFY(near(path.elementAt(count - 1), corners[0], 1e-3)); // closed
        QVERIFY(shape[0] != 0 || path.boundingRect().width() < 1e-9);
    }

    void cutCorner_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QString>("corner");
        QTest::addColumn<QList<QPointF>>("points");
        using P = QList<QPointF>;
        QTest::newRow("tile shape") << QRectF(0, 0, 200, 50) << "topRight" << P{{0, 0}, {190, 0}, {200, 10}, {200, 50}, {0, 50}};
        QTest::newRow("offset") << QRectF(10, 20, 100, 40) << "topRight" << P{{10, 20}, {105, 20}, {110, 25}, {110, 60}, {10, 60}};
        QTest::newRow("tall: cuts from width") << QRectF(0, 0, 20, 100) << "topRight" << P{{0, 0}, {19, 0}, {20, 1}, {20, 100}, {0, 100}};
        QTest::newRow("other corner") << QRectF(0, 0, 200, 50) << "bottomLeft" << P();
        QTest::newRow("name is case-sensitive") << QRectF(0, 0, 200, 50) << "topright" << P();
    }
    void cutCorner()
    {
        QFETCH(QRectF, rect);
        QFETCH(QString, corner);
        QFETCH(QList<QPointF>, points);
        if (!points.isEmpty())
            points << points.first(); // closed back to the start
        const QPainterPath path = helper.getCutCornerPath(rect, corner);
        QList<QPointF> actual;
        for (int i = 0; i < path.elementCount(); ++i)
            actual << path.elementAt(i);
        QCOMPARE(actual, points);
    }

    void expandedRect()
    {
        QCOMPARE(helper.getExpandedRect({10, 10, 100, 50}, 1, 2, 3, 4), QRectF(6, 9, 106, 54));
        // Negative margins move edges inward, and crossing edges are not swapped back.
        QCOMPARE(helper.getExpandedRect({0, 0, 10, 10}, 0, -8, 0, -8), QRectF(8, 0, -6, 10));
    }

    void crosshair_data()
    {
        QTest::addColumn<double>("radius");
        QTest::addColumn<int>("side");
        QTest::addColumn<QList<QPoint>>("painted");
        QTest::addColumn<QList<QPoint>>("clear");
        // Probes: the top and right ticks, the ring, the centre dot; a corner and the ring's unfilled inside.
        QTest::newRow("radius 10") << 10.0 << 20 << QList<QPoint>{{10, 1}, {18, 10}, {12, 5}, {10, 10}}
                                   << QList<QPoint>{{0, 0}, {7, 10}};
        // The right and bottom ticks start past the last pixel but still reach into it.
        QTest::newRow("10.7 truncates") << 10.7 << 21 << QList<QPoint>{{20, 10}, {10, 20}} << QList<QPoint>();
        using limits = std::numeric_limits<double>;
        for (const double radius : {0.0, -5.0, limits::quiet_NaN(), limits::infinity()})
            QTest::addRow("radius %g acts as 1", radius) << radius << 2 << QList<QPoint>() << QList<QPoint>();
    }
    void crosshair()
    {
        QFETCH(double, radius);
        QFETCH(int, side);
        QFETCH(QList<QPoint>, painted);
        QFETCH(QList<QPoint>, clear);
        const QColor color(212, 146, 17);
        const std::unique_ptr<QPixmap> pixmap(helper.getCrosshairPixmap(color, radius));
        QCOMPARE(pixmap->size(), QSize(side, side));
        const QImage image = pixmap->toImage();
        for (const QPoint &pixel : painted)
            QCOMPARE(image.pixelColor(pixel), color);
        for (const QPoint &pixel : clear)
            QCOMPARE(image.pixelColor(pixel).alpha(), 0);
    }

private:
    PwPathHelper helper;
};

QTEST_MAIN(tst_PwPathHelper)
#include "tst_pwpathhelper.moc"
