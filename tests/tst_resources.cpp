// SPDX-License-Identifier: MIT

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QTest>

// The fonts and pictures travel inside the executable; these tests check that
// the bundles really are linked in and registered, and that the fonts we ship
// keep every fixed text box of the window whole.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void resourcesOpenUncompressed_data();
    void resourcesOpenUncompressed();
    void iconLoadsFromPngData();
    void backgroundHasWindowSize();
    void familiesAndWeightsAreRegistered_data();
    void familiesAndWeightsAreRegistered();
    void textsFitTheirBoxes_data();
    void textsFitTheirBoxes();
};

void TestResources::initTestCase()
{
    for (const char *path : {":/fonts/Quillmark - Bender.otf", ":/fonts/Quillmark - Bender-Bold.otf",
                             ":/fonts/Consolas.ttf"}) {
        QVERIFY2(QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0, path);
    }
}

void TestResources::resourcesOpenUncompressed_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("regular Bender") << QStringLiteral(":/fonts/Quillmark - Bender.otf");
    QTest::newRow("bold Bender") << QStringLiteral(":/fonts/Quillmark - Bender-Bold.otf");
    QTest::newRow("Consolas") << QStringLiteral(":/fonts/Consolas.ttf");
    QTest::newRow("icon") << QStringLiteral(":/images/favicon.ico");
    QTest::newRow("background") << QStringLiteral(":/images/backgroundImage.jpg");
}

void TestResources::resourcesOpenUncompressed()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    QVERIFY(file.size() > 1000);

    const QResource resource(path);
    QVERIFY(resource.isValid());
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
}

void TestResources::iconLoadsFromPngData()
{
    QFile file(QStringLiteral(":/images/favicon.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.peek(8).startsWith("\x89PNG\r\n\x1a\n"));

    const QImage image(QStringLiteral(":/images/favicon.ico"));
    QCOMPARE(image.size(), QSize(48, 48));
    QVERIFY(!image.hasAlphaChannel());
    QVERIFY(!QIcon(QStringLiteral(":/images/favicon.ico")).pixmap(48, 48).isNull());
}

void TestResources::backgroundHasWindowSize()
{
    QImageReader reader(QStringLiteral(":/images/backgroundImage.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(800, 600));
    QVERIFY(!image.isGrayscale() || image.format() != QImage::Format_Grayscale8);
}

void TestResources::familiesAndWeightsAreRegistered_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("weight");
    QTest::newRow("Bender regular") << QStringLiteral("Bender") << QStringLiteral("Regular") << 400;
    QTest::newRow("Bender bold") << QStringLiteral("Bender") << QStringLiteral("Bold") << 700;
    QTest::newRow("Consolas regular") << QStringLiteral("Consolas") << QStringLiteral("Regular") << 400;
}

void TestResources::familiesAndWeightsAreRegistered()
{
    QFETCH(QString, family);
    QFETCH(QString, style);
    QFETCH(int, weight);

    QVERIFY(QFontDatabase::families().contains(family));
    QVERIFY2(QFontDatabase::styles(family).contains(style),
             qPrintable(QFontDatabase::styles(family).join(u',')));
    QCOMPARE(QFontDatabase::weight(family, style), weight);

    QFont font(family, 14, weight);
    const QFontInfo info(font);
    QCOMPARE(info.family(), family);
    QCOMPARE(info.weight(), weight);
}

void TestResources::textsFitTheirBoxes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QSizeF>("box");

    const int bold = QFont::Bold;
    const int normal = QFont::Normal;
    QTest::newRow("action button") << QStringLiteral("Select image folder") << 14 << bold << QSizeF(206, 19);
    QTest::newRow("start button") << QStringLiteral("Start") << 15 << bold << QSizeF(206, 19);
    QTest::newRow("show copies button") << QStringLiteral("Show copies") << 15 << bold << QSizeF(206, 19);
    QTest::newRow("tile caption selected") << QStringLiteral(" Selected") << 16 << bold << QSizeF(130, 21);
    QTest::newRow("tile caption to copy") << QStringLiteral(" To copy") << 16 << bold << QSizeF(130, 21);
    QTest::newRow("tile value") << QStringLiteral("99999") << 30 << bold << QSizeF(134, 38);
    QTest::newRow("tile footer") << QStringLiteral("9999 not found") << 13 << bold << QSizeF(134, 19);
    QTest::newRow("warning caption") << QStringLiteral(" Warning") << 10 << bold << QSizeF(672, 13);
    QTest::newRow("warning text")
        << QStringLiteral("Folder \"FilesFromSelection\" already exists! Delete it!") << 16 << bold
        << QSizeF(674, 23);
    QTest::newRow("unreadable list warning") << QStringLiteral("Cannot read the list: Permission denied") << 16 << bold
                                             << QSizeF(674, 23);
    QTest::newRow("unwritable folder warning") << QStringLiteral("Cannot write into this folder!") << 16 << bold
                                               << QSizeF(674, 23);
    QTest::newRow("path tile caption") << QStringLiteral(" Image path") << 8 << bold << QSizeF(672, 10);
    QTest::newRow("percentage") << QStringLiteral("100%") << 40 << normal << QSizeF(120, 70);
    QTest::newRow("percentage past the total") << QStringLiteral("999%") << 40 << normal << QSizeF(120, 70);
    QTest::newRow("run summary") << QStringLiteral("Stopped: 99999 of 99999 copied, 99999 failed") << 14 << normal
                                 << QSizeF(400, 50);
}

void TestResources::textsFitTheirBoxes()
{
    QFETCH(QString, text);
    QFETCH(int, pointSize);
    QFETCH(int, weight);
    QFETCH(QSizeF, box);

    QFont font(QStringLiteral("Bender"), pointSize, weight);
    const QFontMetricsF metrics(font);
    QVERIFY2(metrics.horizontalAdvance(text) <= box.width(),
             qPrintable(QStringLiteral("%1 px wide").arg(metrics.horizontalAdvance(text))));
    QVERIFY2(metrics.height() <= box.height(),
             qPrintable(QStringLiteral("%1 px high").arg(metrics.height())));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
