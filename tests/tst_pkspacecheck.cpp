// SPDX-License-Identifier: MIT

#include "pkspacecheck.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Whether a run's copies fit, told from the sizes of the files and the
// destination drive's figures; amounts as the warning shows them.
class TestPkSpaceCheck : public QObject
{
    Q_OBJECT

private slots:
    void amounts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::newRow("under a kilobyte") << qint64(999) << "999 bytes" << "999 bytes";
        QTest::newRow("a kilobyte") << qint64(1000) << "1.0 kB" << "1.0 kB";
        QTest::newRow("a byte past a tenth") << qint64(1101) << "1.2 kB" << "1.1 kB";
        QTest::newRow("rounds up into the next unit") << qint64(999999) << "1.0 MB" << "999.9 kB";
        QTest::newRow("gigabytes") << qint64(2'345'000'000) << "2.4 GB" << "2.3 GB";
        QTest::newRow("terabytes") << qint64(8'796'093'022'208) << "8.8 TB" << "8.7 TB";
    }

    void amounts()
    {
        QFETCH(qint64, bytes);
        QTEST(PkSpaceCheck::amount(bytes, true), "up");
        QTEST(PkSpaceCheck::amount(bytes, false), "down");
    }

    void blocks_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<qint64>("onDisk");
        QTest::newRow("empty file") << qint64(0) << qint64(0);
        QTest::newRow("one byte") << qint64(1) << qint64(4096);
        QTest::newRow("a whole block") << qint64(4096) << qint64(4096);
        QTest::newRow("a byte more") << qint64(4097) << qint64(8192);
    }

    void blocks()
    {
        QFETCH(qint64, bytes);
        QTEST(PkSpaceCheck::onDisk(bytes, 4096), "onDisk");
    }

    void sharedBlocks()
    {
        QVERIFY(PkSpaceCheck::mayShareBlocks(true, 0x9123683E));  // btrfs
        QVERIFY(PkSpaceCheck::mayShareBlocks(true, 0x58465342));  // XFS
        QVERIFY(!PkSpaceCheck::mayShareBlocks(false, 0x9123683E)); // another drive
        QVERIFY(!PkSpaceCheck::mayShareBlocks(true, 0xEF53));      // ext4
    }

    // A sparse file claims terabytes that no test drive has free.
    void shortfall_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("resume");
        QTest::addColumn<bool>("fits");
        QTest::newRow("small files") << QStringList{"a.jpg", "b.jpg"} << false << true;
        QTest::newRow("too large") << QStringList{"a.jpg", "huge.cr2"} << false << false;
        QTest::newRow("too large, already there but not resumed") << QStringList{"there.cr2"} << false << false;
        QTest::newRow("too large, already there when resumed") << QStringList{"there.cr2"} << true << true;
        QTest::newRow("a file that is gone") << QStringList{"gone.cr2"} << false << true;
        QTest::newRow("nothing") << QStringList{} << false << true;
    }

    void shortfall()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, resume);
        QTemporaryDir dir;
        QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
        QVERIFY(QDir(dir.path()).mkpath("pics/FilesFromSelection"));
        const qint64 huge = qint64(8) << 40;
        for (const char *name : {"pics/a.jpg", "pics/b.jpg", "pics/huge.cr2", "pics/there.cr2", "pics/FilesFromSelection/there.cr2"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(QByteArray(name).endsWith("jpg") ? 100 : huge));
        }
        const QString pictures = dir.filePath("pics");
        const QString why = PkSpaceCheck::shortfall(pictures, files, pictures, resume);
        QFETCH(bool, fits);
        if (fits)
            QCOMPARE(why, QString());
        else
            QVERIFY2(QRegularExpression("^Needs 8\\.8 TB, \\d+\\.\\d [kMGT]B free on this drive$").match(why).hasMatch(),
                     qPrintable(why));
    }
};

QTEST_MAIN(TestPkSpaceCheck)
#include "tst_pkspacecheck.moc"
