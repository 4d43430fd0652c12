// SPDX-License-Identifier: MIT

#include "pkpicturedecoder.h"
#include "pktestpictures.h"
#include "pkthumbnailcache.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Pass = PkPictureDecoder::Pass;

// The shared thumbnail cache, in a temporary $XDG_CACHE_HOME: what is
// written, and which entries are trusted.
class TestPkThumbnailCache : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void entryPath();
    void freshEntryIsRead();
    void changedFileIsDecodedAgain_data();
    void changedFileIsDecodedAgain();
    void unwritableCacheOnlyCostsSpeed();
    void largeBoxIsNotCached();
    void failureIsRemembered();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString picture;
};

namespace {

constexpr int box = 200; // read from and written to "large", 256 pixels

bool setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

// The entry painted blue (at size), its text kept: only a read entry shows blue.
void paintBlue(const QString &entry, QSize size = {})
{
    QImage image(entry);
    if (size.isValid())
        image = image.scaled(size);
    image.fill(Qt::blue);
    QVERIFY(image.save(entry));
}

} // namespace

void TestPkThumbnailCache::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY2(dir->isValid(), qPrintable(dir->errorString()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir->filePath(u"cache"_s)));
    picture = dir->filePath(u"IMG 1#.jpg"_s);
    QVERIFY(PkTestPictures::write(picture, PkTestPictures::jpeg(PkTestPictures::quarters(400, 200), 0)));
}

// File managers find the entry by the MD5 of the same URI, at the size of
// the smallest level that holds the box.
void TestPkThumbnailCache::entryPath()
{
    const QList<int> boxes = {1, 128, 129, 1000, 1025};
    QList<int> levels;
    for (int box : boxes)
        levels << PkThumbnailCache::levelFor(box);
    QCOMPARE(levels, (QList<int>{128, 128, 256, 1024, 0}));
    const QString path = u"/home/jens/photos/x y.jpg"_s;
    QCOMPARE(PkThumbnailCache::uri(path), u"file:///home/jens/photos/x%20y.jpg"_s);
    QCOMPARE(PkThumbnailCache::entryPath(path, 256), dir->filePath(u"cache/thumbnails/large/98a535b140d02437e25e8f4e416e2ec8.png"_s));
    QCOMPARE(PkThumbnailCache::entryPath(path, 1024).section(u'/', -2, -2), u"xx-large"_s);
    const QString failure = PkThumbnailCache::failurePath(path);
    QVERIFY2(failure.startsWith(dir->filePath(u"cache/thumbnails/fail/pickwell-"_s)), qPrintable(failure));
    QVERIFY(failure.endsWith(u"/98a535b140d02437e25e8f4e416e2ec8.png"_s));
}

void TestPkThumbnailCache::freshEntryIsRead()
{
    const PkThumbnail decoded = PkPictureDecoder::decode(picture, box, Pass::Full);
    QCOMPARE(decoded.image.size(), QSize(200, 100));
    const QString entry = PkThumbnailCache::entryPath(picture, 256);
    const QImage written(entry);
    QCOMPARE(written.size(), QSize(256, 128));
    QCOMPARE(written.text(u"Thumb::URI"_s), PkThumbnailCache::uri(picture));
    QCOMPARE(written.text(u"Thumb::MTime"_s), QString::number(QFileInfo(picture).lastModified().toSecsSinceEpoch()));
    QCOMPARE(QFile::permissions(entry) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(QFile::permissions(QFileInfo(entry).path()) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    paintBlue(entry);
    bool found = false;
    const PkThumbnail cached = PkPictureDecoder::decode(picture, box, Pass::Quick, &found);
    QVERIFY(found);
    QVERIFY(!cached.provisional);
    QCOMPARE(cached.image.size(), QSize(200, 100));
    QCOMPARE(cached.image.pixelColor(2, 2), QColor(Qt::blue));
}

void TestPkThumbnailCache::changedFileIsDecodedAgain_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("secondsLater");
    QTest::newRow("stale entry") << QByteArray() << QSize() << 10;
    QTest::newRow("truncated entry") << "\x89PNG\r\n\x1a\n\0\0"_ba << QSize() << 0;
    QTest::newRow("fresh entry wider than its level") << QByteArray() << QSize(300, 100) << 0;
    QTest::newRow("fresh entry taller than its level") << QByteArray() << QSize(100, 300) << 0;
}

// An entry whose file changed since, or that is no thumbnail, is ignored,
// and replaced when the picture is decoded again.
void TestPkThumbnailCache::changedFileIsDecodedAgain()
{
    QFETCH(QByteArray, entry);
    QFETCH(QSize, size);
    QFETCH(int, secondsLater);
    PkPictureDecoder::decode(picture, box, Pass::Full);
    const QString path = PkThumbnailCache::entryPath(picture, 256);
    paintBlue(path, size);
    if (!entry.isEmpty())
        QVERIFY(PkTestPictures::write(path, entry));
    const QDateTime modified = QFileInfo(picture).lastModified().addSecs(secondsLater);
    QVERIFY(setModified(picture, modified));
    bool found = true;
    PkPictureDecoder::decode(picture, box, Pass::Quick, &found);
    QVERIFY(!found);
    PkPictureDecoder::decode(picture, box, Pass::Full);
    QCOMPARE(QImage(path).text(u"Thumb::MTime"_s), QString::number(modified.toSecsSinceEpoch()));
    QVERIFY(PkPictureDecoder::decode(picture, box, Pass::Quick, &found).image.pixelColor(2, 2) != QColor(Qt::blue));
    QVERIFY(found);
}

// A regular file where the cache's folder should be: nothing is cached.
void TestPkThumbnailCache::unwritableCacheOnlyCostsSpeed()
{
    QVERIFY(PkTestPictures::write(dir->filePath(u"cache"_s), "not a folder"_ba));
    QCOMPARE(PkPictureDecoder::decode(picture, box, Pass::Full).image.size(), QSize(200, 100));
    bool found = true;
    PkPictureDecoder::decode(picture, box, Pass::Quick, &found);
    QVERIFY(!found);
}

// No level holds a look at the picture larger than 1024 pixels, nor a
// failure to make one: it may yet be made at a size that is kept.
void TestPkThumbnailCache::largeBoxIsNotCached()
{
    QCOMPARE(PkPictureDecoder::decode(picture, 1100, Pass::Full).image.size(), QSize(400, 200));
    const QString text = dir->filePath(u"notes.jpg"_s);
    QVERIFY(PkTestPictures::write(text, "not a picture"_ba));
    QCOMPARE(PkPictureDecoder::decode(text, 1100, Pass::Full).reason, u"Not a picture (13 bytes)"_s);
    QVERIFY(!QFileInfo::exists(dir->filePath(u"cache"_s)));
    // The decoder keeps the JPEG library's warnings to itself, and only those.
    QTest::ignoreMessage(QtWarningMsg, "a warning of another kind");
    qWarning("a warning of another kind");
}

// What cannot be made into a thumbnail is said at once the next time.
void TestPkThumbnailCache::failureIsRemembered()
{
    const QString text = dir->filePath(u"notes.jpg"_s);
    QVERIFY(PkTestPictures::write(text, "not a picture"_ba));
    QCOMPARE(PkPictureDecoder::decode(text, box, Pass::Full).reason, u"Not a picture (13 bytes)"_s);
    bool found = false;
    QCOMPARE(PkPictureDecoder::decode(text, box, Pass::Quick, &found).reason, u"Not a picture (13 bytes)"_s);
    QVERIFY(found);
    QVERIFY(setModified(text, QFileInfo(text).lastModified().addSecs(5)));
    PkPictureDecoder::decode(text, box, Pass::Quick, &found);
    QVERIFY(!found);
}

QTEST_GUILESS_MAIN(TestPkThumbnailCache)
#include "tst_pkthumbnailcache.moc"
