// SPDX-License-Identifier: MIT

#include "pkdashboard.h"
#include "pklooktest.h"

#include <QTest>

// What the panel shows: the ring's sweep in degrees, the percentage, and whether the run is complete.
static QString shown(const PkDashboard &p)
{
    return QString::number(p.sweepAngle(), 'f', 0) + ' ' + p.percentageText() + (p.isComplete() ? " complete" : "");
}

class TestPkDashboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PkLookTest::drawsAsBefore(); } // the fonts there before any widget
    void progress_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<int>>("reports");
        QTest::addColumn<QString>("expected");

        QTest::newRow("2 of 3, percentage rounded") << 3 << QList<int>{1, 2} << "200 67%";
        QTest::newRow("3 of 3") << 3 << QList<int>{1, 2, 3} << "300 100% complete";
        QTest::newRow("199 of 200 is not yet 100%") << 200 << QList<int>{199} << "298 99%";
        QTest::newRow("past the total stays complete") << 3 << QList<int>{3, 4} << "300 133% complete";
        QTest::newRow("total 0: empty ring") << 0 << QList<int>{5} << "0 0%";
        QTest::newRow("INT_MAX times 300 needs 64 bits") << 1000 << QList<int>{2147483647} << "644245094 214748365%";
    }

    void progress()
    {
        QFETCH(int, total);
        QFETCH(QList<int>, reports);
        PkDashboard panel;
        panel.setSelectionInfo("ids.txt", "photos", total, 3);
        for (int report : reports)
            panel.setProgress(report);
        QTEST(shown(panel), "expected");

        // A new run starts from nothing, whatever the last one reached.
        panel.resetProgress();
        QCOMPARE(shown(panel), "0 0%");
    }

    // Over blue, probes along the ring of a run one third done: P the progress band's gray6, T the track,
    // B the blue of whatever lies behind the panel. Angles clockwise from 12 o'clock.
    void ring()
    {
        PkDashboard panel;
        panel.resize(800, 438);
        panel.setSelectionInfo("ids.txt", "photos", 3, 3);
        panel.setProgress(1);
        QCOMPARE(panel.summaryRect(), QRectF(100, 275, 600, 50)); // under the ring, centred on (400, 175.2)

        QImage image(panel.size(), QImage::Format_RGB32);
        image.fill(Qt::blue);
        panel.render(&image, {}, {}, QWidget::DrawChildren);
        QString probes;
        for (auto [degrees, r] : QList<std::pair<double, double>>{{213, 90}, {307, 90}, {313, 90}, {90, 98.5},
                                                                  {90, 81.5}, {270, 78}, {180, 90}, {45, 103}}) {
            const QColor c = image.pixelColor(QLineF::fromPolar(r, 90 - degrees).translated(400, 175.2).p2().toPoint());
            probes += c == QColor(180, 180, 180) ? 'P' : c == QColor(Qt::blue) ? 'B' : 'T';
        }
        // From start to end of the sweep; the track beyond it and at the band's edges; the hole, the gap
        // at the bottom and the outside.
        QCOMPARE(probes, "PPTTTBBB");
        panel.setSummary("Done: 40 copied and verified; backup stopped: the drive is full, 12 of 40 copied", QColor(255, 165, 0));
        QVERIFY(PkLookTest::looksAsBefore(&panel, "dashboard"));
    }
};

QTEST_MAIN(TestPkDashboard)
#include "tst_pkdashboard.moc"
