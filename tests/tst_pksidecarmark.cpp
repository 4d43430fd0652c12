// SPDX-License-Identifier: MIT

#include "pkdecoderpool.h"
#include "pkmarkchoice.h"
#include "pkmarkjob.h"
#include "pkwindowtest.h"
#include "pkxmppacket.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

#include <exiv2/exiv2.hpp>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

// Marks written into sidecars as catalogues, editors and culling tools
// write them, read back with the toolkit itself; sidecars that must be left
// as they are; and the program marking a job from the command line.
using namespace Qt::StringLiterals;

namespace {

const QByteArray head = R"(<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="Adobe XMP Core 7.0">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:xmpMM="http://ns.adobe.com/xap/1.0/mm/" xmlns:stEvt="http://ns.adobe.com/xap/1.0/sType/ResourceEvent#"
    xmlns:crs="http://ns.adobe.com/camera-raw-settings/1.0/" xmlns:lr="http://ns.adobe.com/lightroom/1.0/"
    xmlns:darktable="http://darktable.sf.net/" xmlns:photomechanic="http://ns.camerabits.com/photomechanic/1.0/")";
const QByteArray tail = "\n  </rdf:Description>\n </rdf:RDF>\n</x:xmpmeta>\n";

// A catalogue's develop settings, keywords, title and history.
const QByteArray catalogue = head + R"(
   xmp:Rating="3" xmp:Label="Blue" crs:Version="15.3" crs:Exposure2012="+0.35" crs:RawFileName="IMG_2403.CR2">
   <xmpMM:History><rdf:Seq>
    <rdf:li stEvt:action="saved" stEvt:instanceID="xmp.iid:1" stEvt:when="2024-06-01T10:12:00+02:00" stEvt:changed="/metadata"/>
    <rdf:li stEvt:action="derived" stEvt:parameters="converted from image/x-canon-cr2 to image/dng"/>
   </rdf:Seq></xmpMM:History>
   <dc:subject><rdf:Bag><rdf:li>Wedding</rdf:li><rdf:li>Picks</rdf:li></rdf:Bag></dc:subject>
   <lr:hierarchicalSubject><rdf:Bag><rdf:li>Events|Wedding</rdf:li><rdf:li>Other|Picks</rdf:li></rdf:Bag></lr:hierarchicalSubject>
   <crs:ToneCurvePV2012><rdf:Seq><rdf:li>0, 0</rdf:li><rdf:li>255, 255</rdf:li></rdf:Seq></crs:ToneCurvePV2012>
   <crs:Look><rdf:Description crs:Name="Adobe Color"><crs:Parameters><rdf:Description crs:Version="15.3"/></crs:Parameters></rdf:Description></crs:Look>
   <dc:title><rdf:Alt><rdf:li xml:lang="x-default">First dance</rdf:li><rdf:li xml:lang="de">Erster Tanz</rdf:li></rdf:Alt></dc:title>)"
    + tail;
// An open-source editor's history, with a qualified value of its own.
const QByteArray editor = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + head + R"(
   xmp:Rating="-1" xmpMM:DerivedFrom="IMG_2403.CR2" darktable:xmp_version="5" darktable:history_end="2">
   <darktable:history><rdf:Seq>
    <rdf:li darktable:num="0" darktable:operation="exposure" darktable:enabled="1" darktable:params="0000000000000000"/>
    <rdf:li darktable:num="1" darktable:operation="colorin" darktable:enabled="1" darktable:params="gz48eJxjZBgFo2AU0AsAAAQQAAE="/>
   </rdf:Seq></darktable:history>
   <darktable:masks rdf:parseType="Resource"><rdf:value>3</rdf:value><darktable:unit>px</darktable:unit></darktable:masks>)"
    + tail;
// A culling tool's tag and colour class, in a packet wrapper.
const QByteArray culling = "<?xpacket begin=\"\xef\xbb\xbf\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n" + head + R"(
   photomechanic:ColorClass="2" photomechanic:Tagged="True" photomechanic:Prefs="1:2:3:-00001" xmp:Rating="0">)"
    + tail + "<?xpacket end=\"w\"?>";

// Every property as the toolkit reads it, "key = value", in a fixed order.
QStringList properties(const QByteArray &packet)
{
    Exiv2::XmpData data;
    if (Exiv2::XmpParser::decode(data, packet.toStdString()) != 0)
        return {u"undecodable"_s};
    QStringList all;
    for (const Exiv2::Xmpdatum &datum : data)
        all << QString::fromStdString(datum.key() + " = " + datum.toString());
    all.sort();
    return all;
}

PkXmpPacket::Edit edit(const QString &keyword, const QString &label = {}, bool remove = false)
{
    return {keyword, label, remove};
}

PkSidecarWriter direct(const QString &folder)
{
    return PkSidecarWriter(folder, [](const QString &, const QByteArray &old, const PkXmpPacket::Edit &change) {
        return PkXmpPacket::apply(old, change);
    });
}

} // namespace

class TestPkSidecarMark : public QObject
{
    Q_OBJECT

    // Helpers learn at their start which sidecar to crash on.
    QTemporaryDir crashing;

private slots:
    void initTestCase() { qputenv("PICKWELL_DECODER_CRASH_ON", crashing.filePath(u"IMG_2403.xmp"_s).toUtf8()); }
    void roundTrip_data();
    void roundTrip();
    void leftAsItIs_data();
    void leftAsItIs();
    void plan_data();
    void plan();
    void job();
    void created_data();
    void created();
    void commandLine_data();
    void commandLine();
    void window();
};

void TestPkSidecarMark::roundTrip_data()
{
    QTest::addColumn<QByteArray>("sidecar");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("added"); // properties as they read once marked
    QTest::addColumn<QStringList>("gone");  // properties the mark replaces

    const QStringList flat{u"Xmp.dc.subject = Wedding, Picks, Client"_s};
    QTest::newRow("catalogue, flat") << catalogue << u"Client"_s << flat << QStringList{u"Xmp.dc.subject = Wedding, Picks"_s};
    // The leaf is there already, for another hierarchy: only the path is added.
    QTest::newRow("catalogue, hierarchical") << catalogue << u"Client|Picks"_s
        << QStringList{u"Xmp.lr.hierarchicalSubject = Events|Wedding, Other|Picks, Client|Picks"_s}
        << QStringList{u"Xmp.lr.hierarchicalSubject = Events|Wedding, Other|Picks"_s};
    QTest::newRow("editor") << editor << u"Jobs|2024|Client"_s
        << QStringList{u"Xmp.dc.subject = Client"_s, u"Xmp.lr.hierarchicalSubject = Jobs|2024|Client"_s} << QStringList();
    QTest::newRow("culling tool") << culling << u"Client"_s << QStringList{u"Xmp.dc.subject = Client"_s} << QStringList();
    QTest::newRow("new sidecar") << QByteArray() << u"a|b"_s
        << QStringList{u"Xmp.dc.subject = b"_s, u"Xmp.lr.hierarchicalSubject = a|b"_s} << QStringList();
}

// Marked, read back, marked again (nothing changes) and unmarked: what the
// sidecar held before comes back whole.
void TestPkSidecarMark::roundTrip()
{
    QFETCH(QByteArray, sidecar);
    QFETCH(QString, keyword);
    QFETCH(QStringList, added);
    QFETCH(QStringList, gone);
    const PkXmpPacket::Result marked = PkXmpPacket::apply(sidecar, edit(keyword));
    QVERIFY2(marked.error.isEmpty(), qPrintable(marked.error));
    QVERIFY(marked.changed());
    QStringList expected = properties(sidecar.isEmpty() ? head + ">" + tail : sidecar) + added;
    for (const QString &property : gone)
        expected.removeOne(property);
    expected.sort();
    QCOMPARE(properties(marked.packet), expected);
    QCOMPARE(marked.packet.startsWith("<?xpacket"), sidecar.startsWith("<?xpacket"));
    QCOMPARE(PkXmpPacket::judgement(marked.packet).rating, PkXmpPacket::judgement(sidecar).rating);

    const PkXmpPacket::Result again = PkXmpPacket::apply(marked.packet, edit(keyword));
    QVERIFY(!again.changed() && again.packet.isEmpty() && again.error.isEmpty());
    const PkXmpPacket::Result unmarked = PkXmpPacket::apply(marked.packet, edit(keyword, {}, true));
    QVERIFY(unmarked.changed());
    QCOMPARE(properties(unmarked.packet), properties(sidecar.isEmpty() ? head + ">" + tail : sidecar));

    // A label is set with the mark, and taken off only where it is the one asked for.
    const PkXmpPacket::Result labelled = PkXmpPacket::apply(sidecar, edit(keyword, u"Red"_s));
    QCOMPARE(PkXmpPacket::judgement(labelled.packet).label, u"Red"_s);
    const QByteArray other = PkXmpPacket::apply(labelled.packet, edit(keyword, u"Green"_s, true)).packet;
    QCOMPARE(PkXmpPacket::judgement(other).label, u"Red"_s);
    const QByteArray off = PkXmpPacket::apply(labelled.packet, edit(keyword, u"Red"_s, true)).packet;
    QVERIFY(!properties(off).join(u'\n').contains(u"Xmp.xmp.Label"_s));
}

void TestPkSidecarMark::leftAsItIs_data()
{
    QTest::addColumn<QByteArray>("sidecar");
    QTest::addColumn<QString>("kind"); // how the file is made: bytes, link, read-only, folder, huge, full, crash
    QTest::addColumn<QString>("reason");

    QTest::newRow("not XML") << QByteArray("garbage <<") << u"bytes"_s << u"not XMP"_s;
    QTest::newRow("XML, not XMP") << QByteArray("<html><body>hi</body></html>") << u"bytes"_s << u"not XMP"_s;
    QTest::newRow("empty") << QByteArray() << u"bytes"_s << u"not XMP"_s;
    QByteArray entities = "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e0 \"lol\">";
    for (int level = 1; level < 10; ++level)
        entities += "<!ENTITY e" + QByteArray::number(level) + " \"" + ("&e" + QByteArray::number(level - 1) + ";").repeated(10) + "\">";
    QTest::newRow("entity expansion") << entities + "]><x>&e9;</x>" << u"bytes"_s << u"not XMP"_s;
    QTest::newRow("deeply nested") << QByteArray(head + ">" + QByteArray("<dc:a rdf:parseType=\"Resource\">").repeated(20000) + QByteArray("</dc:a>").repeated(20000) + tail) << u"bytes"_s << u"not XMP"_s;
    QTest::newRow("another picture's") << QByteArray(head + " crs:RawFileName=\"IMG_9999.CR2\">" + tail) << u"bytes"_s
        << u"the sidecar of IMG_9999.CR2"_s;
    QTest::newRow("keywords not a list") << QByteArray(head + "><dc:subject rdf:parseType=\"Resource\"><dc:x>1</dc:x></dc:subject>" + tail) << u"bytes"_s << u"its dc:subject is not a list"_s;
    QTest::newRow("link") << catalogue << u"link"_s << u"a link, never written through"_s;
    QTest::newRow("read-only") << catalogue << u"read-only"_s << u"read-only"_s;
    QTest::newRow("folder") << QByteArray() << u"folder"_s << u"not a regular file"_s;
    QTest::newRow("huge") << QByteArray() << u"huge"_s << u"larger than 32 MB, too large for a sidecar"_s;
    QTest::newRow("a drive that takes no more") << catalogue << u"full"_s << qt_error_string(EFBIG);
    QTest::newRow("the reader crashes") << catalogue << u"crash"_s << u"the XMP reader failed on it"_s;
}

// Each is reported with its reason, and neither it nor anything beside it
// changes; no temporary is left.
void TestPkSidecarMark::leftAsItIs()
{
    QFETCH(QByteArray, sidecar);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    QDir dir(kind == u"crash"_s ? crashing.path() : scratch.path());
    const QString path = dir.filePath(u"IMG_2403.xmp"_s);
    const QString real = kind == u"link"_s ? dir.filePath(u"elsewhere.xmp"_s) : path;
    QFile file(real);
    QVERIFY(kind == u"folder"_s ? dir.mkdir(u"IMG_2403.xmp"_s) : file.open(QIODevice::WriteOnly) && file.write(sidecar) == sidecar.size());
    file.close();
    if (kind == u"huge"_s)
        QVERIFY(file.resize(PkXmpPacket::maxBytes + 1));
    if (kind == u"link"_s)
        QVERIFY(QFile::link(real, path));
    if (kind == u"read-only"_s)
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup));
    // A file size limit stands for a full drive, for root too.
    rlimit unlimited;
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit small{100, unlimited.rlim_max};
    ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, kind == u"full"_s ? &small : &unlimited);
    const bool pooled = kind == u"crash"_s || QTest::currentDataTag() == "deeply nested"_ba;
    const PkSidecarWriter writer = pooled ? PkSidecarWriter(dir.path()) : direct(dir.path());
    const PkSidecarWriter::Result result = writer.mark({u"IMG_2403.xmp"_s, true, u"IMG_2403"_s, {u"IMG_2403.CR2"_s}}, edit(u"Client"_s), false);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.outcome, PkSidecarWriter::Outcome::Refused);
    if (file.open(QIODevice::ReadOnly))
        QCOMPARE(file.size() > PkXmpPacket::maxBytes ? QByteArray() : file.readAll(), sidecar);
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), kind == u"link"_s ? 2 : 1);
}

void TestPkSidecarMark::plan_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("sidecars"); // "+" before one to create
    QTest::addColumn<QStringList>("copied");   // the files once those are created

    QTest::newRow("raw and JPEG") << QStringList{u"IMG_1.CR2"_s, u"IMG_1.JPG"_s} << QStringList{u"+IMG_1.xmp"_s}
                                  << QStringList{u"IMG_1.CR2"_s, u"IMG_1.JPG"_s, u"IMG_1.xmp"_s};
    QTest::newRow("JPEG alone") << QStringList{u"IMG_1.JPG"_s, u"IMG_2.jpg"_s} << QStringList{u"+IMG_1.JPG.xmp"_s, u"+IMG_2.jpg.xmp"_s}
                                << QStringList{u"IMG_1.JPG"_s, u"IMG_1.JPG.xmp"_s, u"IMG_2.jpg"_s, u"IMG_2.jpg.xmp"_s};
    QTest::newRow("both namings") << QStringList{u"IMG_1.CR2"_s, u"IMG_1.CR2.xmp"_s, u"IMG_1.XMP"_s}
                                  << QStringList{u"IMG_1.CR2.xmp"_s, u"IMG_1.XMP"_s} << QStringList{u"IMG_1.CR2"_s, u"IMG_1.CR2.xmp"_s, u"IMG_1.XMP"_s};
    QTest::newRow("two cards") << QStringList{u"A/IMG_1.CR2"_s, u"B/IMG_1.CR2"_s, u"B/IMG_1.xmp"_s}
                               << QStringList{u"+A/IMG_1.xmp"_s, u"B/IMG_1.xmp"_s} << QStringList{u"A/IMG_1.CR2"_s, u"A/IMG_1.xmp"_s, u"B/IMG_1.CR2"_s, u"B/IMG_1.xmp"_s};
}

void TestPkSidecarMark::plan()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, sidecars);
    QFETCH(QStringList, copied);
    const QList<PkSidecarTarget> targets = PkSidecarPlan::plan(files);
    QStringList planned;
    for (const PkSidecarTarget &target : targets)
        planned << (target.exists ? QString() : u"+"_s) + target.sidecar;
    QCOMPARE(planned, sidecars);
    QList<PkSidecarTarget> created;
    std::copy_if(targets.cbegin(), targets.cend(), std::back_inserter(created), [](const auto &t) { return !t.exists; });
    QCOMPARE(PkSidecarPlan::withCreated(files, created), copied);
}

// A sidecar replaced keeps its mode; a folder that cannot take sidecars
// refuses the whole job before one is written.
void TestPkSidecarMark::job()
{
    QTemporaryDir dir;
    QFile old(dir.filePath(u"IMG_1.xmp"_s));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(culling) == culling.size());
    old.close();
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(old.setPermissions(mode));
    const QList<QString> files{u"IMG_1.CR2"_s, u"IMG_1.xmp"_s, u"gone/IMG_2.CR2"_s};
    const PkMarkJob::Report refused = PkMarkJob::run(direct(dir.path()), files, edit(u"a"_s), false);
    QCOMPARE(refused.refusal, u"gone: "_s + qt_error_string(ENOENT));
    QCOMPARE(refused.changed + refused.created, 0);
    const PkMarkJob::Report report = PkMarkJob::run(direct(dir.path()), files.mid(0, 2), edit(u"a"_s), false);
    QVERIFY(report.refusal.isEmpty() && report.changed == 1 && report.created == 0);
    QCOMPARE(QFile::permissions(old.fileName()) & ~(QFile::ReadUser | QFile::WriteUser), mode);
    QVERIFY(old.open(QIODevice::ReadOnly) && properties(old.readAll()).contains(u"Xmp.dc.subject = a"_s));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    // Named after a whole file name, a raw's sidecar is its own: a DNG of
    // the same name shares nothing.
    QVERIFY(QFile::copy(old.fileName(), dir.filePath(u"IMG_3.CR2.xmp"_s)));
    const QList<QString> third{u"IMG_3.CR2"_s, u"IMG_3.CR2.xmp"_s, u"IMG_3.DNG"_s};
    const PkMarkJob::Report own = PkMarkJob::run(direct(dir.path()), third, edit(u"b"_s), true);
    QVERIFY(own.changed == 1 && own.shared.isEmpty());
}

// A new sidecar never takes the place of a file: where the file system has
// no exclusive rename, a hard link stands in for it.
void TestPkSidecarMark::created_data()
{
    QTest::addColumn<int>("error"); // what the exclusive rename answers
    QTest::addColumn<QString>("reason");
    QTest::newRow("renamed") << 0 << QString();
    for (const int error : {EINVAL, ENOSYS, ENOTSUP})
        QTest::newRow(qPrintable(u"linked after "_s + qt_error_string(error))) << error << QString();
    QTest::newRow("a file appeared") << int(EEXIST) << u"a file of its name appeared while it was marked"_s;
    QTest::newRow("a failing drive") << int(EIO) << qt_error_string(EIO);
}

void TestPkSidecarMark::created()
{
    QFETCH(int, error);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    PkSidecarWriter::setRenameFault(error);
    const PkSidecarWriter::Result result = direct(dir.path()).mark({u"IMG_1.JPG.xmp"_s, false, u"IMG_1"_s, {u"IMG_1.JPG"_s}}, edit(u"a"_s), false);
    PkSidecarWriter::setRenameFault(0);
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.outcome, reason.isEmpty() ? PkSidecarWriter::Outcome::Created : PkSidecarWriter::Outcome::Refused);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), reason.isEmpty() ? QStringList{u"IMG_1.JPG.xmp"_s} : QStringList());
}

void TestPkSidecarMark::commandLine_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("output"); // stdout, stderr and the exit status
    QTest::addColumn<QStringList>("marked"); // the sidecars' keywords afterwards
    QTest::addColumn<QStringList>("copies");

    const QStringList none{u"IMG_1.CR2.xmp: "_s, u"IMG_2.xmp: Old"_s, u"IMG_3.xmp: "_s};
    const QByteArray summary = "3 identifiers, 6 files to copy, 0 not found\n";
    QTest::newRow("mark and copy") << u"--mark Jobs|Client"_s
        << summary + "note: IMG_3.xmp: one sidecar for IMG_3.CR2 and IMG_3.DNG\nmarked in 2 sidecars (1 new), 1 left as it is\ncopied 7 of 7, verified\n"
           "mark: IMG_1.CR2.xmp: not XMP; left as it is\nexit 5"
        << QStringList{u"IMG_1.CR2.xmp: "_s, u"IMG_2.xmp: Old, Client"_s, u"IMG_3.xmp: Client"_s}
        << QStringList{u"IMG_1.CR2"_s, u"IMG_1.CR2.xmp"_s, u"IMG_2.CR2"_s, u"IMG_2.xmp"_s, u"IMG_3.CR2"_s, u"IMG_3.DNG"_s, u"IMG_3.xmp"_s};
    QTest::newRow("dry run, marking only") << u"--unmark Old --no-copy --dry-run"_s
        << "job/IMG_2.xmp\n" + summary + "mark: IMG_1.CR2.xmp: not XMP; left as it is\nmark: IMG_2.xmp\nwould unmark in 1 sidecar, 1 not marked, 1 left as it is\nexit 5"
        << none << QStringList();
    QTest::newRow("control character") << u"--mark a\tb"_s
        << QByteArray("pickwell: Cannot mark: the keyword holds a control character. See pickwell --help.\nexit 2") << none << QStringList();
    QTest::newRow("empty level") << u"--mark a||b"_s
        << QByteArray("pickwell: Cannot mark: a level of the keyword is empty, or begins or ends with a space. See pickwell --help.\nexit 2")
        << none << QStringList();
    QTest::newRow("long label") << u"--mark a --label "_s + QString(10000, u'x')
        << QByteArray("pickwell: Cannot mark: the label is longer than 100 characters. See pickwell --help.\nexit 2") << none << QStringList();
    QTest::newRow("label alone") << u"--label Red"_s
        << QByteArray("pickwell: --label needs --mark or --unmark. See pickwell --help.\nexit 2") << none << QStringList();
}

void TestPkSidecarMark::commandLine()
{
    QFETCH(QString, arguments);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"job"_s));
    const auto write = [&dir](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(u"job/"_s + name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    const QByteArray old = head + "><dc:subject><rdf:Bag><rdf:li>Old</rdf:li></rdf:Bag></dc:subject>" + tail;
    QVERIFY(write(u"IMG_1.CR2"_s, "r") && write(u"IMG_1.CR2.xmp"_s, "<html/>") && write(u"IMG_2.CR2"_s, "r") && write(u"IMG_2.xmp"_s, old));
    QVERIFY(write(u"IMG_3.CR2"_s, "r") && write(u"IMG_3.DNG"_s, "d") && write(u"picks.txt"_s, "1\n2\n3\n"));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(PICKWELL_PROGRAM), QStringList{u"--list"_s, u"job/picks.txt"_s, u"--folder"_s, u"job"_s}
                  + arguments.split(u' '));
    QVERIFY(process.waitForFinished(60000));
    const QByteArray got = process.readAllStandardOutput() + process.readAllStandardError();
    QFETCH(QByteArray, output);
    QCOMPARE(got + "exit " + QByteArray::number(process.exitCode()), output);
    QStringList sidecars;
    for (const QString &name : {u"IMG_1.CR2.xmp"_s, u"IMG_2.xmp"_s, u"IMG_3.xmp"_s}) {
        QFile file(dir.filePath(u"job/"_s + name));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const QStringList all = bytes.startsWith("<html") ? QStringList() : properties(bytes);
        const QStringList subject = all.filter(u"Xmp.dc.subject"_s);
        sidecars << name + u": "_s + subject.value(0).section(u" = "_s, 1);
    }
    QFETCH(QStringList, marked);
    QCOMPARE(sidecars, marked);
    QFETCH(QStringList, copies);
    QCOMPARE(QDir(dir.filePath(u"job/FilesFromSelection"_s)).entryList(QDir::Files), copies);
}

// The window marks what a run would copy, says what it did, and matches
// again so that the sidecars it created are copied too.
void TestPkSidecarMark::window()
{
    const auto settings = testFolderWithSettings();
    const QString pictures = makeTestFolder(settings->filePath(u"job"_s), {u"IMG_1.CR2"_s, u"IMG_1.JPG"_s, u"IMG_2.JPG"_s});
    MainWindow window;
    chooseFolder(window, pictures);
    chooseList(window, writeTestFile(settings->filePath(u"picks.txt"_s), "1\n2\n"));
    PkMarkChoice *choice = window.findChild<PkMarkChoice *>();
    QString told;
    choice->askHook = [](PkXmpPacket::Edit *edit) { edit->keyword = u"Client"_s; return true; };
    choice->tellHook = [&told](const QString &text) { told = text; };
    const QList<QAction *> actions = tile(window, ToCopyTile)->actions();
    const auto action = [&actions](const QString &text) {
        return *std::find_if(actions.cbegin(), actions.cend(), [&text](QAction *a) { return a->text() == text; });
    };
    QVERIFY(action(u"Mark picks in the sidecars\u2026"_s)->isEnabled());
    action(u"Mark picks in the sidecars\u2026"_s)->trigger();
    QTRY_COMPARE(told, u"Marked in 2 sidecars (2 new)."_s);
    settle(window);
    QTRY_COMPARE(tile(window, ToCopyTile)->getMainText(), u"5"_s);
    action(u"Remove the mark\u2026"_s)->trigger();
    QTRY_COMPARE(told, u"The mark was taken off in 2 sidecars."_s);
    action(u"Mark picks in the sidecars\u2026"_s)->trigger();
    QTRY_COMPARE(told, u"Marked in 2 sidecars."_s);
    // Asked in its dialog, the keyword typed there is marked and offered next time.
    choice->askHook = nullptr;
    told.clear();
    QTimer::singleShot(0, this, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        for (QLineEdit *edit : dialog->findChildren<QLineEdit *>())
            edit->setText(edit->placeholderText().isEmpty() ? QString() : u"Client"_s);
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text() == u"Mark"_s)
                button->click();
        }
    });
    action(u"Mark picks in the sidecars\u2026"_s)->trigger();
    QTRY_COMPARE(told, u"Marked in 0 sidecars; 2 had it already."_s);
    QCOMPARE(QSettings().value(u"marks/keyword"_s).toString(), u"Client"_s);
}

QTEST_MAIN(TestPkSidecarMark)
#include "tst_pksidecarmark.moc"
