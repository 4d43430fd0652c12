// SPDX-License-Identifier: MIT

#include "pkrunstate.h"

#include <QTest>

// What the panel says about a run: its summary line, and the failed files in
// the tooltip (the first twenty) and in the report (all, tab-separated), with
// names kept as written even when they look like markup; and what the run
// button offers once it ended: the rest, while files are not there.
class TestPkRunState : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
    void backups_data();
    void backups();
    void selectionDuringRun();
};

using Action = PkRunState::Action;
Q_DECLARE_METATYPE(Action)

// How the run ended, if it did: at its end, by Stop, or on a full drive.
constexpr int Running = 0, Finished = 1, Stopped = 2, Full = 3;

void TestPkRunState::summary_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("copied");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("there"); // already there: left alone
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("more"); // the tooltip's last line, when it leaves failures out
    QTest::addColumn<Action>("action");

    QTest::newRow("copying") << 40 << 12 << 1 << 10 << Running << "22 of 40" << "" << Action::Stop;
    QTest::newRow("done") << 40 << 40 << 0 << 0 << Finished << "Done: 40 copied" << "" << Action::ShowCopies;
    // Rows named "verified" read each copy back: only copies made say so.
    QTest::newRow("verified") << 40 << 38 << 0 << 2 << Finished << "Done: 38 copied and verified, 2 already there" << ""
                              << Action::ShowCopies;
    QTest::newRow("verified, but all there already") << 40 << 0 << 0 << 40 << Finished
                                                     << "Done: 0 copied, 40 already there" << "" << Action::ShowCopies;
    QTest::newRow("verified, some failed") << 40 << 38 << 2 << 0 << Finished << "38 copied and verified, 2 failed" << ""
                                           << Action::CopyRest;
    QTest::newRow("done, some already there") << 40 << 12 << 0 << 28 << Finished << "Done: 12 copied, 28 already there"
                                              << "" << Action::ShowCopies;
    QTest::newRow("twenty-one failed") << 40 << 19 << 21 << 0 << Finished << "19 copied, 21 failed" << "and 1 more" << Action::CopyRest;
    QTest::newRow("failed, some already there") << 40 << 10 << 2 << 28 << Finished
                                                << "10 copied, 28 already there, 2 failed" << "" << Action::CopyRest;
    QTest::newRow("stopped") << 40 << 12 << 0 << 0 << Stopped << "Stopped: 12 of 40 copied" << "" << Action::CopyRest;
    QTest::newRow("stopped, 20 failed") << 40 << 12 << 20 << 0 << Stopped << "Stopped: 12 of 40 copied, 20 failed"
                                        << "" << Action::CopyRest;
    QTest::newRow("stopped, some already there") << 40 << 5 << 1 << 10 << Stopped
                                                 << "Stopped: 5 of 40 copied, 10 already there, 1 failed" << ""
                                                 << Action::CopyRest;
    QTest::newRow("drive full") << 89 << 36 << 0 << 0 << Full << "Stopped: the drive is full. 36 of 89 copied" << ""
                                << Action::CopyRest;
    QTest::newRow("drive full, some failed") << 89 << 36 << 2 << 1 << Full
                                             << "Stopped: the drive is full. 36 of 89 copied, 1 already there, 2 failed"
                                             << "" << Action::CopyRest;
}

void TestPkRunState::summary()
{
    QFETCH(int, total);
    QFETCH(int, copied);
    QFETCH(int, failed);
    QFETCH(int, there);
    QFETCH(int, end);
    QFETCH(QString, expected);
    QFETCH(QString, more);

    PkRunState run;
    // An earlier run's failures must not carry over.
    run.start(1, QStringLiteral("/earlier"));
    run.fileFailed(QStringLiteral("earlier.jpg"), QStringLiteral("File too large"));
    run.stopped(QStringLiteral("the destination is gone"));
    run.finish(0, 0, false);
    QCOMPARE(run.start(total, QStringLiteral("/pictures"), QByteArray(QTest::currentDataTag()).startsWith("verified")), 2);
    run.fileCopied(copied);
    run.fileAlreadyThere(there);
    QStringList toolTip, report;
    for (int i = 1; i <= failed; ++i) {
        run.fileFailed(QStringLiteral("<b>%1</b>\n\u007f\u009f\u00a0\u2029 .jpg").arg(i), QStringLiteral("File too large"));
        toolTip << QStringLiteral("&lt;b&gt;%1&lt;/b&gt;\\012\\177\\237\u00a0\\u2029 .jpg: File too large").arg(i);
        report << QStringLiteral("<b>%1</b>\\012\\177\\237\u00a0\\u2029 .jpg\tFile too large").arg(i);
    }
    if (end == Full)
        run.stopped(QStringLiteral("the drive is full"));
    if (end != Running)
        run.finish(copied, there, true);
    QCOMPARE(run.summary(), expected);
    QCOMPARE(run.isAlarming(), failed > 0 || end == Full); // in orange
    const QString lines = (more.isEmpty() ? toolTip : toolTip.mid(0, 20) << more).join("<br>");
    QCOMPARE(run.failureToolTip(), failed ? "<p style='white-space:pre'>" + lines + "</p>" : "");
    QCOMPARE(run.failureReport(), report.join(u'\n'));
    QTEST(run.action(), "action");
}

// A run copied whole into its own folder, and into backup folders each
// given as "copied, already there, failed, why stopped": only what a backup
// lacks is said, and its failures are reported apart.
void TestPkRunState::backups_data()
{
    QTest::addColumn<QStringList>("backups");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<Action>("action");
    const QString made = "40 copied and verified";
    QTest::newRow("one, whole") << QStringList{"40 0 0 "} << "Done: " + made + ", backed up" << Action::ShowCopies;
    QTest::newRow("two, whole") << QStringList{"30 10 0 ", "40 0 0 "} << "Done: " + made + ", backed up twice" << Action::ShowCopies;
    QTest::newRow("full") << QStringList{"12 0 0 the drive is full", "40 0 0 "}
                          << made + "; backup stopped: the drive is full, 12 of 40 copied" << Action::CopyRest;
    QTest::newRow("failed") << QStringList{"39 0 1 "} << made + "; backup: 39 of 40 copied" << Action::CopyRest;
}

void TestPkRunState::backups()
{
    QFETCH(QStringList, backups);
    PkRunState run;
    run.start(40, QStringLiteral("/pictures"), true);
    QStringList report;
    for (const QString &backup : backups) {
        const QStringList figures = backup.section(' ', 0, 2).split(' ');
        const QString folder = report.isEmpty() ? "/media/backup" : "/media/spare";
        if (figures[2] == "1") {
            run.backupFailed(folder, "IMG_1.jpg", "File too large");
            report << "IMG_1.jpg\tFile too large (in /media/backup)";
        }
        run.backupFinished(folder, figures[0].toInt(), figures[2].toInt(), figures[1].toInt(), backup.section(' ', 3));
        report << QString();
    }
    run.finish(40, 0, true);
    QTEST(run.summary(), "expected");
    QCOMPARE(run.isAlarming(), !run.summary().startsWith("Done"));
    QCOMPARE(run.failureReport(), report.filter("IMG").join('\n'));
    QTEST(run.action(), "action");
}

// A selection made during a run waits for its own Start; once the run is
// over, a selection clears the panel and offers Start only when it is ready.
void TestPkRunState::selectionDuringRun()
{
    PkRunState run;
    run.start(3, QStringLiteral("/pictures"));
    QVERIFY(!run.selectionChanged(true));
    run.finish(3, 0, true);
    QCOMPARE(run.action(), Action::Start);
    QVERIFY(run.selectionChanged(false));
    QCOMPARE(run.action(), Action::None);
}

QTEST_GUILESS_MAIN(TestPkRunState)
#include "tst_pkrunstate.moc"
