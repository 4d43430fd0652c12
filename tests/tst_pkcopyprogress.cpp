// SPDX-License-Identifier: MIT

#include "pkcopyprogress.h"

#include <QTest>

// The line that tells how far a run has come, on a terminal and in the
// ring's tooltip: amounts in the unit of the total, a rate and the time left
// once a second of copying gives them.
class TestPkCopyProgress : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        // Files done of 89, bytes done, bytes in all, milliseconds since the
        // run began; and bytes done in the last milliseconds, where given.
        QTest::addColumn<QList<qint64>>("figures");
        QTest::addColumn<QString>("expected");
        const qint64 mega = 1000 * 1000, giga = 1000 * mega;
        const auto row = [](const char *name, const QList<qint64> &figures, const char *expected) {
            QTest::newRow(name) << figures << QString::fromUtf8(expected);
        };
        row("a long run", {60, 1200 * mega, 2300 * mega, 25000}, "60 of 89 · 1.2 of 2.3 GB · 48 MB/s · 0:23 left");
        row("before a second of copying", {0, 200 * mega, 2300 * mega, 999}, "0 of 89 · 0.2 of 2.3 GB");
        row("a second, nothing copied yet", {0, 0, 2300 * mega, 1000}, "0 of 89 · 0.0 of 2.3 GB");
        row("bytes, a slow rate", {3, 512, 999, 1000}, "3 of 89 · 512 of 999 B · 512 B/s · 0:01 left");
        row("kilobytes, rate under ten", {3, 4500, 999000, 1000}, "3 of 89 · 4.5 of 999.0 kB · 4.5 kB/s · 3:41 left");
        row("a rate of exactly ten", {5, 10 * mega, 100 * mega, 1000}, "5 of 89 · 10.0 of 100.0 MB · 10 MB/s · 0:09 left");
        row("a few bytes a second", {1, 5, 20, 1000}, "1 of 89 · 5 of 20 B · 5 B/s · 0:03 left");
        row("hours left", {1, mega, 4 * giga, 1000}, "1 of 89 · 0.0 of 4.0 GB · 1.0 MB/s · 1:06:39 left");
        row("an hour left, to the second", {1, mega, 3601 * mega, 1000}, "1 of 89 · 0.0 of 3.6 GB · 1.0 MB/s · 1:00:00 left");
        row("a second under an hour", {1, mega, 3600 * mega, 1000}, "1 of 89 · 0.0 of 3.6 GB · 1.0 MB/s · 59:59 left");
        row("the last seconds' rate", {60, 1200 * mega, 2300 * mega, 25000, 50 * mega, 5000}, "60 of 89 · 1.2 of 2.3 GB · 10 MB/s · 1:50 left");
        row("nothing moved lately: the run's rate", {60, 1200 * mega, 2300 * mega, 25000, 0, 5000}, "60 of 89 · 1.2 of 2.3 GB · 48 MB/s · 0:23 left");
        row("under a second lately: the run's rate", {60, 1200 * mega, 2300 * mega, 25000, 50 * mega, 999}, "60 of 89 · 1.2 of 2.3 GB · 48 MB/s · 0:23 left");
    }

    void text()
    {
        QFETCH(QList<qint64>, figures);
        QTEST(PkCopyProgress::text(int(figures[0]), 89, figures[1], figures[2], figures[3], figures.value(4),
                                   figures.value(5)), "expected");
    }
};

QTEST_GUILESS_MAIN(TestPkCopyProgress)
#include "tst_pkcopyprogress.moc"
