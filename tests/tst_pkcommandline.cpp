// SPDX-License-Identifier: MIT

#include "pkcommandline.h"
#include "pkwindowtest.h"

#include <QDirIterator>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

const rlimit fileSizeLimit{64 * 1024, 64 * 1024};

// Whether signalNumber is in the process's set field ("ShdPnd:" those
// waiting, "SigCgt:" those it handles).
bool signalIn(qint64 pid, const QByteArray &field, int signalNumber)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf(field);
    return at >= 0 && (text.mid(at + field.size(), 17).trimmed().toULongLong(nullptr, 16) & (1ULL << (signalNumber - 1)));
}

// What main starts, and the program run as a script would run it: a child
// process with no display at all, its output, its exit status and what it
// leaves on disk.
class TestPkCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // Without --list and --folder the window starts, with the list made
    // absolute; Qt's own arguments are left for Qt.
    void windowMode()
    {
        const auto invocation = PkCommandLine::parse({"pickwell", "-platform", "offscreen", "-style", "Fusion", "l"});
        QVERIFY(invocation.mode == PkCommandLine::Mode::Window);
        QCOMPARE(invocation.listPath, QDir::current().absoluteFilePath("l"));
        // Qt's own options are listed by --help-all only. The help names the
        // program, as --version does, and explains every exit status.
        QProcess process;
        start(process, QDir::currentPath(), {"--help"});
        QVERIFY(process.waitForFinished(30000));
        const QByteArray help = process.readAllStandardOutput();
        QVERIFY(help.startsWith("Usage: pickwell [options] [list]\n") && !help.contains("-platform"));
        QVERIFY(PkCommandLine::parse({"pickwell", "--help-all"}).message.contains("-platform <name>"));
        for (const char *status : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  ", "\n  4  "})
            QVERIFY(help.contains(status));
        QVERIFY(QRegularExpression("^pickwell \\d+\\.\\d+\\.\\d+\n$")
                    .match(PkCommandLine::parse({"pickwell", "--version"}).message).hasMatch());
    }

    void run_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QStringList>("copies");

        // The arguments name the list and the folders that run() makes; out
        // ends with the exit status. A pipe for stderr never carries a
        // progress line; on a terminal one line (err is then a pattern) is
        // rewritten in place at most ten times a second and cleared at the end.
        const QByteArray list = "IMG_0001\nIMG_0003\nIMG_9\n\n\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\nIMG_8\n";
        const QByteArray found = "5 identifiers, 4 files to copy, 2 not found\nnot found: IMG_9\nnot found: IMG_8\n";
        const QString job = "--list list --folder pics";
        QTest::newRow("full run") << list << job << false << found + "copied 4 of 4, verified\nexit 0" << QByteArray()
                                  << QStringList{"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0003.jpg", "Фото.jpg"};
        QTest::newRow("dry run: paths on stdout, the rest on stderr, a name with a line break left out") << list + "line"
            << job + " --dry-run" << false << QByteArray("pics/IMG_0001.CR2\npics/IMG_0001.jpg\npics/IMG_0003.jpg\n"
                                                         "pics/Фото.jpg\nexit 0")
            << QByteArray("6 identifiers, 5 files to copy, 2 not found\nnot found: IMG_9\nnot found: IMG_8\n"
               "left out, as its name holds a line break (see --print0): new\\012line.jpg\n") << QStringList{};
        QTest::newRow("dry run with --print0 keeps the line break; near matches, text lines")
            << QByteArray("img_0003.JPG\nHi Sam, thanks!\nIMG 0002\nline\n") << job + " --dry-run --print0" << false
            << QByteArray("pics/IMG_0002.jpg\0pics/IMG_0003.jpg\0pics/new\nline.jpg\0exit 0", 60)
            << QByteArray("3 identifiers, 3 files to copy, 0 not found, 2 near\nnear: img_0003.JPG: IMG_0003\n"
                          "near: IMG 0002: IMG_0002\ntext: Hi Sam, thanks!\n") << QStringList{};
        QTest::newRow("a range with a gap, a sentence, a sign-off")
            << QByteArray("IMG_0001 - IMG_0004\nWe like 0002 and 0003!\nCheers\n") << job + " --dry-run" << false
            << QByteArray("pics/IMG_0001.CR2\npics/IMG_0001.jpg\npics/IMG_0002.jpg\npics/IMG_0003.jpg\nexit 0")
            << QByteArray("6 identifiers, 4 files to copy, 1 not found\nrange: IMG_0001 - IMG_0004: IMG_0004 not in the "
                          "folder\nprose: We like 0002 and 0003!: 0002, 0003\ntext: Cheers\n") << QStringList{};
        QTest::newRow("extensions as written, no near matches")
            << QByteArray("IMG_0001.jpg\nimg_0003.jpg\n") << job + " --dry-run --with-extensions --no-near-matches"
            << false << QByteArray("pics/IMG_0001.jpg\nexit 0")
            << QByteArray("2 identifiers, 1 file to copy, 1 not found\nnot found: img_0003.jpg\n") << QStringList{};
        // A failure outranks files left for an answer.
        const QByteArray skipped = "skipped: 1 ambiguous identifier: IMG_000\nadd them with --resume --ambiguous=copy\n";
        QTest::newRow("disk full: status 1, no partial file") << QByteArray("IMG_0001\nIMG_0002\nIMG_000") << job << false
            << QByteArray("3 identifiers, 3 files to copy, 0 not found, 1 ambiguous\nambiguous: IMG_000: IMG_0001, "
                          "IMG_0002, IMG_0003\ncopied 2 of 3, verified, 1 failed\nexit 1")
            << "failed: IMG_0002.jpg: File too large\n" + skipped << QStringList{"IMG_0001.CR2", "IMG_0001.jpg"};
        // Only what an unambiguous identifier selects is copied unasked, and
        // a dry run says so as the run would.
        const QByteArray ambiguous = "2 identifiers, 1 file to copy, 0 not found, 1 ambiguous\n"
                                     "ambiguous: IMG_000: IMG_0001, IMG_0002, IMG_0003\n";
        QTest::newRow("list from standard input; a typo that selects three pictures is asked about")
            << QByteArray("IMG_000\n3\n") << "--list - --folder pics --dry-run" << false
            << QByteArray("pics/IMG_0003.jpg\nexit 4") << ambiguous + skipped << QStringList{};
        QTest::newRow("ambiguous asked: the rest copied, status 4") << QByteArray("IMG_000\n3\n") << job << false
            << ambiguous + "copied 1 of 1, verified\nexit 4" << skipped << QStringList{"IMG_0003.jpg"};
        QTest::newRow("--ambiguous=skip leaves them out as chosen") << QByteArray("IMG_000\n3\n") << job + " --ambiguous=skip --no-verify"
            << false << ambiguous + "copied 1 of 1\nexit 4" << QByteArray() << QStringList{"IMG_0003.jpg"};
        QTest::newRow("--ambiguous=copy copies them") << QByteArray("IMG_000\n3\n") << job + " --dry-run --ambiguous=copy"
            << false << QByteArray("pics/IMG_0001.CR2\npics/IMG_0001.jpg\npics/IMG_0002.jpg\npics/IMG_0003.jpg\nexit 0")
            << QByteArray("2 identifiers, 4 files to copy, 0 not found, 1 ambiguous\nambiguous: IMG_000: IMG_0001, "
                          "IMG_0002, IMG_0003\n") << QStringList{};
        QTest::newRow("two ambiguous identifiers and nothing else create nothing") << QByteArray(".jpg\nIMG_000") << job
            << false << QByteArray("2 identifiers, 0 files to copy, 0 not found, 2 ambiguous\nambiguous: .jpg: IMG_0001, "
                                   "IMG_0002, IMG_0003, new\\012line, Фото\nambiguous: IMG_000: IMG_0001, IMG_0002, "
                                   "IMG_0003\ncopied 0 of 0\nexit 4")
            << QByteArray("skipped: 2 ambiguous identifiers: .jpg, IMG_000\nadd them with --resume --ambiguous=copy\n") << QStringList{};
        QTest::newRow("whole numbers, leading zeros aside") << QByteArray("1\n0003\n0\n")
            << "--list list --folder pics/ --whole-numbers --dry-run" << false
            << QByteArray("pics/IMG_0001.CR2\npics/IMG_0001.jpg\npics/IMG_0003.jpg\nexit 0")
            << QByteArray("3 identifiers, 3 files to copy, 1 not found\nnot found: 0\n") << QStringList{};
        QTest::newRow("progress on a terminal") << QByteArray("IMG_0003") << job << true
            << QByteArray("1 identifier, 1 file to copy, 0 not found\ncopied 1 of 1, verified\nexit 0")
            << QByteArray("^\r0 of 1 \u00b7 0\\.0 of 1\\.2 kB(\r1 of 1 \u00b7 1\\.2 of 1\\.2 kB)?\r {23}\r$") << QStringList{"IMG_0003.jpg"};
        // One line on stderr, nothing on stdout and nothing created, whether
        // or not a window could have been opened.
        const auto refused = [&list](const char *name, const QString &arguments, int status, const QByteArray &why, const QByteArray &readList = {}) {
            QTest::newRow(name) << (readList.isNull() ? list : readList) << arguments << false
                                << "exit " + QByteArray::number(status) << "pickwell: " + why + '\n' << QStringList{};
        };
        refused("blank lines only", job, 2, "the list holds no identifier", " \n\n");
        refused("words only", job + " --dry-run", 2, "the list holds no identifier", "Thanks so much!\nLove, Anna");
        refused("missing list", "--list gone --folder pics", 2, "Cannot read the list: No such file or directory");
        refused("list is a folder", "--list pics --folder pics", 2, "Cannot read the list: Is a directory");
        refused("standard input past the bound", "--list - --folder pics", 2, "Cannot read the list: too large (over 64 MB)",
                QByteArray(64'000'001, '\n'));
        refused("standard input at the bound", "--list - --folder pics", 2, "the list holds no identifier", QByteArray(64'000'000, ' '));
        refused("missing folder", "--list list --folder gone", 2, "Cannot read the folder: No such file or directory");
        refused("empty --folder", "--list list --folder", 2, "Missing value after '--folder'. See pickwell --help.");
        refused("--list without --folder", "--list list", 2, "--list needs --folder. See pickwell --help.");
        refused("two lists", "list list", 2, "Unexpected argument 'list': give one list. See pickwell --help.");
        for (const QString &twice : {QStringLiteral("--list a --list b --folder pics"), job + " --folder pics", job + " --to a --to b"})
            refused(qPrintable(twice), twice, 2, "Give --list, --folder and --to once each. See pickwell --help.");
        refused("whole numbers without a job", "--whole-numbers l", 2, "--whole-numbers needs --list and --folder. See pickwell --help.");
        refused("unknown option", job + " --copy-all", 2, "Unknown option 'copy-all'. See pickwell --help.");
        refused("with and without extensions", job + " --with-extensions --without-extensions", 2,
                "Give --with-extensions or --without-extensions, not both. See pickwell --help.");
        refused("--print0 without --dry-run", job + " --print0", 2, "--print0 needs --dry-run. See pickwell --help.");
        for (const QString &answer : {QStringLiteral(" --ambiguous=ask"), QStringLiteral(" --ambiguous=copy --ambiguous=skip")})
            refused(qPrintable(answer), job + answer, 2, "Give --ambiguous=copy or --ambiguous=skip, once. See pickwell --help.");
        refused("--ambiguous without a job", "l --ambiguous=copy", 2, "--ambiguous needs --list and --folder. See pickwell --help.");
        refused("no near matches without a job", "--no-near-matches", 2, "--no-near-matches needs --list and --folder. See pickwell --help.");
        const QByteArray exists = "Folder \"FilesFromSelection\" already exists! Delete it!\n"
                                  "finish it with --resume, or put FilesFromSelection elsewhere with --to";
        refused("output folder there", "--list list --folder old", 3, exists);
        refused("--to a folder holding a file FilesFromSelection", job + " --to filed", 3,
                "Folder \"FilesFromSelection\" already exists! Delete it!");
        refused("--to a file", job + " --to list", 2, "Cannot copy into list: Not a directory");
        refused("--to a missing folder", job + " --to gone", 2, "Cannot copy into gone: No such file or directory");
        refused("--to the picture folder", job + " --to pics/.", 2, "Cannot copy into pics/.: it is the picture folder itself");
        refused("--resume without a job", "--resume list", 2, "--resume needs --list and --folder. See pickwell --help.");
        refused("--also the same folder twice", job + " --also into --also into/", 2, "Cannot copy into into/: it is the same folder as into");
        refused("--also inside the picture folder", job + " --also pics/IMG_0003", 2, "Cannot copy into pics/IMG_0003: it is inside pics");
        refused("--also thrice", job + " --also a --also b --also c", 2, "Give --also at most twice. See pickwell --help.");
        refused("--also where an output folder is", job + " --to into --also old", 3, "old: " + exists);

        // Finishing runs: the copies go where --to says; a name already
        // there is left alone, and a file of another size there reported.
        const QByteArray two = "2 identifiers, 3 files to copy, 0 not found\n";
        QTest::newRow("--to another folder") << QByteArray("IMG_0001\nIMG_0003") << job + " --to into --no-verify" << false
            << two + "copied 3 of 3\nexit 0" << QByteArray() << QStringList{"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0003.jpg"};
        QTest::newRow("--resume leaves a name there alone") << QByteArray("IMG_0001\nIMG_0003") << job + " --to old --resume"
            << false << two + "copied 2 of 3, verified, 1 failed\nexit 1" << QByteArray("failed: IMG_0001.jpg: already there, but 16 bytes, not 1.2 kB\n")
            << QStringList{"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0003.jpg"};
        QTest::newRow("--also: a backup in the same pass, where a file fails") << QByteArray("IMG_0001\nIMG_0003")
            << job + " --to into --also old --resume" << false << two + "copied 3 of 3, verified\nalso old: copied 2 of 3, verified, 1 failed\nexit 1"
            << QByteArray("failed: IMG_0001.jpg: already there, but 16 bytes, not 1.2 kB (in old)\nfinish with --resume\n")
            << QStringList{"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0003.jpg"};
        // On a file system with no room for a folder, where the test may
        // mount one: the space check passes, creating the output folder fails.
        QTest::newRow("a full drive ends the run at its folder") << QByteArray("IMG_0003") << job + " --to small --resume"
            << false << QByteArray("1 identifier, 1 file to copy, 0 not found\nstopped: the drive is full: copied 0 of 1\nexit 1")
            << QByteArray("finish with --resume\n") << QStringList{};
    }

    void run()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, arguments);
        QFETCH(bool, terminal);
        QFETCH(QByteArray, err);
        QFETCH(QStringList, copies);

        const auto dir = testFolderWithSettings(); // the files written below make old/ and filed/
        QVERIFY(QDir(dir->path()).mkpath("pics/IMG_0003") && QDir(dir->path()).mkpath("into") && QDir(dir->path()).mkpath("small"));
        const QByteArray small = QFile::encodeName(dir->filePath("small"));
        if (arguments.contains("--to small") && ::mount("tmpfs", small.constData(), "tmpfs", 0, "nr_inodes=1") != 0)
            QSKIP("No small file system can be mounted here");
        const auto unmount = qScopeGuard([&small] { ::umount2(small.constData(), MNT_DETACH); });
        writeTestFile(dir->filePath("old/FilesFromSelection/IMG_0001.jpg"), "an earlier run's");
        writeTestFile(dir->filePath("filed/FilesFromSelection"), "a file, which --resume does not take either");
        const QStringList pictures{"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg", "IMG_0003.jpg", "Фото.jpg", "new\nline.jpg"};
        for (const QString &name : pictures)
            writeTestFile(dir->filePath("pics/" + name), name.toUtf8().repeated(name == "IMG_0002.jpg" ? 10000 : 100));
        writeTestFile(dir->filePath("list"), list);
        QProcess process;
        int master = -1, slave = -1;
        if (terminal && ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0)
            process.setStandardErrorFile(QString::fromLocal8Bit(::ttyname(slave)));
        start(process, dir->path(), arguments.split(' '));
        if (arguments.contains("--list -")) {
            process.write(list);
            process.closeWriteChannel();
        }
        QVERIFY(process.waitForFinished(60000));
        QFile tty;
        QVERIFY(!terminal || (::close(slave) == 0 && tty.open(master, QIODevice::ReadOnly, QFile::AutoCloseHandle)));
        if (terminal) {
            const QString shown = QString::fromUtf8(tty.readAll());
            QVERIFY2(QRegularExpression(QString::fromUtf8(err)).match(shown).hasMatch(), qPrintable(shown));
        } else {
            QCOMPARE(process.readAllStandardError(), err);
        }
        QTEST(process.readAllStandardOutput() + "exit " + QByteArray::number(process.exitCode()), "out");
        const QStringList words = arguments.split(' ');
        const qsizetype to = words.indexOf("--to");
        const QString output = dir->filePath((to < 0 ? "pics" : words.value(to + 1)) + "/FilesFromSelection");
        QCOMPARE(QFileInfo(output).isDir(), !copies.isEmpty());
        if (!copies.isEmpty())
            QCOMPARE(QFile::exists(dir->filePath("pics/FilesFromSelection")), to < 0);
        // The checksum list is kept with any copies; no temporary is left.
        QCOMPARE(QDir(output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), copies.isEmpty() ? copies : runsOwn() + copies);
    }

    void tree_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QStringList>("copies"); // what FilesFromSelection holds, sub-folders first
        const QString job = "--list list --folder job";
        const QByteArray searched = "searched: 2 sub-folders with the folder\n";
        QTest::newRow("two cards: copies keep their folders") << QByteArray("0002\n0003") << job
            << "2 identifiers, 2 files to copy, 0 not found\n" + searched + "copied 2 of 2, verified\nexit 0" << QByteArray()
            << QStringList{"CardA/IMG_0002.JPG", "CardB/IMG_0003.JPG"};
        QTest::newRow("--flat with a clash: neither copied") << QByteArray("IMG_0001.JPG\n0002") << job + " --flat --ambiguous=copy --dry-run"
            << QByteArray("job/CardA/IMG_0002.JPG\nexit 0")
            << "2 identifiers, 1 file to copy, 0 not found, 1 ambiguous\nambiguous: IMG_0001.JPG: CardA/IMG_0001, CardB/IMG_0001\n"
               + searched + "clash: IMG_0001.JPG: CardA, CardB\n" << QStringList{};
        QTest::newRow("--resume in a tree") << QByteArray("0002\n0003") << job + " --to old --resume"
            << "2 identifiers, 2 files to copy, 0 not found\n" + searched + "copied 1 of 2, verified, 1 already there\nexit 0" << QByteArray()
            << QStringList{"CardA/IMG_0002.JPG", "CardB/IMG_0003.JPG"};
        QTest::newRow("the hint, and a name not UTF-8") << QByteArray("0002\n9001") << job + " --subfolders=never --dry-run"
            << QByteArray("exit 0")
            << QByteArray("2 identifiers, 0 files to copy, 2 not found\nnot found: 0002\nnot found: 9001\nnot UTF-8: IMG_9001\\xff.JPG\n"
                          "hint: 1 identifier not found here is in sub-folders; see --subfolders\n") << QStringList{};
        QTest::newRow("a wrong choice") << QByteArray("0002") << job + " --subfolders=some" << QByteArray("exit 2")
            << QByteArray("pickwell: Give --subfolders=auto, always or never, once. See pickwell --help.\n") << QStringList{};
    }

    // A job kept on two cards of one camera: both name their first picture IMG_0001.
    void tree()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, arguments);
        QFETCH(QStringList, copies);
        const auto dir = testFolderWithSettings();
        for (const QString &name : QStringList{"CardA/IMG_0001.JPG", "CardA/IMG_0002.JPG", "CardB/IMG_0001.JPG", "CardB/IMG_0003.JPG", "CardB/._IMG_0003.JPG"})
            writeTestFile(dir->filePath("job/" + name), name.toUtf8());
        writeTestFile(dir->filePath("old/FilesFromSelection/CardA/IMG_0002.JPG"), QByteArray(18, 'e')); // a copy: its size
        writeTestFile(dir->filePath("list"), list);
        const QByteArray unnamed = QFile::encodeName(dir->filePath("job/IMG_9001")) + "\xff.JPG";
        const auto removeUnnamed = qScopeGuard([&unnamed] { ::unlink(unnamed.constData()); }); // QDir cannot name it
        QVERIFY(!arguments.contains("never") || ::close(::open(unnamed.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        QProcess process;
        start(process, dir->path(), arguments.split(' '));
        QVERIFY(process.waitForFinished(60000));
        QTEST(process.readAllStandardError(), "err");
        QTEST(process.readAllStandardOutput() + "exit " + QByteArray::number(process.exitCode()), "out");
        const QString output = dir->filePath(arguments.contains("--to old") ? "old/FilesFromSelection" : "job/FilesFromSelection");
        QStringList found;
        for (QDirIterator it(output, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            found << QDir(output).relativeFilePath(it.next());
        found.sort();
        QCOMPARE(found, copies.isEmpty() ? copies : runsOwn() + copies);
        QFile kept(output + "/CardA/IMG_0002.JPG"); // left alone
        QVERIFY(!arguments.contains("--resume") || (kept.open(QIODevice::ReadOnly) && kept.readAll() == QByteArray(18, 'e')));
    }

    // The first file fails on the size limit; the signal comes while the
    // second is held, written but not named, at a named pipe, and thousands
    // of files are still to go. Ctrl+C stops the run after the file in hand;
    // a second one, SIGTERM, SIGHUP and SIGQUIT end the program at once, and
    // the copy in hand leaves no hidden temporary.
    void stopSignal_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("then"); // a second signal, or 0
        const QStringList named{"PICKWELL_TEST_COPY_PATH=temporary"}; // without unnamed files
        QTest::newRow("SIGINT") << QStringList{} << SIGINT << 0;
        QTest::newRow("SIGINT twice") << named << SIGINT << int(SIGINT);
        QTest::newRow("SIGTERM") << named << SIGTERM << 0;
        QTest::newRow("SIGHUP") << named << SIGHUP << 0;
        QTest::newRow("SIGQUIT") << named << SIGQUIT << 0;
    }

    void stopSignal()
    {
        QFETCH(QStringList, environment);
        QFETCH(int, signalNumber);
        QFETCH(int, then);
        const bool atOnce = then != 0 || signalNumber != SIGINT;
        const auto dir = testFolderWithSettings();
        writeTestFile(dir->filePath("a_big.jpg"), QByteArray(200 * 1024, 'x'));
        for (int i = 0; i < 4000; ++i)
            writeTestFile(dir->filePath(QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0'))), QByteArray(1000, 'p'));
        // p selects every picture but a_big, and alone only the two pq
        // pictures, which wait for an answer; the signal's status outranks theirs.
        QByteArray list = "a_big\np\n";
        for (int i = 0; i < 4000; ++i)
            list += QStringLiteral("p%1\n").arg(i, 4, 10, QLatin1Char('0')).toLatin1();
        writeTestFile(dir->filePath("list"), list);
        writeTestFile(dir->filePath("pq1.jpg"), "q");
        writeTestFile(dir->filePath("pq2.jpg"), "q");
        const QString output = dir->filePath("FilesFromSelection");
        const QByteArray hold = QFile::encodeName(dir->filePath("hold"));
        QCOMPARE(::mkfifo(hold.constData(), 0600), 0);
        // Opening the pipe finds the copier waiting there, and closing it lets that copy through.
        const auto letThrough = [&hold] {
            if (const int gate = ::open(hold.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); gate != -1)
                ::close(gate);
        };
        QProcess process;
        process.setReadChannel(QProcess::StandardError);
        start(process, dir->path(), environment + QStringList{"PICKWELL_TEST_HOLD_PATH=" + dir->filePath("hold"), "--list", "list", "--folder", "."});
        QVERIFY(process.waitForReadyRead(30000));
        QCOMPARE(process.readAllStandardError(), "failed: a_big.jpg: File too large\n");
        int held = -1; // p0000.jpg is held
        QTRY_VERIFY_WITH_TIMEOUT(held != -1 || (held = ::open(hold.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) != -1, 30000);
        QCOMPARE(::kill(process.processId(), signalNumber), 0);
        // Two of one kind merge into one while the first is pending: the
        // second is sent once the first has been taken.
        QTRY_VERIFY(then == 0 || !signalIn(process.processId(), "ShdPnd:", SIGINT));
        QVERIFY(then == 0 || ::kill(process.processId(), then) == 0);
        if (atOnce)
            QVERIFY(process.waitForFinished(60000));
        ::close(held);
        QTRY_VERIFY_WITH_TIMEOUT((letThrough(), process.state() == QProcess::NotRunning), 60000);
        QCOMPARE(process.exitCode(), 128 + (then ? then : signalNumber));
        QStringList copies = QDir(output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        // The checksum list holds a whole line for each copy, and no more.
        QFile checksums(output + "/.pickwell-checksums.xxh128");
        QVERIFY(copies.removeOne(".pickwell-checksums.xxh128") && copies.removeOne(".pickwell-lock") && checksums.open(QIODevice::ReadOnly));
        const QByteArray listed = checksums.readAll();
        QCOMPARE(listed.count('\n'), copies.size());
        QVERIFY(listed.isEmpty() || listed.endsWith('\n'));
        QVERIFY2(copies.size() < (atOnce ? 1 : 4000), qPrintable(copies.join(' ')));
        for (const QString &name : copies)
            QCOMPARE(QFileInfo(output + '/' + name).size(), 1000);
        if (atOnce)
            return;
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY(out.startsWith("4002 identifiers, 4001 files to copy, 0 not found, 1 ambiguous\nambiguous: p: p0000, p0001"));
        QVERIFY(out.contains(", p0019 and 3982 more\n"));
        QVERIFY(out.endsWith("\nstopped: interrupted: copied " + QByteArray::number(copies.size()) + " of 4001, verified, 1 failed\n"));
        QCOMPARE(process.readAllStandardError(),
                 "finish with --resume\nskipped: 1 ambiguous identifier: p\nadd them with --resume --ambiguous=copy\n");
    }

    // A logout ends the window as if it were closed, with its signal's status.
    void windowEnds()
    {
        const auto dir = testFolderWithSettings();
        QProcess process;
        start(process, dir->path(), {"QT_QPA_PLATFORM=offscreen"});
        // Until the program runs, the handlers are this test's own.
        QVERIFY(process.waitForStarted(30000));
        QTRY_VERIFY_WITH_TIMEOUT(signalIn(process.processId(), "SigCgt:", SIGTERM), 30000);
        QCOMPARE(::kill(process.processId(), SIGTERM), 0);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(std::make_pair(process.exitStatus(), process.exitCode()), std::make_pair(QProcess::NormalExit, 128 + SIGTERM));
    }

    // Output that nobody reads any more (pickwell ... 2>&1 | head) ends only
    // the output: every file is still copied.
    void closedOutput()
    {
        const auto dir = testFolderWithSettings();
        writeTestFile(dir->filePath("IMG_1.jpg"), "1");
        writeTestFile(dir->filePath("list"), "IMG_1\n");
        int ends[2];
        QVERIFY(::pipe(ends) == 0 && ::close(ends[0]) == 0);
        QProcess process;
        start(process, dir->path(), {"--list", "list", "--folder", "."}, [write = ends[1]] {
            ::signal(SIGPIPE, SIG_DFL);
            ::dup2(write, STDOUT_FILENO);
            ::dup2(write, STDERR_FILENO);
        });
        ::close(ends[1]);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(std::make_pair(process.exitStatus(), process.exitCode()), std::make_pair(QProcess::NormalExit, 0));
        QVERIFY(QFile::exists(dir->filePath("FilesFromSelection/IMG_1.jpg")));
    }

    // Files that cannot fit are refused before anything is written, on a dry
    // run too; finishing a run counts only what is still to copy. A sparse
    // file claims more than any test drive has free.
    void fullDrive()
    {
        const auto dir = testFolderWithSettings();
        QVERIFY(QDir(dir->path()).mkpath("pics") && QDir(dir->path()).mkpath("old/FilesFromSelection"));
        for (const char *name : {"pics/big.cr2", "old/FilesFromSelection/big.cr2"}) {
            QFile big(dir->filePath(name));
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(8) << 40));
        }
        writeTestFile(dir->filePath("pics/small.jpg"), "x");
        writeTestFile(dir->filePath("list"), "big\nsmall\n");
        const QRegularExpression sentence("(^|\n)pickwell: Needs 8\\.8 TB, \\d+\\.\\d [kMGT]B free on this drive\n$");
        for (const QString more : {"", " --dry-run", " --to old --resume"}) {
            QProcess process;
            start(process, dir->path(), ("--list list --folder pics" + more).split(' '));
            QVERIFY(process.waitForFinished(60000));
            const QByteArray err = process.readAllStandardError();
            const bool resumed = more.endsWith("resume");
            QVERIFY2(resumed ? err.isEmpty() : sentence.match(QString::fromUtf8(err)).hasMatch(), err.constData());
            QCOMPARE(process.exitCode(), resumed ? 0 : 3);
            QVERIFY(!QFileInfo::exists(dir->filePath("pics/FilesFromSelection")));
        }
        QVERIFY(QFile::exists(dir->filePath("old/FilesFromSelection/small.jpg")));
    }

private:
    // Display variables removed: the command line must never need one. Files
    // are limited to 64 KiB, which stands in for a full disk (also for root).
    // Leading NAME=VALUE arguments go into the environment, as in a shell.
    static void start(QProcess &process, const QString &folder, QStringList arguments, const std::function<void()> &inChild = [] {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : QStringList{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        while (!arguments.isEmpty() && arguments.constFirst().contains('=')) {
            const QString setting = arguments.takeFirst();
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        }
        process.setProcessEnvironment(environment);
        // A write over the limit then fails instead of killing the program.
        ::signal(SIGXFSZ, SIG_IGN);
        process.setChildProcessModifier([inChild] {
            ::setrlimit(RLIMIT_FSIZE, &fileSizeLimit);
            inChild();
        });
        process.setWorkingDirectory(folder);
        process.start(PICKWELL_PROGRAM, arguments);
    }
};

QTEST_GUILESS_MAIN(TestPkCommandLine)
#include "tst_pkcommandline.moc"
