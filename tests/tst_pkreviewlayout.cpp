// SPDX-License-Identifier: MIT

#include "pkreviewlayout.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pkthumbnail.h"

#include <QFontDatabase>
#include <QPainter>
#include <QtTest>

using namespace Qt::StringLiterals;

// How the review packs its tiles and which files make a picture's tile.
class TestPkReviewLayout : public QObject
{
    Q_OBJECT

private slots:
    void packing_data();
    void packing();
    void pictures_data();
    void pictures();
    void marks_data();
    void marks();
    void headers_data();
    void headers();
};

void TestPkReviewLayout::packing_data()
{
    // Groups as tile counts, "h" for one with a header. Tiles are 100 x 120
    // with 10 between, 20 beside a panel; headers 30 high; panels 5 wider
    // than their tiles.
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expectedTiles"); // "x,y" of each
    QTest::addColumn<QString>("expectedHeaders"); // "x,y,width" of each
    QTest::addColumn<int>("height");
    QTest::newRow("single pictures flow and wrap") << QStringList{"1", "1", "1", "1"} << 340 << "10,10 120,10 230,10 10,140" << "" << 270;
    QTest::newRow("a fourth tile fits one pixel wider") << QStringList{"1", "1", "1", "1"} << 450
                                                        << "10,10 120,10 230,10 340,10" << "" << 140;
    QTest::newRow("groups side by side, tiles below the headers") << QStringList{"1", "2h"} << 450
                                                                << "10,40 135,40 245,40" << "135,10,210" << 175;
    QTest::newRow("a group that does not fit starts a shelf") << QStringList{"2h", "2h"} << 450
                                                          << "15,40 125,40 15,215 125,215" << "15,10,210 15,185,210" << 350;
    QTest::newRow("a group wider than the window wraps in its panel") << QStringList{"4h", "1"} << 450
                                                                      << "15,40 125,40 235,40 15,170 10,315" << "15,10,320" << 445;
    QTest::newRow("a window narrower than a tile still shows one") << QStringList{"2"} << 50 << "10,10 10,140" << "" << 270;
}

void TestPkReviewLayout::packing()
{
    QFETCH(QStringList, groups);
    QFETCH(int, width);
    QFETCH(QString, expectedTiles);
    QFETCH(QString, expectedHeaders);
    QFETCH(int, height);
    QList<PkReviewLayout::Group> blocks;
    for (const QString &group : groups)
        blocks.append({group.left(1).toInt(), group.endsWith(u'h')});
    const PkReviewLayout layout(blocks, {QSize(100, 120), 30, 10, 10, 5}, width);
    QStringList tiles, headers;
    for (const QRect &tile : layout.tiles())
        tiles << u"%1,%2"_s.arg(tile.x()).arg(tile.y());
    int last = -1;
    for (int group = 0; group < groups.size(); ++group) {
        const QRect header = layout.headers().at(group);
        last += blocks.at(group).tiles;
        QCOMPARE(header.isEmpty(), !blocks.at(group).header);
        QCOMPARE(layout.panels().at(group).isEmpty(), header.isEmpty());
        if (header.isEmpty())
            continue;
        headers << u"%1,%2,%3"_s.arg(header.x()).arg(header.y()).arg(header.width());
        // The panel holds the header and its group's tiles, the inset around them.
        QCOMPARE(layout.panels().at(group).adjusted(5, 0, -5, -5), header.united(layout.tiles().at(last)));
    }
    QCOMPARE(tiles.join(u' '), expectedTiles);
    QCOMPARE(headers.join(u' '), expectedHeaders);
    QCOMPARE(layout.height(), height);
}

void TestPkReviewLayout::pictures_data()
{
    // Per group: "H" where it has a header, then each tile as "name=files[badges]".
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QList<qsizetype>>("fileIds");
    QTest::addColumn<bool>("eachFile");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("pictures");
    const QStringList pair = {"IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.JPG", "IMG_2.JPG", "IMG_2.jpg"};
    QTest::newRow("a picture's files share a tile, the JPEG first")
            << pair << QList<qsizetype>{0, 0, 0, 1, 1} << false << "IMG_1=2,0,1[JPG CR2 XMP] | H IMG_2=3,4[JPG]" << 2;
    QTest::newRow("each file on a tile of its own")
            << pair << QList<qsizetype>{0, 0, 0, 1, 1} << true << "H IMG_1.CR2=0[CR2] IMG_1.CR2.xmp=1[XMP] IMG_1.JPG=2[JPG] | H IMG_2.JPG=3[JPG] IMG_2.jpg=4[JPG]" << 2;
    QTest::newRow("an identifier naming several pictures shows each")
            << pair << QList<qsizetype>{0, 0, 0, 0, 0} << false << "H IMG_1=2,0,1[JPG CR2 XMP] IMG_2=3,4[JPG]" << 2;
    QTest::newRow("files without an identifier have a header")
            << QStringList{"IMG_1"} << QList<qsizetype>{-1} << false << "H IMG_1=0[]" << 1;
    QTest::newRow("an identifier with an extension names its picture")
            << QStringList{"img_2.jpg"} << QList<qsizetype>{3} << false << "img_2=0[JPG]" << 1;
    QTest::newRow("two cards' pictures of one name show their folders")
            << QStringList{"CardA/IMG_1.JPG", "CardB/img_1.jpg", "CardB/IMG_2.JPG", "CardB/Edits/IMG_2.JPG.xmp"}
            << QList<qsizetype>{0, 0, 3, 3} << false << "H IMG_1@CardA=0[JPG] img_1@CardB=1[JPG] | H IMG_2@CardB=2[JPG] IMG_2@CardB/Edits=3[XMP]" << 4;
    QTest::newRow("a near match keeps its header") << QStringList{"IMG_1.JPG"} << QList<qsizetype>{2} << false << "H IMG_1=0[JPG]" << 1;
}

void TestPkReviewLayout::pictures()
{
    QFETCH(QStringList, files);
    QFETCH(QList<qsizetype>, fileIds);
    QFETCH(bool, eachFile);
    QFETCH(QString, expected);
    QFETCH(int, pictures);
    PkReviewSelection selection{u"/p"_s, {u"IMG_1"_s, u"X"_s, u"img_1"_s, u"IMG_2.JPG"_s}, files, fileIds, {}, {}, {}};
    selection.near.insert(u"img_1"_s, u"IMG_1"_s);
    PkReviewModel model;
    model.setEachFile(eachFile);
    model.setSelection(selection);
    QStringList groups;
    for (const PkReviewModel::Group &group : model.groups()) {
        QStringList tiles = {group.header ? u"H"_s : QString()};
        for (int tile : group.tiles) {
            QStringList indexes;
            for (int file : model.tiles().at(tile).files)
                indexes << QString::number(file);
            const PkReviewModel::Tile &shown = model.tiles().at(tile);
            tiles << shown.name + (shown.folder.isEmpty() ? QString() : u'@' + shown.folder) + u'=' + indexes.join(u',')
                         + u'[' + model.badges(tile).join(u' ') + u']';
        }
        groups << tiles.join(u' ').trimmed();
    }
    QCOMPARE(groups.join(u" | "_s), expected);
    QCOMPARE(model.pictureCount(), pictures);
    QCOMPARE(model.hasFolders(), expected.contains(u'@')); // a caption line is kept for them
}

void TestPkReviewLayout::marks_data()
{
    QTest::addColumn<bool>("cutShort");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("whole picture") << false << true;
    QTest::newRow("picture cut short") << true << true;
    QTest::newRow("picture cut short, left out") << true << false;
}

// The top right corner of a grey picture: the cut-short mark in the marker
// colour, dimmed on a tile left out.
void TestPkReviewLayout::marks()
{
    QFETCH(bool, cutShort);
    QFETCH(bool, ticked);
    PkThumbnail thumbnail;
    thumbnail.kind = PkThumbnail::Kind::Picture;
    thumbnail.image = QImage(128, 128, QImage::Format_RGB32);
    thumbnail.image.fill(Qt::gray);
    thumbnail.box = 128;
    thumbnail.cutShort = cutShort;
    const PkReviewPainter painter;
    const auto paint = [&](const QString &caption) { // a tile of the review's size
        QImage sheet(140, 134 + painter.captionHeight(), QImage::Format_RGB32);
        QPainter p(&sheet);
        painter.paintTile(p, sheet.rect(), {caption, {}, &thumbnail, u"A.jpg"_s, ticked ? Qt::Checked : Qt::Unchecked, false, false, false, {}});
        p.end();
        return sheet;
    };
    const QImage sheet = paint(u"IMG_0001.jpg"_s), bare = paint(QString());
    QList<int> ink; // the caption's rows
    for (int y = 0; y < sheet.height(); ++y) {
        if (sheet.copy(0, y, 140, 1) != bare.copy(0, y, 140, 1))
            ink << y;
    }
    // The caption lies in its tile under the thumbnail, in the middle of the
    // band between them: a pixel low at most (the font keeps room for accents
    // above capitals), never high.
    const int low = ink.value(0) + ink.value(ink.size() - 1) - (134 + sheet.height() - 1); // twice as much
    QVERIFY(!ink.isEmpty() && ink.first() > 133 && low >= 0 && low <= 2);
    const QColor corner = sheet.pixelColor(128, 10), marker = painter.marker();
    QCOMPARE(corner.hue() == marker.hue() && corner.saturation() > 100, cutShort);
    QCOMPARE(corner.value() > 150, cutShort ? ticked : true);
}

void TestPkReviewLayout::headers_data()
{
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("runs"); // line, m(arks) or c(ount), and the count's text or whether the marks are whole
    const QStringList marked{"IMG_2190", "ambiguous, near match", "1 picture, 2 files"};
    QTest::newRow("a count beside its marks") << marked << 1000 << 2 << "0m whole|0c 1 picture, 2 files";
    QTest::newRow("a long header elided without cutting its count") << marked << 150 << 1 << "0m elided|0c 1 picture, 2 files";
    QTest::newRow("the count below its marks in small tiles") << marked << 150 << 2 << "0m whole|1c 1 picture, 2 files";
    QTest::newRow("a count wider than the tile broken after a comma")
        << QStringList{"IMG", "ambiguous, near match", "1 picture, 2 files, left out"} << 108 << 2
        << "0c 1 picture, 2 files,|1c left out|1m elided";
    QTest::newRow("a count without marks") << QStringList{"IMG", "1 picture, 1 file"} << 150 << 2 << "0c 1 picture, 1 file";
    QTest::newRow("an identifier alone") << QStringList{"IMG"} << 150 << 2 << "0c ";
    // Widths below zero are measured: marks that fit exactly, and room for
    // the marks too small for even an ellipsis.
    QTest::newRow("marks and count filling the line exactly") << marked << -1 << 2 << "0m whole|0c 1 picture, 2 files";
    QTest::newRow("no room for an ellipsis beside the count") << marked << -2 << 1 << "0c 1 picture, 2 files";
}

// The marks yield to the count, which is never cut, and nothing runs past the header.
void TestPkReviewLayout::headers()
{
    QFETCH(QStringList, parts);
    QFETCH(int, width);
    QFETCH(int, lines);
    QFontDatabase::addApplicationFont(u":/fonts/Quillmark - Bender.otf"_s);
    QFont font(u"Bender"_s); // as the painter's
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    if (width < 0)
        width = metrics.horizontalAdvance(u"  "_s) + metrics.horizontalAdvance(parts.last())
              + (width == -1 ? int(std::ceil(QFontMetricsF(font).horizontalAdvance(parts.at(1)))) : 2);
    QStringList runs;
    for (const PkReviewPainter::HeaderRun &run : PkReviewPainter().headerRuns(parts, width, lines)) {
        QVERIFY2(run.x + metrics.horizontalAdvance(run.text) <= width, qPrintable(run.text));
        runs << QString::number(run.line) + (run.count ? u"c "_s + run.text : run.text == parts.at(1) ? u"m whole"_s : u"m elided"_s);
    }
    QTEST(runs.join(u'|'), "runs");
    QVERIFY(PkReviewPainter().headerHeight(108) > PkReviewPainter().headerHeight(140)); // a second line in the smallest tiles only
    QFont names(u"Bender"_s);
    names.setPixelSize(13);
    const int longest = QFontMetrics(names).horizontalAdvance(u"1 picture, 10 files, left out"_s);
    QCOMPARE(PkReviewPainter().headerHeight(longest), PkReviewPainter().headerHeight()); // the longest count just fits
    QVERIFY(PkReviewPainter().headerHeight(longest - 1) > PkReviewPainter().headerHeight(longest));
}

QTEST_MAIN(TestPkReviewLayout)
#include "tst_pkreviewlayout.moc"
