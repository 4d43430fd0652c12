// SPDX-License-Identifier: MIT

#include "pkbutton.h"
#include "pkfolderwatch.h"
#include "pklooktest.h"
#include "pkpreviewloader.h"
#include "pkreviewlink.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pkreviewpreview.h"
#include "pkreviewsummary.h"
#include "pkreviewtooltips.h"
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

public slots:
    void open(const QUrl &url) { opened << url.toLocalFile(); }

private slots:
    void initTestCase();
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(u"file"_s); }
    void init();
    void thumbnails_data();
    void thumbnails();
    void ticks();
    void summary_data();
    void summary();
    void keys();
    void contactSheet();
    void menus();
    void ticksKept();
    void sizeAndPlace();
    void removedWhileOpen();

private:
    PkReviewSelection folderSelection() const;
    static QString tipAt(QWidget *widget, QPoint point);
    static bool isNear(const QColor &seen, const QColor &expected);

    QTemporaryDir dir;
    QStringList opened;
};

void TestPkReviewWindow::initTestCase()
{
    // Settings of this run's own, which no other test run on the machine can touch.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"settings"_s));
    QDesktopServices::setUrlHandler(u"file"_s, this, "open");
    PkLookTest::drawsAsBefore(); // the fonts there before any window
    const QImage picture = PkTestPictures::quarters(400, 200);
    QVERIFY(PkTestPictures::write(dir.filePath(u"A_1.jpg"_s), PkTestPictures::jpeg(picture, 6)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"A_1.dng"_s), PkTestPictures::dng(PkTestPictures::jpeg(picture, 0), picture.size(), 8)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"B_2.jpg"_s), PkTestPictures::jpeg(picture, 1)));
    QVERIFY(PkTestPictures::write(dir.filePath(u"B_2.txt"_s), ""));
    QVERIFY(PkTestPictures::write(dir.filePath(u"C_3.jpg"_s), "not a picture"));
}

void TestPkReviewWindow::init()
{
    QSettings().clear();
    opened.clear();
}

// As the main window hands it over: A_1.dng, A_1.jpg, B_2.jpg, B_2.txt, C_3.jpg,
// as tiles A_1 (the JPEG first), B_2 and C_3.
PkReviewSelection TestPkReviewWindow::folderSelection() const
{
    const QList<QString> ids = {u"A_1"_s, u"B_2"_s, u"C_3"_s, u"_"_s, u"Z_9"_s};
    return PkReviewSelection::fromMatch(dir.path(), ids, PkSelectionMatcher::matchFolder(dir.path(), ids));
}

QString TestPkReviewWindow::tipAt(QWidget *widget, QPoint point)
{
    QHelpEvent help(QEvent::ToolTip, point, QPoint());
    QApplication::sendEvent(widget, &help);
    return QToolTip::text();
}

bool TestPkReviewWindow::isNear(const QColor &seen, const QColor &expected)
{
    return qAbs(seen.red() - expected.red()) + qAbs(seen.green() - expected.green()) + qAbs(seen.blue() - expected.blue()) < 24;
}

void TestPkReviewWindow::thumbnails_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("shown"); // the top left quarter's colour where the tile shows it
    QTest::addColumn<int>("topLeft");
    const QSize tall(64, 128), wide(128, 64);
    QTest::newRow("raw preview turned left") << "A_1.dng" << int(PkThumbnail::Kind::Picture) << tall << -1;
    QTest::newRow("JPEG turned right, shown for its raw file too") << "A_1.jpg" << int(PkThumbnail::Kind::Picture) << tall << 2;
    QTest::newRow("JPEG upright") << "B_2.jpg" << int(PkThumbnail::Kind::Picture) << wide << 0;
    QTest::newRow("other file, empty") << "B_2.txt" << int(PkThumbnail::Kind::Other) << QSize(0, 0) << -1;
    QTest::newRow("broken picture") << "C_3.jpg" << int(PkThumbnail::Kind::Broken) << QSize(0, 0) << -1;
}

void TestPkReviewWindow::thumbnails()
{
    QFETCH(QString, name);
    QFETCH(QSize, shown);
    QFETCH(int, topLeft);
    PkReviewWindow window;
    window.setSelection(folderSelection());
    PkThumbnailLoader nothingYet; // a tile's files before their thumbnails come: the names alone
    QCOMPARE(PkReviewToolTips::tile(*window.model(), nothingYet, 0), u"<p style=\"white-space:pre\">A_1.jpg<br>A_1.dng</p>"_s);
    window.show();
    QTRY_VERIFY(window.loader()->isIdle());
    const PkThumbnail *thumbnail = window.loader()->thumbnail(dir.filePath(name));
    QVERIFY(thumbnail);
    QTEST(int(thumbnail->kind), "kind");
    QCOMPARE(thumbnail->image.size(), shown);
    const int file = int(window.model()->selection().files.indexOf(name));
    const QString tip = tipAt(window.view()->viewport(), window.view()->fileRect(file).center());
    // Sizes in decimal units, as the warnings give them.
    const QRegularExpression size(QRegularExpression::escape(name) + u"  \\d+(\\.\\d [kM]B| bytes)<"_s);
    QVERIFY2(size.match(tip).hasMatch(), qPrintable(tip));
    // None of these says when it was taken.
    QVERIFY(tip.contains(thumbnail->reason) && tip.contains(u"Taken"_s) == thumbnail->taken.isValid());
    const QImage screen = window.view()->viewport()->grab().toImage();
    if (topLeft < 0)
        return;
    QCOMPARE(window.view()->shownFile(window.view()->currentTile()), 1);
    const QPoint inset(1, 1); // only the current tile, the first, is framed, in a light line
    QVERIFY(screen.pixelColor(window.view()->tileRect(0).topLeft() + inset).lightness() > screen.pixelColor(window.view()->tileRect(1).topLeft() + inset).lightness());
    const QPoint corner = window.view()->fileRect(file).center() - QPoint(shown.width(), shown.height()) / 2 + QPoint(4, 4);
    QVERIFY2(isNear(screen.pixelColor(corner), PkTestPictures::quarterColor(topLeft)), qPrintable(screen.pixelColor(corner).name()));
}

void TestPkReviewWindow::ticks()
{
    PkReviewWindow window;
    PkReviewSelection selection = folderSelection();
    selection.ambiguous.insert(u"A_1"_s, {u"A_1"_s, u"<b>A_10</b>"_s});
    window.setSelection(selection);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy leftOut(&window, &PkReviewWindow::leftOutChanged);
    QWidget *viewport = window.view()->viewport();
    // The ambiguous identifier's header names the pictures it selects, as
    // written; a click beside its tick does nothing.
    const QPoint header = window.view()->groupTickRect(0).center() + QPoint(60, 0);
    QCOMPARE(tipAt(viewport, header), u"<p style=\"white-space:pre\">A_1  ambiguous  1 picture, 2 files<br>Selects files of 2 pictures: A_1, &lt;b&gt;A_10&lt;/b&gt;</p>"_s);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, header);
    QCOMPARE(window.model()->tickedCount(), 5);
    // A tile's tick takes all its files; the group's tick all of the group's.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->tickRect(1).center());
    QCOMPARE(leftOut.last().first().value<QList<QString>>(), (QList<QString>{u"B_2.jpg"_s, u"B_2.txt"_s}));
    window.model()->setTicked(0, false);
    QCOMPARE(window.model()->tileState(0), Qt::PartiallyChecked);
    // Ticked, partly ticked and unticked show apart; an unticked tile is dimmed.
    const QImage screen = viewport->grab().toImage();
    const auto tickCentre = [&](int tile) { return screen.pixelColor(window.view()->tickRect(tile).center()).lightness(); };
    QCOMPARE(std::make_tuple(tickCentre(2) > 100, tickCentre(0) < 40, tickCentre(1) < 40), std::make_tuple(true, true, true));
    QVERIFY(screen.pixelColor(window.view()->tileRect(1).topRight() + QPoint(-2, 2)).lightness() < screen.pixelColor(window.view()->tileRect(2).topRight() + QPoint(-2, 2)).lightness());
    // A group's tiles stand on its panel, set apart from the sheet around it.
    QVERIFY(screen.pixelColor(window.view()->tileRect(0).topLeft() + QPoint(-3, 3)) != screen.pixelColor(viewport->rect().bottomRight() - QPoint(3, 3)));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->groupTickRect(0).center());
    QCOMPARE(window.model()->groupState(0), Qt::Checked);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->groupTickRect(0).center());
    QVERIFY(tipAt(viewport, header).contains(u"1 picture, 2 files, left out"_s));
    QCOMPARE(window.model()->leftOut(), (QList<QString>{u"A_1.dng"_s, u"A_1.jpg"_s, u"B_2.jpg"_s, u"B_2.txt"_s}));
    // A click on a picture, not on its tick, only makes it the current one;
    // Shift+click then ticks every tile from there to the one clicked.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, window.view()->tileRect(0).center());
    QCOMPARE(window.model()->tickedCount(), 1);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, window.view()->tileRect(1).center());
    QCOMPARE(window.model()->tickedCount(), 5);
    QCOMPARE(window.view()->currentTile(), 1);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, window.view()->tileRect(2).center());
    QCOMPARE(window.model()->leftOut(), (QList<QString>{u"B_2.jpg"_s, u"B_2.txt"_s, u"C_3.jpg"_s}));
    // Another button, even on a tick, only makes the tile the current one.
    QTest::mouseClick(viewport, Qt::MiddleButton, {}, window.view()->tickRect(0).center());
    QCOMPARE(std::make_pair(window.view()->currentTile(), window.model()->tickedCount()), std::make_pair(0, 2));
}

void TestPkReviewWindow::summary_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("tile");
    QTest::newRow("ambiguous") << PkReviewSummary::ambiguousPart << 1;
    QTest::newRow("near match") << PkReviewSummary::nearPart << 2;
    QTest::newRow("unreadable") << PkReviewSummary::unreadablePart << 2;
    QTest::newRow("left out") << PkReviewSummary::leftOutPart << 1;
    QTest::newRow("not found") << PkReviewSummary::notFoundPart << -1;
}

void TestPkReviewWindow::summary()
{
    QFETCH(QString, part);
    QFETCH(int, tile);
    PkReviewWindow window;
    window.resize(640, 400);
    PkReviewSelection selection = folderSelection();
    selection.ambiguous.insert(u"B_2"_s, {u"B_2"_s, u"B_20"_s});
    selection.near.insert(u"C_3"_s, u"C_3"_s);
    selection.idsNotFound << u"Y_8"_s;
    window.setSelection(selection, {u"B_2.txt"_s});
    window.show();
    QTextDocument text;
    QTRY_VERIFY((text.setHtml(window.summary()->text()), text.toPlainText().contains(u"unreadable"_s)));
    QCOMPARE(text.toPlainText().replace(QChar::Nbsp, u' '), u"3 pictures, 4 of 5 files to copy, 1 left out  ·  2 not found  ·  1 ambiguous  ·  1 unreadable  ·  1 near match"_s);
    QVERIFY(window.summary()->text().contains(u"<a href=\"%1\""_s.arg(part))); // a link, which a click follows
    emit window.summary()->linkActivated(u"no such part"_s); // goes nowhere
    QCOMPARE(window.view()->currentTile(), 0);
    emit window.summary()->linkActivated(part);
    QTRY_VERIFY(window.loader()->isIdle());
    QVERIFY(PkLookTest::looksAsBefore(&window, u"review "_s + QTest::currentDataTag()));
    QScrollBar *bar = window.view()->verticalScrollBar();
    if (tile < 0)
        QCOMPARE(bar->value(), bar->maximum());
    else
        QCOMPARE(window.view()->currentTile(), tile);
    QVERIFY(tile < 0 || window.view()->viewport()->rect().contains(window.view()->tileRect(tile)));
}

void TestPkReviewWindow::keys()
{
    PkReviewWindow window;
    window.resize(700, 600);
    window.findChild<QCheckBox *>()->setChecked(true); // a tile for each file: A_1 and B_2 side by side, then C_3
    window.setSelection(folderSelection());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *view = window.view();
    const QList<std::pair<Qt::Key, int>> moves = {{Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Down, 4}, {Qt::Key_Up, 0}, {Qt::Key_End, 4},
                                                  {Qt::Key_Right, 4}, {Qt::Key_Down, 4}, {Qt::Key_Home, 0}, {Qt::Key_Left, 0}};
    for (const auto &[key, tile] : moves) {
        QTest::keyClick(view, key);
        QCOMPARE(window.view()->currentTile(), tile);
    }
    // Opened again, wherever it was left, the review begins at its first tile.
    QTest::keyClick(view, Qt::Key_End);
    window.setSelection(folderSelection());
    QCOMPARE(window.view()->currentTile(), 0);
    QVERIFY(window.view()->shownPath(-1).isEmpty() && window.view()->shownPath(int(window.model()->tiles().size())).isEmpty()); // no such tile
    // T ticks; Space shows the picture large, where the arrows move and T ticks too.
    QTest::keyClicks(view, u"t "_s);
    QVERIFY(window.isPreviewing());
    QCOMPARE(window.model()->leftOut(), QList<QString>{u"A_1.dng"_s});
    QTest::keyClick(window.preview(), Qt::Key_Right);
    QTest::keyClick(window.preview(), Qt::Key_T);
    QCOMPARE(window.preview()->path(), dir.filePath(u"A_1.jpg"_s));
    QVERIFY2(window.preview()->where().startsWith(u"2 of %1 "_s.arg(window.model()->tiles().size())), qPrintable(window.preview()->where()));
    QTRY_VERIFY(window.preview()->hasPicture());
    // The picture shows turned; a window made lower keeps it as decoded for its width.
    const PkPreviewLoader *decoder = window.preview()->findChild<PkPreviewLoader *>();
    window.resize(1200, 700);
    QTRY_VERIFY(decoder->isIdle());
    window.resize(1200, 600);
    QVERIFY(decoder->isIdle());
    const QPoint middle(window.preview()->width() / 2 - 10, window.preview()->tickRect().top() / 2 - 10);
    QVERIFY(isNear(window.preview()->grab().toImage().pixelColor(middle), PkTestPictures::quarterColor(2)));
    QTest::keyClick(window.preview(), Qt::Key_Return);
    QCOMPARE(opened, QStringList{dir.filePath(u"A_1.jpg"_s)});
    QTest::mouseClick(window.preview(), Qt::LeftButton, {}, window.preview()->tickRect().center());
    QCOMPARE(window.model()->tickedCount(), 4);
    QTest::mouseClick(window.preview(), Qt::LeftButton, {}, window.preview()->tickRect().center() + QPoint(0, -40));
    QTest::keyClick(window.preview(), Qt::Key_T);
    QTest::keyClick(window.preview(), Qt::Key_Escape);
    QVERIFY(!window.isPreviewing() && window.isVisible());
    QCOMPARE(window.view()->currentTile(), 1);
    QCOMPARE(window.model()->tickedCount(), 3);
    QTest::keyClick(view, Qt::Key_Space);
    QTest::keyClick(window.preview(), Qt::Key_Left);
    QTest::keyClick(window.preview(), Qt::Key_Space);
    QCOMPARE(window.view()->currentTile(), 0);
    QTest::keyClick(view, Qt::Key_Return);
    for (const int tile : {2, 0})
        QTest::mouseDClick(window.view()->viewport(), Qt::LeftButton, {}, window.view()->tileRect(tile).center());
    QCOMPARE(opened, (QStringList{dir.filePath(u"A_1.jpg"_s), dir.filePath(u"A_1.dng"_s), dir.filePath(u"B_2.jpg"_s), dir.filePath(u"A_1.dng"_s)}));
}

// 40 picks of one picture each, at 1280 x 800: a contact sheet of captioned
// tiles without headers, at least 24 of them whole on the first screen.
void TestPkReviewWindow::contactSheet()
{
    PkReviewSelection selection{u"/nowhere"_s, {}, {}, {}, {}, {}, {}};
    for (int pick = 0; pick < 40; ++pick) {
        selection.ids << u"IMG_%1"_s.arg(2400 + pick);
        selection.files << u"IMG_%1.JPG"_s.arg(2400 + pick);
        selection.fileIds << pick;
    }
    selection.near.insert(u"IMG_2400"_s, u"IMG_2400"_s); // a header first, chosen before the window is shown
    PkReviewWindow window;
    window.resize(1280, 800);
    window.setSelection(selection);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(std::pair(window.view()->verticalScrollBar()->value(), window.view()->currentTile()), std::pair(0, 0));
    int whole = 0;
    for (int tile = 0; tile < 40; ++tile) {
        whole += window.view()->viewport()->rect().contains(window.view()->tileRect(tile)) ? 1 : 0;
        QCOMPARE(window.view()->groupTickRect(tile).isEmpty(), tile > 0);
    }
    QVERIFY2(whole >= 24, qPrintable(QString::number(whole)));
    // Thumbnails are made for what is on screen and a screen ahead first.
    window.resize(1280, 300);
    QTRY_VERIFY(window.view()->viewport()->height() < 300);
    qsizetype onScreen = 0;
    const QList<QString> ahead = window.view()->wantedPaths(&onScreen).first;
    for (int tile = 0; tile < 40; ++tile) { // 0: on screen, 1: the next screen, 2: later
        const qsizetype index = ahead.indexOf(u"/nowhere/"_s + selection.files.at(tile));
        QCOMPARE(index < 0 ? 2 : int(index >= onScreen), std::min(window.view()->tileRect(tile).top() / window.view()->viewport()->height(), 2));
    }
}

void TestPkReviewWindow::menus()
{
    PkReviewWindow window;
    window.setSelection(folderSelection());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.loader()->isIdle());
    // Once every file has been seen, a tile only wants the file it shows.
    QCOMPARE(window.view()->wantedPaths().first, (QList<QString>{dir.filePath(u"A_1.jpg"_s), dir.filePath(u"B_2.jpg"_s), dir.filePath(u"C_3.jpg"_s)}));
    std::unique_ptr<QMenu> menu(window.view()->menuAt(window.view()->tileRect(0).center()));
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text();
    QCOMPARE(texts, (QStringList{u"Open"_s, u"Show in folder"_s, u"Copy name"_s}));
    menu->actions().at(2)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"A_1.jpg"_s);
    menu->actions().at(1)->trigger();
    menu->actions().at(0)->trigger();
    QCOMPARE(opened, (QStringList{dir.path(), dir.filePath(u"A_1.jpg"_s)}));
    QWidget *viewport = window.view()->viewport();
    QVERIFY(!window.view()->menuAt(QPoint(viewport->width() - 2, 2)));
    menu.reset(window.view()->menuAt(QPoint(30, viewport->height() - 4)));
    menu->actions().at(0)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"Z_9\n"_s);
    // A file that shows no picture (C_3) can be tried again, and is at once.
    menu.reset(window.view()->menuAt(window.view()->tileRect(2).center()));
    QCOMPARE(menu->actions().last()->text(), u"Try again"_s);
    menu->actions().last()->trigger();
    QVERIFY(!window.loader()->isIdle());
}

// What was left out stays out across a new match of the same job, and only there.
void TestPkReviewWindow::ticksKept()
{
    QWidget main;
    PkButton tile(0, QString(), &main);
    PkReviewLink link(&tile, &main);
    link.startOver(); // before any match: nothing to tick
    QCOMPARE(link.filesToRun(), QList<QString>());
    const PkReviewSelection selection = folderSelection();
    link.setSelection(selection);
    link.open();
    link.review()->model()->setTicked(1, false);
    const QList<QString> kept = {u"A_1.dng"_s, u"B_2.jpg"_s, u"B_2.txt"_s, u"C_3.jpg"_s};
    QCOMPARE(link.filesToRun(), kept);
    QTRY_VERIFY(link.review()->loader()->isIdle());
    link.setSelection(selection);
    QCOMPARE(link.filesToRun(), kept);
    QVERIFY(link.review()->loader()->thumbnail(dir.filePath(u"A_1.jpg"_s))); // and its thumbnails
    QCOMPARE(link.review()->model()->tickedCount(), 4);
    link.review()->close();
    link.open();
    QCOMPARE(link.review()->model()->tickedCount(), 4);
    link.startOver();
    QCOMPARE(link.review()->model()->tickedCount(), 5);
    link.review()->model()->setTicked(1, false);
    PkReviewSelection other = selection;
    other.ids.removeLast();
    link.setSelection(other);
    QCOMPARE(link.filesToRun(), selection.files);
}

void TestPkReviewWindow::sizeAndPlace()
{
    {
        PkReviewWindow window;
        window.setSelection(folderSelection());
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.loader()->box(), 128);
        const QPoint at = window.view()->viewport()->rect().center();
        QWheelEvent zoom(at, window.mapToGlobal(at), {}, {0, 240}, Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.view()->viewport(), &zoom);
        QCOMPARE(std::pair(window.loader()->box(), window.view()->fileRect(0).width()), std::pair(160, 160 + 12));
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(window.loader()->box(), 144);
        window.findChild<QCheckBox *>()->setChecked(true);
    }
    PkReviewWindow again;
    QCOMPARE(again.size(), QSize(640, 480));
    QCOMPARE(again.loader()->box(), 144);
    QVERIFY(again.model()->eachFile());
}


// A picture removed or renamed while the review is open says so on its tile,
// and counts as unreadable; put back, it shows again.
void TestPkReviewWindow::removedWhileOpen()
{
    QTemporaryDir folder;
    const QByteArray jpeg = PkTestPictures::jpeg(PkTestPictures::quarters(64, 32), 1);
    QVERIFY(QDir(folder.path()).mkdir(u"Card"_s));
    for (const char *name : {"D_1.jpg", "Card/D_2.jpg"})
        QVERIFY(PkTestPictures::write(folder.filePath(QString::fromLatin1(name)), jpeg));
    const QList<QString> ids = {u"D_"_s};
    const PkMatchOptions tree{false, false, false, PkMatchOptions::Subfolders::Always};
    PkReviewWindow window;
    window.setSelection(PkReviewSelection::fromMatch(folder.path(), ids, PkSelectionMatcher::matchFolder(folder.path(), ids, tree)));
    window.show();
    QTRY_VERIFY(window.loader()->isIdle());
    QTextDocument summary;
    summary.setHtml(window.summary()->text());
    QCOMPARE(summary.toPlainText().replace(QChar::Nbsp, u' '), u"2 pictures in 2 folders, 2 files to copy  ·  1 ambiguous"_s); // nothing left out
    // A change beside it leaves a picture in a sub-folder as it is.
    QSignalSpy listed(window.findChild<PkFolderWatch *>(), &PkFolderWatch::listed);
    QVERIFY(PkTestPictures::write(folder.filePath(u"notes.txt"_s), "notes"));
    QVERIFY(listed.wait());
    QVERIFY(window.model()->unreadable().isEmpty() && window.loader()->thumbnail(folder.filePath(u"D_1.jpg"_s))); // kept, not made again
    const QString path = folder.filePath(u"Card/D_2.jpg"_s);
    QVERIFY(QFile::rename(path, path + u".moved"_s));
    QTRY_VERIFY(window.loader()->thumbnail(path) && window.loader()->thumbnail(path)->kind == PkThumbnail::Kind::Broken);
    QCOMPARE(window.loader()->thumbnail(path)->reason, u"The file is no longer there"_s);
    QTRY_COMPARE(window.model()->unreadable().size(), 1);
    QVERIFY(QFile::rename(path + u".moved"_s, path));
    QTRY_VERIFY(window.loader()->thumbnail(path) && window.loader()->thumbnail(path)->kind == PkThumbnail::Kind::Picture);
    QTRY_COMPARE(window.model()->unreadable().size(), 0);
    // Another folder is watched instead, and no longer any once the review has none.
    for (const QString &watched : {dir.path(), folder.path(), QString()}) {
        window.setSelection(PkReviewSelection::fromMatch(watched, ids, PkSelectionMatcher::matchFolder(watched, ids)));
        QCOMPARE(window.findChild<PkFolderWatch *>()->watched(), watched.isEmpty() ? QStringList() : QStringList{watched});
    }
    PkFolderWatch watch; // a sub-folder that comes into the selection is watched too
    for (const QList<QString> &files : {QList<QString>{u"x.jpg"_s}, QList<QString>{u"x.jpg"_s, u"Card/D_2.jpg"_s}})
        watch.watch(folder.path(), files);
    QCOMPARE(watch.watched().size(), 2);
}


QTEST_MAIN(TestPkReviewWindow)
#include "tst_pkreviewwindow.moc"
