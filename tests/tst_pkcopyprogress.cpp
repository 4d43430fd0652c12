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
        QTest::addColumn<int>("filesDone");
        QTest::addColumn<qint64>("bytesDone");
        QTest::addColumn<qint64>("bytesTotal");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("expected");

        const qint64 mega = 1000 * 1000, giga = 1000 * mega;
        QTest::newRow("a long run") << 60 << 1200 * mega << 2300 * giga / 1000 << qint64(25000)
                                    << "60 of 89 · 1.2 of 2.3 GB · 48 MB/s · 0:23 left";
        QTest::newRow("before a second of copying") << 0 << 200 * mega << 2300 * mega << qint64(999)
                                                    << "0 of 89 · 0.2 of 2.3 GB";
        QTest::newRow("a second, nothing copied yet") << 0 << qint64(0) << 2300 * mega << qint64(1000)
                                                      << "0 of 89 · 0.0 of 2.3 GB";
        QTest::newRow("bytes, a slow rate") << 3 << qint64(512) << qint64(999) << qint64(1000)
                                            << "3 of 89 · 512 of 999 B · 512 B/s · 0:01 left";
        QTest::newRow("kilobytes, rate under ten") << 3 << qint64(4500) << qint64(999000) << qint64(1000)
                                                   << "3 of 89 · 4.5 of 999.0 kB · 4.5 kB/s · 3:41 left";
        QTest::newRow("hours left") << 1 << mega << 4 * giga << qint64(1000)
                                    << "1 of 89 · 0.0 of 4.0 GB · 1.0 MB/s · 1:06:39 left";
    }

    void text()
    {
        QFETCH(int, filesDone);
        QFETCH(qint64, bytesDone);
        QFETCH(qint64, bytesTotal);
        QFETCH(qint64, elapsedMs);
        QTEST(PkCopyProgress::text(filesDone, 89, bytesDone, bytesTotal, elapsedMs), "expected");
    }
};

QTEST_GUILESS_MAIN(TestPkCopyProgress)
#include "tst_pkcopyprogress.moc"
