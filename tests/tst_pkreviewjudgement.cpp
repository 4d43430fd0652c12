// SPDX-License-Identifier: MIT

#include "pkdecoderpool.h"
#include "pklooktest.h"
#include "pkreviewfilterbox.h"
#include "pkreviewmodel.h"
#include "pkreviewsummary.h"
#include "pkreviewview.h"
#include "pkreviewwindow.h"
#include "pktestpictures.h"
#include "pkthumbnailloader.h"

#include <QtTest>
#include <QtWidgets>

#include <exiv2/exiv2.hpp>

// The photographer's ratings and colour labels as the review reads them
// from sidecars and from the pictures' own XMP, shows and filters by.
using namespace Qt::StringLiterals;

namespace {

QByteArray packet(const QByteArray &rating, const QByteArray &label = {})
{
    return R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)"
           R"(<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmp:Rating=")"
        + rating + "\"" + (label.isEmpty() ? QByteArray() : " xmp:Label=\"" + label + "\"") + "/></rdf:RDF></x:xmpmeta>";
}

// The picture at path with packet put into its own XMP by the toolkit.
bool embed(const QString &path, const QByteArray &xmp)
{
    try {
        auto image = Exiv2::ImageFactory::open(path.toStdString());
        image->readMetadata();
        image->setXmpPacket(xmp.toStdString());
        image->writeMetadata();
        return true;
    } catch (...) {
        return false;
    }
}

// age in seconds: two files of one whole age lie within one second, so that
// only the fraction tells the older.
bool writeAt(const QString &path, const QByteArray &bytes, double age)
{
    QFile file(path);
    const qint64 second = QDateTime::currentSecsSinceEpoch() - qint64(age) - 1;
    const QDateTime when = QDateTime::fromSecsSinceEpoch(second).addMSecs(qint64((1 - (age - qint64(age))) * 1000) - 1);
    return PkTestPictures::write(path, bytes) && file.open(QIODevice::ReadWrite)
        && file.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

class TestPkReviewJudgement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"settings"_s));
        PkLookTest::drawsAsBefore(); // the fonts there before any window
    }
    void read_data();
    void read();
    void review();

private:
    QTemporaryDir dir;
};

void TestPkReviewJudgement::read_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QStringList>("sidecars"); // NAME=RATING:LABEL@AGE in seconds
    QTest::addColumn<QByteArray>("embedded");
    QTest::addColumn<QString>("judged"); // RATING:LABEL, or "none"

    QTest::newRow("the newer of two namings") << u"a.JPG"_s << QStringList{u"a.JPG.xmp=3:Red@10"_s, u"a.xmp=1:@100"_s}
                                              << QByteArray() << u"3:Red"_s;
    QTest::newRow("the newer, listed last") << u"b.JPG"_s << QStringList{u"b.xmp=1:@100"_s, u"b.JPG.xmp=-1:@10"_s}
                                            << QByteArray() << u"-1:"_s;
    QTest::newRow("the newer within one second") << u"k.JPG"_s << QStringList{u"k.JPG.xmp=4:@10.6"_s, u"k.xmp=2:@10.2"_s}
                                                 << QByteArray() << u"2:"_s;
    QTest::newRow("a sidecar before the file's own") << u"c.JPG"_s << QStringList{u"c.xmp=2:@10"_s} << packet("5") << u"2:"_s;
    QTest::newRow("a JPEG's own") << u"d.JPG"_s << QStringList() << packet("4", "Client OK") << u"4:Client OK"_s;
    QTest::newRow("a DNG's own") << u"e.DNG"_s << QStringList() << packet("5", "Green") << u"5:Green"_s;
    QTest::newRow("a TIFF's own") << u"f.TIF"_s << QStringList() << packet("2") << u"2:"_s;
    QTest::newRow("beyond five stars") << u"g.JPG"_s << QStringList{u"g.xmp=7:@10"_s} << QByteArray() << u"5:"_s;
    QTest::newRow("a fraction") << u"h.JPG"_s << QStringList{u"h.xmp=2.6:@10"_s} << QByteArray() << u"3:"_s;
    QTest::newRow("none") << u"i.JPG"_s << QStringList() << QByteArray() << u"none"_s;
    QTest::newRow("a sidecar that is no XMP") << u"j.JPG"_s << QStringList{u"j.xmp=garbage"_s} << packet("5") << u"none"_s;
}

// Read in a decoder helper with the thumbnail, as the review asks for it.
void TestPkReviewJudgement::read()
{
    QFETCH(QString, picture);
    QFETCH(QStringList, sidecars);
    QFETCH(QByteArray, embedded);
    QFETCH(QString, judged);
    using namespace PkTestPictures;
    const QString path = dir.filePath(picture);
    const QByteArray preview = jpeg(quarters(160, 120), 1);
    const QByteArray bytes = picture.endsWith(u"DNG"_s) ? dng(preview, {160, 120}, 1)
        : picture.endsWith(u"TIF"_s)                  ? tiffWithThumbnail(1, preview)
                                                      : preview;
    QVERIFY(write(path, bytes));
    QVERIFY(embedded.isEmpty() || embed(path, embedded));
    QStringList paths;
    for (const QString &sidecar : sidecars) {
        const QString name = sidecar.section(u'=', 0, 0), value = sidecar.section(u'=', 1);
        const QString rating = value.section(u':', 0, 0), label = value.section(u':', 1).section(u'@', 0, 0);
        const QByteArray content = value == u"garbage"_s ? "garbage" : packet(rating.toUtf8(), label.toUtf8());
        QVERIFY(writeAt(dir.filePath(name), content, value.section(u'@', 1).toDouble()));
        paths << dir.filePath(name);
    }
    bool found = false;
    const PkThumbnail thumbnail = PkDecoderPool::instance().decode(path, 96, PkPictureDecoder::Pass::Full, &found, nullptr, &paths);
    QVERIFY(found);
    QCOMPARE(thumbnail.judged ? u"%1:%2"_s.arg(thumbnail.rating).arg(thumbnail.label) : u"none"_s, judged);
    // Asked without sidecars, a thumbnail brings no judgement at all.
    QVERIFY(!PkDecoderPool::instance().decode(path, 96, PkPictureDecoder::Pass::Full).judged);
}

// Tiles show and filter by judgement; the summary counts the rejected and
// the hidden, which keep their ticks.
void TestPkReviewJudgement::review()
{
    QTemporaryDir job;
    const QByteArray picture = PkTestPictures::jpeg(PkTestPictures::quarters(64, 48), 1);
    PkReviewSelection selection{job.path(), {u"1"_s, u"2"_s, u"3"_s}, {}, {}, {}, {}, {}};
    const QList<std::pair<QString, QByteArray>> files = {
        {u"IMG_1.JPG"_s, picture}, {u"IMG_1.xmp"_s, packet("-1")}, {u"IMG_2.JPG"_s, picture},
        {u"IMG_2.CR2.xmp"_s, packet("3", "Red")}, {u"IMG_3.JPG"_s, picture}, {u"IMG_3.xmp"_s, packet("5", "To print")}};
    for (const auto &[name, bytes] : files) {
        QVERIFY(PkTestPictures::write(job.filePath(name), bytes));
        selection.files << name;
        selection.fileIds << name.mid(4, 1).toInt() - 1;
    }
    PkReviewWindow window;
    window.resize(640, 400);
    window.setSelection(selection);
    window.show();
    QTextDocument summary;
    const auto summaryText = [&] { return summary.setHtml(window.summary()->text()), summary.toPlainText(); };
    QTRY_VERIFY2(summaryText().contains(u"1 rejected"_s), qPrintable(summaryText()));
    PkReviewModel *model = window.model();
    QTRY_VERIFY(window.loader()->isIdle());
    QCOMPARE(model->judgement(1)->label, u"Red"_s);
    QVERIFY(PkLookTest::looksAsBefore(&window, u"review judgements"_s));
    const QPoint tick = window.view()->tickRect(0).center(); // the first tile's tick, as any other's
    QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {}, tick);
    QCOMPARE(model->leftOut(), QList<QString>({u"IMG_1.JPG"_s, u"IMG_1.xmp"_s}));
    QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {}, tick);
    QStringList offered;
    for (int i = 0; i < window.filter()->count(); ++i)
        offered << window.filter()->itemText(i);
    QCOMPARE(offered, QStringList({u"All pictures"_s, u"Rated 1 or more"_s, u"Rated 2 or more"_s, u"Rated 3 or more"_s,
                                   u"Rated 4 or more"_s, u"Rated 5"_s, u"Label: Red"_s, u"Label: To print"_s, u"Rejected"_s}));

    const auto shown = [model] {
        QStringList names;
        for (const PkReviewModel::Tile &tile : model->tiles())
            names << tile.name;
        return names.join(u' ');
    };
    const std::pair<int, QString> filters[] = {{3, u"IMG_2 IMG_3"_s}, {6, u"IMG_2"_s}, {8, u"IMG_1"_s}, {7, u"IMG_3"_s}, {4, u"IMG_3"_s}};
    for (const auto &[index, names] : filters) {
        window.filter()->activated(index);
        QCOMPARE(shown(), names);
        QCOMPARE(window.filter()->currentIndex(), index);
        QCOMPARE(model->hiddenCount(), 3 - int(names.split(u' ', Qt::SkipEmptyParts).size()));
    }
    QVERIFY(summaryText().contains(u"2 hidden by the filter"_s));
    // A judgement that keeps the first shown tile shown lays nothing out again.
    QSignalSpy laidOut(model, &PkReviewModel::layoutChanged);
    model->setJudgement(4, {4, u"To print"_s, true});
    QCOMPARE(laidOut.count(), 0);
    QCOMPARE(model->leftOut(), QList<QString>());
    emit window.summary()->jumpRequested(PkReviewSummary::hiddenPart);
    QCOMPARE(shown(), u"IMG_1 IMG_2 IMG_3"_s);
    QVERIFY(!summaryText().contains(u"hidden"_s));
    emit window.summary()->jumpRequested(PkReviewSummary::rejectedPart);
    QCOMPARE(shown(), u"IMG_1"_s);
    QCOMPARE(window.filter()->currentText(), u"Rejected"_s);
    window.setSelection(selection); // matched again: what the user chose to see stays
    QCOMPARE(model->filter().kind, PkReviewFilter::Kind::Rejected);
    selection.ids.append(u"4"_s); // another job: every picture shown
    window.setSelection(selection);
    QCOMPARE(model->filter().kind, PkReviewFilter::Kind::All);

    // A thumbnail of a picture outside the job (the last job's, still being
    // made when this one came) counts for nothing; one dropped since it
    // came is simply made again.
    QTRY_VERIFY(window.loader()->isIdle());
    const QString stranger = dir.filePath(u"stranger.JPG"_s);
    QVERIFY(PkTestPictures::write(stranger, picture) && embed(stranger, packet("-1")));
    window.loader()->want({stranger});
    QTRY_VERIFY(window.loader()->thumbnail(stranger));
    QCOMPARE(model->rejectedCount(), 1);
    const QString third = job.filePath(u"IMG_3.JPG"_s);
    window.loader()->drop({third});
    emit window.loader()->loaded(third);
    QTRY_VERIFY(window.loader()->thumbnail(third));
    QCOMPARE(model->judgement(2)->label, u"To print"_s);
}

QTEST_MAIN(TestPkReviewJudgement)
#include "tst_pkreviewjudgement.moc"
