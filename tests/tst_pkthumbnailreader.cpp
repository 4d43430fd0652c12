// SPDX-License-Identifier: MIT

#include "pkdecoderpool.h"
#include "pkpreviewloader.h"
#include "pkreviewpreview.h"
#include "pkpicturedecoder.h"
#include "pktestpictures.h"
#include "pkthumbnailcache.h"
#include "pkthumbnailloader.h"
#include "pkthumbnailreader.h"

#include <QPainter>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>

using namespace Qt::StringLiterals;
using Kind = PkThumbnail::Kind;
using PkTestPictures::jpeg;
using PkTestPictures::quarters;

// Every kind of file the review meets, made here, read at a 64-pixel box in
// the decoder helpers (this test program serves as its own helper), and what
// the view sees of the loader: the file's own thumbnail first, then the
// decoded one.
class TestPkThumbnailReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void read_data();
    void read();
    void quickLook_data();
    void quickLook();
    void slowFileIsEnded();
    void previewMovesOn();
    void previewStandIn();
    void loaderQuickThenDecoded_data();
    void loaderQuickThenDecoded();
    void loaderOtherBox();
    void loaderTriesAgain();
    void loaderShownFirst_data();
    void loaderShownFirst();

private:
    QTemporaryDir dir;
};

namespace {

constexpr int box = 64;

// The quarter of quarters() whose colour is nearest, JPEG's blur allowed for.
int quarterAt(const QImage &image, int x, int y)
{
    const QColor seen = image.pixelColor(x, y);
    const auto distance = [&](const QColor &c) {
        return qAbs(c.red() - seen.red()) + qAbs(c.green() - seen.green()) + qAbs(c.blue() - seen.blue());
    };
    int best = 0;
    for (int q = 1; q < 4; ++q)
        best = distance(PkTestPictures::quarterColor(q)) < distance(PkTestPictures::quarterColor(best)) ? q : best;
    return best;
}

QByteArray dngOf(int width, int height, int orientation)
{
    return PkTestPictures::dng(jpeg(quarters(width, height), 0), QSize(width, height), orientation);
}

// A DNG of 400 x 200 whose second preview is of size, its quarters mirrored,
// or bytes where given.
QByteArray mediumDngOf(QSize size, int orientation = 1, const QByteArray &bytes = {})
{
    const QByteArray medium = bytes.isEmpty() ? jpeg(quarters(size.width(), size.height()).mirrored(true, false), 0) : bytes;
    return PkTestPictures::dng(jpeg(quarters(400, 200), 0), QSize(400, 200), orientation, 0, {}, {}, medium, size);
}

// width a multiple of 4, for rows without padding
QByteArray pixelDngOf(int width, int height, int orientation, int samples)
{
    const QImage image = quarters(width, height).convertToFormat(samples == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const QByteArray pixels(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    return PkTestPictures::dng(pixels, QSize(width, height), orientation, samples);
}

QByteArray pngOf(int width, int height, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    quarters(width, height).save(&buffer, format);
    return bytes;
}

// A thumbnail of frame's size, black but for the picture at picture, as
// cameras make them.
QByteArray letterboxed(QSize frame, QRect picture)
{
    QImage image(frame, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter(&image).drawImage(picture.topLeft(), quarters(picture.width(), picture.height()));
    return jpeg(image, 0);
}

// Files whose name starts with one of these are made as it says, or not at
// all; the size they should be said to have.
qint64 make(const QString &path, const QByteArray &bytes)
{
    const QString name = QFileInfo(path).fileName();
    if (name.startsWith("fifo"_L1))
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? -1 : -2;
    if (name.startsWith("folder"_L1))
        return QDir().mkdir(path) ? -1 : -2;
    if (name.startsWith("gone"_L1))
        return -1;
    if (name.startsWith("huge"_L1)) // its picture, then more zeros than a helper may hold, taking no room
        return PkTestPictures::write(path, bytes) && QFile::resize(path, 1'100'000'000) ? 1'100'000'000 : -2;
    return PkTestPictures::write(path, bytes) ? bytes.size() : -2;
}

} // namespace

// Nothing is written into the user's own thumbnail cache.
void TestPkThumbnailReader::initTestCase()
{
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(u"cache"_s)));
    qputenv("PICKWELL_DECODER_CRASH_ON", QFile::encodeName(dir.filePath(u"crash.jpg"_s)));
    qputenv("PICKWELL_DECODER_HOLD_ON", QFile::encodeName(dir.filePath(u"held.jpg"_s)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"held.jpg"_s), jpeg(quarters(400, 200), 0)));
}

void TestPkThumbnailReader::read_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("shown");
    // The quarters seen at the top left and at the bottom right, or -1.
    QTest::addColumn<int>("topLeft");
    QTest::addColumn<int>("bottomRight");
    QTest::addColumn<QString>("reason");

    const int picture = int(Kind::Picture), broken = int(Kind::Broken);
    const QSize wide(64, 32), tall(32, 64), none(0, 0);
    QTest::newRow("JPEG without orientation") << "a.jpg" << jpeg(quarters(400, 200), 0) << picture << wide << 0 << 3 << "";
    QTest::newRow("JPEG turned 180") << "c.jpg" << jpeg(quarters(400, 200), 3) << picture << wide << 3 << 0 << "";
    QTest::newRow("JPEG turned right") << "d.jpg" << jpeg(quarters(400, 200), 6) << picture << tall << 2 << 1 << "";
    QTest::newRow("PNG smaller than the box keeps its size") << "f.png" << pngOf(40, 20) << picture << QSize(40, 20) << 0 << 3 << "";
    QTest::newRow("PNG named as a JPEG") << "f2.jpg" << pngOf(40, 20) << picture << QSize(40, 20) << 0 << 3 << "";
    QTest::newRow("TIFF") << "t.tif" << pngOf(400, 200, "TIFF") << picture << wide << 0 << 3 << "";
    QTest::newRow("WebP, only its width over the box") << "w.webp" << pngOf(400, 40, "WEBP") << picture << QSize(64, 6) << 0 << 3 << "";
    QTest::newRow("DNG upright") << "g.dng" << dngOf(400, 200, 1) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG mirrored") << "h.DNG" << dngOf(400, 200, 2) << picture << wide << 1 << 2 << "";
    QTest::newRow("DNG transposed") << "k.dng" << dngOf(400, 200, 5) << picture << tall << 0 << 3 << "";
    QTest::newRow("DNG turned left") << "n.dng" << dngOf(400, 200, 8) << picture << tall << 1 << 2 << "";
    QTest::newRow("DNG with an RGB preview") << "rgb.dng" << pixelDngOf(400, 200, 6, 3) << picture << tall << 2 << 1 << "";
    QTest::newRow("DNG with a grey preview") << "grey.dng" << pixelDngOf(400, 200, 1, 1) << picture << wide << -1 << -1 << "";
    QTest::newRow("DNG with a small preview") << "o.dng" << dngOf(40, 20, 1) << picture << QSize(40, 20) << 0 << 3 << "";
    // The smallest preview that fills the box (128, the cache's) is decoded; its quarters are mirrored.
    QTest::newRow("DNG's medium preview filling the box") << "m1.dng" << mediumDngOf({200, 100}) << picture << wide << 1 << 2 << "";
    QTest::newRow("DNG's medium preview exactly the box") << "m2.dng" << mediumDngOf({128, 64}) << picture << wide << 1 << 2 << "";
    QTest::newRow("DNG's medium preview turned as the raw is") << "m3.dng" << mediumDngOf({200, 100}, 6) << picture << tall << 3 << 0 << "";
    QTest::newRow("DNG's medium preview below the box") << "m4.dng" << mediumDngOf({126, 63}) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG's medium preview of other proportions") << "m5.dng" << mediumDngOf({200, 160}) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG's second preview as large as the first") << "m6.dng" << mediumDngOf({400, 200}) << picture << wide << 0 << 3 << "";
    // A 200 x 100 JPEG may claim 3 x 200 x 100 bytes and 64 KB more (125536).
    QTest::newRow("DNG's medium preview claiming the most bytes its pixels take") << "m8.dng" << mediumDngOf({200, 100}, 1, jpeg(quarters(200, 100).mirrored(true, false), 0).leftJustified(125536, '\0')) << picture << wide << 1 << 2 << "";
    QTest::newRow("DNG's medium preview claiming a byte more") << "m9.dng" << mediumDngOf({200, 100}, 1, jpeg(quarters(200, 100).mirrored(true, false), 0).leftJustified(125537, '\0')) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG's medium preview damaged") << "m7.dng" << mediumDngOf({200, 100}, 1, jpeg(quarters(200, 100), 0).left(900)) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG whose preview is not a JPEG") << "o2.dng" << PkTestPictures::dng(QByteArray(5000, 'x'), QSize(400, 200), 1) << broken << none << -1 << -1 << "No preview in this raw file";
    QTest::newRow("truncated DNG shows its preview's top") << "o5.dng" << dngOf(400, 200, 1).left(1200) << picture << wide << 0 << -1 << "";
    QTest::newRow("DNG cut far before its preview's end") << "o6.dng" << PkTestPictures::dng(jpeg(PkTestPictures::scene(1, 1200, 800), 0), QSize(1200, 800), 1).left(2000) << broken << none << -1 << -1 << "No preview in this raw file";
    QTest::newRow("DNG without a preview") << "o3.dng" << PkTestPictures::dng(QByteArray(), QSize(0, 0), 1) << broken << none << -1 << -1 << "No preview in this raw file";
    QTest::newRow("JPEG larger than a helper's memory") << "huge.jpg" << jpeg(quarters(400, 200), 0) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG claiming a huge preview") << "o4.dng" << PkTestPictures::dng(jpeg(quarters(16, 16), 0), QSize(20000, 20000), 1) << broken << none << -1 << -1 << "Too large to preview (20000 x 20000)";
    QTest::newRow("raw name, other content") << "p.CR2" << QByteArray(4096, '\0') << broken << none << -1 << -1 << "Not a picture (4.0 kB)";
    QTest::newRow("raw of 15 bytes") << "p2.CR2" << QByteArray(15, 'x') << broken << none << -1 << -1 << "Not a picture (15 bytes)";
    QTest::newRow("CR3 shows its largest preview, not turned by the JPEG") << "taken.cr3" << PkTestPictures::cr3(jpeg(quarters(400, 200), 3), {400, 200}, 1, 0, "2026:06:20 12:30:05") << picture << wide << 0 << 3 << "";
    QTest::newRow("CR3 whose previews are HEIF") << "u.CR3" << PkTestPictures::cr3(jpeg(quarters(40, 20), 0), {40, 20}, 1, 1) << broken << none << -1 << -1 << "No JPEG preview in this raw file";
    QTest::newRow("CR3's preview claiming 2 GB gives way to its thumbnail") << "u2.cr3" << PkTestPictures::cr3(jpeg(quarters(40, 20), 0), {40, 20}, 1, 0, {}, 0x80000000) << picture << QSize(20, 10) << 0 << 3 << "";
    // A 40 x 20 JPEG may claim 3 x 40 x 20 bytes and 64 KB more (67936).
    QTest::newRow("CR3's preview claiming the most bytes its pixels take") << "u3.cr3" << PkTestPictures::cr3(jpeg(quarters(40, 20), 0).leftJustified(67936, '\0'), {40, 20}, 1) << picture << QSize(40, 20) << 0 << 3 << "";
    QTest::newRow("CR3's preview claiming a byte more") << "u4.cr3" << PkTestPictures::cr3(jpeg(quarters(40, 20), 0).leftJustified(67937, '\0'), {40, 20}, 1) << picture << QSize(20, 10) << 0 << 3 << "";
    QTest::newRow("CR3's preview not a JPEG gives way to its thumbnail") << "u6.cr3" << PkTestPictures::cr3(QByteArray(5000, 'x'), {400, 200}, 1) << picture << QSize(20, 10) << 0 << 3 << "";
    QTest::newRow("CR3 cut in a preview's box") << "u5.cr3" << PkTestPictures::cr3(jpeg(quarters(40, 20), 0), {40, 20}, 1).left(400) << broken << none << -1 << -1 << "Not a picture (400 bytes)";
    QTest::newRow("TIFF raw that LibRaw cannot open, turned") << "u6.nef" << PkTestPictures::tiffWithThumbnail(6, jpeg(quarters(40, 20), 0)) << picture << QSize(20, 40) << 2 << 1 << "";
    QTest::newRow("JPEG name, text content") << "q.jpg" << "not a picture"_ba << broken << none << -1 << -1 << "Not a picture (13 bytes)";
    QTest::newRow("empty JPEG") << "q2.jpg" << QByteArray() << broken << none << -1 << -1 << "Empty file";
    QTest::newRow("JPEG claiming 30000 x 30000") << "q3.jpg" << PkTestPictures::jpegClaiming(QSize(30000, 30000)) << broken << none << -1 << -1 << "Too large to preview (30000 x 30000)";
    QTest::newRow("truncated JPEG of exactly 200 megapixels") << "q5.jpg" << PkTestPictures::jpegClaiming(QSize(20000, 10000)) << picture << wide << -1 << -1 << "";
    QTest::newRow("JPEG cut short before its picture") << "q4.jpg" << jpeg(quarters(400, 200), 0).left(400) << broken << none << -1 << -1 << "Cut short";
    QTest::newRow("truncated JPEG shows its top") << "r.jpg" << jpeg(quarters(400, 200), 0).left(3000) << picture << wide << 0 << -1 << "";
    QTest::newRow("decoder crash") << "crash.jpg" << jpeg(quarters(400, 200), 0) << broken << none << -1 << -1 << "The picture decoder failed on this file";
    QTest::newRow("text file") << "s.txt" << "IMG_0001"_ba << int(Kind::Other) << none << -1 << -1 << "";
    QTest::newRow("vanished folder") << "q.jpg/gone.jpg" << QByteArray() << broken << none << -1 << -1 << "The file is no longer there";
    QTest::newRow("vanished file") << "gone.jpg" << QByteArray() << broken << none << -1 << -1 << "The file is no longer there";
    QTest::newRow("named pipe") << "fifo.jpg" << QByteArray() << broken << none << -1 << -1 << "Not a regular file (a named pipe)";
    QTest::newRow("folder") << "folder.jpg" << QByteArray() << broken << none << -1 << -1 << "Not a regular file (a folder)";
}

void TestPkThumbnailReader::read()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, shown);
    QFETCH(int, topLeft);
    QFETCH(int, bottomRight);

    const QString path = dir.filePath(name);
    const qint64 size = make(path, bytes);
    const PkThumbnail thumbnail = PkThumbnailReader::read(path, box);
    QTEST(thumbnail.reason, "reason");
    QTEST(int(thumbnail.kind), "kind");
    QCOMPARE(thumbnail.image.size(), shown);
    QCOMPARE(thumbnail.box, box);
    QCOMPARE(thumbnail.bytes, size);
    QCOMPARE(thumbnail.cutShort, QByteArray(QTest::currentDataTag()).startsWith("truncated"));
    QVERIFY(!thumbnail.provisional);
    // Only taken.cr3 says when it was taken.
    QCOMPARE(thumbnail.taken, name.startsWith("taken"_L1) ? QDateTime(QDate(2026, 6, 20), QTime(12, 30, 5)) : QDateTime());
    if (topLeft >= 0)
        QCOMPARE(quarterAt(thumbnail.image, 2, 2), topLeft);
    if (bottomRight >= 0)
        QCOMPARE(quarterAt(thumbnail.image, shown.width() - 3, shown.height() - 3), bottomRight);
}

void TestPkThumbnailReader::quickLook_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("provisional");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("topLeft");

    using PkTestPictures::jpegWithThumbnail;
    const QImage large = quarters(400, 200);
    QTest::newRow("thumbnail as wide as the box is final") << "a2.jpg" << jpegWithThumbnail(large, 1, jpeg(quarters(64, 32), 0)) << true << false << QSize(64, 32) << 0;
    // The picture's proportions say where a JPEG's thumbnail has its bars;
    // a raw file's thumbnail has them where it is dark, alike on both sides.
    QTest::newRow("black bars are cut away") << "c.jpg" << jpegWithThumbnail(large, 1, letterboxed({80, 72}, {0, 16, 80, 40})) << true << false << QSize(64, 32) << 0;
    QTest::newRow("bars of one line each") << "c1.jpg" << jpegWithThumbnail(large, 1, letterboxed({20, 12}, {0, 1, 20, 10})) << true << true << QSize(64, 32) << 0;
    QTest::newRow("dark edges of the picture stay") << "c3.jpg" << jpegWithThumbnail(quarters(400, 280), 1, letterboxed({80, 72}, {0, 16, 80, 40})) << true << false << QSize(64, 44) << -1;
    QTest::newRow("dark above alone is no bar") << "c4.jpg" << jpegWithThumbnail(large, 1, letterboxed({80, 56}, {0, 16, 80, 40})) << true << true << QSize(64, 44) << -1;
    QTest::newRow("dark below alone is no bar") << "c5.jpg" << jpegWithThumbnail(large, 1, letterboxed({80, 56}, {0, 0, 80, 40})) << true << true << QSize(64, 44) << 0;
    QTest::newRow("bars beside a tall picture") << "c6.jpg" << jpegWithThumbnail(quarters(200, 400), 1, letterboxed({40, 40}, {10, 0, 20, 40})) << true << true << QSize(32, 64) << 0;
    QTest::newRow("raw file's bars as deep on both sides") << "c7.cr2" << PkTestPictures::tiffWithThumbnail(1, letterboxed({80, 80}, {0, 24, 80, 40})) << true << false << QSize(64, 38) << -1;
    QTest::newRow("thumbnail turned, as tall as the box") << "d.jpg" << jpegWithThumbnail(large, 6, jpeg(quarters(64, 32), 0)) << true << false << QSize(32, 64) << 2;
    QTest::newRow("no thumbnail") << "f.jpg" << jpeg(large, 1) << false << false << QSize(0, 0) << -1;
    QTest::newRow("thumbnail that is no JPEG") << "g.jpg" << jpegWithThumbnail(large, 1, "no JPEG"_ba) << false << false << QSize(0, 0) << -1;
    QTest::newRow("raw file's small preview") << "h.cr2" << PkTestPictures::tiffWithThumbnail(8, jpeg(quarters(40, 20), 0)) << true << true << QSize(32, 64) << 1;
    QTest::newRow("raw file without a small preview") << "h.dng" << dngOf(400, 200, 1) << false << false << QSize(0, 0) << -1;
    // Within 5% of its picture's proportions, either way, a thumbnail is its picture's; beyond, it only stands in.
    for (const auto &[size, standsIn] : {std::pair(QSize(128, 62), false), {QSize(248, 128), false}, {QSize(128, 60), true}, {QSize(240, 128), true}})
        QTest::addRow("thumbnail of %dx%d for 2:1", size.width(), size.height()) << u"e%1.jpg"_s.arg(size.width() + size.height())
            << jpegWithThumbnail(large, 1, jpeg(quarters(size.width(), size.height()), 0)) << true << standsIn << size.scaled(64, 64, Qt::KeepAspectRatio) << 0;
    QTest::newRow("raw file's JPEG preview with a thumbnail of 4:3") << "e.dng" << PkTestPictures::dng(jpegWithThumbnail(large, 1, jpeg(quarters(80, 60), 0)), large.size(), 1) << true << true << QSize(64, 48) << 0;
    const QByteArray cameraJpeg = jpegWithThumbnail(large, 1, jpeg(quarters(80, 40), 0));
    QTest::newRow("thumbnail inside a raw file's JPEG preview, turned as the raw is") << "i.dng" << PkTestPictures::dng(cameraJpeg, large.size(), 6) << true << false << QSize(32, 64) << 2;
    QTest::newRow("raw file's preview without its first marker") << "i2.dng" << PkTestPictures::dng(QByteArray(2, '\0') + cameraJpeg.mid(2), large.size(), 6) << true << false << QSize(32, 64) << 2;
}

// The quick look shows the thumbnail the file carries, upright and without
// its bars, before anything is decoded.
void TestPkThumbnailReader::quickLook()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, topLeft);

    const QString path = dir.filePath(u"quick-"_s + name);
    QVERIFY(PkTestPictures::write(path, bytes));
    bool wasFound = false;
    const PkThumbnail thumbnail = PkPictureDecoder::decode(path, box, PkPictureDecoder::Pass::Quick, &wasFound);
    QTEST(wasFound, "found");
    QTEST(thumbnail.provisional, "provisional");
    QTEST(thumbnail.image.size(), "size");
    if (topLeft >= 0)
        QCOMPARE(quarterAt(thumbnail.image, 2, 2), topLeft);
}

// A file that keeps its decoder busy is ended at the deadline, and the next
// file gets a helper of its own; a closed window's requests are refused.
void TestPkThumbnailReader::slowFileIsEnded()
{
    const QString flood = dir.filePath(u"flood.jpg"_s), good = dir.filePath(u"good.jpg"_s);
    QVERIFY(PkTestPictures::write(flood, PkTestPictures::markerFlood(200000)));
    QVERIFY(PkTestPictures::write(good, jpeg(quarters(400, 200), 0)));
    PkDecoderPool::instance().setDeadline(300);
    const PkThumbnail slow = PkThumbnailReader::read(flood, box);
    PkDecoderPool::instance().setDeadline(PkDecoderPool::deadlineMs);
    QCOMPARE(slow.reason, u"Took too long to decode (over 0.3 s)"_s);
    QVERIFY(!QFileInfo::exists(PkThumbnailCache::failurePath(flood))); // the machine may have been busy
    QVERIFY(QFileInfo::exists(PkThumbnailCache::failurePath(dir.filePath(u"crash.jpg"_s)))); // read()'s crash is not tried again
    QCOMPARE(int(slow.kind), int(Kind::Broken));
    // A file that kept its helper working to the deadline is not tried
    // again: here, one that took a few milliseconds of processor time.
    PkDecoderPool::instance().setRememberedCpu(5);
    PkDecoderPool::instance().setDeadline(300);
    QCOMPARE(PkThumbnailReader::read(flood, box).reason, u"Took too long to decode (over 0.3 s)"_s);
    QVERIFY(QFileInfo::exists(PkThumbnailCache::failurePath(flood)));
    PkDecoderPool::instance().setDeadline(PkDecoderPool::deadlineMs);
    PkDecoderPool::instance().setRememberedCpu(PkDecoderPool::rememberedCpuMs);
    QCOMPARE(PkThumbnailReader::read(good, box).image.size(), QSize(64, 32));
    // A cancelled owner's requests are refused, and no one else's.
    PkThumbnailReader::cancel(this);
    QVERIFY(PkThumbnailReader::read(good, box, this).image.isNull());
    QVERIFY(!PkThumbnailReader::read(good, box).image.isNull());
    PkThumbnailReader::forget(this);
    QVERIFY(!PkThumbnailReader::read(good, box, this).image.isNull());
    // Idle helpers killed from outside are replaced: the picture comes all the same.
    for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        siginfo_t ended;
        if (stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") S " + QByteArray::number(::getpid()) + ' ') && ::kill(pid.toInt(), SIGKILL) == 0)
            ::waitid(P_PID, id_t(pid.toInt()), &ended, WEXITED | WNOWAIT);
    }
    QVERIFY(!PkThumbnailReader::read(good, box).image.isNull());
}

// Moving on from a large picture, or closing it, ends its decode at once: a
// file that holds its helper for good costs nothing.
void TestPkThumbnailReader::previewMovesOn()
{
    const QString held = dir.filePath(u"held.jpg"_s), good = dir.filePath(u"good.jpg"_s);
    QVERIFY(PkTestPictures::write(good, jpeg(quarters(400, 200), 0)));
    PkDecoderPool::instance().setDeadline(30000); // far past what QTRY waits
    {
        PkPreviewLoader loader;
        QSignalSpy loaded(&loader, &PkPreviewLoader::loaded);
        loader.load(held, 256);
        QTRY_VERIFY(PkDecoderPool::instance().isBusyFor(&loader));
        loader.load(good, 256);
        QTRY_COMPARE(loaded.count(), 1);
        QCOMPARE(loaded.first().first().toString(), good);
        QCOMPARE(loaded.first().last().value<PkThumbnail>().image.size(), QSize(256, 128));
        loader.load(held, 256);
        QTRY_VERIFY(PkDecoderPool::instance().isBusyFor(&loader));
    }
    PkDecoderPool::instance().setDeadline(PkDecoderPool::deadlineMs);
}

// Until the large picture is decoded (here, never), its thumbnail stands in, enlarged.
void TestPkThumbnailReader::previewStandIn()
{
    const QString held = dir.filePath(u"held.jpg"_s);
    PkThumbnail thumbnail;
    thumbnail.image = QImage(40, 20, QImage::Format_RGB32);
    thumbnail.image.fill(Qt::red);
    PkReviewPreview preview;
    preview.resize(400, 300);
    for (const PkThumbnail *standIn : std::initializer_list<const PkThumbnail *>{&thumbnail, nullptr}) {
        preview.showPicture(held, u"held"_s, {}, u"1 of 1"_s, standIn);
        QCOMPARE(preview.grab().toImage().pixelColor(200, 100) == QColor(Qt::red), standIn != nullptr);
        QVERIFY(!preview.hasPicture());
    }
}

void TestPkThumbnailReader::loaderQuickThenDecoded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<bool>>("provisional"); // of each loaded()
    QTest::addColumn<QSize>("size");
    using PkTestPictures::jpegWithThumbnail;
    const QImage picture = quarters(400, 200);
    QTest::newRow("small thumbnail, then the picture") << jpegWithThumbnail(picture, 1, jpeg(quarters(40, 20), 0)) << QList<bool>{true, false} << QSize(64, 32);
    QTest::newRow("thumbnail as large as the box") << jpegWithThumbnail(picture, 1, jpeg(quarters(80, 40), 0)) << QList<bool>{false} << QSize(64, 32);
    QTest::newRow("no thumbnail") << jpeg(picture, 1) << QList<bool>{false} << QSize(64, 32);
    QTest::newRow("empty file") << QByteArray() << QList<bool>{false} << QSize(0, 0);
}

void TestPkThumbnailReader::loaderQuickThenDecoded()
{
    QFETCH(QByteArray, bytes);
    const QString path = dir.filePath(u"loaded "_s + QString::fromLatin1(QTest::currentDataTag()) + u".jpg"_s);
    QVERIFY(PkTestPictures::write(path, bytes));
    PkThumbnailLoader loader;
    loader.setBox(64);
    QList<bool> seen;
    connect(&loader, &PkThumbnailLoader::loaded, this, [&](const QString &loaded) {
        seen << loader.thumbnail(loaded)->provisional;
    });
    loader.want({path});
    QVERIFY(!loader.isIdle());
    QTRY_VERIFY(loader.isIdle());
    QTEST(seen, "provisional");
    QVERIFY(loader.isCurrent(path));
    QTEST(loader.thumbnail(path)->image.size(), "size");
}

// A new size asks for thumbnails again; the old ones stay shown until the
// file's own thumbnail, then the decoded one, replace them.
void TestPkThumbnailReader::loaderOtherBox()
{
    const QString path = dir.filePath(u"resized.jpg"_s);
    QVERIFY(PkTestPictures::write(path, PkTestPictures::jpegWithThumbnail(quarters(400, 200), 1, jpeg(quarters(40, 20), 0))));
    PkThumbnailLoader loader;
    loader.setBox(32);
    loader.want({path});
    QTRY_VERIFY(loader.isCurrent(path));
    loader.setBox(box);
    QVERIFY(!loader.isCurrent(path));
    QCOMPARE(loader.thumbnail(path)->image.size(), QSize(32, 16));
    QList<bool> seen;
    connect(&loader, &PkThumbnailLoader::loaded, this, [&](const QString &loaded) {
        seen << loader.thumbnail(loaded)->provisional;
    });
    loader.want({path});
    QTRY_VERIFY(loader.isCurrent(path));
    QCOMPARE(seen, (QList<bool>{true, false}));
    QCOMPARE(loader.thumbnail(path)->image.size(), QSize(64, 32));
}

// Trying again forgets that a file could not be shown, also in the shared cache.
void TestPkThumbnailReader::loaderTriesAgain()
{
    const QString path = dir.filePath(u"tried.jpg"_s);
    QVERIFY(PkTestPictures::write(path, "not a picture"));
    PkThumbnailCache::storeFailure({path, QFileInfo(path).lastModified().toSecsSinceEpoch(), 13}, u"remembered"_s);
    PkThumbnailLoader loader;
    loader.setBox(box);
    for (const QString &reason : {u"remembered"_s, u"Not a picture (13 bytes)"_s}) {
        loader.want({path});
        QTRY_VERIFY(loader.isIdle());
        QCOMPARE(loader.thumbnail(path)->reason, reason);
        loader.tryAgain(path);
    }
}

void TestPkThumbnailReader::loaderShownFirst_data()
{
    QTest::addColumn<bool>("onScreen");
    QTest::newRow("shown, then the rest of the folder") << false;
    QTest::newRow("on screen, then the next screen") << true;
}

// What is on screen is decoded before the rest of a long folder, or the
// next screen, gets even its quick look.
void TestPkThumbnailReader::loaderShownFirst()
{
    QFETCH(bool, onScreen);
    const QString shown = dir.filePath(u"shown-%1.jpg"_s.arg(onScreen));
    QVERIFY(PkTestPictures::write(shown, jpeg(quarters(400, 200), 1)));
    const QString source = dir.filePath(u"later.jpg"_s);
    QVERIFY(PkTestPictures::write(source, PkTestPictures::jpegWithThumbnail(quarters(400, 200), 1, jpeg(quarters(40, 20), 0))));
    QList<QString> later;
    for (int i = 0; i < 200; ++i) {
        later << dir.filePath(u"later-%1-%2.jpg"_s.arg(onScreen).arg(i));
        QVERIFY(QFile::link(source, later.last()));
    }
    PkThumbnailLoader loader;
    loader.setBox(box);
    int before = -1, loadedLater = 0;
    connect(&loader, &PkThumbnailLoader::loaded, this, [&](const QString &path) {
        if (path == shown)
            before = loadedLater;
        else
            ++loadedLater;
    });
    if (onScreen)
        loader.want(QList<QString>{shown} + later, {}, 1);
    else
        loader.want({shown}, later);
    QTRY_VERIFY(before >= 0);
    QVERIFY2(before < 100, qPrintable(QString::number(before)));
    QTRY_VERIFY(loader.isIdle());
}

QTEST_MAIN(TestPkThumbnailReader)
#include "tst_pkthumbnailreader.moc"
