// SPDX-License-Identifier: MIT

#include "pkterminaltext.h"
#include "pktestpictures.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <unistd.h>

// The program run with example pictures instead of a list, as a script
// would run it: its report on stderr, a dry run's files on stdout, its exit
// status and what it copies.
using namespace Qt::StringLiterals;

class TestPkLikeCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void oneShot();
    void escapedNames();
};

void TestPkLikeCommandLine::run_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QStringList>("copies");
    QTest::addColumn<bool>("terminal"); // stderr on a terminal: err is a pattern of what it shows

    const QByteArray report = "4 examples, 3 files to copy, 1 not found, 1 not a picture\n"
                              "like: a.jpg: IMG_0001 (capture time)\nlike: d.jpg: IMG_0001 (capture time, content differs)\n"
                              "like: sub/b.jpg: IMG_0002 (content)\nnot found: z.jpg\n"
                              "not a picture: c.txt: Not a picture\n";
    QTest::newRow("dry run, list options ignored") << "--like ex --folder pics --dry-run --whole-numbers" << report
        << QByteArray("pics/IMG_0001.CR2\npics/IMG_0001.jpg\npics/IMG_0002.jpg\nexit 0") << QStringList() << false;
    QTest::newRow("copies whole pictures, with a report") << "--like ex --folder pics --report r.csv" << report << QByteArray("copied 3 of 3, verified\nexit 0")
        << QStringList{"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0002.jpg"} << false;
    // The count climbs in place and is wiped before the report.
    QTest::newRow("progress on a terminal") << "--like ex --folder pics --dry-run"
        << QByteArray("^(\\rmatching [1-9] of 9)+\\r {15}\\r4 examples, 3 files to copy, 1 not found")
        << QByteArray("pics/IMG_0001.CR2\npics/IMG_0001.jpg\npics/IMG_0002.jpg\nexit 0") << QStringList() << true;
    const auto refused = [](const char *name, const QString &arguments, const QByteArray &why) {
        QTest::newRow(name) << arguments << "pickwell: " + why + '\n' << QByteArray("exit 2") << QStringList() << false;
    };
    refused("with --list", "--like ex --list l --folder pics", "Give either --list or --like. See pickwell --help.");
    refused("without --folder", "--like ex", "--like needs --folder. See pickwell --help.");
    refused("twice", "--like ex --like ex --folder pics", "Give --like once. See pickwell --help.");
    refused("inside the picture folder", "--like pics/inner --folder pics", "The examples folder must lie outside the picture folder.");
    refused("the picture folder itself", "--like pics/ --folder pics", "The examples folder must lie outside the picture folder.");
    refused("missing examples", "--like gone --folder pics", "Cannot read the examples folder: gone");
    refused("missing folder", "--like ex --folder gone", "Cannot read the folder: gone");
}

void TestPkLikeCommandLine::run()
{
    QFETCH(QString, arguments);
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && QDir(dir.path()).mkpath("pics/inner") && QDir(dir.path()).mkpath("ex/sub"));
    using namespace PkTestPictures;
    QVERIFY(write(dir.filePath("pics/IMG_0001.jpg"), jpegOfShot(scene(1, 400, 300), {"2024:01:02 10:11:12", "", "", "", ""})));
    QVERIFY(write(dir.filePath("pics/IMG_0001.CR2"), "raw"));
    QVERIFY(write(dir.filePath("pics/IMG_0002.jpg"), jpeg(scene(2, 400, 300), 0)));
    QVERIFY(write(dir.filePath("ex/a.jpg"), jpegOfShot(scene(1, 200, 150), {"2024:01:02 10:11:12", "", "", "", ""})));
    QVERIFY(write(dir.filePath("ex/sub/b.jpg"), jpeg(scene(2, 200, 150), 0, 70)));
    QVERIFY(write(dir.filePath("ex/c.txt"), "thanks!"));
    QVERIFY(write(dir.filePath("ex/d.jpg"), jpegOfShot(scene(5, 200, 150), {"2024:01:02 10:11:12", "", "", "", ""})));
    QVERIFY(write(dir.filePath("ex/z.jpg"), jpeg(scene(9, 200, 150), 0)));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    QFETCH(bool, terminal);
    int master = -1, slave = -1;
    QVERIFY(!terminal || ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
    if (terminal)
        process.setStandardErrorFile(QString::fromLocal8Bit(::ttyname(slave)));
    process.start(PICKWELL_PROGRAM, arguments.split(' '));
    QVERIFY(process.waitForFinished(60000));
    QFile tty;
    QVERIFY(!terminal || (::close(slave) == 0 && tty.open(master, QIODevice::ReadOnly, QFile::AutoCloseHandle)));
    QFETCH(QByteArray, err);
    const QString shown = QString::fromUtf8(terminal ? tty.readAll() : process.readAllStandardError());
    QVERIFY2(terminal ? QRegularExpression(QString::fromUtf8(err)).match(shown).hasMatch() : shown == QString::fromUtf8(err),
             qPrintable(shown));
    QTEST(process.readAllStandardOutput() + "exit " + QByteArray::number(process.exitCode()), "out");
    QTEST(QDir(dir.filePath("pics/FilesFromSelection")).entryList(QDir::Files), "copies");
    // An example of a picture that another one found names it without its files.
    QFile csv(dir.filePath("r.csv"));
    QCOMPARE(csv.open(QIODevice::ReadOnly) ? csv.readAll().sliced(46) : QByteArray(), arguments.contains("--report")
             ? "a.jpg,example,,IMG_0001,\"IMG_0001.CR2, IMG_0001.jpg\"\r\nd.jpg,example,,IMG_0001,\r\n"
               "sub/b.jpg,example,,IMG_0002,IMG_0002.jpg\r\nz.jpg,not found,,,\r\n" : QByteArray());
}

// One picture name in two folders is one picture where both files give the
// same capture time and camera (an export kept apart from its original), and
// two where they differ or give no camera.
void TestPkLikeCommandLine::oneShot()
{
    QTemporaryDir dir;
    using namespace PkTestPictures;
    const Shot shot{"2024:01:02 10:11:12", "", "Canon", "Canon EOS R5", ""};
    const Shot later{"2024:01:02 10:11:13", "", "Canon", "Canon EOS R5", ""}, noCamera{"2024:01:02 10:11:14", "", "", "", ""};
    for (const auto &[name, taken] : {std::pair{"Raw/IMG_0001.jpg", shot}, {"Export/IMG_0001.jpg", shot},
                                      {"CardA/IMG_0002.jpg", shot}, {"CardB/IMG_0002.jpg", later},
                                      {"CardA/IMG_0003.jpg", noCamera}, {"CardB/IMG_0003.jpg", noCamera}}) {
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(u"job/"_s + QLatin1String(name))).path()));
        QVERIFY(write(dir.filePath(u"job/"_s + QLatin1String(name)), jpegOfShot(scene(1, 64, 48), taken)));
    }
    QVERIFY(write(dir.filePath(u"list"_s), "IMG_0002\nIMG_0003\nIMG_0001\n")); // the one shot last, where a join must still look
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(PICKWELL_PROGRAM, {u"--list"_s, u"list"_s, u"--folder"_s, u"job"_s, u"--dry-run"_s, u"--ambiguous=skip"_s});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardError(), "3 identifiers, 2 files to copy, 0 not found, 2 ambiguous\n"
                                             "ambiguous: IMG_0002: CardA/IMG_0002, CardB/IMG_0002\n"
                                             "ambiguous: IMG_0003: CardA/IMG_0003, CardB/IMG_0003\n"
                                             "searched: 4 sub-folders with the folder\n");
    QCOMPARE(process.readAllStandardOutput(), "job/Export/IMG_0001.jpg\njob/Raw/IMG_0001.jpg\n");
    QCOMPARE(process.exitCode(), 4);

    // An example finds its picture in a sub-folder, the folder itself holding none.
    QVERIFY(QDir(dir.path()).mkdir(u"ex"_s) && write(dir.filePath(u"ex/x.jpg"_s), jpegOfShot(scene(2, 64, 48), later)));
    process.start(PICKWELL_PROGRAM, {u"--like"_s, u"ex"_s, u"--folder"_s, u"job"_s, u"--dry-run"_s});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.readAllStandardError().contains("like: x.jpg: CardB/IMG_0002 (capture time"), "");
    QCOMPARE(process.readAllStandardOutput(), "job/CardB/IMG_0002.jpg\n");
    process.start(PICKWELL_PROGRAM, {u"--like"_s, u"ex"_s, u"--folder"_s, u"job"_s, u"--dry-run"_s, u"--subfolders=never"_s});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardOutput(), ""); // never: the folder's own files only, here none
}

// A name reaches the terminal with what could move the cursor, end the line
// or turn the text around written as escapes: each class to both its ends.
void TestPkLikeCommandLine::escapedNames()
{
    const QString name = u"\u001f \u007e\u007f\u009f\u00a0\u2027\u2028\u2029\u202a\u202e\u202f\u2065\u2066\u2069\u206a"_qs;
    QCOMPARE(PkTerminalText::escaped(name), (u"\\037 ~\\177\\237\u00a0\u2027\\u2028\\u2029\\u202a\\u202e\u202f\u2065\\u2066\\u2069\u206a"_qs).toUtf8());
}

QTEST_GUILESS_MAIN(TestPkLikeCommandLine)
#include "tst_pklikecommandline.moc"
