// SPDX-License-Identifier: MIT

#include "pkrawpreview.h"
#include "pktestpictures.h"
#include "pkthumbnailreader.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = PkThumbnail::Kind;

// Every kind of file the review meets, made here, read at a 64-pixel box.
class TestPkThumbnailReader : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void dateTaken_data();
    void dateTaken();
    void fitted_data();
    void fitted();

private:
    QTemporaryDir dir;
};

namespace {

constexpr int box = 64;

// The quarter of quarters() whose colour is nearest, JPEG's blur allowed for.
int quarterAt(const QImage &image, int x, int y)
{
    const QColor seen = image.pixelColor(x, y);
    int best = -1, bestDistance = 1 << 30;
    for (int q = 0; q < 4; ++q) {
        const QColor c = PkTestPictures::quarterColor(q);
        const int d = qAbs(c.red() - seen.red()) + qAbs(c.green() - seen.green()) + qAbs(c.blue() - seen.blue());
        if (d < bestDistance) {
            best = q;
            bestDistance = d;
        }
    }
    return best;
}

QByteArray dngOf(int width, int height, int orientation)
{
    return PkTestPictures::dng(PkTestPictures::jpeg(PkTestPictures::quarters(width, height), 0),
                               QSize(width, height), orientation);
}

QByteArray rgbDngOf(int width, int height, int orientation)
{
    const QImage rgb = PkTestPictures::quarters(width, height).convertToFormat(QImage::Format_RGB888);
    QByteArray pixels;
    for (int y = 0; y < height; ++y)
        pixels.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), width * 3);
    return PkTestPictures::dng(pixels, QSize(width, height), orientation, true);
}

QByteArray pngOf(int width, int height)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    PkTestPictures::quarters(width, height).save(&buffer, "PNG");
    return bytes;
}

} // namespace

void TestPkThumbnailReader::read_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("size");
    // The quarters seen at the top left and at the bottom right, or -1.
    QTest::addColumn<int>("topLeft");
    QTest::addColumn<int>("bottomRight");
    QTest::addColumn<QString>("reason");

    using PkTestPictures::jpeg;
    using PkTestPictures::quarters;
    const int picture = int(Kind::Picture), broken = int(Kind::Broken);
    const QSize wide(64, 32), tall(32, 64);
    QTest::newRow("JPEG without orientation") << "a.jpg" << jpeg(quarters(400, 200), 0) << picture << wide << 0 << 3 << "";
    QTest::newRow("JPEG upright") << "b.JPG" << jpeg(quarters(400, 200), 1) << picture << wide << 0 << 3 << "";
    QTest::newRow("JPEG turned 180") << "c.jpg" << jpeg(quarters(400, 200), 3) << picture << wide << 3 << 0 << "";
    QTest::newRow("JPEG turned right") << "d.jpg" << jpeg(quarters(400, 200), 6) << picture << tall << 2 << 1 << "";
    QTest::newRow("JPEG turned left") << "e.jpeg" << jpeg(quarters(400, 200), 8) << picture << tall << 1 << 2 << "";
    QTest::newRow("PNG smaller than the box keeps its size") << "f.png" << pngOf(40, 20) << picture << QSize(40, 20) << 0 << 3 << "";
    QTest::newRow("DNG upright") << "g.dng" << dngOf(400, 200, 1) << picture << wide << 0 << 3 << "";
    QTest::newRow("DNG mirrored") << "h.DNG" << dngOf(400, 200, 2) << picture << wide << 1 << 2 << "";
    QTest::newRow("DNG turned 180") << "i.dng" << dngOf(400, 200, 3) << picture << wide << 3 << 0 << "";
    QTest::newRow("DNG mirrored upside down") << "j.dng" << dngOf(400, 200, 4) << picture << wide << 2 << 1 << "";
    QTest::newRow("DNG transposed") << "k.dng" << dngOf(400, 200, 5) << picture << tall << 0 << 3 << "";
    QTest::newRow("DNG turned right") << "l.dng" << dngOf(400, 200, 6) << picture << tall << 2 << 1 << "";
    QTest::newRow("DNG transversed") << "m.dng" << dngOf(400, 200, 7) << picture << tall << 3 << 0 << "";
    QTest::newRow("DNG turned left") << "n.dng" << dngOf(400, 200, 8) << picture << tall << 1 << 2 << "";
    QTest::newRow("DNG with an RGB preview") << "rgb.dng" << rgbDngOf(400, 200, 6) << picture << tall << 2 << 1 << "";
    QTest::newRow("DNG with a small preview") << "o.dng" << dngOf(40, 20, 1) << picture << QSize(40, 20) << 0 << 3 << "";
    QTest::newRow("DNG whose preview is not a JPEG") << "o2.dng" << PkTestPictures::dng(QByteArray(5000, 'x'), QSize(400, 200), 1) << broken << QSize(0, 0) << -1 << -1 << "";
    QTest::newRow("DNG without a preview") << "o3.dng" << PkTestPictures::dng(QByteArray(), QSize(0, 0), 1) << broken << QSize(0, 0) << -1 << -1 << "no preview";
    QTest::newRow("raw name, other content") << "p.CR2" << QByteArray(4096, '\0') << broken << QSize(0, 0) << -1 << -1 << "not a raw file";
    QTest::newRow("JPEG name, text content") << "q.jpg" << "not a picture"_ba << broken << QSize(0, 0) << -1 << -1 << "";
    QTest::newRow("truncated JPEG shows its top") << "r.jpg" << jpeg(quarters(400, 200), 0).left(3000) << picture << wide << 0 << -1 << "";
    QTest::newRow("text file") << "s.txt" << "IMG_0001"_ba << int(Kind::Other) << QSize(0, 0) << -1 << -1 << "";
    QTest::newRow("file without extension") << "README" << "x"_ba << int(Kind::Other) << QSize(0, 0) << -1 << -1 << "";
    QTest::newRow("vanished file") << "gone.jpg" << QByteArray() << broken << QSize(0, 0) << -1 << -1 << "no longer there";
}

void TestPkThumbnailReader::read()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(QSize, size);
    QFETCH(int, topLeft);
    QFETCH(int, bottomRight);
    QFETCH(QString, reason);

    const QString path = dir.filePath(name);
    if (!bytes.isEmpty())
        QVERIFY(PkTestPictures::write(path, bytes));
    const PkThumbnail thumbnail = PkThumbnailReader::read(path, box);
    QCOMPARE(int(thumbnail.kind), kind);
    QCOMPARE(thumbnail.image.size(), size);
    QCOMPARE(thumbnail.box, box);
    QCOMPARE(thumbnail.bytes, bytes.isEmpty() ? -1 : bytes.size());
    QVERIFY2(thumbnail.reason.contains(reason, Qt::CaseInsensitive), qPrintable(thumbnail.reason));
    QCOMPARE(thumbnail.reason.isEmpty(), kind != int(Kind::Broken));
    QVERIFY(!thumbnail.taken.isValid()); // none of these says when it was taken
    if (topLeft >= 0)
        QCOMPARE(quarterAt(thumbnail.image, 2, 2), topLeft);
    if (bottomRight >= 0)
        QCOMPARE(quarterAt(thumbnail.image, size.width() - 3, size.height() - 3), bottomRight);
}

void TestPkThumbnailReader::dateTaken_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QDateTime>("taken");
    const QImage image = PkTestPictures::quarters(16, 16);
    const QDateTime noon(QDate(2026, 6, 20), QTime(12, 30, 5));
    QTest::newRow("date taken") << PkTestPictures::jpeg(image, 1, 90, "2026:06:20 12:30:05") << noon;
    QTest::newRow("no EXIF block") << PkTestPictures::jpeg(image, 0) << QDateTime();
    QTest::newRow("EXIF block without a date") << PkTestPictures::jpeg(image, 6) << QDateTime();
    QTest::newRow("date that is no date") << PkTestPictures::jpeg(image, 1, 90, "2026:13:45 99:00:00") << QDateTime();
    QTest::newRow("date cut short") << PkTestPictures::jpeg(image, 1, 90, "2026:06:20") << QDateTime();
    QTest::newRow("not a JPEG") << pngOf(16, 16) << QDateTime();
    QTest::newRow("EXIF block cut off") << PkTestPictures::jpeg(image, 1, 90, "2026:06:20 12:30:05").left(60) << QDateTime();
}

// The date shows in the tooltip; a block that lies about its sizes must not
// be read beyond its end.
void TestPkThumbnailReader::dateTaken()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QDateTime, taken);
    const QString path = dir.filePath(u"dated.jpg"_s);
    QVERIFY(PkTestPictures::write(path, bytes));
    QCOMPARE(PkThumbnailReader::read(path, box).taken, taken);
}

void TestPkThumbnailReader::fitted_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("wide") << QSize(6000, 4000) << QSize(64, 42);
    QTest::newRow("tall") << QSize(4000, 6000) << QSize(42, 64);
    QTest::newRow("exactly the box") << QSize(64, 64) << QSize(64, 64);
    QTest::newRow("one side over") << QSize(65, 10) << QSize(64, 9);
    QTest::newRow("a sliver keeps a pixel") << QSize(10000, 2) << QSize(64, 1);
}

void TestPkThumbnailReader::fitted()
{
    QFETCH(QSize, size);
    QFETCH(QSize, expected);
    QCOMPARE(PkThumbnailReader::fitted(size, box), expected);
}

QTEST_GUILESS_MAIN(TestPkThumbnailReader)
#include "tst_pkthumbnailreader.moc"
