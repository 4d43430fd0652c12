// SPDX-License-Identifier: MIT

#include "pkspacecheck.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Amounts as the warning shows them, and what files take on a drive; the
// check on a real drive is the command line's and the window's to test.
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
        QTest::newRow("terabytes") << qint64(8'796'093'022'208) << "8.8 TB" << "8.7 TB";
    }

    void amounts()
    {
        QFETCH(qint64, bytes);
        QTEST(PkSpaceCheck::amount(bytes, true), "up");
        QTEST(PkSpaceCheck::amount(bytes, false), "down");
    }

    // Files take whole blocks; copy-on-write drives may share the pictures' blocks.
    void blocks()
    {
        QCOMPARE(QList<qint64>({PkSpaceCheck::onDisk(0, 4096), PkSpaceCheck::onDisk(1, 4096),
                                PkSpaceCheck::onDisk(4096, 4096), PkSpaceCheck::onDisk(4097, 4096)}), QList<qint64>({0, 4096, 4096, 8192}));
        QVERIFY(PkSpaceCheck::mayShareBlocks(true, 0x9123683E));  // btrfs
        QVERIFY(PkSpaceCheck::mayShareBlocks(true, 0x58465342));  // XFS
        QVERIFY(!PkSpaceCheck::mayShareBlocks(false, 0x9123683E)); // another drive
        QVERIFY(!PkSpaceCheck::mayShareBlocks(true, 0xEF53));      // ext4
        const QString here = QDir::currentPath();
        QVERIFY(PkSpaceCheck::sameDevice(here, here + "/."));
        QVERIFY(!PkSpaceCheck::sameDevice(here, "/proc"));
        QVERIFY(!PkSpaceCheck::sameDevice(here, here + "/not there"));
    }

    // What each picture adds: the file it is or links to; nothing else counts.
    void sizes()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("a.jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("12345") == 5 && file.flush() && QDir(dir.path()).mkdir("folder.jpg"));
        QVERIFY(QFile::link("a.jpg", dir.filePath("link.jpg")) && QFile::link("folder.jpg", dir.filePath("to-folder.jpg")));
        const QHash<QString, qint64> sizes = PkSpaceCheck::sizes(dir.path(), {"a.jpg", "link.jpg", "folder.jpg", "to-folder.jpg", "gone.jpg"});
        QCOMPARE(sizes, (QHash<QString, qint64>{{"a.jpg", 5}, {"link.jpg", 5}}));
    }
};

QTEST_MAIN(TestPkSpaceCheck)
#include "tst_pkspacecheck.moc"
