// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// Reading selection files, matching folders against them, and the copy
// worker, on real files in temporary folders.
class TestPkFileReader : public QObject
{
    Q_OBJECT

private slots:
    void metaObjectOrder();
    void readSelectionFile_data();
    void readSelectionFile();
    void readSelectionFileThatCannotBeRead_data();
    void readSelectionFileThatCannotBeRead();
    void readFiftyMegabyteLine();
    void findFilesToCopy_data();
    void findFilesToCopy();
    void findFilesToCopyWithoutFolder_data();
    void findFilesToCopyWithoutFolder();
    void idsNotFound();
    void folderExists_data();
    void folderExists();
    void copiesInOrderAndCounts();
    void keepsExistingDestination();
    void reusesExistingOutputFolder();
    void skipsWhatCannotBeCopied();
    void missingPictureFolderEmitsNothing();
    void copiesPermissions();
    void failedWriteLeavesNoPartialFile();
    void queuedRunsAcrossThreadsCountAgain();
    void interruptionStopsBetweenFiles();
};

// Emits work for a worker on another thread, as the window does.
class Sender : public QObject
{
    Q_OBJECT
signals:
    void startCopySignal(QList<QString>, QString);
};

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray contentFor(const QString &name)
{
    return name.toUtf8().repeated(1000);
}

// Every entry, hidden and system ones too, so leftover temporaries show.
QStringList everything(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

QList<int> counts(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &args : spy)
        values.append(args.at(0).toInt());
    return values;
}

} // namespace

void TestPkFileReader::metaObjectOrder()
{
    const QMetaObject &meta = PkFileReader::staticMetaObject;
    QCOMPARE(meta.className(), "PkFileReader");
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);
    const QMetaMethod signal = meta.method(meta.methodOffset());
    QCOMPARE(signal.methodType(), QMetaMethod::Signal);
    QCOMPARE(signal.methodSignature(), QByteArray("copyStatusSignal(int)"));
    const QMetaMethod slot = meta.method(meta.methodOffset() + 1);
    QCOMPARE(slot.methodType(), QMetaMethod::Slot);
    QCOMPARE(slot.access(), QMetaMethod::Public);
    QCOMPARE(slot.name(), QByteArray("on_startCopySignal"));
    QCOMPARE(slot.parameterMetaType(0), QMetaType::fromType<QList<QString>>());
    QCOMPARE(slot.parameterMetaType(1), QMetaType::fromType<QString>());
    // moc spells the list QStringList; lookups by either spelling find the slot.
    QCOMPARE(meta.indexOfSlot("on_startCopySignal(QList<QString>,QString)"), meta.methodOffset() + 1);
    QCOMPARE(slot.parameterNames(), (QList<QByteArray>{"listOfFilesToCopy", "filePath"}));
}

void TestPkFileReader::readSelectionFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QString>>("expected");

    QTest::newRow("CRLF endings and runs of blanks") << QByteArray("A1\r\n  B  2  \r\nC3")
                                                     << QList<QString>{"A1", "B 2", "C3"};
    QTest::newRow("blank line in the middle") << QByteArray("A1\n\nB2\n") << QList<QString>{"A1", "", "B2"};
    QTest::newRow("whitespace-only line") << QByteArray("A1\n \t \r\nB2") << QList<QString>{"A1", "", "B2"};
    QTest::newRow("empty file") << QByteArray() << QList<QString>{};
    QTest::newRow("single LF") << QByteArray("\n") << QList<QString>{""};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "A1\nB2\n") << QList<QString>{"A1", "B2"};
    QTest::newRow("byte-order mark on a blank first line") << QByteArray("\xEF\xBB\xBF\nB2")
                                                          << QList<QString>{"", "B2"};
    QTest::newRow("bare CR does not end a line") << QByteArray("A1\rB2\n") << QList<QString>{"A1 B2"};
    QTest::newRow("tab, no-break space and form feed")
        << QByteArray("\tA\xC2\xA0\f1\t\n") << QList<QString>{"A 1"};
    QTest::newRow("invalid UTF-8 becomes replacement characters")
        << QByteArray("A\xFF" "1\n\xC3\n") << QList<QString>{QString::fromUtf8("A\xEF\xBF\xBD" "1"),
                                                           QString(QChar::ReplacementCharacter)};
    QTest::newRow("non-Latin letters and quotes")
        << QByteArray("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \"1\"\n'2'\n")
        << QList<QString>{QString::fromUtf8("Фото \"1\""), "'2'"};
    QTest::newRow("NUL bytes are kept") << QByteArray("a\0b\n", 4) << QList<QString>{QString::fromUtf8("a\0b", 3)};
    QTest::newRow("duplicates and order kept") << QByteArray("b\na\nb") << QList<QString>{"b", "a", "b"};
}

void TestPkFileReader::readSelectionFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QString>, expected);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString path = dir.filePath("selection.txt");
    writeFile(path, bytes);

    QCOMPARE(PkFileReader().readSelectionFile(path), expected);
}

void TestPkFileReader::readSelectionFileThatCannotBeRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("a directory") << "directory";
    QTest::newRow("empty path") << "empty";
}

void TestPkFileReader::readSelectionFileThatCannotBeRead()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QString path;
    if (kind == "missing")
        path = dir.filePath("nothing.txt");
    else if (kind == "directory")
        path = dir.path();

    QCOMPARE(PkFileReader().readSelectionFile(path), QList<QString>{});
}

void TestPkFileReader::readFiftyMegabyteLine()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString path = dir.filePath("selection.txt");
    writeFile(path, QByteArray(50 * 1024 * 1024, 'x'));
    writeFile(dir.filePath("xx.jpg"), "x");

    PkFileReader reader;
    const QList<QString> ids = reader.readSelectionFile(path);
    QCOMPARE(ids.size(), 1);
    QCOMPARE(ids.first().size(), 50 * 1024 * 1024);
    const PkMatchResult match = reader.matchFolder(dir.path(), ids);
    QCOMPARE(match.files, QList<QString>{});
    QCOMPARE(match.idsNotFound.size(), 1);
}

void TestPkFileReader::findFilesToCopy_data()
{
    QTest::addColumn<QList<QString>>("files");
    QTest::addColumn<QList<QString>>("folders");
    QTest::addColumn<QList<QString>>("ids");
    QTest::addColumn<QList<QString>>("expected");

    const QList<QString> none;
    QTest::newRow("substring, case-sensitive")
        << QList<QString>{"IMG_0001.jpg", "IMG_0001.CR2", "XIMG_00012.jpg", "img_0001.jpg"} << none
        << QList<QString>{"IMG_0001"} << QList<QString>{"IMG_0001.CR2", "IMG_0001.jpg", "XIMG_00012.jpg"};
    QTest::newRow("nested identifiers select a file once") << QList<QString>{"a123.jpg"} << none
                                                           << QList<QString>{"12", "123"}
                                                           << QList<QString>{"a123.jpg"};
    QTest::newRow("duplicate identifiers select a file once") << QList<QString>{"a1.jpg", "b2.jpg"} << none
                                                              << QList<QString>{"1", "1"}
                                                              << QList<QString>{"a1.jpg"};
    QTest::newRow("listing order, not identifier order") << QList<QString>{"b2.jpg", "A1.jpg", "a3.jpg"} << none
                                                         << QList<QString>{"b", "3", "1"}
                                                         << QList<QString>{"A1.jpg", "a3.jpg", "b2.jpg"};
    QTest::newRow("sub-folders neither matched nor searched")
        << QList<QString>{"A1.jpg", "A1/A1_inner.jpg"} << QList<QString>{"A1", "A1_dir.jpg"}
        << QList<QString>{"A1"} << QList<QString>{"A1.jpg"};
    QTest::newRow("hidden files left out") << QList<QString>{".A1.jpg", "A1.jpg"} << none << QList<QString>{"A1"}
                                           << QList<QString>{"A1.jpg"};
    QTest::newRow("empty identifier matches nothing") << QList<QString>{"A1.jpg", "B2.jpg"} << none
                                                      << QList<QString>{"A1", "", "C3"}
                                                      << QList<QString>{"A1.jpg"};
    QTest::newRow("only empty identifiers") << QList<QString>{"A1.jpg"} << none << QList<QString>{"", ""}
                                            << QList<QString>{};
    QTest::newRow("blanks, quotes and non-Latin letters")
        << QList<QString>{"my \"best\" shot.jpg", "it's 2.jpg", QString::fromUtf8("Фото 3.jpg")} << none
        << QList<QString>{"\"best\"", "it's", QString::fromUtf8("Фото")}
        << QList<QString>{"it's 2.jpg", "my \"best\" shot.jpg", QString::fromUtf8("Фото 3.jpg")};
    QTest::newRow("identifier with a blank") << QList<QString>{"B 2.jpg", "B2.jpg"} << none
                                             << QList<QString>{"B 2"} << QList<QString>{"B 2.jpg"};
    QTest::newRow("extension alone") << QList<QString>{"a.jpg", "b.CR2"} << none << QList<QString>{".CR2"}
                                     << QList<QString>{"b.CR2"};
}

void TestPkFileReader::findFilesToCopy()
{
    QFETCH(QList<QString>, files);
    QFETCH(QList<QString>, folders);
    QFETCH(QList<QString>, ids);
    QFETCH(QList<QString>, expected);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (const QString &folder : folders)
        QVERIFY(QDir(dir.path()).mkpath(folder));
    for (const QString &file : files)
        writeFile(dir.filePath(file), "x");

    QCOMPARE(PkFileReader().findFilesToCopy(dir.path(), ids), expected);
}

void TestPkFileReader::findFilesToCopyWithoutFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("a plain file") << "file";
    QTest::newRow("empty path") << "empty";
}

void TestPkFileReader::findFilesToCopyWithoutFolder()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    writeFile(dir.filePath("A1.jpg"), "x");
    QString path;
    if (kind == "missing")
        path = dir.filePath("gone");
    else if (kind == "file")
        path = dir.filePath("A1.jpg");
    // An empty path must not fall back to the working directory.
    QVERIFY(QDir::setCurrent(dir.path()));

    QCOMPARE(PkFileReader().findFilesToCopy(path, {"A1"}), QList<QString>{});
}

void TestPkFileReader::idsNotFound()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (const QString &name : QStringList{"A1.jpg", "A1.CR2", "B22.jpg", "target.bin"})
        writeFile(dir.filePath(name), "x");
    QVERIFY(QFile::link(dir.filePath("target.bin"), dir.filePath("link C3.jpg")));
    QVERIFY(QFile::link(dir.filePath("nowhere.bin"), dir.filePath("broken D4.jpg")));

    const PkMatchResult match
        = PkFileReader().matchFolder(dir.path(), {"Z9", "A1", "", "B2", "Z9", "C3", "D4", "B22.jpgX"});
    QCOMPARE(match.files, (QList<QString>{"A1.CR2", "A1.jpg", "B22.jpg", "link C3.jpg"}));
    QCOMPARE(match.idsNotFound, (QList<QString>{"Z9", "D4", "B22.jpgX"}));
}

void TestPkFileReader::folderExists_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("expected");
    QTest::newRow("directory") << "sub" << true;
    QTest::newRow("plain file") << "file.txt" << false;
    QTest::newRow("missing") << "nothing" << false;
    QTest::newRow("symbolic link to a directory") << "sublink" << true;
}

void TestPkFileReader::folderExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, expected);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    writeFile(dir.filePath("file.txt"), "x");
    QVERIFY(QFile::link(dir.filePath("sub"), dir.filePath("sublink")));

    QCOMPARE(PkFileReader().folderExists(dir.filePath(relative)), expected);
}

void TestPkFileReader::copiesInOrderAndCounts()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QList<QString> names{"c.jpg", "a b.jpg", QString::fromUtf8("Фото.jpg")};
    for (const QString &name : names)
        writeFile(dir.filePath(name), contentFor(name));

    PkFileReader reader;
    QSignalSpy spy(&reader, &PkFileReader::copyStatusSignal);
    reader.on_startCopySignal(names, dir.path());

    QCOMPARE(counts(spy), (QList<int>{1, 2, 3}));
    const QString output = dir.filePath("FilesFromSelection");
    for (const QString &name : names)
        QCOMPARE(readBytes(output + "/" + name), contentFor(name));
    QCOMPARE(everything(output).size(), names.size());
}

void TestPkFileReader::keepsExistingDestination()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QList<QString> names{"1.jpg", "2.jpg", "3.jpg"};
    for (const QString &name : names)
        writeFile(dir.filePath(name), contentFor(name));
    QVERIFY(QDir(dir.path()).mkdir("FilesFromSelection"));
    const QString kept = dir.filePath("FilesFromSelection/2.jpg");
    writeFile(kept, "older and shorter");

    PkFileReader reader;
    QSignalSpy spy(&reader, &PkFileReader::copyStatusSignal);
    reader.on_startCopySignal(names, dir.path());
    QCOMPARE(counts(spy), (QList<int>{1, 2}));
    QCOMPARE(readBytes(kept), QByteArray("older and shorter"));

    // A second run over the same list finds every destination taken.
    spy.clear();
    reader.on_startCopySignal(names, dir.path());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(readBytes(kept), QByteArray("older and shorter"));
    QCOMPARE(everything(dir.filePath("FilesFromSelection")), names);
}

void TestPkFileReader::reusesExistingOutputFolder()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    writeFile(dir.filePath("a.jpg"), contentFor("a"));
    QVERIFY(QDir(dir.path()).mkpath("FilesFromSelection/keep/inner"));
    writeFile(dir.filePath("FilesFromSelection/unrelated.txt"), "mine");

    PkFileReader reader;
    QSignalSpy spy(&reader, &PkFileReader::copyStatusSignal);
    reader.on_startCopySignal({"a.jpg"}, dir.path());
    QCOMPARE(counts(spy), QList<int>{1});
    QCOMPARE(everything(dir.filePath("FilesFromSelection")), (QStringList{"a.jpg", "keep", "unrelated.txt"}));
    QCOMPARE(readBytes(dir.filePath("FilesFromSelection/unrelated.txt")), QByteArray("mine"));
    QVERIFY(QFileInfo(dir.filePath("FilesFromSelection/keep/inner")).isDir());
}

void TestPkFileReader::skipsWhatCannotBeCopied()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QTemporaryDir outside;
    QVERIFY2(outside.isValid(), qPrintable(outside.errorString()));
    writeFile(dir.filePath("good.jpg"), contentFor("good"));
    writeFile(dir.filePath("target.bin"), contentFor("target"));
    QVERIFY(QFile::link(dir.filePath("target.bin"), dir.filePath("link.jpg")));
    QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0644) == 0);
    writeFile(outside.filePath("secret.jpg"), "outside");
    const QString escape = "../" + QDir(outside.path()).dirName() + "/secret.jpg";

    PkFileReader reader;
    QSignalSpy spy(&reader, &PkFileReader::copyStatusSignal);
    reader.on_startCopySignal({"missing.jpg", "folder.jpg", "pipe.jpg", "", "..", escape, "good.jpg", "link.jpg"},
                              dir.path());

    QCOMPARE(counts(spy), (QList<int>{1, 2}));
    const QString output = dir.filePath("FilesFromSelection");
    QCOMPARE(everything(output), (QStringList{"good.jpg", "link.jpg"}));
    // A link is copied as the file it points to, like QFile::copy does.
    QVERIFY(!QFileInfo(output + "/link.jpg").isSymLink());
    QCOMPARE(readBytes(output + "/link.jpg"), contentFor("target"));
}

void TestPkFileReader::missingPictureFolderEmitsNothing()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString gone = dir.filePath("gone");

    PkFileReader reader;
    QSignalSpy spy(&reader, &PkFileReader::copyStatusSignal);
    reader.on_startCopySignal({"a.jpg"}, gone);
    reader.on_startCopySignal({}, dir.path());

    QCOMPARE(spy.count(), 0);
    QVERIFY(!QFileInfo::exists(gone));
    QVERIFY(QFileInfo(dir.filePath("FilesFromSelection")).isDir());
}

void TestPkFileReader::copiesPermissions()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    writeFile(dir.filePath("private.jpg"), "p");
    writeFile(dir.filePath("shared.jpg"), "s");
    const auto privateMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    const auto sharedMode = privateMode | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner | QFile::ExeUser;
    QVERIFY(QFile::setPermissions(dir.filePath("private.jpg"), privateMode));
    QVERIFY(QFile::setPermissions(dir.filePath("shared.jpg"), sharedMode));

    PkFileReader().on_startCopySignal({"private.jpg", "shared.jpg"}, dir.path());

    QCOMPARE(QFile::permissions(dir.filePath("FilesFromSelection/private.jpg")), privateMode);
    QCOMPARE(QFile::permissions(dir.filePath("FilesFromSelection/shared.jpg")), sharedMode);
}

void TestPkFileReader::failedWriteLeavesNoPartialFile()
{
    // A file-size limit makes writes fail part-way, as a full disk would, and
    // works as root where a full disk cannot be simulated otherwise.
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    writeFile(dir.filePath("big.jpg"), QByteArray(1024 * 1024, 'b'));
    writeFile(dir.filePath("small.jpg"), "small");

    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);

    PkFileReader reader;
    QSignalSpy spy(&reader, &PkFileReader::copyStatusSignal);
    reader.on_startCopySignal({"big.jpg", "small.jpg"}, dir.path());

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(counts(spy), QList<int>{1});
    QCOMPARE(everything(dir.filePath("FilesFromSelection")), QStringList{"small.jpg"});
}

void TestPkFileReader::queuedRunsAcrossThreadsCountAgain()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QList<QString> first{"a.jpg", "b.jpg"};
    const QList<QString> second{"c.jpg", "d.jpg", "e.jpg"};
    for (const QString &name : first + second)
        writeFile(dir.filePath(name), contentFor(name));

    QThread thread;
    auto *reader = new PkFileReader;
    connect(&thread, &QThread::finished, reader, &QObject::deleteLater);
    Sender sender;
    connect(&sender, &Sender::startCopySignal, reader, &PkFileReader::on_startCopySignal);
    QList<int> received;
    QList<Qt::HANDLE> threads;
    connect(reader, &PkFileReader::copyStatusSignal, this, [&](int count) {
        received.append(count);
        threads.append(QThread::currentThreadId());
    });
    reader->moveToThread(&thread);
    thread.start();

    emit sender.startCopySignal(first, dir.path());
    emit sender.startCopySignal(second, dir.path());
    QTRY_COMPARE(received, (QList<int>{1, 2, 1, 2, 3}));
    QVERIFY(std::all_of(threads.begin(), threads.end(),
                        [](Qt::HANDLE id) { return id == QThread::currentThreadId(); }));

    thread.quit();
    QVERIFY(thread.wait());
    for (const QString &name : first + second)
        QCOMPARE(readBytes(dir.filePath("FilesFromSelection/" + name)), contentFor(name));
}

void TestPkFileReader::interruptionStopsBetweenFiles()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QList<QString> names{"1.jpg", "2.jpg", "3.jpg"};
    for (const QString &name : names)
        writeFile(dir.filePath(name), contentFor(name));

    QThread thread;
    auto *reader = new PkFileReader;
    connect(&thread, &QThread::finished, reader, &QObject::deleteLater);
    reader->moveToThread(&thread);
    // Asked on the worker thread itself right after the first copy, so the
    // request lands exactly between two files.
    connect(reader, &PkFileReader::copyStatusSignal, reader,
            [](int) { QThread::currentThread()->requestInterruption(); }, Qt::DirectConnection);
    std::atomic<bool> runReturned{false};
    thread.start();

    QMetaObject::invokeMethod(reader, "on_startCopySignal", Qt::QueuedConnection,
                              Q_ARG(QList<QString>, names), Q_ARG(QString, dir.path()));
    QMetaObject::invokeMethod(reader, [&runReturned] { runReturned = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(runReturned);

    thread.quit();
    QVERIFY(thread.wait());
    const QString output = dir.filePath("FilesFromSelection");
    QCOMPARE(everything(output), QStringList{"1.jpg"});
    QCOMPARE(readBytes(output + "/1.jpg"), contentFor("1.jpg"));
}

QTEST_GUILESS_MAIN(TestPkFileReader)
#include "tst_pkfilereader.moc"
