// SPDX-License-Identifier: MIT

#include "pkfilecopier.h"
#include "pkfilereader.h"
#include "pkwindowtest.h"

// The checksum list that a run keeps with its copies, read as xxhsum would.
class TestPkChecksumList : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
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

} // namespace

void TestPkChecksumList::run_data()
{
    QTest::addColumn<QStringList>("pictures"); // each holds its name before a '=' the bytes after it
    QTest::addColumn<QByteArray>("before");    // the list as an earlier run left it; "->" a link, "/" a folder
    QTest::addColumn<bool>("verify");
    QTest::addColumn<bool>("passThrough");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("events");

    // The digests are those xxhsum --tag -H2 prints for the same bytes.
    const QByteArray empty = "XXH128 (empty.jpg) = 99aa06d3014798d86001c324468d497f\n";
    const QByteArray abc = "XXH128 (abc.jpg) = 06b05ab6733a618578af5f94892f3950\n";
    const QByteArray large = "XXH128 (Card A/large.cr2) = a8d2aaa87f9b2799fb45fcd49e8371b7\n";
    const QByteArray earlier = "XXH128 (old.jpg) = 0123456789abcdef0123456789abcdef\n";
    const QString cannot = "stopped: the checksum list is ";
    QTest::newRow("verified: the lines xxhsum checks, a sub-folder's path kept")
        << QStringList{"Card A/large.cr2=", "abc.jpg=abc", "empty.jpg="} << QByteArray() << true << false
        << large + abc + empty << QStringList{"copied 3"};
    QTest::newRow("finishing a run appends; a name with a line break is left out and said")
        << QStringList{"new\nline.jpg=abc", "abc.jpg=abc"} << earlier << true << false << earlier + abc
        << QStringList{"not listed: new\nline.jpg: its name holds a line break", "copied 2"};
    QTest::newRow("unverified, copied in place: not listed") << QStringList{"abc.jpg=abc"} << QByteArray() << false
                                                             << false << QByteArray() << QStringList{"copied 1"};
    QTest::newRow("unverified, read and written: listed") << QStringList{"abc.jpg=abc"} << QByteArray() << false
                                                          << true << abc << QStringList{"copied 1"};
    QTest::newRow("a list that is a link: nothing copied, nothing written through it")
        << QStringList{"abc.jpg=abc"} << QByteArray("->") << true << false << earlier
        << QStringList{cannot + "a link", "copied 0"};
    QTest::newRow("a list that is a folder") << QStringList{"abc.jpg=abc"} << QByteArray("/") << true << false
                                             << QByteArray() << QStringList{cannot + "not a file", "copied 0"};
}

void TestPkChecksumList::run()
{
    QFETCH(QStringList, pictures);
    QFETCH(QByteArray, before);
    QFETCH(bool, verify);
    QFETCH(bool, passThrough);

    const auto dir = testFolderWithSettings();
    const QString output = dir->filePath("pics/FilesFromSelection");
    const QString list = output + "/.pickwell-checksums.xxh128";
    QStringList names;
    for (const QString &picture : pictures) {
        names << picture.section('=', 0, 0);
        const QByteArray bytes = picture.endsWith("large.cr2=") ? largePicture() : picture.section('=', 1).toUtf8();
        writeTestFile(dir->filePath("pics/" + names.last()), bytes);
    }
    // A link points at an earlier run's list elsewhere, which must stay as it is.
    const QString target = writeTestFile(dir->filePath("elsewhere"), "XXH128 (old.jpg) = 0123456789abcdef0123456789abcdef\n");
    QVERIFY(QDir().mkpath(output));
    QVERIFY(before != "->" || QFile::link(target, list));
    QVERIFY(before != "/" || QDir().mkpath(list));
    if (!before.startsWith('-') && !before.startsWith('/') && !before.isEmpty())
        writeTestFile(list, before);

    PkFileReader reader;
    reader.setVerify(verify);
    QStringList events;
    connect(&reader, &PkFileReader::notListedSignal, this, [&events](const QString &name, const QString &why) {
        events << "not listed: " + name + ": " + why;
    });
    connect(&reader, &PkFileReader::copyStoppedSignal, this, [&events](const QString &why) { events << "stopped: " + why; });
    connect(&reader, &PkFileReader::copyFinishedSignal, this,
            [&events](int copied) { events << "copied " + QString::number(copied); });
    PkFileCopier::setFaultHook(passThrough ? refuseCopyInPlace : nullptr);
    reader.on_startCopyIntoSignal(names, dir->filePath("pics"), QString(), true);
    PkFileCopier::setFaultHook(nullptr);

    QTEST(events, "events");
    QFile written(before == "->" ? target : list);
    QVERIFY(before == "/" || written.open(QIODevice::ReadOnly));
    QTEST(written.readAll(), "after");
}

QTEST_GUILESS_MAIN(TestPkChecksumList)
#include "tst_pkchecksumlist.moc"
