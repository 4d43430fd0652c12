// SPDX-License-Identifier: MIT

#include "pkdashboard.h"
#include "pkreviewmodel.h"
#include "pkreviewwindow.h"
#include "pkwindowtest.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Qt::StringLiterals;

// Where the window's copies go, and whether they can go there: checked off
// the GUI thread whenever the files to copy change, and again at Start.
class TestPkCopyTarget : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir = testFolderWithSettings();
    }
    void targets();
    void checks();
    void subfolders();

private:
    QString file(const QString &name, const QByteArray &bytes) { return writeTestFile(dir->filePath(name), bytes); }
    QString folder(const QString &name, const QStringList &files, int size = 0)
    {
        return makeTestFolder(dir->filePath(name), files, size);
    }

    std::unique_ptr<QTemporaryDir> dir;
};

// A picture folder that cannot take the copies says what can be done: a
// missing one, as one that cannot be written into, and one that holds
// FilesFromSelection, whose rest can be added to it. Another folder can take
// the copies, never one inside FilesFromSelection, and adding the rest is not
// carried over to it; the path tile says where they go, and "Show copies"
// opens them there. Another picture folder forgets both choices.
void TestPkCopyTarget::targets()
{
    const QString pictures = folder(u"pictures"_s, {"a.jpg", "b.jpg", "FilesFromSelection/a.jpg"}, 10);
    const QString other = folder(u"other"_s, {});
    MainWindow window;
    PkButton *path = tile(window, FolderTile), *warning = tile(window, WarningTile), *run = tile(window, StartButton);
    PkDashboard *progress = window.findChild<PkDashboard *>();
    QAction *elsewhere = path->actions().value(0), *addRest = path->actions().value(1);
    chooseList(window, file(u"list.txt"_s, "a\nb\n"));
    chooseFolder(window, dir->filePath(u"gone"_s));
    QCOMPARE(warning->getMainText(), u"Cannot write into this folder! Right-click: other folder."_s);
    QVERIFY(elsewhere->isEnabled() && !addRest->isEnabled());
    chooseFolder(window, pictures);
    QCOMPARE(warning->getMainText(), u"Folder \"FilesFromSelection\" already exists! Delete it! Right-click: add the rest."_s);
    addRest->trigger();
    settle(window);
    QVERIFY(warning->isHidden() && !addRest->isEnabled());
    pressStart(window);
    QTRY_COMPARE(progress->getSummary(), u"Done: 1 copied and verified, 1 already there"_s);
    QCOMPARE(QDir(pictures + u"/FilesFromSelection"_s).entryList(QDir::Files | QDir::Hidden), (runsOwn() + QStringList{"a.jpg", "b.jpg"}));

    chooseFolder(window, pictures);
    QVERIFY(!warning->isHidden());
    addRest->trigger(); // then another folder, whose FilesFromSelection is not to be added to
    settle(window);
    const auto chooseDestination = [&](const QString &path, QAction *choice = nullptr) {
        (choice ? choice : elsewhere)->trigger();
        QCOMPARE(window.findChildren<QFileDialog *>().last()->windowTitle(),
                 choice ? u"Choose where a second FilesFromSelection goes"_s : u"Choose where FilesFromSelection goes"_s);
        emit window.findChildren<QFileDialog *>().last()->fileSelected(path);
        settle(window);
    };
    chooseDestination(folder(u"taken"_s, {"FilesFromSelection/a.jpg"}));
    QVERIFY(!warning->isHidden());
    chooseDestination(pictures + u"/FilesFromSelection"_s);
    QCOMPARE(warning->getMainText(), u"Cannot copy into %1/FilesFromSelection: it is inside a folder FilesFromSelection"_s.arg(pictures));
    chooseDestination(other);
    QVERIFY(warning->isHidden());
    // A backup: never the destination itself; the copies go to both.
    chooseDestination(other, path->actions().value(5));
    QCOMPARE(warning->getMainText(), u"Cannot copy into %1: it is the same folder as %1"_s.arg(other));
    const QString backup = folder(u"backup"_s, {});
    chooseDestination(backup, path->actions().value(5));
    QCOMPARE(path->getMainText(), u"%1  \u2192  %2/FilesFromSelection  +  %3/FilesFromSelection"_s.arg(pictures, other, backup));
    for (QAction *action : path->actions()) // dropped, and chosen again
        action->text() == u"No backup copy"_s ? action->trigger() : void();
    settle(window);
    QCOMPARE(path->getMainText(), u"%1  \u2192  %2/FilesFromSelection"_s.arg(pictures, other));
    chooseDestination(backup, path->actions().value(5));
    pressStart(window);
    QTRY_COMPARE(progress->getSummary(), u"Done: 2 copied and verified, backed up"_s);
    for (const QString &into : {other, backup})
        QCOMPARE(QDir(into + u"/FilesFromSelection"_s).entryList(QDir::Files | QDir::Hidden), (runsOwn() + QStringList{"a.jpg", "b.jpg"}));
    QTextBrowser fileManager;
    QSignalSpy opened(&fileManager, &QTextBrowser::anchorClicked);
    QDesktopServices::setUrlHandler(u"file"_s, &fileManager, "anchorClicked");
    run->click();
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QCOMPARE(opened, QList<QVariantList>{{QUrl::fromLocalFile(other + u"/FilesFromSelection"_s)}});
    chooseFolder(window, pictures);
    QCOMPARE(path->getMainText(), pictures);
    QVERIFY(!warning->isHidden());
    // A link in FilesFromSelection's place is never followed: nothing to add to.
    const QString linked = folder(u"linked"_s, {"a.jpg"});
    QVERIFY(QFile::link(other + u"/FilesFromSelection"_s, linked + u"/FilesFromSelection"_s));
    chooseFolder(window, linked);
    QCOMPARE(warning->getMainText(), u"Folder \"FilesFromSelection\" already exists! Delete it!"_s);
    QVERIFY(!addRest->isEnabled());
}

// The window answers while it matches: the To copy tile shows that work is
// under way, Start is not offered, and a newer choice supersedes the one in
// hand. Each change of the files to copy checks the destination: after a run,
// a new list meets its FilesFromSelection, whose rest can be added; that
// choice holds across options and ticks and goes with a new list. A drive too
// small for the files is named before Start, and Start checks again.
void TestPkCopyTarget::checks()
{
    const QString pictures = folder(u"pictures"_s, {"a.jpg", "b.jpg"}, 10);
    QFile huge(pictures + u"/c.cr2"_s);
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(8) << 40));
    MainWindow window;
    PkButton *run = tile(window, StartButton), *toCopy = tile(window, ToCopyTile), *warning = tile(window, WarningTile);
    QAction *addRest = tile(window, FolderTile)->actions().value(1);
    chooseList(window, file(u"list.txt"_s, "a\nb\n"));
    for (const QString &path : {folder(u"other"_s, {"a1.jpg"}), pictures})
        QVERIFY(QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, path)));
    QCOMPARE(toCopy->getMainText(), u"\u2026"_s);
    QVERIFY(run->isHidden() && !toCopy->isHidden());
    QCOMPARE(window.cursor().shape(), Qt::BusyCursor);
    settle(window);
    QCOMPARE(toCopy->getMainText(), u"2"_s);
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    pressStart(window);
    QTRY_COMPARE(window.findChild<PkDashboard *>()->getSummary(), u"Done: 2 copied and verified"_s);

    const QString exists = u"Folder \"FilesFromSelection\" already exists! Delete it! Right-click: add the rest."_s;
    const QRegularExpression full(u"^Needs 8\\.8 TB, \\d+\\.\\d [kMGT]B free on this drive\\. Right-click: copy elsewhere\\.$"_s);
    chooseList(window, file(u"more.txt"_s, "a\nb\nc\n"));
    QCOMPARE(warning->getMainText(), exists); // alone, as when the folder itself is chosen
    QVERIFY(run->isHidden() && toCopy->isHidden() && window.findChild<PkDashboard *>()->isHidden() && addRest->isEnabled());
    addRest->trigger();
    settle(window);
    QVERIFY2(full.match(warning->getMainText()).hasMatch(), qPrintable(warning->getMainText()));
    tile(window, SelectedTile)->actions().value(0)->trigger();
    settle(window);
    QVERIFY(full.match(warning->getMainText()).hasMatch() && run->isHidden());
    toCopy->actions().value(0)->trigger();
    auto *review = window.findChild<PkReviewWindow *>();
    review->model()->setTicked(int(review->model()->selection().files.indexOf(u"c.cr2"_s)), false);
    settle(window);
    QVERIFY(warning->isHidden() && !run->isHidden());
    QDir(pictures + u"/FilesFromSelection"_s).removeRecursively();
    file(u"pictures/FilesFromSelection"_s, "a file in its place");
    run->click();
    settle(window);
    QCOMPARE(warning->getMainText(), u"Folder \"FilesFromSelection\" already exists! Delete it! Right-click: other folder."_s);
    QVERIFY(run->isHidden());
    QCOMPARE(window.findChild<PkDashboard *>()->getSummary(), QString());
    QFile::remove(pictures + u"/FilesFromSelection"_s);
    QDir(pictures).mkdir(u"FilesFromSelection"_s);
    chooseList(window, file(u"list.txt"_s, "a\nb\n"));
    QCOMPARE(warning->getMainText(), exists);
}

// A job kept on two cards: searched when the folder itself holds none of
// the pictures, as the path tile says; never searched, the To copy tile's
// tooltip says where the rest is. Copies can go into one folder.
void TestPkCopyTarget::subfolders()
{
    const QString job = folder(u"job"_s, {"CardA/IMG_0001.JPG", "CardA/IMG_0002.JPG", "CardB/IMG_0001.JPG", "CardB/IMG_0003.JPG", "CardB/._IMG_0003.JPG"});
    MainWindow window;
    PkButton *path = tile(window, FolderTile), *toCopy = tile(window, ToCopyTile);
    QMenu *search = path->actions().value(2)->menu();
    QVERIFY(search && search->actions().value(0)->isChecked()); // "When the folder itself holds none of the pictures"
    chooseList(window, file(u"list.txt"_s, "0002\n0003\n"));
    chooseFolder(window, job);
    settle(window);
    QCOMPARE(path->getMainText(), job + u" \u00b7 2 sub-folders"_s);
    QCOMPARE(toCopy->getMainText(), u"2"_s);
    search->actions().value(1)->trigger(); // never
    settle(window);
    QCOMPARE(path->getMainText(), job);
    QCOMPARE(toCopy->getMainText(), u"0"_s);
    QVERIFY2(toCopy->toolTip().contains(u"2 identifiers not found here are in sub-folders"_s), qPrintable(toCopy->toolTip()));
    search->actions().value(2)->trigger(); // always
    path->actions().value(3)->trigger(); // into one folder
    path->actions().value(4)->trigger(); // unverified
    settle(window);
    pressStart(window);
    QTRY_COMPARE(window.findChild<PkDashboard *>()->getSummary(), u"Done: 2 copied"_s);
    QCOMPARE(QDir(job + u"/FilesFromSelection"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (runsOwn() + QStringList{u"IMG_0002.JPG"_s, u"IMG_0003.JPG"_s}));
    MainWindow again; // the choices are remembered
    const QList<QAction *> options = tile(again, FolderTile)->actions();
    QVERIFY(options.value(2)->menu()->actions().value(2)->isChecked() && options.value(3)->isChecked() && !options.value(4)->isChecked());
}

QTEST_MAIN(TestPkCopyTarget)
#include "tst_pkcopytarget.moc"
