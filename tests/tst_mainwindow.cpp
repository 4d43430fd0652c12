// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "pkbutton.h"
#include "pkdashboard.h"
#include "pkfilecopier.h"
#include "pkreviewmodel.h"
#include "pkreviewview.h"
#include "pkreviewwindow.h"
#include "pkwindowtest.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

// The window driven through its slots, buttons and keys, end to end, with
// real folders and real runs.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void drops_data();
    void drops();
    void pastedList();
    void piecesCounted();
    void workflow();
    void runs();
    void review();

private:
    QString file(const QString &name, const QByteArray &bytes) { return writeTestFile(dir->filePath(name), bytes); }
    QString folder(const QString &name, const QStringList &files, int size = 0)
    {
        return makeTestFolder(dir->filePath(name), files, size);
    }

    std::unique_ptr<QTemporaryDir> dir;
};

namespace {

const char *const tileNames[] = {"text", "folder", "start", "file", "path", "selected", "toCopy", "warning"};

// The workflow's widgets that are not hidden, in creation order, the panel last.
QStringList shown(MainWindow &window)
{
    QStringList names;
    for (int i = TextButton; i <= WarningTile; ++i) {
        if (!tile(window, Tile(i))->isHidden())
            names << QLatin1String(tileNames[i]);
    }
    return window.findChild<PkDashboard *>()->isHidden() ? names : names << u"panel"_s;
}

// Qt takes a tooltip that looks like markup for markup; this is what it shows.
QString shownToolTip(const QWidget *widget)
{
    const QString text = widget->toolTip();
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// Holds a run as it copies p0001.jpg, that copy written but not yet named,
// until the test lets it go or the window interrupts it.
QSemaphore heldAtSecond, letGo;

void holdSecondCopy(const QString &destination)
{
    if (destination.endsWith("/p0001.jpg"_L1))
        heldAtSecond.release();
    while (destination.endsWith("/p0001.jpg"_L1) && !letGo.tryAcquire(1, 10) && !QThread::currentThread()->isInterruptionRequested()) {
    }
}

QStringList capturedMessages;

void captureDebugMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        capturedMessages << message;
}

} // namespace

void TestMainWindow::init()
{
    QGuiApplication::clipboard()->clear();
    dir = testFolderWithSettings();
}

void TestMainWindow::drops_data()
{
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<Qt::DropAction>("taken");
    QTest::addColumn<QString>("tiles"); // the list's and the folder's paths afterwards

    const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, move = Qt::MoveAction;
    const Qt::DropAction copy = Qt::CopyAction, link = Qt::LinkAction, refused = Qt::IgnoreAction;
    QTest::newRow("a file") << QStringList{"list.txt"} << any << copy << "list.txt, ";
    QTest::newRow("a folder before any file") << QStringList{"pictures"} << any << refused << ", ";
    QTest::newRow("a folder after a file") << QStringList{"pictures"} << any << copy << "first.txt, pictures";
    QTest::newRow("a folder and a file") << QStringList{"pictures", "list.txt"} << any << copy << "list.txt, pictures";
    QTest::newRow("two files") << QStringList{"list.txt", "first.txt"} << any << refused << "first.txt, ";
    QTest::newRow("a remote file") << QStringList{"https://example.org/list.txt"} << any << refused << ", ";
    QTest::newRow("a missing file") << QStringList{"missing.txt"} << any << refused << ", ";
    QTest::newRow("offered as a move or a link") << QStringList{"list.txt"} << (move | link) << link << "list.txt, ";
    QTest::newRow("offered only as a move") << QStringList{"list.txt"} << move << refused << ", ";
    QTest::newRow("text, not a file, is the list") << QStringList{"text:a"} << any << copy << "Pasted list, ";
    QTest::newRow("blank text") << QStringList{"text: \n"} << any << refused << ", ";
    QTest::newRow("pictures are examples") << QStringList{"pictures/a.jpg"} << any << copy << "1 example picture, ";
}

// A drop names a list, a folder or both, and is never taken as a move. Where
// first.txt is expected afterwards, it was chosen before the drop.
void TestMainWindow::drops()
{
    QFETCH(QStringList, urls);
    QFETCH(Qt::DropActions, offered);
    QFETCH(Qt::DropAction, taken);
    QFETCH(QString, tiles);

    folder(u"pictures"_s, {"a.jpg"});
    file(u"list.txt"_s, "a\n");
    MainWindow window;
    if (tiles.startsWith("first.txt"_L1))
        window.chooseTextFile(file(u"first.txt"_s, "b\n"));
    QList<QUrl> urlList;
    for (const QString &url : urls)
        urlList << (url.contains(u':') ? QUrl(url) : QUrl::fromLocalFile(dir->filePath(url)));
    QMimeData mimeData;
    // File managers offer the paths as text too; the files are what counts.
    const bool text = urls.value(0).startsWith("text:"_L1);
    if (!text)
        mimeData.setUrls(urlList);
    mimeData.setText(text ? urls.value(0).mid(5) : urls.join(u'\n'));
    QDragEnterEvent enter(QPoint(400, 300), offered, &mimeData, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(400, 300), offered, &mimeData, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent *event : {static_cast<QDropEvent *>(&enter), &drop}) {
        QCoreApplication::sendEvent(&window, event);
        QCOMPARE(event->isAccepted() ? event->dropAction() : Qt::IgnoreAction, taken);
    }
    const auto chosen = [&](Tile t) { return QDir(dir->path()).relativeFilePath(tile(window, t)->getMainText()); };
    QCOMPARE(chosen(TextTile) + u", "_s + chosen(FolderTile), tiles);
}

// A list pasted from the clipboard, and what the Selected tile says of an
// identifier that selects several pictures, until numbers are matched whole.
void TestMainWindow::pastedList()
{
    const QString pictures = folder(u"pictures"_s, {"IMG_0412.CR2", "IMG_0412.JPG", "IMG_1412.jpg", "IMG_4120.jpg"});
    MainWindow window;
    PkButton *selected = tile(window, SelectedTile), *toCopy = tile(window, ToCopyTile);
    QAction *paste = tile(window, TextButton)->actions().value(0);
    QGuiApplication::clipboard()->setText(u" \n"_s);
    QVERIFY(!paste->isEnabled());
    QGuiApplication::clipboard()->setText(u"412\n<b>9</b>\n"_s);
    QVERIFY(paste->isEnabled());
    paste->trigger();
    settle(window);
    QCOMPARE(tile(window, TextTile)->getMainText(), u"Pasted list"_s);
    QCOMPARE(selected->getMainText(), u"2"_s);
    chooseFolder(window, pictures);
    QCOMPARE(toCopy->getMainText(), u"0"_s); // until the user answers for 412
    QCOMPARE(selected->getFooterText(), u"1 ambiguous"_s);
    selected->actions().value(1)->trigger();
    settle(window);
    QCOMPARE(toCopy->getMainText(), u"2"_s);
}

// Before the folder a range counts as its numbers, a sentence as one line and
// blank lines not at all; the folder shows the sentence's picks and the
// sign-off, and the review groups the files under the identifiers read.
void TestMainWindow::piecesCounted()
{
    const QString pictures = folder(u"pieces"_s, {"IMG_0411.jpg", "IMG_0412.CR2", "IMG_0412.JPG", "IMG_1412.jpg", "IMG_4120.jpg"});
    MainWindow window;
    PkButton *selected = tile(window, SelectedTile), *toCopy = tile(window, ToCopyTile);
    chooseList(window, file(u"pieces.txt"_s, "0411-0412\n\nWe like 1412, 4120 and 0411!\nThanks!\n"));
    QCOMPARE(selected->getMainText(), u"4"_s);
    chooseFolder(window, pictures);
    QCOMPARE(selected->getMainText(), u"5"_s);
    QCOMPARE(toCopy->getMainText(), u"5"_s);
    window.show();
    QTest::mouseDClick(toCopy, Qt::LeftButton);
    QStringList groups;
    for (const auto &group : window.findChild<PkReviewWindow *>()->model()->groups())
        groups << group.id;
    QCOMPARE(groups, (QStringList{"0411", "0412", "1412", "4120"}));
}

// A session through every state of the workflow, then the next one. A list
// that cannot be read and a refused folder each show a warning over the count
// tiles; a refused folder keeps the earlier selection ready. "Not found" shows
// identifiers as written, the first twenty; matching without extensions
// re-matches at once. The log lines. In the next window the dialogs open where the last list and
// the parent of the last picture folder were, and the matching is as it was left.
void TestMainWindow::workflow()
{
    QStringList missing = {"<i>9000</i>"};
    for (int i = 1; i < 20; ++i)
        missing << QString::number(9000 + i);
    const QString list = file(u"lists/\"q\".txt"_s, "IMG_0001.jpg\nIMG_0002.CR2\n" + missing.join(u'\n').toUtf8());
    const QString pictures = folder(u"pictures"_s, {"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg", "IMG_0003.jpg"});
    const QString refused = folder(u"old/refused"_s, {"FilesFromSelection/old.jpg"});
    const QStringList copies = {"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0002.jpg"};
    auto session = std::make_unique<MainWindow>();
    MainWindow &window = *session;
    PkButton *run = tile(window, StartButton), *toCopy = tile(window, ToCopyTile), *warning = tile(window, WarningTile);
    QVERIFY(window.windowTitle().endsWith(" by pickwell.example.org"_L1));
    QVERIFY(!window.statusBar()->isSizeGripEnabled());
    QVERIFY(window.acceptDrops());
    QCOMPARE(tile(window, FolderTile)->getMainFont(), QFont()); // paths in the default font, unlike counts
    QCOMPARE(shown(window), QStringList{"text"});
    for (QAction *action : window.findChildren<QAction *>()) { // nothing to copy or report yet; examples and choices to make
        if (!action->text().contains("example pictures"_L1) && !action->menu())
            QCOMPARE(action->isEnabled(), action->isCheckable());
    }

    const QtMessageHandler previous = qInstallMessageHandler(captureDebugMessage);
    tile(window, TextButton)->click();
    emit window.findChild<QFileDialog *>()->fileSelected(pictures);
    settle(window);
    QCOMPARE(warning->getMainText(), u"Cannot read the list: Is a directory"_s);
    QCOMPARE(shown(window), (QStringList{"text", "folder", "file", "warning"}));
    chooseList(window, list);
    QCOMPARE(tile(window, SelectedTile)->getMainText(), u"22"_s);
    tile(window, FolderButton)->click();
    emit window.findChildren<QFileDialog *>().value(1)->fileSelected(pictures);
    settle(window);
    QCOMPARE(shown(window), (QStringList{"text", "folder", "start", "file", "path", "selected", "toCopy", "panel"}));
    QCOMPARE(toCopy->getMainText(), u"3"_s);
    QCOMPARE(shownToolTip(toCopy), u"Not found: "_s + missing.join(u", "_s));
    tile(window, SelectedTile)->actions().value(0)->trigger();
    QCOMPARE(toCopy->getFooterText(), QString()); // the last match's, until the new one comes back
    settle(window);
    QCOMPARE(toCopy->getMainText(), u"2"_s); // IMG_0002.CR2 then finds IMG_0002.jpg by its number
    QCOMPARE(toCopy->getFooterText(), u"20 not found"_s);
    tile(window, SelectedTile)->actions().value(0)->trigger();
    settle(window);
    QCOMPARE(toCopy->getMainText(), u"3"_s);
    toCopy->actions().value(1)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), missing.join(u'\n'));

    window.chooseTextFile(file(u"lists/one.txt"_s, "IMG_0003")); // read while the refused folder is checked:
    chooseFolder(window, refused);                                // matched with the folder kept
    QCOMPARE(warning->getMainText(), u"Folder \"FilesFromSelection\" already exists! Delete it! Right-click: add the rest."_s);
    QCOMPARE(shown(window), (QStringList{"text", "folder", "start", "file", "path", "warning"}));
    QCOMPARE(toCopy->getMainText(), u"1"_s);
    chooseList(window, list);
    run->click();
    QTRY_COMPARE(window.findChild<PkDashboard *>()->getSummary(), u"Done: 3 copied and verified"_s);
    qInstallMessageHandler(previous);
    QCOMPARE(run->accessibleName(), u"Show copies"_s);
    QCOMPARE(outputFiles(pictures), copies);

    QCOMPARE(capturedMessages.mid(0, 3), (QStringList{u"MainWindow::on_buttonTextFilePathpressed..."_s,
        u"MainWindow::on_fileSelected: \"%1\""_s.arg(pictures), u"MainWindow::on_fileSelected: \"%1/lists/\\\"q\\\".txt\""_s.arg(dir->path())}));
    QVERIFY(capturedMessages.contains(u"MainWindow::on_textFileSelected: listOfFilesToCopy: QList(\"%1\")"_s.arg(copies.join(u"\", \""_s))));
    QCOMPARE(capturedMessages.last().section(u' ', 2), u"MainWindow::on_buttonStartCopypressed..."_s);

    session.reset();
    MainWindow next;
    tile(next, TextButton)->click();
    tile(next, FolderButton)->click();
    QCOMPARE(next.findChildren<QFileDialog *>().value(0)->directory(), QDir(dir->filePath(u"lists"_s)));
    QCOMPARE(next.findChildren<QFileDialog *>().value(1)->directory(), QDir(dir->filePath(u"old"_s)));
    QCOMPARE(next.findChildren<QFileDialog *>().value(0)->windowTitle() + u", "_s + next.findChildren<QFileDialog *>().value(1)->windowTitle(),
             u"Choose the client's list, Choose the picture folder"_s);
    QVERIFY(next.findChildren<QFileDialog *>().value(1)->testOption(QFileDialog::ShowDirsOnly)); // folders only
    QVERIFY(!next.findChildren<QFileDialog *>().value(0)->testOption(QFileDialog::ShowDirsOnly));
    auto *nameEdit = next.findChildren<QFileDialog *>().value(0)->findChild<QLineEdit *>(u"fileNameEdit"_s);
    nameEdit->completer()->popup()->show();
    emit nameEdit->returnPressed();
    QVERIFY(nameEdit->completer()->popup()->isHidden()); // the completer's list goes with Enter
    QAction *option = tile(next, SelectedTile)->actions().value(0);
    QVERIFY(option->isChecked());
    chooseList(next, list);
    option->trigger();
    settle(next);
    QVERIFY(tile(next, ToCopyTile)->isHidden());
}

// Ctrl+Return only starts and Esc only stops; a stop ends the run after the
// file in hand. A new selection clears the panel. Under a file-size limit,
// failed files are reported as written. Closing the window during a run
// stops it too.
void TestMainWindow::runs()
{
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names << u"p%1.jpg"_s.arg(i, 4, 10, QLatin1Char('0'));
    const QString pictures = folder(u"pictures"_s, names, 64 * 1024);
    const QString second = folder(u"second"_s, {"p1.jpg", "p2.jpg", "p3.jpg"});
    folder(u"second"_s, {"p4 <b>big.jpg", "p5 big.jpg"}, 64 * 1024);
    // Each picture by its own name: "p" alone would select them all and wait for an answer.
    const QString list = file(u"list.txt"_s, (QStringList(names).replaceInStrings(u".jpg"_s, QString()).join(u'\n')
                                              + u"\np1\np2\np3\np4\np5"_s).toUtf8());
    auto owner = std::make_unique<MainWindow>();
    MainWindow &window = *owner;
    PkButton *run = tile(window, StartButton);
    PkDashboard *progress = window.findChild<PkDashboard *>();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    PkFileCopier::setNamingHook(holdSecondCopy);
    const auto unhook = qScopeGuard([] { PkFileCopier::setNamingHook(nullptr); });
    chooseList(window, list);
    chooseFolder(window, pictures);
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(run->getMainText(), u"Start"_s);
    QSignalSpy started(window.findChild<PkRunController *>(), &PkRunController::startCopySignal);
    QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(started.wait());
    QCOMPARE(run->getMainText(), u"Stop"_s);
    QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier);
    // The run is held at its second copy, however fast the machine copies.
    QVERIFY(heldAtSecond.tryAcquire(1, 30000));
    QTRY_COMPARE(progress->getProgress(), 1);
    // 300 files of 64 KiB: the ring's tooltip gives the figures of the run.
    QVERIFY(QRegularExpression(u"^<p style='white-space:pre'>\\d+ of 300 · \\d+\\.\\d of 19\\.7 MB( · [^<>]+)?</p>$"_s).match(progress->toolTip()).hasMatch());
    QTest::keyClick(&window, Qt::Key_Escape);
    letGo.release();
    QTRY_COMPARE(progress->getSummary(), u"Stopped: 2 of 300 copied"_s);
    const QStringList copied = outputFiles(pictures);
    QCOMPARE(copied, names.mid(0, 2));
    QCOMPARE(run->getMainText(), u"Copy the rest"_s);
    QTextBrowser fileManager; // stands in for the desktop's: what the window opens, it emits as anchorClicked
    QSignalSpy opened(&fileManager, &QTextBrowser::anchorClicked);
    QDesktopServices::setUrlHandler(u"file"_s, &fileManager, "anchorClicked");
    progress->actions().value(1)->trigger(); // "Show copies" moved to the ring's menu
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier);
    QTRY_COMPARE(progress->getSummary(), u"Done: %1 copied and verified, %2 already there"_s.arg(300 - copied.size()).arg(copied.size()));
    QCOMPARE(progress->getProgress(), 300);
    QCOMPARE(outputFiles(pictures), names);
    run->click();
    QDesktopServices::unsetUrlHandler(u"file"_s);
    const QUrl copies = QUrl::fromLocalFile(pictures + u"/FilesFromSelection"_s);
    QCOMPARE(opened, (QList<QVariantList>{{copies}, {copies}}));
    run->click(); // without a file manager, which the offscreen platform lacks
    QCOMPARE(QGuiApplication::clipboard()->text(), copies.toLocalFile());
    QVERIFY(QToolTip::text().contains(copies.toLocalFile()));

    window.chooseTextFile(list); // a new choice clears the run's figures at once
    QCOMPARE(std::pair(progress->getSummary(), progress->percentageText()), std::pair(QString(), u"0%"_s));

    chooseFolder(window, second);
    QCOMPARE(progress->getSummary(), QString());
    QCOMPARE(progress->getTotal(), 5);
    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{std::min(rlim_t(16 * 1024), saved.rlim_max), saved.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    pressStart(window);
    QTRY_COMPARE(progress->getSummary(), u"3 copied and verified, 2 failed"_s);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(progress->getSummaryColor(), QColor(212, 146, 17));
    QCOMPARE(outputFiles(second), QStringList({"p1.jpg", "p2.jpg", "p3.jpg"}));

    QDir(pictures + u"/FilesFromSelection"_s).removeRecursively();
    chooseList(window, list);
    chooseFolder(window, pictures);
    pressStart(window);
    QVERIFY(heldAtSecond.tryAcquire(1, 30000));
    owner.reset();
    QCOMPARE(outputFiles(pictures), names.mid(0, 2));
}

// Files unticked in the review stay out of the count, the panel and the run;
// a change of matching option or of folder ticks every file again.
void TestMainWindow::review()
{
    const QString pictures = folder(u"pictures"_s, {"A1.jpg", "A1.dng", "B1.jpg", "B1.txt"});
    const QString other = folder(u"other"_s, {"A2.jpg", "B2.jpg"});
    MainWindow window;
    window.show();
    PkButton *toCopy = tile(window, ToCopyTile);
    QVERIFY(!toCopy->actions().value(0)->isEnabled());
    QTest::mouseDClick(toCopy, Qt::LeftButton);
    QVERIFY(!window.findChild<PkReviewWindow *>());
    chooseList(window, file(u"blank.txt"_s, " \n\n"));
    QCOMPARE(tile(window, WarningTile)->getMainText(), u"The list holds no identifier"_s);
    chooseList(window, file(u"list.txt"_s, "B\nA\n"));
    chooseFolder(window, pictures);
    QVERIFY(tile(window, WarningTile)->isHidden());
    QCOMPARE(toCopy->actions().value(0)->shortcut(), QKeySequence(u"Ctrl+R"_s));
    QTest::mouseDClick(toCopy, Qt::LeftButton);
    auto *review = window.findChild<PkReviewWindow *>();
    QVERIFY(review && review->isVisible());
    QCOMPARE(review->model()->groups().value(0).id, u"B"_s);
    review->model()->setTicked(int(review->model()->selection().files.indexOf(u"A1.dng"_s)), false);
    review->model()->setTicked(int(review->model()->selection().files.indexOf(u"B1.txt"_s)), false);
    settle(window);
    QCOMPARE(toCopy->getMainText(), u"2"_s);
    QCOMPARE(toCopy->getFooterText(), u"2 left out"_s);
    QCOMPARE(window.findChild<PkDashboard *>()->getTotal(), 2);
    toCopy->actions().value(2)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"A1.jpg\nB1.jpg"_s);
    tile(window, SelectedTile)->actions().value(0)->trigger();
    settle(window);
    QCOMPARE(toCopy->getMainText(), u"4"_s);
    QCOMPARE(review->model()->tickedCount(), 4);
    review->model()->setTicked(0, false);
    chooseFolder(window, other);
    QCOMPARE(toCopy->getMainText(), u"2"_s);
    chooseFolder(window, pictures);
    review->model()->setTicked(int(review->model()->selection().files.indexOf(u"B1.jpg"_s)), false);
    settle(window);
    pressStart(window);
    QTRY_COMPARE(window.findChild<PkDashboard *>()->getSummary(), u"Done: 3 copied and verified"_s);
    QCOMPARE(outputFiles(pictures), (QStringList{"A1.dng", "A1.jpg", "B1.txt"}));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
