// SPDX-License-Identifier: MIT

#include "pklikechoice.h"
#include "pklikejob.h"
#include "pkreviewlink.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pkreviewpreview.h"
#include "pkreviewview.h"
#include "pkreviewwindow.h"
#include "pktestpictures.h"
#include "pkthumbnailloader.h"
#include "pkwindowtest.h"

#include <QFileDialog>
#include <QDesktopServices>
#include <QMenu>
#include <QtTest>

// Example pictures chosen in the window instead of a list: the tiles say
// how many there are, how many files they select and how those were found.
class TestPkLikeWindow : public QObject
{
    Q_OBJECT

public slots:
    void open(const QUrl &url) { opened << url.toLocalFile(); }

private slots:
    void examples();
    void exampleTiles_data();
    void exampleTiles();
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }

private:
    QStringList opened;
};

void TestPkLikeWindow::examples()
{
    const auto dir = testFolderWithSettings();
    using namespace PkTestPictures;
    const Shot shot{"2024:01:02 10:11:12", "", "", "", ""};
    makeTestFolder(dir->filePath("pics"), {"IMG_0001.CR2"});
    writeTestFile(dir->filePath("pics/IMG_0001.jpg"), jpegOfShot(scene(1, 400, 300), shot));
    writeTestFile(dir->filePath("pics/IMG_0002.jpg"), jpeg(scene(2, 400, 300), 0));
    writeTestFile(dir->filePath("ex/a.jpg"), jpegOfShot(scene(1, 200, 150), shot));
    writeTestFile(dir->filePath("ex/sub/b.jpg"), jpeg(scene(2, 200, 150), 0, 70)); // a gallery's own sub-folder

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    PkButton *toCopy = tile(window, ToCopyTile);
    const QString before = toCopy->getMainText();
    QTest::keyClick(&window, Qt::Key_Escape); // no matching in hand: Esc leaves the tiles alone
    QCOMPARE(toCopy->getMainText(), before);
    for (QAction *action : window.findChildren<QAction *>()) {
        if (action->text().startsWith("Select example"))
            action->trigger(); // pictures, not folders
    }
    QFileDialog *pictures = window.findChild<QFileDialog *>();
    QVERIFY(pictures->fileMode() == QFileDialog::ExistingFiles && !pictures->testOption(QFileDialog::ShowDirsOnly));
    delete pictures;
    for (QAction *action : window.findChildren<QAction *>()) {
        if (action->text().startsWith("Select a folder of example"))
            action->trigger();
    }
    QFileDialog *dialog = window.findChild<QFileDialog *>();
    emit dialog->fileSelected(dir->filePath("ex"));
    dialog->close(); // as choosing does
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    settle(window);
    QCOMPARE(tile(window, TextTile)->getMainText(), QStringLiteral("2 example pictures"));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("2"));
    // Esc with the first progress, so that no wait decides it, stops the matching.
    bool pressed = false;
    auto *jobs = window.findChild<PkMatchJobs *>();
    const auto escape = connect(jobs, &PkMatchJobs::progress, &window, [&](int done, int total) {
        if (!std::exchange(pressed, true) && done < total)
            QTest::keyClick(&window, Qt::Key_Escape);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, dir->filePath("pics"))));
    QTRY_VERIFY(pressed);
    QCOMPARE(std::make_pair(jobs->isBusy(), toCopy->getMainText()), std::make_pair(false, QStringLiteral("Stopped")));
    disconnect(escape);
    chooseFolder(window, dir->filePath("pics"));
    QTRY_COMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("3"));
    QVERIFY(tile(window, ToCopyTile)->toolTip().startsWith(QStringLiteral("1 by capture time, 1 by content")));
    QTest::keyClick(&window, Qt::Key_Escape); // the matching is over: nothing to stop
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("3"));
}

void TestPkLikeWindow::exampleTiles_data()
{
    QTest::addColumn<QString>("action");
    for (const char *action : {"click on a tick's place", "Shift+click", "T", "T and a click in the large preview"})
        QTest::newRow(action) << QString::fromLatin1(action);
}

// In the review each group opens with its example, shown and opened like any
// tile but never ticked, counted or copied, and says how it found its picture.
void TestPkLikeWindow::exampleTiles()
{
    QFETCH(QString, action);
    const auto dir = testFolderWithSettings();
    QDesktopServices::setUrlHandler("file", this, "open");
    opened.clear();
    PkLikeResult like;
    like.ids = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "z.jpg"};
    like.found = {{"a.jpg", "IMG_1", false, false}, {"b.jpg", "IMG_2", true, false}, {"c.jpg", "IMG_3", false, true}};
    like.choices = {"IMG_4.jpg", "IMG_5.jpg"};
    like.choiceIds = {3, 3};
    PkMatchResult &match = like.match;
    match.files = {"IMG_1.dng", "IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    match.fileIds = {0, 0, 1, 2};
    match.idsNotFound = {"z.jpg"};
    match.ambiguous = {{"d.jpg", {"IMG_4", "IMG_5"}}};
    QCOMPARE(PkLikeChoice::toolTip(like, "Not found: z.jpg"), "1 ambiguous: tick the picture meant in the review\nNot found: z.jpg");
    const QByteArray picture = PkTestPictures::jpeg(PkTestPictures::quarters(300, 200), 0);
    for (const QString &id : std::as_const(like.ids))
        like.paths << writeTestFile(dir->filePath("ex/" + id), picture);
    for (const QString &file : match.files + like.choices)
        writeTestFile(dir->filePath("pics/" + file), picture);
    const PkReviewSelection selection = PkLikeChoice::reviewSelection(dir->filePath("pics"), like.ids, match, like);
    QWidget main;
    PkButton toCopy(0, QString(), &main);
    PkReviewLink link(&toCopy, &main);
    link.setSelection(selection);
    link.open();
    PkReviewWindow &window = *link.review();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.loader()->isIdle());
    const PkReviewModel &model = *window.model();
    QStringList marks;
    for (const PkReviewModel::Group &group : model.groups()) {
        QCOMPARE(model.tiles().at(group.tiles.first()).example, like.paths.at(marks.size()));
        marks << PkReviewPainter::headerParts(group, model.groupState(int(marks.size()))).mid(1).join(" ");
    }
    QCOMPARE(marks.mid(0, 4), (QStringList{"found by capture time 1 picture, 2 files", "found by content 1 picture, 1 file",
                                          "found by capture time, content differs 1 picture, 1 file",
                                          "ambiguous 2 pictures, 2 files, left out"}));
    QCOMPARE(marks.last(), "not found nothing to copy");
    QCOMPARE(window.view()->tileRect(0).top(), window.view()->tileRect(1).top());
    QCOMPARE(int(window.loader()->thumbnail(like.paths.first())->kind), int(PkThumbnail::Kind::Picture));
    std::unique_ptr<QMenu> menu(window.view()->menuAt(window.view()->tileRect(0).center()));
    menu->actions().at(1)->trigger();
    QTest::keyClick(window.view(), Qt::Key_Return);
    QCOMPARE(opened, (QStringList{dir->filePath("ex"), like.paths.first()}));

    QSignalSpy ticks(&model, &PkReviewModel::ticksChanged);
    window.view()->setCurrentTile(action == "Shift+click" ? 1 : 0);
    QWidget *viewport = window.view()->viewport();
    if (action == "click on a tick's place")
        QTest::mouseClick(viewport, Qt::LeftButton, {}, PkReviewPainter::tickRect(window.view()->tileRect(0)).center());
    if (action == "Shift+click")
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, window.view()->tileRect(0).center());
    QTest::keyClick(window.view(), action.startsWith('T') ? Qt::Key_T : Qt::Key_Left);
    if (action.contains("preview")) {
        QTest::keyClick(window.view(), Qt::Key_Space);
        QCOMPARE(window.preview()->path(), like.paths.first());
        QVERIFY(window.preview()->tickRect().isEmpty());
        QTest::keyClick(window.preview(), Qt::Key_T);
        QTest::mouseClick(window.preview(), Qt::LeftButton, {}, window.preview()->tickRect().center());
    }
    QCOMPARE(ticks.count(), 0);
    // The ambiguous example's pictures wait, unticked but not dimmed beside
    // the example (the same picture here), until one is chosen.
    QCOMPARE(link.filesToRun(), match.files);
    const int second = model.tileOf(int(selection.files.indexOf("IMG_5.jpg")));
    window.view()->setCurrentTile(second);
    const auto shade = [&](int tile) { return viewport->grab().toImage().pixel(window.view()->tileRect(tile).center() - QPoint(20, 10)); };
    QCOMPARE(shade(second - 1), shade(second - 2));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, PkReviewPainter::tickRect(window.view()->tileRect(second)).center());
    QCOMPARE(link.filesToRun(), match.files + QList<QString>{"IMG_5.jpg"});
    QVERIFY(shade(second - 1) != shade(second - 2));
}

QTEST_MAIN(TestPkLikeWindow)
#include "tst_pklikewindow.moc"
