// SPDX-License-Identifier: MIT

#include "pkcontenthash.h"
#include "pkfilecopier.h"
#include "pkfiledescriptor.h"
#include "pkfilereader.h"
#include "pkwindowtest.h"

#include <csignal>
#include <utility>
#include <sys/resource.h>
#include <fcntl.h>
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
    void faults_data();
    void faults();
};

namespace {

using Names = QList<QString>;
using Faults = QHash<QChar, int>;

// The calls that the test file system refuses or fails, by letter: Unnamed
// file, copy in Place, link Descriptor, change of Mode, Close, Rename without
// replacing, Link, change of Times, Get (read), Write, Flush, reading Back
// (which any answer garbles), removing a temporary (X) and Keeping a copy
// for its batch; an answer below zero is given once, as
// its opposite. And the letters of the calls asked, but those that teach the
// copier nothing. As copying in place or reading back begins, the picture
// being copied grows ('+'), shrinks ('-') or is rewritten in place ('~').
Faults played;
QString asked;
QString refusable; // the changes of mode and times asked, and the temporaries removed
QString copying;

int playFileSystem(PkFileCopier::Call call)
{
    const QChar letter = QLatin1String("UPDMCRLTGWFBXK").at(int(call));
    if (!QStringLiteral("PMTGWX").contains(letter))
        asked += letter;
    if (QStringLiteral("MTX").contains(letter))
        refusable += letter;
    QFile picture(letter == 'P' || letter == 'B' ? std::exchange(copying, QString()) : QString());
    const bool changed = (played.contains('+') && picture.open(QIODevice::Append) && picture.write("more") == 4)
        || (played.contains('-') && picture.resize(100))
        || (played.contains('~') && picture.open(QIODevice::ReadWrite) && ::futimens(picture.handle(), nullptr) == 0);
    const int answer = changed ? 0 : played.value(letter);
    if (answer < 0)
        played.remove(letter);
    return std::abs(answer);
}

// Every picture's times, which each copy must keep to the nanosecond.
const timespec pictureTimes[] = {{1600000000, 987654321}, {1500000000, 123456789}};

bool keptTimes(const QString &copy)
{
    struct stat status;
    return ::stat(QFile::encodeName(copy).constData(), &status) == 0
        && status.st_atim.tv_sec == pictureTimes[0].tv_sec && status.st_atim.tv_nsec == pictureTimes[0].tv_nsec
        && status.st_mtim.tv_sec == pictureTimes[1].tv_sec && status.st_mtim.tv_nsec == pictureTimes[1].tv_nsec;
}

QByteArray hashOf(const QByteArray &bytes)
{
    PkContentHash hash;
    return hash.add(bytes.constData(), size_t(bytes.size())), hash.hex();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

// Builds entries under root, which no entries leave uncreated: "name/" is a
// folder, "name|" a FIFO, "name->target" a symbolic link, anything else a
// file holding its name 1,000 times, read-only for everyone or private to its
// owner when its name says so.
void makeTree(const QString &root, const Names &entries)
{
    for (const QString &entry : entries) {
        QFile file(root + '/' + entry);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (entry.contains("->"))
            QVERIFY(QFile::link(entry.section("->", 1), root + '/' + entry.section("->", 0, 0)));
        else if (entry.endsWith('|'))
            QCOMPARE(::mkfifo(QFile::encodeName(file.fileName().chopped(1)).constData(), 0644), 0);
        else if (!entry.endsWith('/'))
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(entry.toUtf8().repeated(1000)) > 0
                    && file.flush() && ::futimens(file.handle(), pictureTimes) == 0);
        if (entry.startsWith("read-only"))
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        if (entry.startsWith("private"))
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    }
}

// Every entry but folders, to any depth, hidden and system ones too, so
// leftover temporaries show.
Names everything(const QString &path)
{
    Names names;
    for (QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();) {
        if (!QFileInfo(it.next()).isDir())
            names << QDir(path).relativeFilePath(it.filePath());
    }
    names.sort();
    return names;
}

} // namespace

Q_DECLARE_METATYPE(PkFileCopier::RunEnd)

// A picture folder is refused while anything named like the output is in
// it, and when it cannot be written into (a missing folder, also for root);
// finishing a run accepts an output folder.
void TestPkFileReader::folderRefusal()
{
    const auto dir = testFolderWithSettings();
    makeTree(dir->path(), {"pics/", "FilesFromSelection", "other/FilesFromSelection/",
                          "link/FilesFromSelection->../other/FilesFromSelection"});
    PkFileReader reader;
    const QString exists = "Folder \"FilesFromSelection\" already exists! Delete it!";
    QCOMPARE(reader.folderRefusal(dir->filePath("pics")), QString());
    QCOMPARE(reader.folderRefusal(dir->path()), exists);
    QCOMPARE(reader.folderRefusal(dir->filePath("other")), exists);
    QCOMPARE(reader.folderRefusal(dir->filePath("gone")), "Cannot write into this folder!");
    // Finishing a run takes the output folder as it is, but never a file in its place.
    QCOMPARE(reader.folderRefusal(dir->filePath("other"), true), QString());
    QCOMPARE(reader.folderRefusal(dir->path(), true), exists);
    QCOMPARE(reader.folderRefusal(dir->filePath("gone"), true), "Cannot write into this folder!");
    // A link is never followed, even to an output folder.
    QCOMPARE(reader.folderRefusal(dir->filePath("link")), exists);
    QCOMPARE(reader.folderRefusal(dir->filePath("link"), true), "Folder \"FilesFromSelection\" is a link! Delete it!");
}

namespace {

// What the naming hook does, once, while a run's first copy is about to be
// given its name.
QString hookAction;
QString hookOutput;
QString hookPictures;
PkFileReader *hookReader = nullptr;

void actOnce(const QString &destination)
{
    const QString action = std::exchange(hookAction, QString());
    if (action == "take") {
        QFile file(destination);
        // Another file of the copy's size: only a copy of another size is told.
        const QByteArray other(QFileInfo(hookPictures + '/' + QFileInfo(destination).fileName()).size(), 't');
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(other) == other.size());
    } else if (action == "unmount") {
        QVERIFY(QDir(hookOutput).removeRecursively());
    } else if (action == "fill") {
        played.insert('P', ENOSPC);
        played.insert('W', ENOSPC);
    } else if (action == "lose pictures") {
        QVERIFY(QDir().rename(hookPictures, hookPictures + "-lost"));
    } else if (action.startsWith("swap")) { // the output folder moved away, another folder or a link put in its place
        QVERIFY(QDir().rename(hookOutput, hookOutput + "-moved") && QDir().mkdir(hookOutput + "-elsewhere"));
        QVERIFY(action == "swap folder" ? QDir().mkdir(hookOutput) : QFile::link(hookOutput + "-elsewhere", hookOutput));
    } else if (action == "second signal") {
        PkFileCopier::removeTemporaryInProgress();
    } else if (action == "stop") {
        hookReader->requestStop(1);
    }
}

} // namespace

// Each row runs on each way of copying it names: "unnamed" (O_TMPFILE, then
// a link), and for file systems without unnamed files a hidden temporary
// named by renameat2 ("temporary"), by a hard link ("link"), or by a rename
// after checking the name ("rename").
void TestPkFileReader::copyRun_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<Names>("entries");
    QTest::addColumn<Names>("list");
    QTest::addColumn<bool>("resume");
    QTest::addColumn<QString>("hook");
    QTest::addColumn<int>("stopRun");
    QTest::addColumn<Names>("events");
    QTest::addColumn<Names>("output");

    const QList<QByteArray> every{"unnamed", "temporary", "link", "rename"};
    const auto row = [&every](const char *name, const Names &entries, const Names &list, bool resume,
                              const QString &hook, int stopRun, const Names &events, const Names &output,
                              const QList<QByteArray> &paths = {}) {
        for (const QByteArray &path : paths.isEmpty() ? every : paths)
            QTest::addRow("%s: %s", path.constData(), name) << path << entries << list << resume << hook << stopRun << events << output;
    };

    // File sizes are limited to 20,000 bytes, so that the larger file fails
    // part-way as on a full disk (also for root).
    const QString big = "larger-than-the-limit.jpg", unsafe = ": not a file of the picture folder";
    const QString photo = QString::fromUtf8("Фото.jpg"), exists = ": cannot create FilesFromSelection: File exists";
    const QString taken = ": already exists in FilesFromSelection", gone = ": No such file or directory";
    row("copies whole, equal and with the picture's mode, none partial past the size limit; a stop for another run",
        {"a b.jpg", big, photo, "x.jpg", "read-only.jpg", "private.jpg"},
        {"a b.jpg", big, photo, "read-only.jpg", "private.jpg"}, false, "", 2,
        {"1", big + ": File too large", "2", "3", "4", "finished 4 1 0"}, {"a b.jpg", "private.jpg", "read-only.jpg", photo});
    row("destination appeared, vanished, unsafe and non-regular names reported, output folder reused; a link "
        "copied as its picture, or refused as what it links to; a file that never ends refused, one that cannot be read failed",
        {"1.jpg", "2.jpg", "FilesFromSelection/2.jpg", "dir.jpg/", "pipe.jpg|", "x.jpg", "link.jpg->x.jpg",
         "pipe-link.jpg->pipe.jpg", "dangling.jpg->gone.jpg", "mem.jpg->/proc/self/mem", "endless.jpg->/proc/self/pagemap"},
        {"1.jpg", "2.jpg", "gone.jpg", "dir.jpg", "pipe.jpg", "link.jpg", "pipe-link.jpg", "dangling.jpg",
         "mem.jpg", "endless.jpg", "", "../x"}, false, "", 0,
        {"1", "2.jpg" + taken, "gone.jpg: no longer in the folder", "dir.jpg: not a regular file",
         "pipe.jpg: not a regular file", "2", "pipe-link.jpg: not a regular file", "dangling.jpg: no longer in the folder",
         "mem.jpg: Input/output error", "endless.jpg: changed while copied", unsafe, "../x" + unsafe, "finished 2 10 0"},
        {"1.jpg", "2.jpg", "link.jpg"});
    row("resume leaves a name that is there alone, says where its size differs, and copies the rest",
        {"1.jpg", "2.jpg", "3.jpg", "FilesFromSelection/2.jpg", "FilesFromSelection/3.jpg"},
        {"1.jpg", "2.jpg", "3.jpg"}, true, "", 0, {"1", "2.jpg: already there, but 24.0 kB, not 5.0 kB",
        "3.jpg: already there, but 24.0 kB, not 5.0 kB", "finished 1 2 0"}, {"1.jpg", "2.jpg", "3.jpg"}, {"unnamed", "temporary"});
    row("a name taken during the copy fails and is left as it is", {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg"}, false,
        "take", 0, {"1.jpg" + taken, "1", "finished 1 1 0"}, {"1.jpg", "2.jpg"});
    row("with resume, a name taken during the copy is already there", {"1.jpg"}, {"1.jpg"}, true, "take", 0,
        {"already there 1", "finished 0 0 1"}, {"1.jpg"}, {"unnamed", "rename"});
    row("an output folder gone during the run ends it", {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg"}, false, "unmount", 0,
        {"stopped: the destination is gone", "finished 0 0 0"}, {});
    for (const char *swap : {"swap folder", "swap link"})
        row(swap, {"1.jpg", "2.jpg", "CardA/3.jpg"}, {"1.jpg", "CardA/3.jpg"}, false, swap, 0,
            {"1", "stopped: the destination is gone", "finished 1 0 0"}, {});
    row("a full drive ends the run and keeps what was copied", {"1.jpg", "2.jpg", "3.jpg"}, {"1.jpg", "2.jpg", "3.jpg"},
        false, "fill", 0, {"1", "stopped: the drive is full", "finished 1 0 0"}, {"1.jpg"});
    row("a picture folder gone during the run ends it", {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg"}, false,
        "lose pictures", 0, {"1", "stopped: the picture folder is gone", "finished 1 0 0"}, {"1.jpg"}, {"unnamed"});
    row("a second Ctrl+C takes the temporary away", {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg"}, false, "second signal",
        0, {"1.jpg" + gone, "1", "finished 1 1 0"}, {"2.jpg"}, {"temporary", "link", "rename"});
    // Verified copies read back two at a time ("batch"): the first of a
    // batch is named once both are written.
    row("batched: one that reads back different once is made again", {"1.jpg", "2.jpg", "3.jpg"}, {"1.jpg", "2.jpg", "3.jpg"},
        false, "garble once", 0, {"1", "2", "3", "finished 3 0 0"}, {"1.jpg", "2.jpg", "3.jpg"}, {"batch"});
    row("batched: one that reads back different twice ends the run, the rest dropped", {"1.jpg", "2.jpg", "3.jpg"},
        {"1.jpg", "2.jpg", "3.jpg"}, false, "garble", 0,
        {"1.jpg: reads back different", "stopped: copies read back different", "finished 0 1 0"}, {}, {"batch"});
    row("batched: a failed flush ends the run", {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg"}, false, "flush fails", 0,
        {"stopped: the destination is gone", "finished 0 0 0"}, {}, {"batch"});
    row("batched: out of descriptors, each copy is read back on its own", {"1.jpg", "2.jpg"}, {"1.jpg", "2.jpg"}, false,
        "no descriptors", 0, {"1", "2", "finished 2 0 0"}, {"1.jpg", "2.jpg"}, {"batch"});
    row("batched: a stop is heard between the copies of a batch", {"1.jpg", "2.jpg", "3.jpg"}, {"1.jpg", "2.jpg", "3.jpg"},
        false, "stop", 0, {"1", "finished 1 0 0"}, {"1.jpg"}, {"batch"});
    row("stop asked before the run began", {"a.jpg"}, {"a.jpg"}, false, "", 1, {"finished 0 0 0"}, {}, {"unnamed", "temporary"});
    row("nothing to copy creates nothing", {"a"}, {}, false, "", 0, {"finished 0 0 0"}, {}, {"unnamed"});
    row("no picture folder", {}, {"a.jpg"}, false, "", 0, {"a.jpg: no picture folder", "finished 0 1 0"}, {}, {"unnamed"});
    row("files of sub-folders keep their folder, never made through a file in the way",
        {"CardA/1.jpg", "CardB/2.jpg", "FilesFromSelection/CardB"}, {"CardA/1.jpg", "CardB/2.jpg"}, true, "", 0,
        {"1", "CardB/2.jpg: cannot create FilesFromSelection/CardB: a file or link of that name is there", "finished 1 1 0"},
        {"CardA/1.jpg", "CardB"}, {"unnamed"});
    row("file in place of the output folder", {"a.jpg", "b.jpg", "FilesFromSelection"}, {"a.jpg", "b.jpg"}, false,
        "", 0, {"a.jpg" + exists, "b.jpg" + exists, "finished 0 2 0"}, {}, {"unnamed"});
}

// One run of the worker, the first it receives; stopRun is the run that
// requestStop names before it. Copies go into a folder beside the pictures
// when the output folder is not among the entries.
void TestPkFileReader::copyRun()
{
    QFETCH(QByteArray, path);
    QFETCH(Names, entries);
    QFETCH(Names, list);
    QFETCH(bool, resume);
    QFETCH(QString, hook);
    QFETCH(int, stopRun);

    const auto dir = testFolderWithSettings();
    const bool beside = !entries.join('\n').contains("FilesFromSelection");
    const QString pictures = dir->filePath("pics"), into = beside ? dir->filePath("into") : pictures;
    const QString output = into + "/FilesFromSelection";
    makeTree(pictures, entries);
    QVERIFY(QDir().mkpath(into));
    PkFileReader reader;
    Names events;
    connect(&reader, &PkFileReader::copyStatusSignal, this, [&events](int n) { events << QString::number(n); });
    connect(&reader, &PkFileReader::alreadyThereSignal, this, [&events](int n) { events << "already there " + QString::number(n); });
    connect(&reader, &PkFileReader::copyFailedSignal, this,
            [&events](const QString &name, const QString &reason) { events << name + ": " + reason; });
    connect(&reader, &PkFileReader::copyStoppedSignal, this, [&events](const QString &why) { events << "stopped: " + why; });
    QList<qint64> progress; // the last report: files and bytes handled, of the bytes of the run
    connect(&reader, &PkFileReader::copyProgressSignal, this,
            [&progress](int files, qint64 bytes, qint64 total) { progress = {files, bytes, total}; });
    connect(&reader, &PkFileReader::copyFinishedSignal, this, [&events](int copied, int failed, int there) {
        events << QStringLiteral("finished %1 %2 %3").arg(copied).arg(failed).arg(there);
    });

    reader.requestStop(stopRun);
    const QHash<QByteArray, Faults> paths{{"temporary", {{'U', EOPNOTSUPP}}}, {"link", {{'U', EISDIR}, {'R', EINVAL}}},
                                          {"rename", {{'U', EINVAL}, {'R', ENOSYS}, {'L', EPERM}, {'P', EXDEV}}}};
    played = paths.value(path);
    const QHash<QString, Faults> before{{"garble once", {{'B', -1}}}, {"garble", {{'B', 1}}}, {"flush fails", {{'F', EIO}}},
                                        {"no descriptors", {{'K', EMFILE}}}};
    played.insert(before.value(hook));
    reader.setBatch(path == "batch" ? 2 : 1);
    hookReader = &reader;
    PkFileCopier::setFaultHook(playFileSystem);
    hookAction = hook;
    hookOutput = output;
    hookPictures = pictures;
    PkFileCopier::setNamingHook(actOnce);
    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{std::min<rlim_t>(20000, saved.rlim_max), saved.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    // No entries: an empty path, which must not stand for the working directory.
    reader.on_startCopyIntoSignal(list, entries.isEmpty() ? QString() : pictures, into, resume);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);
    PkFileCopier::setNamingHook(nullptr);
    PkFileCopier::setFaultHook(nullptr);
    QDir().rename(pictures + "-lost", pictures);

    QTEST(events, "events");
    Names copies = everything(output);
    const QString checksums = output + "/.pickwell-checksums.xxh128";
    const QByteArray listed = QFile::exists(checksums) ? contents(checksums) : QByteArray();
    for (const QString &own : runsOwn())
        QCOMPARE(copies.removeOne(own), !list.isEmpty() && QFileInfo(output).isDir() && !hook.startsWith("swap"));
    if (hook.startsWith("swap")) // what was copied before went where the folder went
        QCOMPARE(everything(output + "-moved").filter(".jpg"), Names{"1.jpg"});
    QTEST(copies, "output");
    if (progress.value(0) == list.size()) // every name was handled: so were all the bytes
        QCOMPARE(progress.value(1), progress.value(2));
    for (const QString &name : copies) {
        const QString copy = output + '/' + name, source = pictures + '/' + name;
        const bool foreign = entries.contains("FilesFromSelection/" + name) || (hook == "take" && name == "1.jpg");
        QVERIFY2(foreign || keptTimes(copy), qPrintable(name)); // before reading sets the time read
        QCOMPARE(contents(copy) == contents(source), !foreign);
        if (!foreign)
            QCOMPARE(QFile::permissions(copy), QFile::permissions(source));
    }
    // A line for each copy this run made, verified as they all are here.
    QByteArrayList made;
    for (const QString &name : copies) {
        if (!entries.contains("FilesFromSelection/" + name) && !(hook == "take" && name == "1.jpg"))
            made << "XXH128 (" + name.toUtf8() + ") = " + hashOf(contents(output + '/' + name));
    }
    QByteArrayList lines = listed.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray()); // whole lines only
    std::sort(lines.begin(), lines.end());
    QCOMPARE(lines, made);
    QCOMPARE(QFileInfo::exists(pictures + "/FilesFromSelection"), !beside);
}

// Two pictures copied by one copier onto a file system that refuses or fails
// calls: a refusal is learned from the first picture and the next way tried;
// a failure fails each picture, leaves nothing behind and teaches nothing,
// and ends the run where no other file could escape it.
void TestPkFileReader::faults_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QString>("calls");
    // none: both copied; -1: "changed while copied"; -2: "reads back different"
    QTest::addColumn<int>("error");
    QTest::addColumn<PkFileCopier::RunEnd>("end");

    using End = PkFileCopier::RunEnd;
    const int no = EOPNOTSUPP;
    const auto row = [](const QString &name, const Faults &faults, const char *calls, int error = 0,
                        End end = End::None) { QTest::newRow(qPrintable(name)) << faults << calls << error << end; };
    row("unnamed files", {}, "UDUD");
    row("unnamed files, linked through /proc", {{'D', ENOENT}}, "UDUD");
    row("no unnamed files", {{'U', EISDIR}}, "UCRCR"); // EOPNOTSUPP below, EINVAL in copyRun
    for (const int error : {EINVAL, ENOSYS, EOPNOTSUPP, EPERM}) {
        row(QStringLiteral("no renameat2: %1").arg(error), {{'U', no}, {'R', error}}, "UCRLCL");
        row(QStringLiteral("no links: %1").arg(error), {{'U', no}, {'R', error}, {'L', error}}, "UCRLC");
    }
    row("no copy in place, whatever the reason", {{'P', EIO}}, "UDUD");
    // A card holds only its own permission bits and times; the copies are kept.
    row("the mode refused", {{'U', no}, {'M', EPERM}}, "UCRCR");
    row("the times refused", {{'T', EPERM}}, "UDUD");
    row("the times refused on a card", {{'U', no}, {'T', EPERM}}, "UCRCR");
    row("the mode fails", {{'U', no}, {'M', EIO}}, "U", EIO, End::DestinationGone);
    row("the times fail", {{'T', ESTALE}}, "UU", ESTALE, End::DestinationGone);
    row("unnamed file fails", {{'U', EIO}}, "UU", EIO, End::DestinationGone);
    row("read-only remount", {{'U', EROFS}}, "UU", EROFS, End::DestinationGone);
    row("drive full", {{'P', ENOSPC}, {'W', ENOSPC}}, "UU", ENOSPC, End::DriveFull);
    row("quota", {{'P', EXDEV}, {'W', EDQUOT}}, "UU", EDQUOT, End::DriveFull);
    row("a card's file size limit", {{'P', EXDEV}, {'W', EFBIG}}, "UU", EFBIG);
    row("reading a picture fails", {{'P', EXDEV}, {'G', EIO}}, "UU", EIO);
    row("closing fails", {{'U', no}, {'C', ENOTCONN}}, "UCC", ENOTCONN, End::DestinationGone);
    row("renameat2 fails", {{'U', no}, {'R', EIO}}, "UCRCR", EIO, End::DestinationGone);
    row("a name too long for the card", {{'U', no}, {'R', ENAMETOOLONG}}, "UCRCR", ENAMETOOLONG);
    row("link fails", {{'U', no}, {'R', EPERM}, {'L', ENODEV}}, "UCRLCL", ENODEV, End::DestinationGone);
    row("a picture grows while copied", {{'+', 0}}, "UU", -1);
    row("a picture shrinks while copied", {{'-', 0}}, "UU", -1);
    row("a picture rewritten while copied: the same size, another time", {{'~', 0}}, "UU", -1);
    // Verifying ('v'), every byte is read and written, then flushed and read back.
    row("verified", {{'v', 1}}, "UFBDUFBD");
    row("verified, no unnamed files", {{'v', 1}, {'U', no}}, "UFBCRFBCR");
    row("a copy that reads back different once is made again", {{'v', 1}, {'B', -1}}, "UFBUFBDUFBD");
    row("a copy that reads back different twice ends the run", {{'v', 1}, {'B', 1}}, "UFBUFBUFBUFB", -2, End::ReadsBackDifferent);
    row("a picture rewritten while read back", {{'v', 1}, {'~', 0}}, "UFBUFB", -1);
    row("the flush fails", {{'v', 1}, {'F', EIO}}, "UFUF", EIO, End::DestinationGone);
    row("a flush of the range refused: the whole file is written out", {{'v', 1}, {'F', EINVAL}}, "UFBDUFBD");
    row("verified, the flush fails on a card", {{'v', 1}, {'U', no}, {'F', EIO}}, "UFF", EIO, End::DestinationGone);
    row("a card pulled out mid-file keeps its temporaries", {{'U', no}, {'P', EXDEV}, {'W', EIO}, {'X', EIO}}, "U", EIO, End::DestinationGone);
}

void TestPkFileReader::faults()
{
    QFETCH(Faults, faults);
    QFETCH(int, error);
    const auto dir = testFolderWithSettings();
    makeTree(dir->path(), {"a.jpg", "b.jpg", "out/"});
    played = faults;
    asked.clear();
    refusable.clear();
    PkFileCopier::setFaultHook(playFileSystem);
    PkFileCopier copier;
    copier.setVerify(faults.contains('v'));
    qint64 written = 0; // as the copier tells it, on every way of copying
    copier.progressed = [&written](qint64 bytes) { written += bytes; };
    Names reasons, left;
    QList<PkFileCopier::RunEnd> ends;
    const PkFileDescriptor out(::open(QFile::encodeName(dir->filePath("out")).constData(), O_RDONLY | O_DIRECTORY));
    for (const QString name : {"a.jpg", "b.jpg"}) {
        copying = dir->filePath(name);
        const PkFileCopier::Result result = copier.copy(dir->filePath(name), out.get(), name);
        reasons << result.reason;
        ends << result.end;
        left << (result.leftBehind.isEmpty() ? QStringList() : QStringList{result.leftBehind});
    }
    PkFileCopier::setFaultHook(nullptr);
    QTEST(asked, "calls");
    // A refusal is learned: asked once. A temporary is removed only where
    // a link named its copy, and it is still there.
    if (!error)
        QCOMPARE(refusable.count('M') * 10 + refusable.count('T') * 100 + refusable.count('X'),
                 (faults.value('M') == EPERM ? 10 : 20) + (faults.value('T') == EPERM ? 100 : 200)
                     + (faults.contains('L') ? 0 : int(asked.count('L'))));
    const QString reason = error == -1 ? "changed while copied" : error == -2 ? "reads back different" : qt_error_string(error);
    QCOMPARE(reasons, Names(2, error ? reason : QString()));
    QTEST(ends.first(), "end");
    QTEST(ends.last(), "end");
    const Names copies = error ? Names() : Names{"a.jpg", "b.jpg"};
    QVERIFY(error || faults.contains('B') || written == QFileInfo(dir->filePath("a.jpg")).size() + QFileInfo(dir->filePath("b.jpg")).size());
    left.sort(); // temporaries that could not be removed are there, and named
    QCOMPARE(everything(dir->filePath("out")), left + copies);
    for (const QString &name : copies) {
        QCOMPARE(keptTimes(dir->filePath("out/" + name)), !faults.contains('T')); // before reading sets the time read
        QCOMPARE(contents(dir->filePath("out/" + name)), contents(dir->filePath(name)));
    }
}

QTEST_GUILESS_MAIN(TestPkFileReader)
#include "tst_pkfilereader.moc"
