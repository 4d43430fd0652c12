// SPDX-License-Identifier: MIT

#include "pkdashboard.h"
#include "pwtools.h"

#include <QFontDatabase>
#include <QImage>
#include <QTest>

#include <climits>
#include <cmath>

namespace {

const QSize panelSize(800, 438);

QImage renderOn(QWidget &widget, QColor background)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(background);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// A point of the gauge by its angle (degrees clockwise from 12 o'clock) and
// its distance from the centre.
QPoint gaugePoint(QPointF center, double angle, double radius)
{
    const double radians = qDegreesToRadians(angle);
    return QPointF(center.x() + radius * std::sin(radians), center.y() - radius * std::cos(radians))
        .toPoint();
}

bool near(QColor actual, QColor expected, int tolerance = 2)
{
    return qAbs(actual.red() - expected.red()) <= tolerance
        && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace

class TestPkDashboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sweepAndText_data();
    void sweepAndText();
    void completeIsNeverCleared();
    void newTotalKeepsProgress();
    void gaugeFollowsSize_data();
    void gaugeFollowsSize();
    void ringPixels_data();
    void ringPixels();
    void noBackgroundFill();
    void percentageIsCentred();

private:
    PwTools tools;
};

void TestPkDashboard::initTestCase()
{
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender.otf")) >= 0);
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender-Bold.otf")) >= 0);
}

void TestPkDashboard::sweepAndText_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<int>>("reports");
    QTest::addColumn<double>("sweep");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");

    QTest::newRow("new panel") << 0 << QList<int>{} << 0.0 << QStringLiteral("0%") << false;
    QTest::newRow("total 3 at 1") << 3 << QList<int>{1} << 100.0 << QStringLiteral("33%") << false;
    QTest::newRow("total 3 at 2") << 3 << QList<int>{1, 2} << 200.0 << QStringLiteral("67%") << false;
    QTest::newRow("total 3 at 3") << 3 << QList<int>{1, 2, 3} << 300.0 << QStringLiteral("100%")
                                  << true;
    QTest::newRow("total 7 at 1, sweep truncated") << 7 << QList<int>{1} << 42.0
                                                   << QStringLiteral("14%") << false;
    QTest::newRow("total 200 at 1, half rounds up") << 200 << QList<int>{1} << 1.0
                                                    << QStringLiteral("1%") << false;
    QTest::newRow("total 8 at 1, 12.5 rounds up") << 8 << QList<int>{1} << 37.0
                                                  << QStringLiteral("13%") << false;
    QTest::newRow("total 8 at -1, -12.5 rounds away from zero")
        << 8 << QList<int>{-1} << -37.0 << QStringLiteral("-13%") << false;
    QTest::newRow("total 0 at 0 completes") << 0 << QList<int>{0} << 300.0 << QStringLiteral("0%")
                                            << true;
    QTest::newRow("total 0 at 5, nothing to divide by")
        << 0 << QList<int>{5} << 0.0 << QStringLiteral("0%") << false;
    QTest::newRow("past the total without meeting it")
        << 3 << QList<int>{4} << 400.0 << QStringLiteral("133%") << false;
    QTest::newRow("count too big for 32-bit times 300")
        << 1000 << QList<int>{INT_MAX} << 644245094.0 << QStringLiteral("214748365%") << false;
    QTest::newRow("largest count over a total of 1")
        << 1 << QList<int>{INT_MAX} << 644245094100.0 << QStringLiteral("214748364700%") << false;
}

void TestPkDashboard::sweepAndText()
{
    QFETCH(int, total);
    QFETCH(QList<int>, reports);
    QFETCH(double, sweep);
    QFETCH(QString, text);
    QFETCH(bool, complete);

    PkDashboard panel;
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), total, 3);
    for (int report : reports)
        panel.setProgress(report);

    QCOMPARE(panel.sweepAngle(), sweep);
    QCOMPARE(panel.percentageText(), text);
    QCOMPARE(panel.isComplete(), complete);
}

void TestPkDashboard::completeIsNeverCleared()
{
    PkDashboard panel;
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), 3, 3);
    panel.setProgress(3);
    QVERIFY(panel.isComplete());

    // A later, larger selection: the ring stays full, the text is honest.
    panel.setSelectionInfo(QStringLiteral("/tmp/more.txt"), QStringLiteral("/tmp/photos"), 10, 12);
    QVERIFY(panel.isComplete());
    QCOMPARE(panel.sweepAngle(), 300.0);
    QCOMPARE(panel.percentageText(), QStringLiteral("30%"));

    panel.setProgress(1);
    QVERIFY(panel.isComplete());
    QCOMPARE(panel.sweepAngle(), 300.0);
    QCOMPARE(panel.percentageText(), QStringLiteral("10%"));
}

void TestPkDashboard::newTotalKeepsProgress()
{
    PkDashboard panel;
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), 3, 3);
    panel.setProgress(2);
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), 4, 3);

    QCOMPARE(panel.getProgress(), 2);
    QCOMPARE(panel.getTotal(), 4);
    QVERIFY(!panel.isComplete());
    QCOMPARE(panel.sweepAngle(), 150.0);
    QCOMPARE(panel.percentageText(), QStringLiteral("50%"));
}

void TestPkDashboard::gaugeFollowsSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("center");

    QTest::newRow("window's panel 800x438") << QSize(800, 438) << QPointF(400, 175.2);
    QTest::newRow("smaller panel 300x250") << QSize(300, 250) << QPointF(150, 100);
}

void TestPkDashboard::gaugeFollowsSize()
{
    QFETCH(QSize, size);
    QFETCH(QPointF, center);

    PkDashboard panel;
    panel.resize(size);
    QCOMPARE(panel.gaugeCenter(), center);
    // The text box keeps its size; only the gauge moves.
    QCOMPARE(panel.percentageRect(), QRectF(center.x() - 60, center.y() - 40, 120, 70));

    // The middle of the track, straight above the centre, is where the gauge went.
    const QColor background(0, 0, 255);
    const QImage image = renderOn(panel, background);
    const QColor gray1 = tools.getColor(QStringLiteral("gray1"));
    const QColor track((gray1.red() * 50 + background.red() * 205) / 255,
                       (gray1.green() * 50 + background.green() * 205) / 255,
                       (gray1.blue() * 50 + background.blue() * 205) / 255);
    const QColor got = image.pixelColor(gaugePoint(center, 0, 90));
    QVERIFY2(near(got, track), qPrintable(got.name()));
}

void TestPkDashboard::ringPixels_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("progress");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QString>("expected"); // "progress", "track" or "background"

    QTest::newRow("idle: middle of the track") << 3 << 0 << 0.0 << 90.0 << QStringLiteral("track");
    QTest::newRow("idle: gap at the bottom") << 3 << 0 << 180.0 << 90.0
                                             << QStringLiteral("background");
    QTest::newRow("one third: near the start edge") << 3 << 1 << 213.0 << 90.0
                                                    << QStringLiteral("progress");
    QTest::newRow("one third: inside the sweep") << 3 << 1 << 290.0 << 90.0
                                                 << QStringLiteral("progress");
    QTest::newRow("one third: beyond the sweep") << 3 << 1 << 0.0 << 90.0
                                                 << QStringLiteral("track");
    QTest::newRow("one third: between the rings' edges") << 3 << 1 << 260.0 << 98.5
                                                         << QStringLiteral("track");
    QTest::newRow("complete: top of the arc") << 3 << 3 << 0.0 << 90.0
                                              << QStringLiteral("progress");
    QTest::newRow("complete: near the end edge") << 3 << 3 << 147.0 << 90.0
                                                 << QStringLiteral("progress");
    QTest::newRow("complete: gap stays open") << 3 << 3 << 180.0 << 90.0
                                              << QStringLiteral("background");
    QTest::newRow("complete: outside the ring") << 3 << 3 << 45.0 << 110.0
                                                << QStringLiteral("background");
    QTest::newRow("complete: inside the hole") << 3 << 3 << 270.0 << 70.0
                                               << QStringLiteral("background");
    QTest::newRow("empty total with progress: ring stays empty") << 0 << 5 << 0.0 << 90.0
                                                                 << QStringLiteral("track");
}

void TestPkDashboard::ringPixels()
{
    QFETCH(int, total);
    QFETCH(int, progress);
    QFETCH(double, angle);
    QFETCH(double, radius);
    QFETCH(QString, expected);

    const QColor background(0, 0, 255);
    PkDashboard panel;
    panel.resize(panelSize);
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), total, 3);
    if (progress != 0)
        panel.setProgress(progress);
    const QImage image = renderOn(panel, background);

    QColor want = background;
    if (expected == QLatin1String("progress")) {
        want = tools.getColor(QStringLiteral("gray6"));
    } else if (expected == QLatin1String("track")) {
        // gray1 at alpha 50 over the background.
        const QColor gray1 = tools.getColor(QStringLiteral("gray1"));
        auto blend = [](int top, int bottom) { return (top * 50 + bottom * 205) / 255; };
        want = QColor(blend(gray1.red(), background.red()), blend(gray1.green(), background.green()),
                      blend(gray1.blue(), background.blue()));
    }
    const QPoint point = gaugePoint(QPointF(400, 175.2), angle, radius);
    const QColor got = image.pixelColor(point);
    QVERIFY2(near(got, want), qPrintable(QStringLiteral("at (%1, %2) got %3, want %4")
                                             .arg(point.x()).arg(point.y())
                                             .arg(got.name(), want.name())));
}

void TestPkDashboard::noBackgroundFill()
{
    const QColor background(200, 40, 90);
    PkDashboard panel;
    panel.resize(panelSize);
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), 3, 3);
    panel.setProgress(3);

    QVERIFY(!panel.autoFillBackground());
    const QImage image = renderOn(panel, background);
    for (const QPoint corner : {QPoint(0, 0), QPoint(799, 0), QPoint(0, 437), QPoint(799, 437)})
        QCOMPARE(image.pixelColor(corner), background);
}

void TestPkDashboard::percentageIsCentred()
{
    const QColor background(0, 0, 0);
    PkDashboard panel;
    panel.resize(panelSize);
    panel.setSelectionInfo(QStringLiteral("/tmp/ids.txt"), QStringLiteral("/tmp/photos"), 3, 3);
    panel.setProgress(3);
    const QImage image = renderOn(panel, background);

    // Ink of the percentage: bright pixels inside the text box only.
    const QRect box = panel.percentageRect().toAlignedRect();
    int left = INT_MAX;
    int right = INT_MIN;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (qGray(image.pixel(x, y)) > 128) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    }
    QVERIFY2(left <= right, "no text drawn");
    const double inkCentre = (left + right + 1) / 2.0;
    QVERIFY2(qAbs(inkCentre - 400) <= 5, qPrintable(QString::number(inkCentre)));
}

QTEST_MAIN(TestPkDashboard)
#include "tst_pkdashboard.moc"
