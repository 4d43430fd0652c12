// SPDX-License-Identifier: MIT

#include "pkrunstate.h"

#include <QTest>

using Action = PkRunState::Action;

// The rules of a copy run as the panel and the run button show them.
class TestPkRunState : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
    void actionSequence();
    void failureTexts();
};

void TestPkRunState::summary_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("copied");
    QTest::addColumn<int>("failed");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<QString>("expected");

    QTest::newRow("copying") << 40 << 12 << 1 << false << false << "12 of 40";
    QTest::newRow("done") << 40 << 40 << 0 << false << true << "Done: 40 copied";
    QTest::newRow("done with failures") << 40 << 38 << 2 << false << true << "38 copied, 2 failed";
    QTest::newRow("nothing to copy") << 0 << 0 << 0 << false << true << "Done: 0 copied";
    QTest::newRow("stopped") << 40 << 12 << 0 << true << true << "Stopped: 12 of 40 copied";
    QTest::newRow("stopped after failures") << 40 << 12 << 2 << true << true << "Stopped: 12 of 40 copied, 2 failed";
    QTest::newRow("stop came after the last file") << 3 << 2 << 1 << true << true << "2 copied, 1 failed";
}

void TestPkRunState::summary()
{
    QFETCH(int, total);
    QFETCH(int, copied);
    QFETCH(int, failed);
    QFETCH(bool, stop);
    QFETCH(bool, ended);
    QFETCH(QString, expected);

    PkRunState run;
    run.selectionChanged(true);
    QCOMPARE(run.summary(), QString());
    run.start(total, QStringLiteral("/pictures"));
    if (stop)
        run.requestStop();
    run.fileCopied(copied);
    for (int i = 0; i < failed; ++i)
        run.fileFailed(QStringLiteral("f%1").arg(i), QStringLiteral("File too large"));
    if (ended)
        run.finish(copied, true);
    QCOMPARE(run.summary(), expected);
    QCOMPARE(run.isAlarming(), failed > 0);
}

// What the button offers through two runs, with a selection made during the
// second; the panel starts afresh only when no run is under way.
void TestPkRunState::actionSequence()
{
    PkRunState run;
    QCOMPARE(run.action(), Action::None);
    QVERIFY(run.selectionChanged(true));
    QCOMPARE(run.action(), Action::Start);
    QCOMPARE(run.start(3, QStringLiteral("/a")), 1);
    QCOMPARE(run.action(), Action::Stop);
    run.fileFailed(QStringLiteral("x"), QStringLiteral("y"));
    run.finish(2, true);
    QCOMPARE(run.action(), Action::ShowCopies);
    QVERIFY(run.selectionChanged(true));
    QCOMPARE(run.summary(), QString());
    QVERIFY(!run.isAlarming());
    QCOMPARE(run.action(), Action::Start);

    QCOMPARE(run.start(5, QStringLiteral("/b")), 2);
    QVERIFY(!run.selectionChanged(true));
    QCOMPARE(run.action(), Action::Stop);
    QCOMPARE(run.summary(), QStringLiteral("0 of 5"));
    run.finish(5, true);
    QCOMPARE(run.action(), Action::Start);
    QCOMPARE(run.folder(), QStringLiteral("/b"));

    // A run that left no output folder has no copies to show.
    run.start(0, QStringLiteral("/c"));
    run.finish(0, false);
    QCOMPARE(run.action(), Action::None);
}

void TestPkRunState::failureTexts()
{
    PkRunState run;
    run.start(30, QStringLiteral("/a"));
    QStringList lines, report;
    for (int i = 1; i <= 22; ++i) {
        const QString name = QStringLiteral("<b>%1</b>.jpg").arg(i);
        run.fileFailed(name, QStringLiteral("Permission denied"));
        if (i <= 20)
            lines << name + QStringLiteral(": Permission denied");
        report << name + QStringLiteral("\tPermission denied");
    }
    QCOMPARE(run.failureToolTip(), (lines << QStringLiteral("and 2 more")).join(u'\n'));
    QCOMPARE(run.failureReport(), report.join(u'\n'));
}

QTEST_GUILESS_MAIN(TestPkRunState)
#include "tst_pkrunstate.moc"
