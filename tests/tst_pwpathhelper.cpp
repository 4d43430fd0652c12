// SPDX-License-Identifier: MIT

#include "pwpathhelper.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

namespace {

bool nearlyEqual(QPointF actual, QPointF expected, double tolerance = 1e-3)
{
    return std::abs(actual.x() - expected.x()) < tolerance
            && std::abs(actual.y() - expected.y()) < tolerance;
}

QString describe(QPointF point)
{
    return QStringLiteral("(%1, %2)").arg(point.x(), 0, 'f', 4).arg(point.y(), 0, 'f', 4);
}

int indexOfLineTo(const QPainterPath &path, QPointF point)
{
    for (int i = 1; i < path.elementCount(); ++i) {
        if (path.elementAt(i).isLineTo() && nearlyEqual(path.elementAt(i), point))
            return i;
    }
    return -1;
}

} // namespace

class tst_PwPathHelper : public QObject
{
    Q_OBJECT

private slots:
    void ringSegmentCorners_data();
    void ringSegmentCorners();
    void ringSegmentCoversTheRing_data();
    void ringSegmentCoversTheRing();
    void ringSegmentWithoutSweepIsRadialLine();
    void cutCornerPath_data();
    void cutCornerPath();
    void expandedRect_data();
    void expandedRect();
    void crosshairSize_data();
    void crosshairSize();
    void crosshairPixels_data();
    void crosshairPixels();

private:
    PwPathHelper helper;
};

void tst_PwPathHelper::ringSegmentCorners_data()
{
    QTest::addColumn<QPointF>("center");
    QTest::addColumn<double>("sweep");
    QTest::addColumn<double>("outer");
    QTest::addColumn<double>("inner");
    QTest::addColumn<double>("start");
    QTest::addColumn<QPointF>("outerStart");
    QTest::addColumn<QPointF>("outerEnd");
    QTest::addColumn<QPointF>("innerEnd");
    QTest::addColumn<QPointF>("innerStart");

    QTest::newRow("status panel track from 7 to 5 o'clock")
            << QPointF(400, 219) << 300.0 << 100.0 << 80.0 << 210.0
            << QPointF(350, 305.6025) << QPointF(450, 305.6025) << QPointF(440, 288.2820)
            << QPointF(360, 288.2820);
    QTest::newRow("quarter from 12 to 3 o'clock")
            << QPointF(0, 0) << 90.0 << 10.0 << 5.0 << 0.0
            << QPointF(0, -10) << QPointF(10, 0) << QPointF(5, 0) << QPointF(0, -5);
    QTest::newRow("pie slice: inner radius 0 ends at the centre")
            << QPointF(20, 20) << 90.0 << 10.0 << 0.0 << 90.0
            << QPointF(30, 20) << QPointF(20, 30) << QPointF(20, 20) << QPointF(20, 20);
    QTest::newRow("negative start angle")
            << QPointF(0, 0) << 90.0 << 10.0 << 5.0 << -90.0
            << QPointF(-10, 0) << QPointF(0, -10) << QPointF(0, -5) << QPointF(-5, 0);
}

void tst_PwPathHelper::ringSegmentCorners()
{
    QFETCH(QPointF, center);
    QFETCH(double, sweep);
    QFETCH(double, outer);
    QFETCH(double, inner);
    QFETCH(double, start);
    QFETCH(QPointF, outerStart);
    QFETCH(QPointF, outerEnd);
    QFETCH(QPointF, innerEnd);
    QFETCH(QPointF, innerStart);

    const QPainterPath path = helper.getRingSegmentPath(center, sweep, outer, inner, start);
    QVERIFY(path.elementCount() > 3);
    QVERIFY(path.elementAt(0).isMoveTo());

    const QPointF first = path.elementAt(0);
    QVERIFY2(nearlyEqual(first, outerStart), qPrintable(describe(first)));

    // The radial edge leads to the inner end right after the outer arc.
    // QPainterPath places arc end points by its own curve approximation,
    // which is off by up to a few hundredths of a pixel.
    const int edge = indexOfLineTo(path, innerEnd);
    QVERIFY2(edge > 1, "no edge to the inner end");
    const QPointF arcEnd = path.elementAt(edge - 1);
    QVERIFY2(nearlyEqual(arcEnd, outerEnd, 0.05), qPrintable(describe(arcEnd)));

    // The inner arc runs back to the start angle, then the path closes.
    const QPointF innerArcEnd = path.elementAt(path.elementCount() - 2);
    QVERIFY2(nearlyEqual(innerArcEnd, innerStart, 0.05), qPrintable(describe(innerArcEnd)));
    const QPointF last = path.elementAt(path.elementCount() - 1);
    QVERIFY2(nearlyEqual(last, outerStart), qPrintable(describe(last)));
}

void tst_PwPathHelper::ringSegmentCoversTheRing_data()
{
    QTest::addColumn<double>("inner");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("inside");

    // Track of the status panel about (0, 0): 7 o'clock over the top to 5 o'clock.
    QTest::newRow("top of the ring") << 80.0 << QPointF(0, -90) << true;
    QTest::newRow("9 o'clock on the ring") << 80.0 << QPointF(-90, 0) << true;
    QTest::newRow("3 o'clock on the ring") << 80.0 << QPointF(90, 0) << true;
    QTest::newRow("gap at 6 o'clock") << 80.0 << QPointF(0, 90) << false;
    QTest::newRow("hole in the middle") << 80.0 << QPointF(0, 0) << false;
    QTest::newRow("inside the inner circle") << 80.0 << QPointF(0, -70) << false;
    QTest::newRow("outside the outer circle") << 80.0 << QPointF(0, -110) << false;
    QTest::newRow("pie: middle is filled") << 0.0 << QPointF(0, -10) << true;
    QTest::newRow("pie: gap stays open") << 0.0 << QPointF(0, 50) << false;
}

void tst_PwPathHelper::ringSegmentCoversTheRing()
{
    QFETCH(double, inner);
    QFETCH(QPointF, point);
    QFETCH(bool, inside);

    const QPainterPath path = helper.getRingSegmentPath(QPointF(0, 0), 300, 100, inner, 210);
    QCOMPARE(path.contains(point), inside);
}

void tst_PwPathHelper::ringSegmentWithoutSweepIsRadialLine()
{
    const QPainterPath path = helper.getRingSegmentPath(QPointF(50, 50), 0, 40, 10, 0);
    const QRectF bounds = path.boundingRect();

    QVERIFY2(std::abs(bounds.width()) < 1e-9, qPrintable(QString::number(bounds.width())));
    QCOMPARE(bounds.left(), 50.0);
    QCOMPARE(bounds.top(), 10.0);
    QCOMPARE(bounds.bottom(), 40.0);
}

void tst_PwPathHelper::cutCornerPath_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QString>("corner");
    QTest::addColumn<QList<QPointF>>("points");

    QTest::newRow("tile shape")
            << QRectF(0, 0, 200, 50) << "topRight"
            << QList<QPointF>{{0, 0}, {190, 0}, {200, 10}, {200, 50}, {0, 50}};
    QTest::newRow("offset rect")
            << QRectF(10, 20, 100, 40) << "topRight"
            << QList<QPointF>{{10, 20}, {105, 20}, {110, 25}, {110, 60}, {10, 60}};
    QTest::newRow("tall rect: vertical cut also from the width")
            << QRectF(0, 0, 20, 100) << "topRight"
            << QList<QPointF>{{0, 0}, {19, 0}, {20, 1}, {20, 100}, {0, 100}};
    QTest::newRow("other corner gives nothing") << QRectF(0, 0, 200, 50) << "bottomLeft"
                                                << QList<QPointF>();
    QTest::newRow("name is case-sensitive") << QRectF(0, 0, 200, 50) << "topright"
                                            << QList<QPointF>();
    QTest::newRow("empty name") << QRectF(0, 0, 200, 50) << "" << QList<QPointF>();
}

void tst_PwPathHelper::cutCornerPath()
{
    QFETCH(QRectF, rect);
    QFETCH(QString, corner);
    QFETCH(QList<QPointF>, points);

    const QPainterPath path = helper.getCutCornerPath(rect, corner);
    if (points.isEmpty()) {
        QVERIFY(path.isEmpty());
        QCOMPARE(path.elementCount(), 0);
        return;
    }

    // Five corners, then the closing edge back to the first.
    QCOMPARE(path.elementCount(), points.size() + 1);
    QVERIFY(path.elementAt(0).isMoveTo());
    for (int i = 0; i < points.size(); ++i)
        QCOMPARE(QPointF(path.elementAt(i)), points.at(i));
    QCOMPARE(QPointF(path.elementAt(points.size())), points.first());
}

void tst_PwPathHelper::expandedRect_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QList<double>>("margins"); // top, right, bottom, left
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("each margin to its own edge")
            << QRectF(10, 10, 100, 50) << QList<double>{1, 2, 3, 4} << QRectF(6, 9, 106, 54);
    QTest::newRow("no margins") << QRectF(10, 10, 100, 50) << QList<double>{0, 0, 0, 0}
                                << QRectF(10, 10, 100, 50);
    QTest::newRow("negative margins move inward")
            << QRectF(10, 10, 100, 50) << QList<double>{-1, -2, -3, -4} << QRectF(14, 11, 94, 46);
    QTest::newRow("crossing edges stay unnormalized")
            << QRectF(0, 0, 10, 10) << QList<double>{0, -8, 0, -8} << QRectF(8, 0, -6, 10);
}

void tst_PwPathHelper::expandedRect()
{
    QFETCH(QRectF, rect);
    QFETCH(QList<double>, margins);
    QFETCH(QRectF, expected);

    const QRectF result =
            helper.getExpandedRect(rect, margins.at(0), margins.at(1), margins.at(2), margins.at(3));
    QCOMPARE(result.x(), expected.x());
    QCOMPARE(result.y(), expected.y());
    QCOMPARE(result.width(), expected.width());
    QCOMPARE(result.height(), expected.height());
}

void tst_PwPathHelper::crosshairSize_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("side");

    QTest::newRow("whole radius") << 10.0 << 20;
    QTest::newRow("fraction truncated") << 10.7 << 21;
    QTest::newRow("zero radius treated as 1") << 0.0 << 2;
    QTest::newRow("negative radius treated as 1") << -5.0 << 2;
    QTest::newRow("NaN radius treated as 1") << std::numeric_limits<double>::quiet_NaN() << 2;
    QTest::newRow("infinite radius treated as 1") << std::numeric_limits<double>::infinity() << 2;
}

void tst_PwPathHelper::crosshairSize()
{
    QFETCH(double, radius);
    QFETCH(int, side);

    const std::unique_ptr<QPixmap> pixmap(helper.getCrosshairPixmap(Qt::red, radius));
    QVERIFY(pixmap);
    QCOMPARE(pixmap->size(), QSize(side, side));
}

void tst_PwPathHelper::crosshairPixels_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("painted");

    QTest::newRow("top tick") << 10.0 << QPoint(10, 1) << true;
    QTest::newRow("bottom tick") << 10.0 << QPoint(10, 18) << true;
    QTest::newRow("left tick") << 10.0 << QPoint(1, 10) << true;
    QTest::newRow("right tick") << 10.0 << QPoint(18, 10) << true;
    QTest::newRow("ring, top") << 10.0 << QPoint(12, 5) << true;
    QTest::newRow("ring, bottom") << 10.0 << QPoint(8, 15) << true;
    QTest::newRow("ring, left") << 10.0 << QPoint(5, 12) << true;
    QTest::newRow("centre dot") << 10.0 << QPoint(10, 10) << true;
    QTest::newRow("corner stays clear") << 10.0 << QPoint(0, 0) << false;
    QTest::newRow("between ticks stays clear") << 10.0 << QPoint(3, 3) << false;
    QTest::newRow("inside the ring is not filled") << 10.0 << QPoint(7, 10) << false;
    QTest::newRow("far corner stays clear") << 10.0 << QPoint(19, 19) << false;
    // The right and bottom ticks start past the last pixel but still reach into it.
    QTest::newRow("odd size: right tick reaches the edge") << 10.7 << QPoint(20, 10) << true;
    QTest::newRow("odd size: bottom tick reaches the edge") << 10.7 << QPoint(10, 20) << true;
}

void tst_PwPathHelper::crosshairPixels()
{
    QFETCH(double, radius);
    QFETCH(QPoint, pixel);
    QFETCH(bool, painted);

    const QColor color(212, 146, 17);
    const std::unique_ptr<QPixmap> pixmap(helper.getCrosshairPixmap(color, radius));
    const QImage image = pixmap->toImage();
    const QColor actual = image.pixelColor(pixel);

    if (painted)
        QCOMPARE(actual, color);
    else
        QCOMPARE(actual.alpha(), 0);
}

QTEST_MAIN(tst_PwPathHelper)
#include "tst_pwpathhelper.moc"
