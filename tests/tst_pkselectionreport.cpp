// SPDX-License-Identifier: MIT

#include "pkbutton.h"
#include "pklistreader.h"
#include "pkselectionreport.h"
#include "pkwindowtest.h"
#include "pwtools.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>

using Texts = QList<QString>;
Q_DECLARE_METATYPE(PkMatchResult)

// What the Selected and To copy tiles say of a match, and the options they offer.
class TestPkSelectionReport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir = testFolderWithSettings();
    }

    void match_data()
    {
        QTest::addColumn<PkMatchResult>("match");
        QTest::addColumn<Texts>("selected"); // count, footer, tooltip, Copy ambiguous, Copy near
        QTest::addColumn<Texts>("toCopy");   // footer, tooltip

        PkMatchResult mail;
        mail.near = {{"img_4120.jpg", "IMG_4120"}, {"IMG 1412", "IMG_1412"}};
        mail.textLines = {"Hi Sam,"};
        mail.ranges = {{"2100-2104", {"2102", "2103"}}};
        mail.idCount = 2;
        QTest::newRow("an e-mail: near matches, a range with gaps and a greeting")
            << mail
            << Texts{"2", "picture \u00b7 near",
                     "Counted as read: ranges as their numbers,\nsentences as their picks; text and blank lines not.\n\n"
                     "Found by a near match:\nimg_4120.jpg: IMG_4120\nIMG 1412: IMG_1412\n\nLeft out as text:\nHi Sam,",
                     "", "img_4120.jpg\tIMG_4120\nIMG 1412\tIMG_1412"}
            << Texts{"1 not found", "Ranges:\n2100-2104: 2102, 2103 not in the folder"};

        PkMatchResult prefix;
        Texts pictures, missing;
        for (int i = 0; i < 21; ++i)
            pictures << QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0')), missing << QStringLiteral("x%1").arg(i);
        prefix.ambiguous = {{"P", pictures}, {"P0", pictures.mid(0, 20)}};
        prefix.near = {{"p 7", "P07"}};
        prefix.idsNotFound = missing;
        prefix.ranges = {{"IMG_2100 - 2104", {"IMG_2101"}}};
        prefix.prose = {{"Could we have 2403, 2407 and 2420, please?", {"2403", "2407", "2420"}}};
        prefix.idCount = 24;
        const QString first = QStringList(pictures.mid(0, 20)).join(", ");
        QTest::newRow("an identifier in 21 pictures names 20, 21 identifiers not found show 20; a sentence, a gap")
            << prefix
            << Texts{"24", "2 ambiguous",
                     "Counted as read: ranges as their numbers,\nsentences as their picks; text and blank lines not.\n\n"
                     "Ambiguous:\nP: " + first + " and 1 more\nP0: " + first + "\n\nFound by a near match:\np 7: P07\n\n"
                     "Read from a sentence:\nCould we have 2403, 2407\u2026: 2403, 2407, 2420",
                     "P\t" + first + " and 1 more\nP0\t" + first, "p 7\tP07"}
            << Texts{"22 not found", "Not found: " + QStringList(missing.mid(0, 20)).join(", ")
                         + " and 1 more\n\nRanges:\nIMG_2100 - 2104: IMG_2101 not in the folder"};
    }

    void match()
    {
        QFETCH(PkMatchResult, match);
        PkButton selectedTile(0, "standard"), toCopyTile(1, "standard");
        PkSelectionReport report(&selectedTile, &toCopyTile, PwTools());
        report.showMatch(match);
        const QList<QAction *> actions = selectedTile.actions();
        QCOMPARE(actions.size(), 5);
        Texts shown{selectedTile.getMainText(), selectedTile.getFooterText(), selectedTile.toolTip()};
        for (QAction *copy : {actions.at(3), actions.at(4)}) {
            QGuiApplication::clipboard()->clear();
            copy->trigger();
            shown << (copy->isEnabled() ? QGuiApplication::clipboard()->text() : QString());
        }
        QTEST(shown, "selected");
        QTEST((Texts{toCopyTile.getFooterText(), toCopyTile.toolTip()}), "toCopy");
    }

    // The footer names the options in force unless identifiers are ambiguous;
    // by picture and near matches are on for a new user, and a choice is kept.
    void options()
    {
        PkButton selectedTile(0, "standard"), toCopyTile(1, "standard");
        auto report = std::make_unique<PkSelectionReport>(&selectedTile, &toCopyTile, PwTools());
        const QList<QAction *> actions = selectedTile.actions();
        const auto footer = [&selectedTile] { return selectedTile.getFooterText(); };
        QCOMPARE(footer(), "picture \u00b7 near");
        actions.at(1)->trigger();
        QCOMPARE(footer(), "picture\u00b7whole\u00b7near");
        actions.at(2)->trigger();
        QCOMPARE(footer(), "picture \u00b7 whole");
        actions.at(1)->trigger();
        QCOMPARE(footer(), "by picture");
        actions.at(0)->trigger();
        QCOMPARE(footer(), "as written");
        actions.at(2)->trigger();
        QCOMPARE(footer(), "near");
        const PkMatchOptions options = report->options();
        QVERIFY(!options.withoutExtensions && !options.wholeNumbers && options.nearMatches);
        report = std::make_unique<PkSelectionReport>(&selectedTile, &toCopyTile, PwTools());
        QCOMPARE(footer(), "near");
    }

    // The To copy tile hands on the files to copy: as a catalogue's filter,
    // and through a save dialog as a smart collection and a report of the
    // match, where a file left out in the review is said to be.
    void exports()
    {
        PkButton selectedTile(0, "standard"), toCopyTile(1, "standard");
        PkSelectionReport report(&selectedTile, &toCopyTile, PwTools());
        report.showMatch(PkSelectionMatcher::matchNames({"IMG_1.JPG", "IMG_1.CR2", "IMG_2.JPG"}, {"IMG_1", "IMG_2"}));
        report.showFilesToCopy({"IMG_1.JPG", "IMG_1.CR2"}, 1);
        const auto run = [&toCopyTile](const QString &text, const QString &path = {}) {
            for (QAction *action : toCopyTile.actions())
                action->text() == text ? action->trigger() : void();
            if (std::unique_ptr<QFileDialog> dialog{toCopyTile.findChild<QFileDialog *>()})
                emit dialog->fileSelected(path);
            return QGuiApplication::clipboard()->text();
        };
        const auto read = [this](const char *name) {
            QFile file(dir->filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QCOMPARE(run("Copy as catalogue filter (A, B)"), "IMG_1.JPG, IMG_1.CR2");
        QCOMPARE(run("Copy as catalogue filter (A OR B)"), "IMG_1.JPG OR IMG_1.CR2");
        run("Save as smart collection\u2026", dir->filePath("picks.lrsmcol"));
        QCOMPARE(PkListReader::readFile(dir->filePath("picks.lrsmcol")).ids, (Texts{"IMG_1.JPG", "IMG_1.CR2"}));
        QVERIFY(read("picks.lrsmcol").contains("\ttitle = \"picks\",\n"));
        run("Save report\u2026", dir->filePath("picks.csv"));
        QCOMPARE(read("picks.csv").sliced(46), "IMG_1,as written,,IMG_1,\"IMG_1.JPG, IMG_1.CR2\"\r\nIMG_2,\"as written, left out\",,,\r\n");
        run("Save report\u2026", dir->path());
        QCOMPARE(toCopyTile.findChild<QMessageBox *>()->text(), "Cannot save " + dir->path() + ": Is a directory");
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_MAIN(TestPkSelectionReport)
#include "tst_pkselectionreport.moc"
