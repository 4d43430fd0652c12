// SPDX-License-Identifier: MIT

#include "pklikechoice.h"
#include "pklikejob.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pktestpictures.h"
#include "pkwindowtest.h"

#include <QTemporaryDir>
#include <QtTest>

// Example pictures chosen in the window instead of a list: the tiles say
// how many there are, how many files they select and how those were found.
class TestPkLikeWindow : public QObject
{
    Q_OBJECT

private slots:
    void examples();
    void reviewHeaders();
};

void TestPkLikeWindow::examples()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
    using namespace PkTestPictures;
    const Shot shot{"2024:01:02 10:11:12", "", "", "", ""};
    makeTestFolder(dir.filePath("pics"), {"IMG_0001.CR2"});
    makeTestFolder(dir.filePath("ex"), {});
    QVERIFY(write(dir.filePath("pics/IMG_0001.jpg"), jpegOfShot(scene(1, 400, 300), shot)));
    QVERIFY(write(dir.filePath("pics/IMG_0002.jpg"), jpeg(scene(2, 400, 300), 0)));
    QVERIFY(write(dir.filePath("ex/a.jpg"), jpegOfShot(scene(1, 200, 150), shot)));
    QVERIFY(write(dir.filePath("ex/b.jpg"), jpeg(scene(2, 200, 150), 0, 70)));

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    PkButton *toCopy = tile(window, ToCopyTile);
    const QString before = toCopy->getMainText();
    QTest::keyClick(&window, Qt::Key_Escape); // no matching in hand: Esc leaves the tiles alone
    QCOMPARE(toCopy->getMainText(), before);
    emit window.findChild<PkLikeChoice *>()->chosen({dir.filePath("ex/a.jpg"), dir.filePath("ex/b.jpg")});
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
    QVERIFY(QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, dir.filePath("pics"))));
    QTRY_VERIFY(pressed);
    QCOMPARE(std::make_pair(jobs->isBusy(), toCopy->getMainText()), std::make_pair(false, QStringLiteral("Stopped")));
    disconnect(escape);
    chooseFolder(window, dir.filePath("pics"));
    QTRY_COMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("3"));
    QVERIFY(tile(window, ToCopyTile)->toolTip().startsWith(QStringLiteral("1 by capture time, 1 by content")));
}

// Each example's group in the review says how it found its picture.
void TestPkLikeWindow::reviewHeaders()
{
    PkLikeResult like;
    like.found = {{"a.jpg", "IMG_1", false, false}, {"b.jpg", "IMG_2", true, false}, {"c.jpg", "IMG_3", false, true}};
    PkMatchResult match;
    match.files = {"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    match.fileIds = {0, 1, 2};
    PkReviewModel model;
    model.setSelection(PkLikeChoice::reviewSelection("/p", {"a.jpg", "b.jpg", "c.jpg"}, match, like));
    QStringList marks;
    for (const PkReviewModel::Group &group : model.groups())
        marks << PkReviewPainter::headerParts(group, Qt::Checked).value(1);
    QCOMPARE(marks, (QStringList{"found by capture time", "found by content", "found by capture time, content differs"}));
}

QTEST_MAIN(TestPkLikeWindow)
#include "tst_pklikewindow.moc"
