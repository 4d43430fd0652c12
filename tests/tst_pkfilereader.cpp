// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Reading selection files, matching folders against them, and the copy
// worker, on real files in temporary folders.
class TestPkFileReader : public QObject
{
    Q_OBJECT

private slots:
    void metaObjectOrder();
    void readSelectionFile_data();
    void readSelectionFile();
    void pathsOfTheWrongKind();
    void fiftyMegabyteLine();
    void windowsListMatchesItsFiles();
    void withoutExtension_data();
    void withoutExtension();
    void matchFolder_data();
    void matchFolder();
    void copyRun_data();
    void copyRun();
    void stopReachesOnlyItsRun();
};

namespace {

using Names = QList<QString>;

QByteArray contentFor(const QString &name)
{
    return name.toUtf8().repeated(1000);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Builds entries under root: "name/" is a folder, "name->target" a symbolic
// link, "name|" a FIFO, anything else a file holding contentFor(name).
void makeTree(const QString &root, const Names &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + '/' + entry.section("->", 0, 0).chopped(entry.endsWith('|') ? 1 : 0);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (entry.endsWith('/'))
            continue;
        if (entry.contains("->")) {
            QVERIFY(QFile::link(entry.section("->", 1), path));
        } else if (entry.endsWith('|')) {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
        } else {
            writeBytes(path, contentFor(entry));
        }
    }
}

QByteArray utf16WithByteOrderMark(const QString &text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(text);
}

// Every entry, hidden and system ones too, so leftover temporaries show.
QStringList everything(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

void TestPkFileReader::metaObjectOrder()
{
    const QMetaObject &meta = PkFileReader::staticMetaObject;
    QList<QByteArray> methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod m = meta.method(i);
        methods << QByteArray(m.methodType() == QMetaMethod::Signal ? "signal " : m.methodType() == QMetaMethod::Slot ? "slot " : "other ")
                + (m.access() == QMetaMethod::Public ? "public " : "hidden ") + m.methodSignature() + ' ' + m.parameterNames().join(',');
    }
    // moc spells QList<QString> as QStringList; both name the same type.
    QCOMPARE(methods, (QList<QByteArray>{"signal public copyStatusSignal(int) ",
                                         "signal public copyFailedSignal(QString,QString) name,reason",
                                         "signal public copyFinishedSignal(int,int) copied,failed",
                                         "slot public on_startCopySignal(QStringList,QString) listOfFilesToCopy,filePath"}));
    QCOMPARE(meta.className(), "PkFileReader");
}

void TestPkFileReader::readSelectionFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Names>("expected");

    QTest::newRow("CRLF endings and runs of blanks") << QByteArray("A1\r\n  B  2  \r\nC3") << Names{"A1", "B 2", "C3"};
    QTest::newRow("blank line kept as empty identifier") << QByteArray("A1\n\nB2\n") << Names{"A1", "", "B2"};
    QTest::newRow("tab, no-break space, blank-only line, duplicate")
        << QByteArray("\tA\xC2\xA0" "1\n \t \nA 1") << Names{"A 1", "", "A 1"};
    QTest::newRow("empty file") << QByteArray() << Names{};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "A1\nB2\n") << Names{"A1", "B2"};
    QTest::newRow("bare CR does not end a line") << QByteArray("A1\rB2\n") << Names{"A1 B2"};
    QTest::newRow("invalid UTF-8 after a byte-order mark becomes replacement characters")
        << QByteArray("\xEF\xBB\xBF" "A\xFF" "1\n\xC3\n")
        << Names{QString::fromUtf8("A\xEF\xBF\xBD" "1"), QString(QChar::ReplacementCharacter)};
    QTest::newRow("valid UTF-8 is not taken for Windows-1252")
        << QByteArray("M\xC3\xBCller\n\xE2\x82\xAC 5") << Names{QString::fromUtf8("Müller"), QString::fromUtf8("€ 5")};
    QTest::newRow("one invalid byte at the end makes all Windows-1252")
        << QByteArray("M\xC3\xBCller\n\x80 \xFC") << Names{QString::fromUtf8("MÃ¼ller"), QString::fromUtf8("€ ü")};
    // "ਅĀਅ" puts a 0x0A byte before a 0x00 byte at an odd offset in both byte orders.
    const QString utf16Text = QString::fromUtf8("A1\r\n\r\n ਅĀਅ  ü\r\nB2");
    const Names utf16Ids{"A1", "", QString::fromUtf8("ਅĀਅ ü"), "B2"};
    QTest::newRow("UTF-16 LE with byte-order mark, CRLF, blank line")
        << utf16WithByteOrderMark(utf16Text, QStringConverter::Utf16LE) << utf16Ids;
    QTest::newRow("UTF-16 BE with byte-order mark, CRLF, blank line")
        << utf16WithByteOrderMark(utf16Text, QStringConverter::Utf16BE) << utf16Ids;
}

void TestPkFileReader::readSelectionFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Names, expected);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    writeBytes(dir.filePath("selection.txt"), bytes);
    QCOMPARE(PkFileReader().readSelectionFile(dir.filePath("selection.txt")), expected);
}

// Missing paths, and a file where a folder belongs or the reverse. An empty
// path must not fall back to the working directory.
void TestPkFileReader::pathsOfTheWrongKind()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    makeTree(dir.path(), {"pics/A1.jpg", "fifo|"});
    const QString pictures = dir.filePath("pics"), file = dir.filePath("pics/A1.jpg"), gone = dir.filePath("gone");
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(pictures));
    PkFileReader reader;

    QVERIFY(reader.folderExists(pictures));
    QVERIFY(!reader.folderExists(file));
    QVERIFY(!reader.folderExists(gone));
    for (const QString &path : {gone, pictures, QString()})
        QCOMPARE(reader.readSelectionFile(path), Names{});
    QCOMPARE(reader.readSelectionList(gone).error, QString());
    QCOMPARE(reader.readSelectionList(pictures).error, qt_error_string(EISDIR));
    QCOMPARE(reader.readSelectionList(dir.filePath("fifo")).error, "not a regular file");
    // Opens for anyone, root included, and fails on the first read (nothing is mapped at address 0).
    const PkSelectionList unreadable = reader.readSelectionList("/proc/self/mem");
    QCOMPARE(unreadable.ids, Names{});
    QCOMPARE(unreadable.error, qt_error_string(EIO));
    for (const QString &path : {gone, file, QString()})
        QCOMPARE(reader.findFilesToCopy(path, {"A1"}), Names{});

    // A picture folder is refused while anything named like the output is in
    // it, and when it cannot be written into (a missing folder as root too).
    const QString exists = "Folder \"FilesFromSelection\" already exists! Delete it!";
    QCOMPARE(reader.folderRefusal(pictures), QString());
    QCOMPARE(reader.folderRefusal(gone), "Cannot write into this folder!");
    makeTree(dir.path(), {"FilesFromSelection", "other/FilesFromSelection/"});
    QCOMPARE(reader.folderRefusal(dir.path()), exists);
    QCOMPARE(reader.folderRefusal(dir.filePath("other")), exists);
    QVERIFY(QFile::setPermissions(pictures, QFile::ReadOwner | QFile::ExeOwner));
    if (::geteuid() != 0)
        QCOMPARE(reader.folderRefusal(pictures), "Cannot write into this folder!");
    QVERIFY(QFile::setPermissions(pictures, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QDir::setCurrent(previous));
}

// Must neither hang nor exhaust memory, in reading or in matching.
void TestPkFileReader::fiftyMegabyteLine()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    writeBytes(dir.filePath("selection.txt"), QByteArray(50 * 1024 * 1024, 'x'));
    PkFileReader reader;
    const Names ids = reader.readSelectionFile(dir.filePath("selection.txt"));
    QCOMPARE(ids, Names{QString(50 * 1024 * 1024, 'x')});
    const PkMatchResult match = reader.matchFolder(dir.path(), ids);
    QCOMPARE(match.files, Names{});
    QCOMPARE(match.idsNotFound, ids);
}

void TestPkFileReader::windowsListMatchesItsFiles()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    makeTree(dir.path(), {QString::fromUtf8("Müller 01.jpg"), "Muller 02.jpg"});
    writeBytes(dir.filePath("list.txt"), "M\xFCller\r\n");
    PkFileReader reader;
    const PkSelectionList list = reader.readSelectionList(dir.filePath("list.txt"));
    QCOMPARE(list.error, QString());
    QCOMPARE(reader.findFilesToCopy(dir.path(), list.ids), Names{QString::fromUtf8("Müller 01.jpg")});
}

void TestPkFileReader::withoutExtension_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letters") << "IMG_1.jpg" << "IMG_1";
    QTest::newRow("upper case and digit") << "IMG_1.CR2" << "IMG_1";
    QTest::newRow("digit first") << "IMG_1.3fr" << "IMG_1";
    QTest::newRow("four letters") << "IMG_1.jpeg" << "IMG_1";
    QTest::newRow("five letters") << "IMG_1.abcde" << "IMG_1";
    QTest::newRow("only the last of two") << "a.b.jpg" << "a.b";
    QTest::newRow("digits only kept") << "v1.2" << "v1.2";
    QTest::newRow("six letters kept") << "IMG_1.abcdef" << "IMG_1.abcdef";
    QTest::newRow("non-ASCII letter kept") << QString::fromUtf8("a.jpé") << QString::fromUtf8("a.jpé");
    QTest::newRow("blank kept") << "a.j g" << "a.j g";
    QTest::newRow("no dot") << "IMG_1" << "IMG_1";
    QTest::newRow("dot at end") << "IMG_1." << "IMG_1.";
    QTest::newRow("only an extension kept") << ".jpg" << ".jpg";
    QTest::newRow("only dots before it kept") << "..jpg" << "..jpg";
}

void TestPkFileReader::withoutExtension()
{
    QFETCH(QString, id);
    QFETCH(QString, expected);
    QCOMPARE(PkFileReader::withoutExtension(id), expected);
}

void TestPkFileReader::matchFolder_data()
{
    QTest::addColumn<Names>("entries");
    QTest::addColumn<Names>("ids");
    QTest::addColumn<Names>("files");
    QTest::addColumn<Names>("notFound");
    QTest::addColumn<bool>("withoutExtensions");

    QTest::newRow("substring, case-sensitive")
        << Names{"IMG_0001.jpg", "IMG_0001.CR2", "XIMG_00012.jpg", "img_0001.jpg"} << Names{"IMG_0001", "Z9"}
        << Names{"IMG_0001.CR2", "IMG_0001.jpg", "XIMG_00012.jpg"} << Names{"Z9"} << false;
    QTest::newRow("each file once, ids not found once")
        << Names{"a123.jpg"} << Names{"12", "9", "123", "12", "9"} << Names{"a123.jpg"} << Names{"9"} << false;
    QTest::newRow("listing order ignoring case")
        << Names{"b2.jpg", "A1.jpg", "a3.jpg"} << Names{"b", "3", "1"} << Names{"A1.jpg", "a3.jpg", "b2.jpg"} << Names{} << false;
    QTest::newRow("sub-folders and hidden files left out")
        << Names{"A1.jpg", "A1/A1_in.jpg", "A1_d.jpg/", ".A1.jpg"} << Names{"A1", "A1_"} << Names{"A1.jpg"} << Names{"A1_"} << false;
    QTest::newRow("empty identifier matches nothing")
        << Names{"A1.jpg", "B2.jpg"} << Names{"A1", "", "C3"} << Names{"A1.jpg"} << Names{"C3"} << false;
    QTest::newRow("blanks, quotes, non-Latin, leading dot")
        << Names{"my \"best\" B 2.jpg", "it's.jpg", QString::fromUtf8("Фото.jpg"), "B2.CR2"}
        << Names{"\"best\" B 2", "it's", QString::fromUtf8("Фото"), ".CR2"}
        << Names{"B2.CR2", "it's.jpg", "my \"best\" B 2.jpg", QString::fromUtf8("Фото.jpg")} << Names{} << false;
    QTest::newRow("link to a file matches, broken link does not")
        << Names{"t.bin", "link C3.jpg->t.bin", "broken D4.jpg->nowhere"} << Names{"C3", "D4"} << Names{"link C3.jpg"}
        << Names{"D4"} << false;
    // Gallery exports name the JPEG; the raw file beside it is wanted too.
    const Names gallery{"IMG_0012.jpg", "IMG_0012.CR2", "IMG_00123.jpg", "IMG_0013.jpg", "B_7.jpg", "X.CR2"};
    const Names exported{"IMG_0012.jpg", "IMG_0099.jpg", "IMG_0099.CR2", "B_7.2", ".CR2"};
    const Names missing{"IMG_0099.jpg", "IMG_0099.CR2", "B_7.2"};
    QTest::newRow("extensions as written") << gallery << exported << Names{"IMG_0012.CR2", "IMG_0012.jpg", "X.CR2"}
                                           << missing << false;
    QTest::newRow("without extensions, not found as written")
        << gallery << exported << Names{"IMG_0012.CR2", "IMG_0012.jpg", "IMG_00123.jpg", "X.CR2"} << missing << true;
}

void TestPkFileReader::matchFolder()
{
    QFETCH(Names, entries);
    QFETCH(Names, ids);
    QFETCH(Names, files);
    QFETCH(Names, notFound);
    QFETCH(bool, withoutExtensions);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    makeTree(dir.path(), entries);
    PkFileReader reader;
    const PkMatchResult match = reader.matchFolder(dir.path(), ids, withoutExtensions);
    QCOMPARE(match.files, files);
    QCOMPARE(match.idsNotFound, notFound);
    if (!withoutExtensions)
        QCOMPARE(reader.findFilesToCopy(dir.path(), ids), files);
}

void TestPkFileReader::copyRun_data()
{
    QTest::addColumn<Names>("entries");
    QTest::addColumn<Names>("list");
    QTest::addColumn<rlim_t>("sizeLimit");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<Names>("failures");
    QTest::addColumn<Names>("output");

    const rlim_t none = RLIM_INFINITY;
    const QString out = "FilesFromSelection/";
    QTest::newRow("counts 1..n, copies equal")
        << Names{"c.jpg", "a b.jpg", QString::fromUtf8("Фото.jpg"), "x.jpg"}
        << Names{"c.jpg", "a b.jpg", QString::fromUtf8("Фото.jpg")}
        << none << QList<int>{1, 2, 3} << Names{} << Names{"a b.jpg", "c.jpg", QString::fromUtf8("Фото.jpg")};
    QTest::newRow("destination appeared since matching is kept")
        << Names{"1.jpg", "2.jpg", "3.jpg", out + "2.jpg"} << Names{"1.jpg", "2.jpg", "3.jpg"} << none
        << QList<int>{1, 2} << Names{"2.jpg: already exists in FilesFromSelection"} << Names{"1.jpg", "2.jpg", "3.jpg"};
    QTest::newRow("existing output folder reused") << Names{"a.jpg", out + "keep/inner/", out + "mine.txt"} << Names{"a.jpg"}
                                                   << none << QList<int>{1} << Names{} << Names{"a.jpg", "keep", "mine.txt"};
    QTest::newRow("nothing to copy creates nothing") << Names{"a.jpg"} << Names{} << none << QList<int>{} << Names{} << Names{};
    QTest::newRow("missing picture folder") << Names{} << Names{"a.jpg"} << none << QList<int>{}
        << Names{"a.jpg: cannot create FilesFromSelection: No such file or directory"} << Names{};
    QTest::newRow("file in place of the output folder") << Names{"a.jpg", "b.jpg", "FilesFromSelection"}
        << Names{"a.jpg", "b.jpg"} << none << QList<int>{}
        << Names{"a.jpg: cannot create FilesFromSelection: File exists", "b.jpg: cannot create FilesFromSelection: File exists"}
        << Names{};
    QTest::newRow("vanished, unsafe or uncopyable names reported")
        << Names{"ok.jpg", "t.bin", "link.jpg->t.bin", "dir.jpg/", "pipe.jpg|", "../secret.jpg"}
        << Names{"missing.jpg", "dir.jpg", "pipe.jpg", "", "..", "../secret.jpg", "ok.jpg", "link.jpg"}
        << none << QList<int>{1, 2}
        << Names{"missing.jpg: no longer in the folder", "dir.jpg: not a regular file", "pipe.jpg: not a regular file",
                 ": not a file of the picture folder", "..: not a file of the picture folder",
                 "../secret.jpg: not a file of the picture folder"}
        << Names{"link.jpg", "ok.jpg"};
    // A file-size limit makes a write fail part-way as a full disk would, and works as root.
    QTest::newRow("failed write leaves no partial file") << Names{"a.jpg", "larger-than-the-limit.jpg", "s.jpg"}
        << Names{"a.jpg", "larger-than-the-limit.jpg", "s.jpg"} << rlim_t(8192) << QList<int>{1, 2}
        << Names{"larger-than-the-limit.jpg: File too large"} << Names{"a.jpg", "s.jpg"};
}

void TestPkFileReader::copyRun()
{
    QFETCH(Names, entries);
    QFETCH(Names, list);
    QFETCH(rlim_t, sizeLimit);
    QFETCH(QList<int>, expected);
    QFETCH(Names, failures);
    QFETCH(Names, output);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString pictures = dir.filePath("pics");
    makeTree(pictures, entries);
    PkFileReader reader;
    QList<int> received;
    Names failed;
    connect(&reader, &PkFileReader::copyStatusSignal, this, [&received](int count) { received.append(count); });
    connect(&reader, &PkFileReader::copyFailedSignal, this,
            [&failed](const QString &name, const QString &reason) { failed.append(name + ": " + reason); });
    QSignalSpy finished(&reader, &PkFileReader::copyFinishedSignal);

    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{std::min(sizeLimit, saved.rlim_max), saved.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    reader.on_startCopySignal(list, pictures);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(received, expected);
    QCOMPARE(failed, failures);
    QCOMPARE(finished, (QList<QVariantList>{{expected.size(), failures.size()}}));
    QCOMPARE(QFileInfo::exists(pictures), !entries.isEmpty());
    const QString outputPath = pictures + "/FilesFromSelection";
    QCOMPARE(everything(outputPath), output);
    for (const QString &name : output) {
        const QString copy = outputPath + '/' + name, kept = "FilesFromSelection/" + name;
        if (entries.contains(kept)) {
            QCOMPARE(readBytes(copy), contentFor(kept));
        } else if (!QFileInfo(copy).isDir()) {
            QCOMPARE(readBytes(copy), readBytes(pictures + '/' + name));
            QCOMPARE(QFile::permissions(copy), QFile::permissions(pictures + '/' + name));
        }
    }
}

// Runs queued back to back each count from 1. A stop names one run: asked
// during run 2 it ends that run after the file in hand and never reaches run
// 3; asked for run 4 before the worker has begun it, it still stops it.
void TestPkFileReader::stopReachesOnlyItsRun()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const Names first{"a.jpg", "b.jpg"}, second{"c.jpg", "d.jpg", "e.jpg"}, third{"f.jpg", "g.jpg", "h.jpg"};
    makeTree(dir.path(), first + second + third + Names{"i.jpg"});
    QThread thread;
    auto *reader = new PkFileReader;
    connect(&thread, &QThread::finished, reader, &QObject::deleteLater);
    reader->moveToThread(&thread);
    QList<int> received;
    connect(reader, &PkFileReader::copyStatusSignal, this, [&received](int count) { received.append(count); });
    QSignalSpy finished(reader, &PkFileReader::copyFinishedSignal);
    int runsEnded = 0; // only touched on the worker thread
    connect(reader, &PkFileReader::copyFinishedSignal, reader, [&runsEnded] { ++runsEnded; }, Qt::DirectConnection);
    connect(reader, &PkFileReader::copyStatusSignal, reader, [&runsEnded, reader](int) {
        if (runsEnded == 1)
            reader->requestStop(2);
    }, Qt::DirectConnection);
    thread.start();

    auto queueRun = [&](const Names &names) {
        QMetaObject::invokeMethod(reader, "on_startCopySignal", Qt::QueuedConnection, Q_ARG(QList<QString>, names),
                                  Q_ARG(QString, dir.path()));
    };
    queueRun(first);
    queueRun(second);
    queueRun(third);
    QTRY_COMPARE(finished.size(), 3);
    reader->requestStop(4);
    queueRun({"i.jpg"});
    QTRY_COMPARE(finished.size(), 4);
    thread.quit();
    QVERIFY(thread.wait());

    QCOMPARE(received, (QList<int>{1, 2, 1, 1, 2, 3}));
    QCOMPARE(finished, (QList<QVariantList>{{2, 0}, {1, 0}, {3, 0}, {0, 0}}));
    const QString output = dir.filePath("FilesFromSelection");
    QCOMPARE(everything(output), (Names{"a.jpg", "b.jpg", "c.jpg", "f.jpg", "g.jpg", "h.jpg"}));
    QCOMPARE(readBytes(output + "/c.jpg"), contentFor("c.jpg"));
}

QTEST_GUILESS_MAIN(TestPkFileReader)
#include "tst_pkfilereader.moc"
