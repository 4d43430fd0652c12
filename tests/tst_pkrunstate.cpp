// SPDX-License-Identifier: MIT

#include "pkrunstate.h"

#include <QTest>

// What the panel says about a run: its summary line, and the failed files in
// the tooltip (the first twenty) and in the report (all, tab-separated), with
// names kept as written even when they look like markup. What the run button
// offers is driven end to end through the window in tst_mainwindow.
class TestPkRunState : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
};

// How the run ended, if it did.
constexpr int Running = 0, Finished = 1, Stopped = 2;

void TestPkRunState::summary_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("copied");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("more"); // the tooltip's last line, when it leaves failures out

    QTest::newRow("copying") << 40 << 12 << 1 << Running << "12 of 40" << "";
    QTest::newRow("done") << 40 << 40 << 0 << Finished << "Done: 40 copied" << "";
    QTest::newRow("twenty-one failed") << 40 << 19 << 21 << Finished << "19 copied, 21 failed" << "and 1 more";
    QTest::newRow("ended short without a stop") << 40 << 12 << 0 << Finished << "Done: 12 copied" << "";
    QTest::newRow("stopped") << 40 << 12 << 0 << Stopped << "Stopped: 12 of 40 copied" << "";
    QTest::newRow("stopped, 20 failed") << 40 << 12 << 20 << Stopped << "Stopped: 12 of 40 copied, 20 failed" << "";
    QTest::newRow("stop came after the last file") << 3 << 2 << 1 << Stopped << "2 copied, 1 failed" << "";
}

void TestPkRunState::summary()
{
    QFETCH(int, total);
    QFETCH(int, copied);
    QFETCH(int, failed);
    QFETCH(int, end);
    QFETCH(QString, expected);
    QFETCH(QString, more);

    PkRunState run;
    QCOMPARE(run.start(total, QStringLiteral("/pictures")), 1);
    if (end == Stopped)
        run.requestStop();
    run.fileCopied(copied);
    QStringList toolTip, report;
    for (int i = 1; i <= failed; ++i) {
        const QString name = QStringLiteral("<b>%1</b>.jpg").arg(i);
        run.fileFailed(name, QStringLiteral("File too large"));
        toolTip << name + QStringLiteral(": File too large");
        report << name + QStringLiteral("\tFile too large");
    }
    if (end != Running)
        run.finish(copied, true);
    QCOMPARE(run.summary(), expected);
    QCOMPARE(run.failureToolTip(), (more.isEmpty() ? toolTip : toolTip.mid(0, 20) << more).join(u'\n'));
    QCOMPARE(run.failureReport(), report.join(u'\n'));
}

QTEST_GUILESS_MAIN(TestPkRunState)
#include "tst_pkrunstate.moc"
