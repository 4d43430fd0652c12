// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

// The program run as a script would run it: a child process with no display
// at all, its output, its exit status and what it leaves on disk.
class TestPkCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void windowOrCommandLine_data();
    void windowOrCommandLine();
    void run_data();
    void run();
    void badInput_data();
    void badInput();
    void stopSignal_data();
    void stopSignal();
    void progressOnTerminal();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    void makeFiles(const QString &folder, const QStringList &entries);
    QString writeList(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> dir;
};

namespace {

using Names = QList<QString>;

constexpr rlim_t noLimit = RLIM_INFINITY;

QByteArray contentFor(const QString &name, qsizetype size = 1000)
{
    QByteArray bytes = name.toUtf8();
    return bytes.repeated(size / bytes.size() + 1).left(size);
}

// Every entry, hidden ones too, so that a partial or temporary file shows.
Names everything(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Display variables removed: the command line must never need one. A file
// size limit stands in for a full disk, and works as root.
void prepare(QProcess &process, rlim_t sizeLimit)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.setProgram(QStringLiteral(PICKWELL_PROGRAM));
    process.setChildProcessModifier([sizeLimit] {
        const rlimit limit{sizeLimit, sizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    });
}

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Result runProgram(const QStringList &arguments, rlim_t sizeLimit = noLimit)
{
    QProcess process;
    prepare(process, sizeLimit);
    process.setArguments(arguments);
    process.start();
    Result result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

void TestPkCommandLine::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY2(dir->isValid(), qPrintable(dir->errorString()));
}

// "name/" is a folder; "name:size" a file of that many bytes; anything else a
// file of 1,000 bytes.
void TestPkCommandLine::makeFiles(const QString &folder, const QStringList &entries)
{
    QVERIFY(QDir().mkpath(folder));
    for (const QString &entry : entries) {
        if (entry.endsWith('/')) {
            QVERIFY(QDir().mkpath(folder + '/' + entry));
            continue;
        }
        const QString name = entry.section(':', 0, 0);
        QFile file(folder + '/' + name);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
        const QByteArray bytes = contentFor(name, entry.contains(':') ? entry.section(':', 1).toInt() : 1000);
        QCOMPARE(file.write(bytes), bytes.size());
    }
}

QString TestPkCommandLine::writeList(const QByteArray &bytes)
{
    QFile file(path("picks.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// What main starts: the window with a list, or the job without a window.
void TestPkCommandLine::windowOrCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no arguments") << QStringList{} << "window ";
    QTest::newRow("Qt's arguments left for Qt") << QStringList{"-platform", "offscreen", "-style", "Fusion", "-reverse"}
                                                << "window ";
    QTest::newRow("a list, made absolute") << QStringList{"-style", "Fusion", "picks.txt"}
                                           << "window " + QDir::current().absoluteFilePath("picks.txt");
    QTest::newRow("list and folder")
        << QStringList{"--list", "picks.txt", "--folder", "pics", "--dry-run", "--without-extensions"}
        << "run picks.txt pics dry-run without-extensions";
}

void TestPkCommandLine::windowOrCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);

    const PkCommandLine::Invocation invocation = PkCommandLine::parse(QStringList{"pickwell"} + arguments);
    QString started = invocation.mode == PkCommandLine::Mode::Window ? "window " + invocation.listPath
        : invocation.mode == PkCommandLine::Mode::CommandLine ? "run " + invocation.listPath + ' ' + invocation.folderPath
                                                              : "exit " + invocation.message;
    if (invocation.dryRun)
        started += " dry-run";
    if (invocation.withoutExtensions)
        started += " without-extensions";
    QCOMPARE(started, expected);
}

void TestPkCommandLine::run_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<rlim_t>("sizeLimit");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<Names>("copies");

    // The picture folder of every row.
    const QString photo = QString::fromUtf8("Фото 7.jpg");
    const QByteArray found = "IMG_0001\nIMG_0003\nIMG_0404\n\n\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\nIMG_0505\n";
    const QByteArray header = "6 identifiers, 4 files to copy, 2 not found\nnot found: IMG_0404\nnot found: IMG_0505\n";
    const Names matched{"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0003.jpg", photo};

    // stderr is a pipe here, so it never carries a progress line.
    QTest::newRow("full run") << found << QStringList{} << noLimit << 0 << header + "copied 4 of 4\n" << QByteArray()
                              << matched;
    QTest::newRow("dry run lists and creates nothing")
        << found << QStringList{"--dry-run"} << noLimit << 0
        << header + "IMG_0001.CR2\nIMG_0001.jpg\nIMG_0003.jpg\n" + photo.toUtf8() + '\n' << QByteArray() << Names{};
    QTest::newRow("without extensions")
        << QByteArray("IMG_0002.jpg\nIMG_0003.CR2\n") << QStringList{"--without-extensions"} << noLimit << 0
        << QByteArray("2 identifiers, 2 files to copy, 0 not found\ncopied 2 of 2\n") << QByteArray()
        << Names{"IMG_0002.jpg", "IMG_0003.jpg"};
    QTest::newRow("nothing to copy creates nothing")
        << QByteArray("IMG_0002.CR2\n") << QStringList{} << noLimit << 0
        << QByteArray("1 identifiers, 0 files to copy, 1 not found\nnot found: IMG_0002.CR2\ncopied 0 of 0\n")
        << QByteArray() << Names{};
    QTest::newRow("disk full: status 1, no partial file")
        << QByteArray("IMG_0001\nIMG_0002\n") << QStringList{} << rlim_t(64 * 1024) << 1
        << QByteArray("2 identifiers, 3 files to copy, 0 not found\ncopied 2 of 3, 1 failed\n")
        << QByteArray("failed: IMG_0002.jpg: File too large\n") << Names{"IMG_0001.CR2", "IMG_0001.jpg"};
}

void TestPkCommandLine::run()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(rlim_t, sizeLimit);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(Names, copies);

    const QString pictures = path("pics");
    makeFiles(pictures, {"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg:100000", "IMG_0003.jpg",
                         QString::fromUtf8("Фото 7.jpg"), "IMG_0003/"});
    const Result result = runProgram(QStringList{"--list", writeList(list), "--folder", pictures} + arguments, sizeLimit);
    QCOMPARE(result.err, err);
    QCOMPARE(result.out, out);
    QCOMPARE(result.status, status);
    const QString output = pictures + "/FilesFromSelection";
    QCOMPARE(QFileInfo::exists(output), !copies.isEmpty());
    QCOMPARE(everything(output), copies);
    for (const QString &name : copies)
        QCOMPARE(QFile(output + '/' + name).size(), QFile(pictures + '/' + name).size());
}

void TestPkCommandLine::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");

    // In the arguments, "@" stands for the test's folder, which holds the
    // list picks.txt and the picture folder pics/.
    const QStringList job{"--list", "@/picks.txt", "--folder", "@/pics"};
    const QString see = " See pickwell --help.";
    QTest::newRow("missing list") << QStringList{"--list", "@/gone.txt", "--folder", "@/pics"} << QStringList{} << 2
                                  << "Cannot read the list: No such file or directory";
    QTest::newRow("list is a folder") << QStringList{"--list", "@/pics", "--folder", "@/pics"} << QStringList{} << 2
                                      << "Cannot read the list: Is a directory";
    QTest::newRow("missing folder") << QStringList{"--list", "@/picks.txt", "--folder", "@/gone"} << QStringList{}
                                    << 2 << "Cannot read the folder: No such file or directory";
    QTest::newRow("folder is a file") << QStringList{"--list", "@/picks.txt", "--folder", "@/picks.txt"}
                                      << QStringList{} << 2 << "Cannot read the folder: Not a directory";
    QTest::newRow("--folder without a value") << QStringList{"--list", "@/picks.txt", "--folder"} << QStringList{} << 2
                                              << "Missing value after '--folder'." + see;
    QTest::newRow("--list without --folder") << QStringList{"--list", "@/picks.txt"} << QStringList{} << 2
                                             << "--list needs --folder." + see;
    QTest::newRow("unknown option") << job + QStringList{"--copy-all"} << QStringList{} << 2
                                    << "Unknown option 'copy-all'." + see;
    QTest::newRow("two lists") << QStringList{"@/picks.txt", "@/picks.txt"} << QStringList{} << 2
                               << "Unexpected argument '@/picks.txt': give one list." + see;
    QTest::newRow("--dry-run without a job") << QStringList{"--dry-run"} << QStringList{} << 2
                                             << "--dry-run needs --list and --folder." + see;
    const QString exists = "Folder \"FilesFromSelection\" already exists! Delete it!";
    QTest::newRow("refused: output folder exists") << job << QStringList{"FilesFromSelection/"} << 3 << exists;
    QTest::newRow("refused: a file of that name") << job << QStringList{"FilesFromSelection"} << 3 << exists;
    QTest::newRow("refused in a dry run too") << job + QStringList{"--dry-run"} << QStringList{"FilesFromSelection/"}
                                              << 3 << exists;
}

// One line on stderr, nothing on stdout, and nothing created, whether or
// not a window could have been opened.
void TestPkCommandLine::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, entries);
    QFETCH(int, status);
    QFETCH(QString, err);

    makeFiles(path("pics"), QStringList{"IMG_0001.jpg"} + entries);
    writeList("IMG_0001\n");
    const Names before = everything(path("pics"));
    arguments.replaceInStrings("@", dir->path());

    const Result result = runProgram(arguments);
    QCOMPARE(QString::fromLocal8Bit(result.err), "pickwell: " + err.replace("@", dir->path()) + '\n');
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.status, status);
    QCOMPARE(everything(path("pics")), before);
}

void TestPkCommandLine::stopSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
}

// The first file fails on the size limit, which says on stderr that the run
// has begun; the signal then comes while thousands of files are still to go.
void TestPkCommandLine::stopSignal()
{
    QFETCH(int, signalNumber);
    constexpr int smallFiles = 4000;
    QStringList entries{"a_big.jpg:200000"};
    for (int i = 0; i < smallFiles; ++i)
        entries.append(QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
    const QString pictures = path("pics");
    makeFiles(pictures, entries);
    QProcess process;
    prepare(process, 64 * 1024);
    process.setArguments({"--list", writeList("a_big\np\n"), "--folder", pictures});
    process.start();
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("failed:") && process.waitForReadyRead(30000))
        err += process.readAllStandardError();
    QVERIFY2(err.startsWith("failed: a_big.jpg: "), err.constData());
    QCOMPARE(::kill(process.processId(), signalNumber), 0);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signalNumber);

    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    QCOMPARE(lines.value(0), QByteArray("2 identifiers, 4001 files to copy, 0 not found"));
    const QString output = pictures + "/FilesFromSelection";
    const Names copies = everything(output);
    QVERIFY2(copies.size() < smallFiles, "the run was not stopped");
    QCOMPARE(lines.value(1), QByteArray("copied %1 of 4001, 1 failed").replace("%1", QByteArray::number(copies.size())));
    for (const QString &name : copies) {
        QFile copy(output + '/' + name);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), contentFor(name));
    }
}

// On a terminal one line is rewritten in place and ended once the run ends.
void TestPkCommandLine::progressOnTerminal()
{
    makeFiles(path("pics"), {"IMG_0001.jpg", "IMG_0002.jpg"});
    int terminal = -1, stderrEnd = -1;
    QVERIFY(::openpty(&terminal, &stderrEnd, nullptr, nullptr, nullptr) == 0);
    QProcess process;
    prepare(process, noLimit);
    process.setStandardErrorFile(QString::fromLocal8Bit(::ttyname(stderrEnd)));
    process.setArguments({"--list", writeList("IMG_\n"), "--folder", path("pics")});
    process.start();
    QVERIFY(process.waitForFinished(60000));
    ::close(stderrEnd);
    QByteArray err;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        err.append(buffer, got);
    ::close(terminal);

    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(err.startsWith("\rcopying 1 of 2") || err.startsWith("\rcopying 2 of 2"), err.constData());
    QVERIFY2(err.endsWith("\rcopying 2 of 2\r\n"), err.constData());
}

QTEST_GUILESS_MAIN(TestPkCommandLine)
#include "tst_pkcommandline.moc"
