// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// Reading selection lists, matching folders against them, and the copy
// worker, on real files in temporary folders.
class TestPkFileReader : public QObject
{
    Q_OBJECT

private slots:
    void folderRefusal();
    void copyRun_data();
    void copyRun();
    void copyAcrossFileSystems();
};

namespace {

using Names = QList<QString>;

// Builds entries under root, which no entries leave uncreated: "name/" is a
// folder, "name|" a FIFO, anything else a file holding its name 1,000 times.
void makeTree(const QString &root, const Names &entries)
{
    for (const QString &entry : entries) {
        QFile file(root + '/' + entry);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (entry.endsWith('|'))
            QCOMPARE(::mkfifo(QFile::encodeName(file.fileName().chopped(1)).constData(), 0644), 0);
        else if (!entry.endsWith('/'))
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(entry.toUtf8().repeated(1000)) > 0);
    }
}

// Every entry, hidden and system ones too, so leftover temporaries show.
Names everything(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

// A picture folder is refused while anything named like the output is in
// it, and when it cannot be written into (a missing folder, also for root).
void TestPkFileReader::folderRefusal()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    makeTree(dir.path(), {"pics/", "FilesFromSelection", "other/FilesFromSelection/"});
    PkFileReader reader;
    const QString exists = "Folder \"FilesFromSelection\" already exists! Delete it!";
    QCOMPARE(reader.folderRefusal(dir.filePath("pics")), QString());
    QCOMPARE(reader.folderRefusal(dir.path()), exists);
    QCOMPARE(reader.folderRefusal(dir.filePath("other")), exists);
    QCOMPARE(reader.folderRefusal(dir.filePath("gone")), "Cannot write into this folder!");
}

void TestPkFileReader::copyRun_data()
{
    QTest::addColumn<Names>("entries");
    QTest::addColumn<Names>("list");
    QTest::addColumn<int>("stopRun");
    QTest::addColumn<Names>("events");
    QTest::addColumn<Names>("output");

    // File sizes are limited to 20,000 bytes, so that the larger file fails
    // part-way as on a full disk (also for root).
    const QString big = "larger-than-the-limit.jpg", unsafe = ": not a file of the picture folder";
    const QString photo = QString::fromUtf8("Фото.jpg"), exists = ": cannot create FilesFromSelection: File exists";
    QTest::newRow("copies whole and equal, none partial past the size limit; a stop for another run")
        << Names{"a b.jpg", big, photo, "x.jpg"} << Names{"a b.jpg", big, photo} << 2
        << Names{"1", big + ": File too large", "2", "finished 2 1"} << Names{"a b.jpg", photo};
    QTest::newRow("destination appeared, vanished, unsafe and non-regular names reported, output folder reused")
        << Names{"1.jpg", "2.jpg", "FilesFromSelection/2.jpg", "dir.jpg/", "pipe.jpg|"}
        << Names{"1.jpg", "2.jpg", "gone.jpg", "dir.jpg", "pipe.jpg", "", "../x"} << 0
        << Names{"1", "2.jpg: already exists in FilesFromSelection", "gone.jpg: no longer in the folder",
                 "dir.jpg: not a regular file", "pipe.jpg: not a regular file", unsafe, "../x" + unsafe, "finished 1 6"}
        << Names{"1.jpg", "2.jpg"};
    QTest::newRow("stop asked before the run began") << Names{"a.jpg"} << Names{"a.jpg"} << 1 << Names{"finished 0 0"}
                                                     << Names{};
    QTest::newRow("nothing to copy creates nothing") << Names{"a"} << Names{} << 0 << Names{"finished 0 0"} << Names{};
    QTest::newRow("no picture folder") << Names{} << Names{"a.jpg"} << 0
                                       << Names{"a.jpg: no picture folder", "finished 0 1"} << Names{};
    QTest::newRow("file in place of the output folder") << Names{"a.jpg", "b.jpg", "FilesFromSelection"}
        << Names{"a.jpg", "b.jpg"} << 0 << Names{"a.jpg" + exists, "b.jpg" + exists, "finished 0 2"} << Names{};
}

// One run of the worker, the first it receives; stopRun is the run that
// requestStop names before it.
void TestPkFileReader::copyRun()
{
    QFETCH(Names, entries);
    QFETCH(Names, list);
    QFETCH(int, stopRun);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString pictures = dir.filePath("pics"), output = pictures + "/FilesFromSelection";
    makeTree(pictures, entries);
    PkFileReader reader;
    Names events;
    connect(&reader, &PkFileReader::copyStatusSignal, this, [&events](int n) { events << QString::number(n); });
    connect(&reader, &PkFileReader::copyFailedSignal, this,
            [&events](const QString &name, const QString &reason) { events << name + ": " + reason; });
    connect(&reader, &PkFileReader::copyFinishedSignal, this,
            [&events](int copied, int failed) { events << QStringLiteral("finished %1 %2").arg(copied).arg(failed); });

    reader.requestStop(stopRun);
    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{std::min<rlim_t>(20000, saved.rlim_max), saved.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    // No entries: an empty path, which must not stand for the working directory.
    reader.on_startCopySignal(list, entries.isEmpty() ? QString() : pictures);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);

    QTEST(events, "events");
    QTEST(everything(output), "output");
    for (const QString &name : everything(output)) {
        QFile copy(output + '/' + name), source(pictures + '/' + name);
        QVERIFY(copy.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll() == source.readAll(), !entries.contains("FilesFromSelection/" + name));
        QCOMPARE(copy.permissions(), source.permissions());
    }
}

// A picture linked from another file system (/dev/shm, a tmpfs) cannot be
// copied in place; read and write take over, and the copy is whole.
void TestPkFileReader::copyAcrossFileSystems()
{
    QTemporaryDir far("/dev/shm/pickwell-XXXXXX"), dir;
    if (!far.isValid())
        QSKIP("This machine has no /dev/shm");
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QByteArray bytes = QByteArray("far").repeated(800000);
    QFile source(far.filePath("far.jpg"));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(bytes) == bytes.size());
    source.close();
    QVERIFY(QFile::link(source.fileName(), dir.filePath("far.jpg")));
    PkFileReader reader;
    QSignalSpy finished(&reader, &PkFileReader::copyFinishedSignal);
    reader.on_startCopySignal({"far.jpg"}, dir.path());
    QCOMPARE(finished, (QList<QVariantList>{{1, 0}}));
    QFile copy(dir.filePath("FilesFromSelection/far.jpg"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), bytes);
}

QTEST_GUILESS_MAIN(TestPkFileReader)
#include "tst_pkfilereader.moc"
