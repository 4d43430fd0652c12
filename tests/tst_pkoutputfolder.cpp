// SPDX-License-Identifier: MIT

#include "pkfilecopier.h"
#include "pkfilereader.h"
#include "pkhiddentemporary.h"
#include "pkwindowtest.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

// What a run keeps in its output folder besides the copies: the checksum
// list, read as xxhsum would, and the lock; and what it clears away there.
class TestPkOutputFolder : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void backups_data();
    void backups();
    void hiddenTemporary();
};

namespace {

// Bytes that no piece of a megabyte repeats, past three such pieces.
QByteArray largePicture()
{
    QByteArray bytes(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

// Copying in place refused, so that the bytes pass through unverified too.
int refuseCopyInPlace(PkFileCopier::Call call)
{
    return call == PkFileCopier::Call::CopyInPlace ? EXDEV : 0;
}

// The output folder that goes away as its first copy is about to be named.
QString goneOutput;

void unmountOnce(const QString &destination)
{
    if (!goneOutput.isEmpty() && destination.startsWith(goneOutput + '/'))
        QVERIFY(QDir(std::exchange(goneOutput, QString())).removeRecursively());
}

} // namespace

void TestPkOutputFolder::run_data()
{
    QTest::addColumn<QStringList>("pictures"); // each holds its name before a '=' the bytes after it
    // The output folder as an earlier run left it, as pictures are, or
    // "NAME->" a link to an earlier list elsewhere, "NAME/" a folder,
    // "NAME!" a lock file that another run holds, "NAME|" a named pipe.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<bool>("passThrough");
    QTest::addColumn<QByteArray>("after"); // the list, or where it links to
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("hidden"); // what the output folder then holds of hidden files

    // The digests are those xxhsum --tag -H2 prints for the same bytes.
    const QByteArray empty = "XXH128 (empty.jpg) = 99aa06d3014798d86001c324468d497f\n";
    const QByteArray abc = "XXH128 (abc.jpg) = 06b05ab6733a618578af5f94892f3950\n";
    const QByteArray large = "XXH128 (Card A/large.cr2) = a8d2aaa87f9b2799fb45fcd49e8371b7\n";
    const QByteArray earlier = "XXH128 (old.jpg) = 0123456789abcdef0123456789abcdef\n";
    const QString list = ".pickwell-checksums.xxh128", lock = ".pickwell-lock";
    const QStringList abcOnly{"abc.jpg=abc"}, both{list, lock};
    QTest::newRow("verified: the lines xxhsum checks, a sub-folder's path kept")
        << QStringList{"Card A/large.cr2=", "abc.jpg=abc", "empty.jpg="} << QStringList{} << true << false
        << large + abc + empty << QStringList{"copied 3"} << both;
    QTest::newRow("finishing a run appends; a name with a line break is left out and said")
        << QStringList{"new\nline.jpg=abc", "abc.jpg=abc"} << QStringList{list + "=" + earlier} << true << false << earlier + abc
        << QStringList{"note: new\nline.jpg: not in the checksum list, as its name holds a line break", "copied 2"} << both;
    // A file over 64 MB is named as it begins, one of 64 MB is not.
    QTest::newRow("files of 64 MB and a byte more")
        << QStringList{"edge.mov=64000000", "huge.mov=64000001"} << QStringList{} << true << false
        << QByteArray("XXH128 (edge.mov) = a0aa3698f97eb728308597524521a9c4\n"
                      "XXH128 (huge.mov) = a06649b196e2b72db37b0b583da07dd5\n") << QStringList{"large: huge.mov", "copied 2"} << both;
    QTest::newRow("unverified, copied in place: not listed") << abcOnly << QStringList{} << false << false << QByteArray()
                                                             << QStringList{"copied 1"} << both;
    QTest::newRow("unverified, read and written: listed") << abcOnly << QStringList{} << false << true << abc
                                                          << QStringList{"copied 1"} << both;
    QTest::newRow("a list that is a link: nothing copied, nothing written through it")
        << abcOnly << QStringList{list + "->"} << true << false << earlier
        << QStringList{"stopped: the checksum list is a link", "copied 0"} << both;
    // A pipe with no reader must refuse at once rather than hold the run.
    for (const char *kind : {"/", "|"}) {
        QTest::addRow("a list that is %s", *kind == '/' ? "a folder" : "a pipe") << abcOnly << QStringList{list + kind} << true << false
            << QByteArray() << QStringList{"stopped: the checksum list is not a file", "copied 0"} << (*kind == '/' ? QStringList{lock} : both);
    }
    QTest::newRow("a lock that another run holds: nothing copied, nothing cleared")
        << abcOnly << QStringList{lock + "!", ".pickwell-Ab12Cd="} << true << false << QByteArray()
        << QStringList{"stopped: in use by another Pickwell", "copied 0"} << QStringList{".pickwell-Ab12Cd", lock};
    for (const char *kind : {"->", "/", "|"}) {
        QTest::addRow("a lock file that is %s", *kind == '/' ? "a folder" : *kind == '|' ? "a pipe" : "a link") << abcOnly << QStringList{lock + kind} << true << false
            << QByteArray() << QStringList{"stopped: the lock file is not a file", "copied 0"} << QStringList(*kind == '/' ? 0 : 1, lock);
    }
    QTest::newRow("the unfinished copies of an ended run removed, other hidden files kept")
        << abcOnly << QStringList{lock + "=", ".pickwell-Ab12Cd=", "Card A/.pickwell-000000=", ".pickwell-12345=", ".hidden="}
        << true << false << abc
        << QStringList{"note: FilesFromSelection/.pickwell-Ab12Cd: removed: an unfinished copy of a run that was ended",
                       "note: FilesFromSelection/Card A/.pickwell-000000: removed: an unfinished copy of a run that was ended",
                       "copied 1"} << QStringList{".hidden", ".pickwell-12345", list, lock};
}

void TestPkOutputFolder::run()
{
    QFETCH(QStringList, pictures);
    QFETCH(QStringList, before);
    QFETCH(bool, verify);
    QFETCH(bool, passThrough);

    const auto dir = testFolderWithSettings();
    const QString output = dir->filePath("pics/FilesFromSelection");
    QStringList names;
    for (const QString &picture : pictures) {
        names << picture.section('=', 0, 0);
        // A film is a sparse file of the size given.
        const bool film = names.last().endsWith(".mov");
        const QByteArray bytes = picture.endsWith("large.cr2=") ? largePicture() : picture.section('=', 1).toUtf8();
        QVERIFY(QFile(writeTestFile(dir->filePath("pics/" + names.last()), film ? QByteArray() : bytes)).resize(film ? bytes.toLongLong() : bytes.size()));
    }
    // A link points at an earlier run's list elsewhere, which must stay as it is.
    const QString target = writeTestFile(dir->filePath("elsewhere"), "XXH128 (old.jpg) = 0123456789abcdef0123456789abcdef\n");
    QVERIFY(QDir().mkpath(output));
    QFile held;
    for (const QString &entry : before) {
        const qsizetype marker = entry.endsWith("->") ? 2 : entry.endsWith('/') || entry.endsWith('!') || entry.endsWith('|') ? 1 : 0;
        const QString path = output + '/' + (marker ? entry.chopped(marker) : entry.section('=', 0, 0));
        if (entry.endsWith("->"))
            QVERIFY(QFile::link(target, path));
        else if (entry.endsWith('/'))
            QVERIFY(QDir().mkpath(path));
        else if (entry.endsWith('|'))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else
            writeTestFile(path, entry.section('=', 1).toUtf8());
        // Another run's lock: flock conflicts between two opens of the file, in one process too.
        if (entry.endsWith('!')) {
            held.setFileName(path);
            QVERIFY(held.open(QIODevice::ReadOnly) && ::flock(held.handle(), LOCK_EX) == 0);
            QCOMPARE(PkFileReader::folderRefusal(dir->filePath("pics"), true), "FilesFromSelection is in use by another Pickwell");
        }
    }

    PkFileReader reader;
    reader.setVerify(verify);
    QStringList events;
    connect(&reader, &PkFileReader::copyNoteSignal, this, [&](const QString &name, const QString &note) { events << "note: " + name + ": " + note; });
    connect(&reader, &PkFileReader::largeFileSignal, this, [&](const QString &name, int percent) {
        events << (percent > 0 || events.contains("large: " + name) ? QStringList() : QStringList{"large: " + name}); });
    connect(&reader, &PkFileReader::copyStoppedSignal, this, [&events](const QString &why) { events << "stopped: " + why; });
    connect(&reader, &PkFileReader::copyFinishedSignal, this, [&](int copied) { events << "copied " + QString::number(copied); });
    PkFileCopier::setFaultHook(passThrough ? refuseCopyInPlace : nullptr);
    reader.on_startCopyIntoSignal(names, dir->filePath("pics"), QString(), true);
    PkFileCopier::setFaultHook(nullptr);

    QTEST(events, "events");
    const QString list = output + "/.pickwell-checksums.xxh128";
    QFile written(QFileInfo(list).isSymLink() ? target : list);
    QVERIFY(!QFileInfo(list).isFile() || written.open(QIODevice::ReadOnly));
    QTEST(written.isOpen() ? written.readAll() : QByteArray(), "after");
    QTEST(QDir(output).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name), "hidden");
}

// One run into "main" and, in the same pass, into "backup" and "spare": a
// folder that fails, before the run or during it, ends only its own copies,
// and each complete folder holds every copy and lists it.
void TestPkOutputFolder::backups_data()
{
    QTest::addColumn<QStringList>("before"); // files there before the run
    QTest::addColumn<QString>("gone"); // the folder whose output goes away during the run
    QTest::addColumn<QStringList>("events");
    const QString whole = "spare: 3 0 0 ", exists = "cannot create FilesFromSelection: File exists";
    QTest::newRow("all whole") << QStringList{} << "" << QStringList{"1", "2", "3", "backup: 3 0 0 ", whole, "finished 3 0 0"};
    QTest::newRow("a backup gone") << QStringList{} << "backup"
                                   << QStringList{"1", "2", "3", "backup: 0 0 0 the destination is gone", whole, "finished 3 0 0"};
    QTest::newRow("the first folder gone") << QStringList{} << "main"
        << QStringList{"stopped: the destination is gone", "backup: 3 0 0 ", whole, "finished 0 0 0"};
    QTest::newRow("a file in a backup's output") << QStringList{"backup/FilesFromSelection"} << ""
        << QStringList{"1", "2", "3", "backup: 0 0 0 " + exists, whole, "finished 3 0 0"};
    QTest::newRow("a name taken in a backup") << QStringList{"backup/FilesFromSelection/2.jpg"} << ""
        << QStringList{"1", "2", "backup 2.jpg: already exists in FilesFromSelection", "3", "backup: 2 1 0 ", whole, "finished 3 0 0"};
}

void TestPkOutputFolder::backups()
{
    QFETCH(QStringList, before);
    QFETCH(QString, gone);
    const auto dir = testFolderWithSettings();
    makeTestFolder(dir->filePath("pics"), {"1.jpg", "2.jpg", "3.jpg"});
    makeTestFolder(dir->path(), before);
    for (const char *into : {"main", "backup", "spare"})
        QVERIFY(QDir(dir->path()).mkpath(into));
    PkFileReader reader;
    QStringList events;
    const auto folder = [](const QString &path) { return QFileInfo(path).fileName(); };
    connect(&reader, &PkFileReader::copyStatusSignal, this, [&events](int n) { events << QString::number(n); });
    connect(&reader, &PkFileReader::copyStoppedSignal, this, [&events](const QString &why) { events << "stopped: " + why; });
    connect(&reader, &PkFileReader::alsoFailedSignal, this, [&](const QString &into, const QString &name, const QString &reason) {
        events << folder(into) + ' ' + name + ": " + reason;
    });
    connect(&reader, &PkFileReader::alsoFinishedSignal, this, [&](const QString &into, int copied, int failed, int there, const QString &why) {
        events << QStringLiteral("%1: %2 %3 %4 %5").arg(folder(into)).arg(copied).arg(failed).arg(there).arg(why);
    });
    connect(&reader, &PkFileReader::copyFinishedSignal, this,
            [&events](int copied, int failed, int there) { events << QStringLiteral("finished %1 %2 %3").arg(copied).arg(failed).arg(there); });
    reader.setAlsoInto({dir->filePath("backup"), dir->filePath("spare")});
    reader.setBatch(1);
    goneOutput = gone.isEmpty() ? QString() : dir->filePath(gone + "/FilesFromSelection");
    PkFileCopier::setNamingHook(unmountOnce);
    reader.on_startCopyIntoSignal({"1.jpg", "2.jpg", "3.jpg"}, dir->filePath("pics"), dir->filePath("main"), false);
    PkFileCopier::setNamingHook(nullptr);
    QTEST(events, "events");
    for (const QString into : {"main", "backup", "spare"}) {
        const QString output = dir->filePath(into + QStringLiteral("/FilesFromSelection"));
        const bool whole = events.contains(into == QStringLiteral("main") ? QStringLiteral("finished 3 0 0") : into + QStringLiteral(": 3 0 0 "));
        if (whole) {
            QCOMPARE(QDir(output).entryList(QDir::Files).size(), 3);
            QCOMPARE(QFile(output + "/.pickwell-checksums.xxh128").size(), 3 * 50); // "XXH128 (1.jpg) = " and 32 digits
        }
    }
}

// Where a card has no unnamed files: one hidden temporary, whatever errno an
// earlier call left, and gone again once removed.
void TestPkOutputFolder::hiddenTemporary()
{
    QTemporaryDir dir;
    const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_DIRECTORY | O_CLOEXEC);
    errno = EEXIST;
    const char *name = nullptr;
    const int fd = PkHiddenTemporary::make(folder, &name);
    QVERIFY(fd != -1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QString::fromLatin1(name)});
    QVERIFY(PkHiddenTemporary::remove().isEmpty() && QDir(dir.path()).isEmpty(QDir::Files | QDir::Hidden));
    ::close(fd);
    ::close(folder);
}

QTEST_GUILESS_MAIN(TestPkOutputFolder)
#include "tst_pkoutputfolder.moc"
