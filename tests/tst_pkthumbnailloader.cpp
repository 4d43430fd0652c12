// SPDX-License-Identifier: MIT

#include "pkdecoderpool.h"
#include "pktestpictures.h"
#include "pkthumbnailloader.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using PkTestPictures::jpeg;
using PkTestPictures::quarters;

// What the view sees of the loader: a quick thumbnail first where the file
// carries one, then the decoded one.
class TestPkThumbnailLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void quickThenDecoded_data();
    void quickThenDecoded();
    void otherBoxMakesThemAgain();
    void cancelledOwnerIsRefused();

private:
    QTemporaryDir dir;
};

void TestPkThumbnailLoader::initTestCase()
{
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(u"cache"_s)));
}

void TestPkThumbnailLoader::quickThenDecoded_data()
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

void TestPkThumbnailLoader::quickThenDecoded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<bool>, provisional);
    QFETCH(QSize, size);
    const QString path = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".jpg"_s);
    QVERIFY(PkTestPictures::write(path, bytes));
    PkThumbnailLoader loader;
    loader.setBox(64);
    QList<bool> seen;
    connect(&loader, &PkThumbnailLoader::loaded, this, [&](const QString &loaded) {
        QCOMPARE(loaded, path);
        seen << loader.thumbnail(path)->provisional;
    });
    loader.want({path});
    QVERIFY(!loader.isIdle());
    QTRY_VERIFY(loader.isIdle());
    QCOMPARE(seen, provisional);
    QVERIFY(loader.isCurrent(path));
    QCOMPARE(loader.thumbnail(path)->image.size(), size);
}

// A new size asks for thumbnails again; the old ones stay shown meanwhile.
void TestPkThumbnailLoader::otherBoxMakesThemAgain()
{
    const QString path = dir.filePath(u"resized.jpg"_s);
    QVERIFY(PkTestPictures::write(path, PkTestPictures::jpegWithThumbnail(quarters(400, 200), 1, jpeg(quarters(40, 20), 0))));
    PkThumbnailLoader loader;
    loader.setBox(128);
    loader.want({path});
    QTRY_VERIFY(loader.isCurrent(path));
    loader.setBox(32);
    QVERIFY(!loader.isCurrent(path));
    QCOMPARE(loader.thumbnail(path)->image.size(), QSize(128, 64));
    QSignalSpy loaded(&loader, &PkThumbnailLoader::loaded);
    loader.want({path});
    QTRY_VERIFY(loader.isIdle());
    QCOMPARE(loaded.size(), 1); // the file's own thumbnail is already large enough
    QCOMPARE(loader.thumbnail(path)->image.size(), QSize(32, 16));
    QVERIFY(loader.isCurrent(path));
}

void TestPkThumbnailLoader::cancelledOwnerIsRefused()
{
    const QString path = dir.filePath(u"plain.jpg"_s);
    QVERIFY(PkTestPictures::write(path, jpeg(quarters(400, 200), 0)));
    PkDecoderPool &pool = PkDecoderPool::instance();
    const int owner = 0;
    pool.cancel(&owner);
    bool found = true;
    QVERIFY(pool.decode(path, 64, PkPictureDecoder::Pass::Full, &found, &owner).image.isNull());
    QVERIFY(!found);
    QCOMPARE(pool.decode(path, 64, PkPictureDecoder::Pass::Full, &found, this).image.size(), QSize(64, 32));
    pool.forget(&owner);
    QCOMPARE(pool.decode(path, 64, PkPictureDecoder::Pass::Full, &found, &owner).image.size(), QSize(64, 32));
    QVERIFY(found);
}

QTEST_GUILESS_MAIN(TestPkThumbnailLoader)
#include "tst_pkthumbnailloader.moc"
