// SPDX-License-Identifier: MIT

#include "pkambiguityquestion.h"
#include "pkdashboard.h"
#include "pklooktest.h"
#include "pkreviewmodel.h"
#include "pkreviewview.h"
#include "pkreviewwindow.h"
#include "pkthumbnailloader.h"
#include "pkwindowtest.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

// The question the window asks at Start when an identifier selects several
// pictures, its texts and what each answer copies.
class TestPkAmbiguity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PkLookTest::drawsAsBefore(); } // the fonts there before any widget
    void ambiguity_data();
    void ambiguity();
    void questionTexts();
};

void TestPkAmbiguity::ambiguity_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("copies");
    const QStringList edit{"IMG_2403-Edit.jpg", "IMG_2403.JPG"};
    QTest::newRow("Copy all") << int(PkAmbiguityQuestion::Choice::CopyAll)
                              << QStringList{"IMG_2070.JPG", "IMG_2071.CR2", "IMG_2071.JPG", "IMG_2207.JPG"} + edit;
    QTest::newRow("Leave them out") << int(PkAmbiguityQuestion::Choice::LeaveOut) << edit;
    QTest::newRow("Review: ticks answer while they last") << int(PkAmbiguityQuestion::Choice::Review)
                                                          << QStringList{"IMG_2071.CR2", "IMG_2071.JPG"} + edit;
}

// A typo that selects several pictures holds their files out of the count
// and the run until the user answers at Start; an edit beside its original
// is one picture. The answer holds for adding the rest.
void TestPkAmbiguity::ambiguity()
{
    QFETCH(int, choice);
    QFETCH(QStringList, copies);
    const auto dir = testFolderWithSettings();
    const QString pictures = makeTestFolder(dir->filePath(u"pictures"_s), {"IMG_2070.JPG", "IMG_2071.JPG", "IMG_2071.CR2",
                                                  "IMG_2207.JPG", "IMG_2403.JPG", "IMG_2403-Edit.jpg"});
    MainWindow window;
    window.show();
    PkButton *toCopy = tile(window, ToCopyTile);
    chooseList(window, writeTestFile(dir->filePath(u"list.txt"_s), "IMG_2403\n207\n"));
    chooseFolder(window, pictures);
    QCOMPARE(toCopy->getMainText(), u"2"_s);
    QSignalSpy started(window.findChild<PkRunController *>(), &PkRunController::startCopySignal);
    tile(window, StartButton)->click();
    auto *question = window.findChild<PkAmbiguityQuestion *>();
    QTRY_VERIFY(question && question->isVisible());
    QVERIFY(question->button(PkAmbiguityQuestion::Choice::Review)->isDefault());
    const QList<QLabel *> texts = question->findChildren<QLabel *>();
    QCOMPARE(texts.value(0)->text(), u"1 identifier selects more than one picture"_s);
    QCOMPARE(texts.value(1)->text(), u"207: IMG_2070, IMG_2071, IMG_2207"_s);
    QVERIFY(texts.value(2)->text().startsWith("Its 4 files are copied only if you say so."_L1));
    QVERIFY(PkLookTest::looksAsBefore(question, u"question"_s));
    question->button(PkAmbiguityQuestion::Choice(choice))->click();
    if (choice == int(PkAmbiguityQuestion::Choice::Review)) {
        auto *review = window.findChild<PkReviewWindow *>();
        QVERIFY(review && review->isVisible() && started.isEmpty());
        PkReviewModel *model = review->model();
        QCOMPARE(model->tickedCount(), 2);
        QTRY_VERIFY(review->loader()->isIdle());
        QVERIFY(PkLookTest::looksAsBefore(review, u"review"_s));
        const int current = review->view()->currentTile();
        QCOMPARE(model->groups().value(model->tiles().value(current).group).id, u"207"_s);
        const int picked = model->tileOf(int(model->selection().files.indexOf(u"IMG_2071.JPG"_s)));
        for (const char *count : {"4", "2"}) {
            model->toggleTile(picked);
            settle(window);
            QCOMPARE(toCopy->getMainText(), QLatin1String(count));
        }
        tile(window, StartButton)->click(); // unticked again: no answer
        QTRY_VERIFY(question->isVisible());
        question->reject();
        model->toggleTile(picked);
        settle(window);
        pressStart(window);
    }
    QTRY_COMPARE(started.size(), 1);
    PkDashboard *progress = window.findChild<PkDashboard *>();
    QTRY_COMPARE(progress->getSummary(), u"Done: %1 copied and verified"_s.arg(copies.size()));
    QCOMPARE(outputFiles(pictures), copies);
    chooseFolder(window, pictures);
    tile(window, FolderTile)->actions().value(1)->trigger(); // Add the rest
    settle(window);
    pressStart(window);
    QTRY_COMPARE(progress->getSummary(), u"Done: 0 copied, %1 already there"_s.arg(copies.size()));
}

// Ten identifiers with five pictures each are named, then the rest counted.
void TestPkAmbiguity::questionTexts()
{
    QList<PkAmbiguousId> ids;
    for (int i = 0; i < 11; ++i)
        ids.append({QString::number(i), QStringList{"a", "b", "c", "d", "e", "f"}.mid(0, i + 1), true});
    const QStringList lines = PkAmbiguityQuestion::lines(ids).split(u'\n');
    QCOMPARE(lines, PkAmbiguityQuestion::lines(ids.mid(0, 10)).split(u'\n') << u"and 1 more"_s);
    QCOMPARE(lines.value(4), u"4: a, b, c, d, e"_s);
    QCOMPARE(lines.value(5), u"5: a, b, c, d, e and 1 more"_s);
    QCOMPARE(PkAmbiguityQuestion::heading(2), u"2 identifiers select more than one picture"_s);
    QVERIFY(PkAmbiguityQuestion::note(1, 1).startsWith("Its file is copied"_L1));
    QVERIFY(PkAmbiguityQuestion::note(2, 7).startsWith("Their 7 files are copied"_L1));
}

QTEST_MAIN(TestPkAmbiguity)
#include "tst_pkambiguity.moc"
