// SPDX-License-Identifier: MIT

#include "pkdecodermessage.h"
#include "pkexif.h"
#include "pkexivpreview.h"
#include "pkpicturedecoder.h"
#include "pktestpictures.h"

#include <QPainter>
#include <QtTest>

#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Kind = PkThumbnail::Kind;
using PkTestPictures::jpeg;
using PkTestPictures::quarters;

// The steps of making a thumbnail that need no file: fitting it to its box,
// reading a JPEG's EXIF block, trimming a thumbnail's black bars, the bound
// on the raw files exiv2 reads, and the frames and answers that come back
// from a decoder helper.
class TestPkThumbnailDecoding : public QObject
{
    Q_OBJECT

private slots:
    void fitted();
    void bars_data();
    void bars();
    void exif_data();
    void exif();
    void exivFileBound();
    void answerFromHelper_data();
    void answerFromHelper();
    void frames_data();
    void frames();
    void requests();
};

constexpr int box = 64;

void TestPkThumbnailDecoding::fitted()
{
    const QList<QSize> sizes = {{6000, 4000}, {4000, 6000}, {64, 64}, {65, 10}, {10, 65}, {10000, 2}};
    QList<QSize> fits;
    for (QSize size : sizes)
        fits << PkPictureDecoder::fitted(size, box);
    QCOMPARE(fits, (QList<QSize>{{64, 42}, {42, 64}, {64, 64}, {64, 9}, {9, 64}, {64, 1}}));
}

void TestPkThumbnailDecoding::bars_data()
{
    QTest::addColumn<QMargins>("bars"); // on a light 40 x 32 picture
    QTest::addColumn<int>("grey"); // of the bars
    QTest::addColumn<QPoint>("light"); // a white pixel, if any
    QTest::addColumn<QRect>("kept");
    QTest::addColumn<QSize>("picture"); // the size the thumbnail shows, where it is known
    const QPoint none(-1, -1);
    const QRect whole(0, 0, 40, 32);
    QTest::newRow("bars cut as deep as the shallower side") << QMargins(4, 3, 1, 2) << 0 << none << QRect(1, 2, 38, 28) << QSize();
    QTest::newRow("bars as light as dark goes") << QMargins(4, 3, 1, 2) << 63 << none << QRect(1, 2, 38, 28) << QSize();
    QTest::newRow("bars a step lighter are picture") << QMargins(4, 3, 1, 2) << 64 << none << whole << QSize();
    QTest::newRow("a light pixel in a bar row's first column") << QMargins(0, 3, 0, 0) << 0 << QPoint(0, 0) << whole << QSize();
    QTest::newRow("a light pixel in a bar row's last column") << QMargins(0, 3, 0, 0) << 0 << QPoint(39, 0) << whole << QSize();
    QTest::newRow("a light pixel in a bar column's first row") << QMargins(4, 0, 0, 0) << 0 << QPoint(0, 0) << whole << QSize();
    QTest::newRow("a light pixel in a bar column's last row") << QMargins(4, 0, 0, 0) << 0 << QPoint(0, 31) << whole << QSize();
    QTest::newRow("half the width kept") << QMargins(10, 0, 10, 0) << 0 << none << QRect(10, 0, 20, 32) << QSize();
    QTest::newRow("under half the width: no bars") << QMargins(12, 0, 13, 0) << 0 << none << whole << QSize();
    QTest::newRow("half the height kept") << QMargins(0, 8, 0, 8) << 0 << none << QRect(0, 8, 40, 16) << QSize();
    QTest::newRow("a third of the height: no bars") << QMargins(0, 10, 0, 10) << 0 << none << whole << QSize();
    QTest::newRow("dark all over") << QMargins(0, 32, 0, 0) << 0 << none << whole << QSize();
    // Known to show a 2:1 picture: 20 rows kept, the row next to each side unlooked at.
    const QRect wide(0, 6, 40, 20);
    for (const int row : {-1, 5, 26})
        QTest::addRow("the picture's size known, light in row %d", row) << QMargins(0, 6, 0, 6) << 0 << QPoint(0, row) << wide << QSize(400, 200);
    for (const int row : {0, 4, 27, 31})
        QTest::addRow("the picture's size known, light in bar row %d", row) << QMargins(0, 6, 0, 6) << 0 << QPoint(0, row) << whole << QSize(400, 200);
}

// Dark rows and columns at the edges are bars, as deep on each side as on
// the other, when a light picture lies between them, a picture at least
// half as wide and half as high.
void TestPkThumbnailDecoding::bars()
{
    QFETCH(QMargins, bars);
    QFETCH(int, grey);
    QFETCH(QPoint, light);
    QImage image(40, 32, QImage::Format_RGB32);
    image.fill(qRgb(grey, grey, grey));
    QPainter(&image).fillRect(image.rect().marginsRemoved(bars), QColor(200, 200, 200));
    if (light.y() >= 0)
        image.setPixel(light, qRgb(255, 255, 255));
    QFETCH(QRect, kept);
    QFETCH(QSize, picture);
    QCOMPARE(PkPictureDecoder::withoutBars(image, picture), image.copy(kept));
}

void TestPkThumbnailDecoding::exif_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QDateTime>("taken");
    QTest::addColumn<int>("orientation");
    const QImage image = quarters(16, 16);
    const QDateTime noon(QDate(2026, 6, 20), QTime(12, 30, 5));
    QTest::newRow("date taken") << jpeg(image, 3, 90, "2026:06:20 12:30:05") << noon << 3;
    QTest::newRow("EXIF block without a date") << jpeg(image, 6) << QDateTime() << 6;
    QTest::newRow("mirrored") << jpeg(image, 2) << QDateTime() << 2;
    QTest::newRow("orientation out of range") << jpeg(image, 9) << QDateTime() << 1;
    QTest::newRow("date cut short") << jpeg(image, 1, 90, "2026:06:20") << QDateTime() << 1;
    QTest::newRow("EXIF block cut off") << jpeg(image, 1, 90, "2026:06:20 12:30:05").left(60) << QDateTime() << 1;
}

// A block that lies about its sizes must not be read beyond its end.
void TestPkThumbnailDecoding::exif()
{
    QFETCH(QByteArray, bytes);
    const PkExif exif = PkExif::fromJpeg(bytes);
    QTEST(exif.taken, "taken");
    QTEST(exif.orientation, "orientation");
}

// A raw file past the bound is refused before exiv2 reads any of it.
void TestPkThumbnailDecoding::exivFileBound()
{
    QCOMPARE(PkExivPreview::decode(u"/none/a.cr3"_s, box, PkExivPreview::maxFileBytes, u"unread"_s).error, u"unread"_s);
    QCOMPARE(PkExivPreview::decode(u"/none/a.cr3"_s, box, PkExivPreview::maxFileBytes + 1, u"unread"_s).error, u"Too large to preview (250.0 MB)"_s);
}

// A helper may have been taken over by the file it decoded: its answer is
// checked before anything in it is used.
void TestPkThumbnailDecoding::answerFromHelper_data()
{
    QTest::addColumn<quint8>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("pixelBytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint8>("rating"); // the judgement's: -1 to 5
    QTest::newRow("picture") << quint8(Kind::Picture) << QSize(3, 2) << 24 << true << qint8(0);
    QTest::newRow("kind unknown") << quint8(3) << QSize(0, 0) << 0 << false << qint8(0);
    QTest::newRow("pixels missing") << quint8(Kind::Picture) << QSize(3, 2) << 20 << false << qint8(0);
    QTest::newRow("pixels left over") << quint8(Kind::Picture) << QSize(3, 2) << 28 << false << qint8(0);
    QTest::newRow("negative height") << quint8(Kind::Picture) << QSize(3, -2) << 0 << false << qint8(0);
    QTest::newRow("too wide") << quint8(Kind::Picture) << QSize(PkDecoderMessage::maxSide + 1, 1) << (PkDecoderMessage::maxSide + 1) * 4 << false << qint8(0);
    QTest::newRow("too tall") << quint8(Kind::Picture) << QSize(1, PkDecoderMessage::maxSide + 1) << (PkDecoderMessage::maxSide + 1) * 4 << false << qint8(0);
    QTest::newRow("widest") << quint8(Kind::Picture) << QSize(PkDecoderMessage::maxSide, 1) << PkDecoderMessage::maxSide * 4 << true << qint8(0);
    QTest::newRow("rejected") << quint8(Kind::Picture) << QSize(3, 2) << 24 << true << qint8(-1);
    QTest::newRow("five stars") << quint8(Kind::Picture) << QSize(3, 2) << 24 << true << qint8(5);
    QTest::newRow("six stars") << quint8(Kind::Picture) << QSize(3, 2) << 24 << false << qint8(6);
    QTest::newRow("below rejected") << quint8(Kind::Picture) << QSize(3, 2) << 24 << false << qint8(-2);
    QTest::newRow("tallest") << quint8(Kind::Picture) << QSize(1, PkDecoderMessage::maxSide) << PkDecoderMessage::maxSide * 4 << true << qint8(0);
}

void TestPkThumbnailDecoding::answerFromHelper()
{
    QFETCH(quint8, kind);
    QFETCH(QSize, size);
    QFETCH(int, pixelBytes);
    QFETCH(bool, valid);
    QFETCH(qint8, rating);
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << true << kind << qint32(box) << u"why"_s << qint64(7) << QDateTime() << false << false << true << rating
        << u"Red"_s << qint32(size.width()) << qint32(size.height());
    out.writeRawData(QByteArray(pixelBytes, '\x7f').constData(), pixelBytes);
    PkThumbnail thumbnail;
    bool found = false;
    QCOMPARE(PkDecoderMessage::readAnswer(frame, &thumbnail, &found), valid);
    if (valid)
        QVERIFY(thumbnail.image.size() == size && thumbnail.rating == rating && thumbnail.judged);
}

// A helper that stops or goes mid-answer gives no frame, and says which.
void TestPkThumbnailDecoding::frames_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("timedOut");
    const QByteArray tenBytes("\x0a\0\0\0", 4);
    QTest::newRow("whole frame") << tenBytes + "0123456789" << false << true << false;
    QTest::newRow("helper silent mid-frame") << tenBytes + "012" << false << false << true;
    QTest::newRow("helper gone mid-frame") << tenBytes + "012" << true << false << false;
    QTest::newRow("helper gone mid-length") << QByteArray("\x0a\0", 2) << true << false << false;
    QTest::newRow("an empty frame") << QByteArray(4, '\0') << false << true << false;
    QTest::newRow("a frame past the bound") << QByteArray("\x01\0\0\x10", 4) << true << false << false;
}

void TestPkThumbnailDecoding::frames()
{
    QFETCH(QByteArray, sent);
    QFETCH(bool, gone);
    int fds[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    QCOMPARE(::write(fds[1], sent.constData(), size_t(sent.size())), ssize_t(sent.size()));
    if (gone)
        ::close(fds[1]);
    QByteArray payload;
    bool timedOut = false;
    const bool read = PkDecoderMessage::readFrame(fds[0], &payload, 100, &timedOut);
    ::close(fds[0]);
    if (!gone)
        ::close(fds[1]);
    QTEST(read, "read");
    QTEST(timedOut, "timedOut");
    if (read)
        QCOMPARE(payload, sent.mid(4));
}

// The helper checks a request as the viewer checks an answer: a box of no
// size, or past the largest side, is refused.
void TestPkThumbnailDecoding::requests()
{
    for (const int side : {0, 1, PkDecoderMessage::maxSide, PkDecoderMessage::maxSide + 1}) {
        PkDecoderMessage::Request read, request;
        request.path = u"a.jpg"_s;
        request.box = side;
        request.pass = PkPictureDecoder::Pass::Quick;
        const QByteArray frame = PkDecoderMessage::request(request);
        QCOMPARE(PkDecoderMessage::readRequest(frame, &read), side >= 1 && side <= PkDecoderMessage::maxSide);
        QVERIFY(read.path == u"a.jpg"_s && read.box == side && read.pass == PkPictureDecoder::Pass::Quick);
    }
}

QTEST_GUILESS_MAIN(TestPkThumbnailDecoding)
#include "tst_pkthumbnaildecoding.moc"
