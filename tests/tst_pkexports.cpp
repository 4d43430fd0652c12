// SPDX-License-Identifier: MIT

#include "pkcataloguefilter.h"
#include "pklistreader.h"
#include "pkmatchcsv.h"
#include "pkselectionmatcher.h"
#include "pksmartcollection.h"
#include "pwsavedfile.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using Texts = QList<QString>;

// What the picks are handed on as: the report, a catalogue's filter, a
// smart collection, and the file each is saved to.
class TestPkExports : public QObject
{
    Q_OBJECT

private slots:
    void report_data()
    {
        QTest::addColumn<Texts>("names");
        QTest::addColumn<Texts>("ids");
        QTest::addColumn<bool>("examples"); // each found the picture of its name
        QTest::addColumn<QByteArray>("csv"); // after the byte-order mark and the header
        QTest::newRow("each way of finding, a range's gaps among its numbers, a file left out, cells to guard")
            << Texts{"IMG_2403.CR2", "IMG_2403.JPG", "IMG_2403.CR2.xmp", "IMG_2406.JPG", "IMG_0412.JPG", "IMG_4120.JPG",
                     "=cmd.JPG", "A,B \"1\".JPG", "CardA/IMG_7000.JPG"}
            << Texts{"IMG_2403.JPG", "img_4120.jpg", "2405-2407", "Could we have 0412, please?", "412", "Thanks so much!",
                     "IMG_9999", "=cmd", "", "A,B", "IMG_9999", "7000"} << false
            << QByteArray("IMG_2403.JPG,as written,,IMG_2403,\"IMG_2403.CR2, IMG_2403.JPG, IMG_2403.CR2.xmp\"\r\n"
                          "img_4120.jpg,near,,IMG_4120,IMG_4120.JPG\r\n"
                          "2405,\"not found, range\",2405-2407,,\r\n"
                          "2406,\"as written, range, left out\",2405-2407,,\r\n"
                          "2407,\"not found, range\",2405-2407,,\r\n"
                          "0412,\"as written, prose\",\"Could we have 0412, please?\",IMG_0412,IMG_0412.JPG\r\n"
                          "412,ambiguous,,\"IMG_0412, IMG_4120\",\r\n"
                          "Thanks so much!,text,,,\r\n"
                          "IMG_9999,not found,,,\r\n"
                          "'=cmd,as written,,'=cmd,'=cmd.JPG\r\n"
                          "\"A,B\",as written,,\"A,B \"\"1\"\"\",\"A,B \"\"1\"\".JPG\"\r\n"
                          "7000,\"as written, sub-folder\",,CardA/IMG_7000,CardA/IMG_7000.JPG\r\n");
        QTest::newRow("examples: the second of one picture") << Texts{"a.jpg"} << Texts{"a.jpg", "a.JPG"} << true
            << QByteArray("a.jpg,example,,a,a.jpg\r\na.JPG,example,,a,\r\n");
    }

    void report()
    {
        QFETCH(Texts, names);
        QFETCH(Texts, ids);
        QFETCH(bool, examples);
        QFETCH(QByteArray, csv);
        const PkMatchResult match = PkSelectionMatcher::matchNames(names, ids, {true, false, true});
        const QList<PkNearMatch> found{{"a.jpg", "a"}, {"a.JPG", "a"}};
        QCOMPARE(PkMatchCsv::report(match, {"IMG_2406.JPG"}, examples ? &found : nullptr),
                 "\xEF\xBB\xBFIdentifier,Found,Read from,Pictures,Files\r\n" + csv);
    }

    // Spreadsheets run what starts like a formula, also after a tab or a
    // carriage return; quotes are doubled inside quotes.
    void field_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        for (const char *formula : {"=1+1", "+1", "-1", "@SUM(A1)", "\t=1"})
            QTest::newRow(formula) << formula << QString('\'' + QString(formula));
        QTest::newRow("carriage return") << "\r=1" << "\"'\r=1\"";
        QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
        QTest::newRow("plain, a sign inside") << "IMG_1 a=b-c" << "IMG_1 a=b-c";
    }

    void field()
    {
        QFETCH(QString, text);
        QTEST(PkMatchCsv::field(text), "field");
    }

    // File names once each, without folders or sidecars.
    void catalogueFilter()
    {
        const Texts files{"A/IMG_1.CR2", "A/IMG_1.CR2.xmp", "A/IMG_1.JPG", "B/IMG_1.JPG", "IMG_2.JPG"};
        QCOMPARE(PkCatalogueFilter::text(files, PkCatalogueFilter::Join::Commas), "IMG_1.CR2, IMG_1.JPG, IMG_2.JPG");
        QCOMPARE(PkCatalogueFilter::text(files, PkCatalogueFilter::Join::Or), "IMG_1.CR2 OR IMG_1.JPG OR IMG_2.JPG");
    }

    // Read back, a smart collection selects the same files; a title that
    // would close its string, or start a rule, stays a title.
    void smartCollection()
    {
        const Texts names{"IMG_2403.CR2", "IMG_2403.JPG", "IMG_24031.JPG", "IMG_2404\"\\.JPG", "IMG_2405.JPG"};
        const Texts ids{"IMG_2403.JPG", "IMG_2404\"\\.JPG"};
        const PkMatchResult match = PkSelectionMatcher::matchNames(names, ids, {true, false, true});
        const QByteArray written = PkSmartCollection::write("a\\\", value = \"IMG_2405\n\x7f", PkCatalogueFilter::names(match.files));
        QVERIFY(written.contains("\n\ttitle = \"a\\\\\\\", value = \\\"IMG_2405  \",\n"));
        const PkSelectionList read = PkListReader::readBytes(written, "picks.lrsmcol");
        QCOMPARE(read.ids, (Texts{"IMG_2403.CR2", "IMG_2403.JPG", "IMG_2404\"\\.JPG"}));
        QCOMPARE(PkSelectionMatcher::matchNames(names, read.ids, {true, false, true}).files, match.files);
    }

    // The command line writes the report whole, on a dry run and when
    // nothing is copied, or not at all, leaving the file there as it was and
    // no temporary: a folder is refused before the list is read, and a
    // report over the file size limit, which stands in for a full drive,
    // also for root, stops the run before any copy.
    void commandLine_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QByteArray>("err"); // how stderr ends
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("report"); // r.csv, which held "old"
        const QString job = "--list list --folder pics --report r.csv";
        const QByteArray head = "\xEF\xBB\xBFIdentifier,Found,Read from,Pictures,Files\r\n";
        QTest::newRow("a dry run") << QByteArray("IMG_0001\n-9\n") << job + " --dry-run" << QByteArray("not found: -9\n") << 0
            << head + "IMG_0001,as written,,IMG_0001,\"IMG_0001.CR2, IMG_0001.jpg\"\r\n'-9,not found,,,\r\n";
        QTest::newRow("a run that copies") << QByteArray("=9\nIMG_0001.CR2") << job << QByteArray() << 0
            << head + "'=9,not found,,,\r\nIMG_0001.CR2,as written,,IMG_0001,\"IMG_0001.CR2, IMG_0001.jpg\"\r\n";
        QTest::newRow("a folder") << QByteArray() << "--list gone --folder gone --report pics"
            << QByteArray("pickwell: --report pics is a folder: give a file name. See pickwell --help.\n") << 2 << QByteArray("old");
        QTest::newRow("the list") << QByteArray("IMG_0001") << "--list list --folder pics --report ./list"
            << QByteArray("pickwell: --report ./list is the list itself. See pickwell --help.\n") << 2 << QByteArray("old");
        for (const QString &refused : {job + " --report r.csv", QString("--report r.csv")})
            QTest::newRow(qPrintable(refused)) << QByteArray() << refused << "pickwell: " + QByteArray(refused.size() > 20 ? "Give --report once." : "--report needs --list and --folder.") + " See pickwell --help.\n" << 2 << QByteArray("old");
        QByteArray many = "IMG_0001\n";
        for (int i = 0; i < 3000; ++i)
            many += "not_in_the_folder_" + QByteArray::number(i) + '\n';
        QTest::newRow("a full drive") << many << job
            << QByteArray("pickwell: Cannot write the report r.csv: File too large\n") << 1 << QByteArray("old");
    }

    void commandLine()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, arguments);
        QFETCH(QByteArray, report);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("pics") && PwSavedFile::write(dir.filePath("pics/IMG_0001.jpg"), "j").isEmpty()
                && PwSavedFile::write(dir.filePath("pics/IMG_0001.CR2"), "r").isEmpty());
        QVERIFY(list.isNull() || PwSavedFile::write(dir.filePath("list"), list).isEmpty());
        QVERIFY(PwSavedFile::write(dir.filePath("r.csv"), "old").isEmpty());
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setChildProcessModifier([] {
            const rlimit limit{64 * 1024, 64 * 1024};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        process.start(PICKWELL_PROGRAM, arguments.split(' '));
        QVERIFY(process.waitForFinished(60000));
        QFETCH(QByteArray, err);
        QVERIFY2(process.readAllStandardError().endsWith(err), err);
        QTEST(process.exitCode(), "status");
        QFile written(dir.filePath("r.csv"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), report);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), list.isNull() ? 1 : 2);
        QCOMPARE(QFile::exists(dir.filePath("pics/FilesFromSelection")), process.exitCode() == 0 && !arguments.contains("--dry-run"));
    }
};

QTEST_GUILESS_MAIN(TestPkExports)
#include "tst_pkexports.moc"
