// SPDX-License-Identifier: MIT

#include "pkdashboard.h"
#include "pwtools.h"

#include <QFontDatabase>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QImage renderOn(QWidget &widget, QColor background)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(background);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class TestPkDashboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFontDatabase::addApplicationFont(u":/fonts/Quillmark - Bender.otf"_s) >= 0);
    }

    void sweepAndText_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<int>>("reports");
        QTest::addColumn<int>("newTotal"); // selected after the reports, as when the user picks again
        QTest::addColumn<double>("sweep");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("complete");

        QTest::newRow("new panel") << 0 << QList<int>{} << 0 << 0.0 << u"0%"_s << false;
        QTest::newRow("total 3 at 1") << 3 << QList<int>{1} << 3 << 100.0 << u"33%"_s << false;
        QTest::newRow("total 3 at 2") << 3 << QList<int>{1, 2} << 3 << 200.0 << u"67%"_s << false;
        QTest::newRow("total 3 at 3") << 3 << QList<int>{1, 2, 3} << 3 << 300.0 << u"100%"_s << true;
        QTest::newRow("total 7 at 1, sweep truncated") << 7 << QList<int>{1} << 7 << 42.0 << u"14%"_s << false;
        QTest::newRow("total 200 at 199 is not yet 100%") << 200 << QList<int>{199} << 200 << 298.0 << u"99%"_s << false;
        QTest::newRow("total 200 at 1, half rounds up") << 200 << QList<int>{1} << 200 << 1.0 << u"1%"_s << false;
        QTest::newRow("total 0 at 0 completes") << 0 << QList<int>{0} << 0 << 300.0 << u"0%"_s << true;
        QTest::newRow("total 0 at 5, nothing to divide by") << 0 << QList<int>{5} << 0 << 0.0 << u"0%"_s << false;
        QTest::newRow("count too big for 32-bit times 300") << 1000 << QList<int>{INT_MAX} << 1000 << 644245094.0 << u"214748365%"_s << false;
        QTest::newRow("past the total stays complete") << 3 << QList<int>{3, 4} << 3 << 300.0 << u"133%"_s << true;
        QTest::newRow("complete survives a larger selection") << 3 << QList<int>{3} << 10 << 300.0 << u"30%"_s << true;
        QTest::newRow("unfinished run keeps its count") << 3 << QList<int>{2} << 4 << 150.0 << u"50%"_s << false;
    }

    void sweepAndText()
    {
        QFETCH(int, total);
        QFETCH(QList<int>, reports);
        QFETCH(int, newTotal);
        QFETCH(double, sweep);
        QFETCH(QString, text);
        QFETCH(bool, complete);

        PkDashboard panel;
        panel.setSelectionInfo(u"ids.txt"_s, u"photos"_s, total, 3);
        for (int report : reports)
            panel.setProgress(report);
        panel.setSelectionInfo(u"ids.txt"_s, u"photos"_s, newTotal, 3);

        QCOMPARE(panel.sweepAngle(), sweep);
        QCOMPARE(panel.percentageText(), text);
        QCOMPARE(panel.isComplete(), complete);

        // A new run starts from nothing, whatever the last one reached.
        panel.resetProgress();
        QCOMPARE(panel.sweepAngle(), 0.0);
        QCOMPARE(panel.percentageText(), u"0%"_s);
        QVERIFY(!panel.isComplete());
    }

    void gaugeAndTextFollowSize()
    {
        PkDashboard panel;
        panel.resize(300, 250);
        QCOMPARE(panel.gaugeCenter(), QPointF(150, 100));
        panel.resize(800, 438);
        QCOMPARE(panel.gaugeCenter(), QPointF(400, 175.2));
        QCOMPARE(panel.percentageRect(), QRectF(340, 135.2, 120, 70));
        // The window's picture has to show through around the gauge.
        QVERIFY(!panel.autoFillBackground());

        // Only the text is drawn inside its box, bright on black: find its ink's left and right.
        const QImage inside = renderOn(panel, Qt::black).copy(panel.percentageRect().toAlignedRect());
        int left = inside.width();
        int right = -1;
        for (int y = 0; y < inside.height(); ++y) {
            for (int x = 0; x < inside.width(); ++x) {
                if (qGray(inside.pixel(x, y)) > 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        QVERIFY2(left <= right, "no text drawn");
        QVERIFY2(qAbs(left + right + 1 - inside.width()) <= 10, qPrintable(u"ink from %1 to %2"_s.arg(left).arg(right)));
    }

    void ringPixels_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("progress");
        QTest::addColumn<double>("angle"); // degrees clockwise from 12 o'clock
        QTest::addColumn<double>("radius");
        QTest::addColumn<QColor>("expected");

        // Over blue, the track is gray1 at alpha 50, blended as the raster engine does.
        const QColor gray1 = tools.getColor(u"gray1"_s);
        const QColor track(gray1.red() * 50 / 255, gray1.green() * 50 / 255,
                           (gray1.blue() * 50 + background.blue() * 205) / 255);
        const QColor full = tools.getColor(u"gray6"_s);

        QTest::newRow("idle: middle of the track") << 3 << 0 << 0.0 << 90.0 << track;
        QTest::newRow("one third: near the start edge") << 3 << 1 << 213.0 << 90.0 << full;
        QTest::newRow("one third: beyond the sweep") << 3 << 1 << 0.0 << 90.0 << track;
        QTest::newRow("one third: between the rings' edges") << 3 << 1 << 260.0 << 98.5 << track;
        QTest::newRow("complete: near the end edge") << 3 << 3 << 147.0 << 90.0 << full;
        QTest::newRow("complete: gap stays open") << 3 << 3 << 180.0 << 90.0 << background;
        QTest::newRow("complete: outside the ring") << 3 << 3 << 45.0 << 110.0 << background;
        QTest::newRow("complete: inside the hole") << 3 << 3 << 270.0 << 70.0 << background;
        QTest::newRow("total 0 at 5: ring stays empty") << 0 << 5 << 0.0 << 90.0 << track;
    }

    void ringPixels()
    {
        QFETCH(int, total);
        QFETCH(int, progress);
        QFETCH(double, angle);
        QFETCH(double, radius);
        QFETCH(QColor, expected);

        PkDashboard panel;
        panel.resize(800, 438);
        panel.setSelectionInfo(u"ids.txt"_s, u"photos"_s, total, 3);
        panel.setProgress(progress);
        const double radians = qDegreesToRadians(angle);
        const QPointF offset(std::sin(radians), -std::cos(radians));
        const QPoint point = (QPointF(400, 175.2) + radius * offset).toPoint();
        const QColor got = renderOn(panel, background).pixelColor(point);

        const int off = std::max({qAbs(got.red() - expected.red()), qAbs(got.green() - expected.green()),
                                  qAbs(got.blue() - expected.blue())});
        QVERIFY2(off <= 2, qPrintable(u"got %1, want %2"_s.arg(got.name(), expected.name())));
    }

private:
    PwTools tools;
    const QColor background = Qt::blue;
};

QTEST_MAIN(TestPkDashboard)
#include "tst_pkdashboard.moc"
