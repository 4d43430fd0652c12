// SPDX-License-Identifier: MIT

#include "pkreviewmodel.h"
#include "pkreviewview.h"
#include "pkreviewwindow.h"
#include "pktestpictures.h"
#include "pkthumbnailloader.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

// The review window on a folder of generated pictures, driven by keys and clicks.
class TestPkReviewWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void groups_data();
    void groups();
    void thumbnails_data();
    void thumbnails();
    void ticks();
    void keys();
    void sizeAndPlace();

private:
    PkReviewSelection folderSelection() const;

    QTemporaryDir dir;
};

namespace {

// "id:files" per group, files by their index; "!" marks an ambiguous identifier.
QString describe(const PkReviewModel &model)
{
    QStringList groups;
    for (const PkReviewModel::Group &group : model.groups()) {
        QStringList files;
        for (int file : group.files)
            files << QString::number(file);
        groups << group.id + (group.ambiguous ? "!"_L1 : ""_L1) + u':' + files.join(u',');
    }
    return groups.join(u' ');
}

} // namespace

void TestPkReviewWindow::initTestCase()
{
    // Settings of this run's own, which no other test run on the machine can touch.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"settings"_s));
    const QImage picture = PkTestPictures::quarters(400, 200);
    QVERIFY(PkTestPictures::write(dir.filePath(u"A_1.jpg"_s), PkTestPictures::jpeg(picture, 6)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"A_1.dng"_s),
                                  PkTestPictures::dng(PkTestPictures::jpeg(picture, 0), picture.size(), 8)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"B_2.jpg"_s), PkTestPictures::jpeg(picture, 1)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"B_2.txt"_s), "notes"));
    QVERIFY(PkTestPictures::write(dir.filePath(u"C_3.jpg"_s), "not a picture"));
}

// As the main window hands it over: A_1.dng, A_1.jpg, B_2.jpg, B_2.txt, C_3.jpg.
PkReviewSelection TestPkReviewWindow::folderSelection() const
{
    const QList<QString> ids = {u"A_1"_s, u"B_2"_s, u"C_3"_s, u"_"_s, u"Z_9"_s};
    return PkReviewSelection::fromMatch(dir.path(), ids, PkSelectionMatcher::matchFolder(dir.path(), ids));
}

void TestPkReviewWindow::groups_data()
{
    QTest::addColumn<QList<qsizetype>>("fileIds");
    QTest::addColumn<QStringList>("ambiguous");
    QTest::addColumn<QString>("expected");
    QTest::newRow("files under their identifier, in list order") << QList<qsizetype>{2, 0, 2, 1} << QStringList() << "a:1 b:3 c:0,2";
    QTest::newRow("identifier with no file of its own has no group") << QList<qsizetype>{0, 0, 2, 2} << QStringList() << "a:0,1 c:2,3";
    QTest::newRow("file without a known identifier stands last") << QList<qsizetype>{3, 0, -1, 1} << QStringList() << "a:1 b:3 :0,2";
    QTest::newRow("ambiguous identifier is marked") << QList<qsizetype>{0, 1, 1, 2} << QStringList{"b", "z"} << "a:0 b!:1,2 c:3";
}

void TestPkReviewWindow::groups()
{
    QFETCH(QList<qsizetype>, fileIds);
    QFETCH(QStringList, ambiguous);
    QFETCH(QString, expected);
    PkReviewSelection selection{u"/pictures"_s, {u"a"_s, u"b"_s, u"c"_s}, {u"f0"_s, u"f1"_s, u"f2"_s, u"f3"_s}, fileIds, {}, {}};
    for (const QString &id : ambiguous)
        selection.ambiguous.insert(id, {u"p1"_s, u"p2"_s});
    PkReviewModel model;
    model.setSelection(selection);
    QCOMPARE(describe(model), expected);
    QCOMPARE(model.path(3), u"/pictures/f3"_s);
}

void TestPkReviewWindow::thumbnails_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("shown"); // on screen, the top left quarter's colour where a picture
    QTest::addColumn<int>("topLeft");
    const QSize tall(96, 192), wide(192, 96);
    QTest::newRow("raw preview turned left") << "A_1.dng" << int(PkThumbnail::Kind::Picture) << tall << 1;
    QTest::newRow("JPEG turned right") << "A_1.jpg" << int(PkThumbnail::Kind::Picture) << tall << 2;
    QTest::newRow("JPEG upright") << "B_2.jpg" << int(PkThumbnail::Kind::Picture) << wide << 0;
    QTest::newRow("other file") << "B_2.txt" << int(PkThumbnail::Kind::Other) << QSize(0, 0) << -1;
    QTest::newRow("broken picture") << "C_3.jpg" << int(PkThumbnail::Kind::Broken) << QSize(0, 0) << -1;
}

void TestPkReviewWindow::thumbnails()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QSize, shown);
    QFETCH(int, topLeft);
    PkReviewWindow window;
    window.setSelection(folderSelection());
    window.show();
    QCOMPARE(describe(*window.model()), u"A_1:0,1 B_2:2,3 C_3:4"_s);
    QTRY_VERIFY(window.loader()->isIdle());
    const PkThumbnail *thumbnail = window.loader()->thumbnail(dir.filePath(name));
    QVERIFY(thumbnail);
    QCOMPARE(int(thumbnail->kind), kind);
    QCOMPARE(thumbnail->image.size(), shown);
    const int file = int(window.model()->selection().files.indexOf(name));
    QHelpEvent help(QEvent::ToolTip, window.view()->fileRect(file).center(), QPoint());
    QApplication::sendEvent(window.view()->viewport(), &help);
    QVERIFY2(QToolTip::text().startsWith(name + u'\n' + QLocale().formattedDataSize(thumbnail->bytes)),
             qPrintable(QToolTip::text()));
    QCOMPARE(QToolTip::text().contains(u"Cannot show it: "_s + thumbnail->reason), !thumbnail->reason.isEmpty());
    if (topLeft < 0)
        return;
    const QImage screen = window.view()->viewport()->grab().toImage();
    const QRect cell = window.view()->fileRect(file);
    const QPoint corner = cell.center() - QPoint(shown.width(), shown.height()) / 2 + QPoint(4, 4);
    const QColor seen = screen.pixelColor(corner), expected = PkTestPictures::quarterColor(topLeft);
    QVERIFY2(qAbs(seen.red() - expected.red()) + qAbs(seen.green() - expected.green()) + qAbs(seen.blue() - expected.blue()) < 24,
             qPrintable(seen.name()));
}

void TestPkReviewWindow::ticks()
{
    PkReviewWindow window;
    PkReviewSelection selection = folderSelection();
    selection.ambiguous.insert(u"A_1"_s, {u"A_1"_s, u"A_10"_s});
    window.setSelection(selection);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy leftOut(&window, &PkReviewWindow::leftOutChanged);
    QWidget *viewport = window.view()->viewport();
    // The header tells what made an identifier ambiguous; a click beside its tick does nothing.
    const QPoint header = window.view()->groupTickRect(0).center() + QPoint(200, 0);
    QHelpEvent help(QEvent::ToolTip, header, QPoint());
    QApplication::sendEvent(viewport, &help);
    QCOMPARE(QToolTip::text(), u"Selects files of 2 pictures: A_1, A_10"_s);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, header);
    QCOMPARE(window.model()->tickedCount(), 5);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->tickRect(3).center());
    QCOMPARE(leftOut.last().first().value<QList<QString>>(), QList<QString>{u"B_2.txt"_s});
    QCOMPARE(window.model()->groupState(1), Qt::PartiallyChecked);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->groupTickRect(1).center());
    QCOMPARE(window.model()->groupState(1), Qt::Checked);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->groupTickRect(0).center());
    QCOMPARE(window.model()->leftOut(), (QList<QString>{u"A_1.dng"_s, u"A_1.jpg"_s}));
    QCOMPARE(window.model()->tickedCount(), 3);
    QCOMPARE(window.findChild<QLabel *>()->text(), u"3 of 5 files to copy, 2 left out"_s);
    // A click on a picture, not on its tick, only makes it the current one.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->fileRect(4).center());
    QCOMPARE(window.view()->currentFile(), 4);
    QCOMPARE(window.model()->tickedCount(), 3);
    // Below the last picture, among the identifiers not found, a click does nothing.
    window.view()->verticalScrollBar()->setValue(window.view()->verticalScrollBar()->maximum());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(30, viewport->height() - 4));
    QCOMPARE(window.view()->currentFile(), 4);
    window.setSelection(folderSelection());
    QCOMPARE(window.model()->leftOut(), QList<QString>());
    QCOMPARE(window.findChild<QLabel *>()->text(), u"5 files to copy"_s);
}

void TestPkReviewWindow::keys()
{
    PkReviewWindow window;
    window.resize(700, 600); // three thumbnails a row
    window.setSelection(folderSelection());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy opened(window.view(), &PkReviewView::openRequested);
    QWidget *view = window.view();
    const QList<std::pair<Qt::Key, int>> moves = {{Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Down, 4},
                                                  {Qt::Key_Up, 2}, {Qt::Key_Left, 1}, {Qt::Key_Down, 3},
                                                  {Qt::Key_End, 4}, {Qt::Key_Right, 4}, {Qt::Key_Down, 4},
                                                  {Qt::Key_Home, 0}, {Qt::Key_Up, 0}};
    for (const auto &[key, file] : moves) {
        QTest::keyClick(view, key);
        QCOMPARE(window.view()->currentFile(), file);
    }
    QTest::keyClick(view, Qt::Key_Space);
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Space);
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(window.model()->leftOut(), QList<QString>{u"A_1.dng"_s});
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(opened.last().first().toString(), dir.filePath(u"A_1.jpg"_s));
    QTest::mouseDClick(window.view()->viewport(), Qt::LeftButton, {}, window.view()->fileRect(2).center());
    QCOMPARE(opened.last().first().toString(), dir.filePath(u"B_2.jpg"_s));
}

void TestPkReviewWindow::sizeAndPlace()
{
    QSettings().clear();
    {
        PkReviewWindow window;
        window.setSelection(folderSelection());
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint at = window.view()->viewport()->rect().center();
        QWheelEvent zoom(at, window.mapToGlobal(at), {}, {0, 240}, Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.view()->viewport(), &zoom);
        QCOMPARE(window.sizeSlider()->value(), 192 + 32);
        QCOMPARE(window.loader()->box(), 224);
        QCOMPARE(window.view()->fileRect(0).width(), 224 + 12);
    }
    PkReviewWindow again;
    QCOMPARE(again.size(), QSize(640, 480));
    QCOMPARE(again.loader()->box(), 224);
}

QTEST_MAIN(TestPkReviewWindow)
#include "tst_pkreviewwindow.moc"
