// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "pkbutton.h"
#include "pkdashboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMetaMethod>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include <csignal>
#include <memory>

#include <sys/resource.h>

// The window driven through its slots, end to end, with real folders: the
// layout, every state of the workflow, the copy runs and the log lines.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void frameAndTeardown();
    void eventLoopExitCode();
    void widgets_data();
    void widgets();
    void labelAndStacking();
    void metaObjectInterface();
    void dialogs();
    void dialogsStartWhereTheLastChoicesWere();
    void workflowStates();
    void refusedFolderKeepsEarlierSelection();
    void stopShowCopiesAndNextRun();
    void failuresOnThePanel();
    void missingSelectionFile();
    void logLines();
    void closingDuringRunStopsPromptly();
    void idsNotFound_data();
    void idsNotFound();
    void idsNotFoundFollowRematching();
    void unreadableListAndMatchingWithoutExtensions();
    void drops_data();
    void drops();
    void shortcuts();

private:
    QString file(const QString &name, const QByteArray &bytes);
    QString folder(const QString &name, const QStringList &files);

    std::unique_ptr<QTemporaryDir> dir;
};

namespace {

// The painted buttons and tiles, in creation order.
enum Tile { TextButton, FolderButton, StartButton, TextTile, FolderTile, SelectedTile, ToCopyTile, WarningTile };
const char *const tileNames[] = {"text", "folder", "start", "textTile", "folderTile", "selected", "toCopy", "warning"};

PkButton *tile(MainWindow &window, Tile which)
{
    return window.findChildren<PkButton *>(Qt::FindDirectChildrenOnly).value(which);
}

PkDashboard *panel(MainWindow &window)
{
    return window.findChild<PkDashboard *>(QString(), Qt::FindDirectChildrenOnly);
}

// The workflow's widgets that are not hidden, as a sorted list of short names.
QStringList shown(MainWindow &window)
{
    QStringList names;
    for (int i = TextButton; i <= WarningTile; ++i) {
        if (!tile(window, Tile(i))->isHidden())
            names << QLatin1String(tileNames[i]);
    }
    if (!panel(window)->isHidden())
        names << QStringLiteral("panel");
    names.sort();
    return names;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

void chooseList(MainWindow &window, const QString &path)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "on_textFileSelected", Q_ARG(QString, path)));
}

void chooseFolder(MainWindow &window, const QString &path)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, path)));
}

QStringList outputFiles(const QString &pictures)
{
    return QDir(pictures + QStringLiteral("/FilesFromSelection")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Stands in for the desktop's file manager.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls << url; }
};

// Tooltips that Qt would take for markup are escaped; this is what they show.
QString shownText(const QString &toolTip)
{
    return Qt::mightBeRichText(toolTip) ? QTextDocumentFragment::fromHtml(toolTip).toPlainText() : toolTip;
}

// Spins the event loop only until the first copy is reported, so that the
// run has far to go.
void waitForFirstCopy(MainWindow &window)
{
    const QDeadlineTimer deadline(30000);
    while (panel(window)->getProgress() == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QVERIFY(panel(window)->getProgress() > 0);
}

QStringList capturedMessages;
QList<int> cursorsAtMessages; // the override cursor's shape, or -1 for none

void captureDebugMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        return;
    capturedMessages << message;
    const QCursor *cursor = QGuiApplication::overrideCursor();
    cursorsAtMessages << (cursor ? int(cursor->shape()) : -1);
}

} // namespace

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Pickwell tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_mainwindow"));
}

void TestMainWindow::init()
{
    QSettings().clear();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY2(dir->isValid(), qPrintable(dir->errorString()));
}

QString TestMainWindow::file(const QString &name, const QByteArray &bytes)
{
    const QString path = dir->filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A folder holding the given files, each with its own name as content.
QString TestMainWindow::folder(const QString &name, const QStringList &files)
{
    QDir().mkpath(dir->filePath(name));
    for (const QString &entry : files)
        file(name + QLatin1Char('/') + entry, entry.toUtf8());
    return dir->filePath(name);
}

void TestMainWindow::frameAndTeardown()
{
    auto window = std::make_unique<MainWindow>();
    QVERIFY(window->windowTitle().startsWith(QStringLiteral("Pickwell - - by ")));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(window->palette().brush(QPalette::Inactive, QPalette::Window).texture().size(), QSize(800, 600));
    QCOMPARE(window->centralWidget()->objectName(), QStringLiteral("centralwidget"));
    QCOMPARE(window->menuBar()->objectName(), QStringLiteral("menubar"));
    QCOMPARE(window->statusBar()->objectName(), QStringLiteral("statusbar"));
    window->resize(1000, 900);
    window->showMaximized();
    QCOMPARE(window->size(), QSize(800, 600));

    QList<QPointer<QWidget>> children;
    for (QWidget *child : window->findChildren<QWidget *>())
        children << child;
    window.reset();
    for (const QPointer<QWidget> &child : children)
        QVERIFY(child.isNull());
}

void TestMainWindow::eventLoopExitCode()
{
    MainWindow window;
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);
}

void TestMainWindow::widgets_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("pointSize");

    const QColor gray7(210, 210, 210), gray8(235, 235, 235), gray9(250, 250, 250);
    QTest::newRow("select text file") << 0 << QRect(20, 20, 240, 50) << "Select text file" << gray7 << 14;
    QTest::newRow("select image folder") << 1 << QRect(540, 20, 240, 50) << "Select image folder" << gray7 << 14;
    QTest::newRow("start") << 2 << QRect(540, 530, 240, 50) << "Start" << gray7 << 15;
    QTest::newRow("text file tile") << 3 << QRect(20, 465, 760, 50) << " Text file" << gray9 << -1;
    QTest::newRow("image path tile") << 4 << QRect(20, 410, 760, 50) << " Image path" << gray9 << -1;
    QTest::newRow("selected tile") << 5 << QRect(80, 200, 160, 90) << " Selected" << gray8 << 30;
    QTest::newRow("to copy tile") << 6 << QRect(560, 200, 160, 90) << " To copy" << gray8 << 30;
    QTest::newRow("warning tile") << 7 << QRect(20, 200, 760, 60) << " Warning" << gray8 << 16;
}

void TestMainWindow::widgets()
{
    QFETCH(int, index);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QColor, color);
    QFETCH(int, pointSize);

    MainWindow window;
    PkButton *button = tile(window, Tile(index));
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->maximumSize(), geometry.size());
    QCOMPARE(button->isHidden(), index != TextButton);
    const bool isTile = index >= TextTile;
    QCOMPARE(isTile ? button->getCaption() : button->getMainText(), text);
    QCOMPARE(isTile ? button->getCaptionColor() : button->getMainTextColor(), color);
    if (pointSize > 0)
        QCOMPARE(button->getMainFont(), QFont(QStringLiteral("Bender"), pointSize, QFont::Bold));
    else
        QCOMPARE(button->getMainFont(), QFont());
}

void TestMainWindow::labelAndStacking()
{
    MainWindow window;
    auto *label = window.findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(label->geometry(), QRect(20, 580, 760, 20));
    QVERIFY(!label->isHidden());
    QCOMPARE(label->text(), QStringLiteral("This program is provided without any warranty \u2013 use it at your own risk."));
    QCOMPARE(label->styleSheet(), QStringLiteral("QLabel { font-family:Bender; color:rgba(150,150,150,255); "
                                                 "background-color:rgba(0,0,0,0); font-size:12px; }"));
    QCOMPARE(panel(window)->geometry(), QRect(0, 80, 800, 438));
    QVERIFY(panel(window)->isHidden());

    // Siblings stack in creation order: the tiles lie above the panel, and
    // the warning, made last, above the two count tiles.
    QList<QObject *> order;
    for (QObject *child : window.children()) {
        if (child == label || child == panel(window) || qobject_cast<PkButton *>(child))
            order << child;
    }
    QCOMPARE(order.size(), 10);
    QCOMPARE(order.first(), label);
    QCOMPARE(order.at(1), panel(window));
    QCOMPARE(order.last(), tile(window, WarningTile));
}

void TestMainWindow::metaObjectInterface()
{
    const QMetaObject &meta = MainWindow::staticMetaObject;
    const QStringList expected = {"+startCopySignal(QList<QString>,QString)", "-on_buttonTextFilePathpressed()",
                                  "-on_buttonImageFilePathpressed()",        "-on_buttonStartCopypressed()",
                                  "-on_textFileSelected(QString)",           "-on_imagePathSelected(QString)",
                                  "+on_copyStatusSignal(int)",
                                  "-on_copyFailedSignal(QString,QString)",   "-on_copyFinishedSignal(int,int)"};
    QCOMPARE(meta.methodCount() - meta.methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodType(), i == 0 ? QMetaMethod::Signal : QMetaMethod::Slot);
        QCOMPARE(method.access(), expected[i].startsWith(u'+') ? QMetaMethod::Public : QMetaMethod::Private);
        QCOMPARE(meta.indexOfMethod(QMetaObject::normalizedSignature(qPrintable(expected[i].mid(1)))),
                 meta.methodOffset() + i);
    }
}

void TestMainWindow::dialogs()
{
    MainWindow window;
    const QString list = file(QStringLiteral("list.txt"), "a\n");
    tile(window, TextButton)->click();
    tile(window, TextButton)->click();
    const auto textDialogs = window.findChildren<QFileDialog *>();
    QCOMPARE(textDialogs.size(), 2);
    for (QFileDialog *dialog : textDialogs) {
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("Text files (*.txt)")});
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
        QVERIFY(!dialog->isModal() && dialog->isVisible());
    }
    // An older dialog stays connected, once.
    emit textDialogs.first()->fileSelected(list);
    QCOMPARE(tile(window, TextTile)->getMainText(), list);
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("1"));

    tile(window, FolderButton)->click();
    QFileDialog *folderDialog = window.findChildren<QFileDialog *>().value(2);
    QCOMPARE(folderDialog->fileMode(), QFileDialog::Directory);
    QVERIFY(!folderDialog->isModal());
    emit folderDialog->fileSelected(dir->path());
    QCOMPARE(tile(window, FolderTile)->getMainText(), dir->path());
    QVERIFY(!tile(window, StartButton)->isHidden());
}

// Also after the program was closed; a refused folder counts as chosen.
void TestMainWindow::dialogsStartWhereTheLastChoicesWere()
{
    {
        MainWindow window;
        chooseList(window, file(QStringLiteral("lists/june/list.txt"), "a\n"));
        chooseFolder(window, folder(QStringLiteral("shoots/june"), {"a.jpg"}));
        chooseFolder(window, folder(QStringLiteral("old/done"), {"FilesFromSelection/a.jpg"}));
    }
    MainWindow window;
    tile(window, TextButton)->click();
    tile(window, FolderButton)->click();
    const auto dialogs = window.findChildren<QFileDialog *>();
    QCOMPARE(dialogs.value(0)->directory(), QDir(dir->filePath(QStringLiteral("lists/june"))));
    QCOMPARE(dialogs.value(1)->directory(), QDir(dir->filePath(QStringLiteral("old"))));
    QCOMPARE(shown(window), QStringList{"text"});
}

void TestMainWindow::workflowStates()
{
    MainWindow window;
    const QString list = file(QStringLiteral("list.txt"), "0001\n0002\n");
    const QString pictures = folder(QStringLiteral("pictures"), {"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg", "IMG_0003.jpg"});
    folder(QStringLiteral("delivered/FilesFromSelection"), {});
    const QString delivered = dir->filePath(QStringLiteral("delivered"));
    QCOMPARE(shown(window), QStringList{"text"});

    chooseList(window, list);
    QCOMPARE(shown(window), sorted({"text", "textTile", "selected", "folder"}));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("2"));
    QCOMPARE(tile(window, SelectedTile)->getMainTextColor(), QColor(210, 210, 210));
    QCOMPARE(tile(window, TextTile)->getMainTextColor(), QColor(235, 235, 235));

    chooseFolder(window, delivered);
    QCOMPARE(shown(window), sorted({"text", "textTile", "folder", "folderTile", "warning"}));
    QCOMPARE(tile(window, WarningTile)->getMainText(),
             QStringLiteral("Folder \"FilesFromSelection\" already exists! Delete it!"));
    QCOMPARE(tile(window, WarningTile)->getMainTextColor(), QColor(212, 146, 17));
    QCOMPARE(tile(window, FolderTile)->getMainText(), delivered);

    chooseFolder(window, pictures);
    const QStringList ready = sorted({"text", "textTile", "folder", "folderTile", "selected", "toCopy", "panel", "start"});
    QCOMPARE(shown(window), ready);
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("3"));
    QCOMPARE(panel(window)->getTotal(), 3);
    tile(window, ToCopyTile)->actions().value(1)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("IMG_0001.CR2\nIMG_0001.jpg\nIMG_0002.jpg"));

    PkButton *run = tile(window, StartButton);
    run->click();
    QCOMPARE(shown(window), ready);
    QCOMPARE(run->getMainText(), QStringLiteral("Stop"));
    QTRY_COMPARE(panel(window)->getSummary(), QStringLiteral("Done: 3 copied"));
    QVERIFY(panel(window)->isComplete());
    QCOMPARE(panel(window)->getSummaryColor(), QColor(235, 235, 235));
    QCOMPARE(run->accessibleName(), QStringLiteral("Show copies"));
    QCOMPARE(shown(window), ready);
    QCOMPARE(outputFiles(pictures), QStringList({"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0002.jpg"}));
}

void TestMainWindow::refusedFolderKeepsEarlierSelection()
{
    MainWindow window;
    const QString first = folder(QStringLiteral("first"), {"a.jpg"});
    const QString refused = folder(QStringLiteral("refused"), {"a.jpg", "FilesFromSelection/old.jpg"});
    chooseList(window, file(QStringLiteral("list.txt"), "a\n"));
    chooseFolder(window, first);
    chooseFolder(window, refused);
    QVERIFY(!tile(window, StartButton)->isHidden());
    QVERIFY(tile(window, SelectedTile)->isHidden());
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("1"));
    QCOMPARE(panel(window)->getTotal(), 1);

    // "Start" still copies the earlier list into the earlier folder.
    tile(window, StartButton)->click();
    QTRY_VERIFY(panel(window)->isComplete());
    QCOMPARE(outputFiles(first), QStringList{"a.jpg"});
    QCOMPARE(outputFiles(refused), QStringList{"old.jpg"});

    chooseFolder(window, folder(QStringLiteral("third"), {}));
    QVERIFY(tile(window, WarningTile)->isHidden());
    QVERIFY(!tile(window, SelectedTile)->isHidden());
}

// A stop ends the run after the file in hand and leaves the result on the
// panel until the next selection; the next run is not touched by it. A list
// chosen during a run changes the tiles only and waits for its own "Start".
void TestMainWindow::stopShowCopiesAndNextRun()
{
    UrlCatcher catcher;
    const int count = 300;
    const QByteArray block(64 * 1024, 'p');
    for (int i = 0; i < count; ++i)
        file(QStringLiteral("pictures/p%1.jpg").arg(i, 4, 10, QLatin1Char('0')), block);
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    MainWindow window;
    PkButton *run = tile(window, StartButton);
    chooseList(window, file(QStringLiteral("list.txt"), "p\n"));
    chooseFolder(window, pictures);
    run->click();
    waitForFirstCopy(window);
    run->click();
    QTRY_VERIFY(panel(window)->getSummary().startsWith(QStringLiteral("Stopped: ")));
    const QStringList copied = outputFiles(pictures);
    QCOMPARE(panel(window)->getSummary(), QStringLiteral("Stopped: %1 of %2 copied").arg(copied.size()).arg(count));
    QVERIFY(copied.size() < count);
    for (const QString &name : copied)
        QCOMPARE(QFileInfo(pictures + QStringLiteral("/FilesFromSelection/") + name).size(), block.size());
    QCOMPARE(run->getMainText(), QStringLiteral("Show copies"));
    run->click();
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(pictures + QStringLiteral("/FilesFromSelection"))});

    const QString second = folder(QStringLiteral("second"), {"p1.jpg", "p2.jpg", "p3.jpg"});
    chooseFolder(window, second);
    QCOMPARE(panel(window)->getProgress(), 0);
    QCOMPARE(panel(window)->getTotal(), 3);
    QCOMPARE(panel(window)->getSummary(), QString());
    QCOMPARE(run->getMainText(), QStringLiteral("Start"));
    run->click();
    chooseList(window, file(QStringLiteral("one.txt"), "p1\n"));
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("1"));
    QCOMPARE(panel(window)->getTotal(), 3);
    QCOMPARE(run->getMainText(), QStringLiteral("Stop"));
    QTRY_COMPARE(panel(window)->getSummary(), QStringLiteral("Done: 3 copied"));
    QCOMPARE(outputFiles(second), QStringList({"p1.jpg", "p2.jpg", "p3.jpg"}));
    QCOMPARE(run->getMainText(), QStringLiteral("Start"));
}

// Two of five files outgrow a file-size limit, as on a disk that fills up.
void TestMainWindow::failuresOnThePanel()
{
    const QString pictures = folder(QStringLiteral("pictures"), {"a1.jpg", "a2.jpg", "a3.jpg"});
    file(QStringLiteral("pictures/a4 <b>big.jpg"), QByteArray(64 * 1024, 'x'));
    file(QStringLiteral("pictures/a5 big.jpg"), QByteArray(64 * 1024, 'x'));
    MainWindow window;
    chooseList(window, file(QStringLiteral("list.txt"), "a\n"));
    chooseFolder(window, pictures);

    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{std::min(rlim_t(16 * 1024), saved.rlim_max), saved.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    tile(window, StartButton)->click();
    QTRY_VERIFY(!panel(window)->getSummary().contains(QLatin1String(" of ")));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    PkDashboard *progress = panel(window);
    QCOMPARE(progress->getSummary(), QStringLiteral("3 copied, 2 failed"));
    QCOMPARE(progress->getSummaryColor(), QColor(212, 146, 17));
    QCOMPARE(progress->percentageText(), QStringLiteral("60%"));
    QVERIFY(!progress->isComplete());
    QCOMPARE(outputFiles(pictures), QStringList({"a1.jpg", "a2.jpg", "a3.jpg"}));
    QCOMPARE(shownText(progress->toolTip()), QStringLiteral("a4 <b>big.jpg: File too large\na5 big.jpg: File too large"));
    QAction *report = progress->actions().value(0);
    QCOMPARE(report->text(), QStringLiteral("Copy failure report"));
    report->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("a4 <b>big.jpg\tFile too large\na5 big.jpg\tFile too large"));
}

void TestMainWindow::missingSelectionFile()
{
    MainWindow window;
    const QString pictures = folder(QStringLiteral("pictures"), {"a.jpg"});
    chooseList(window, dir->filePath(QStringLiteral("typed-but-missing.txt")));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("0"));
    chooseFolder(window, pictures);
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("0"));

}

void TestMainWindow::logLines()
{
    const QString list = file(QStringLiteral("list \"quoted\".txt"), "b\n");
    const QString pictures = folder(QStringLiteral("pictures"), {"b1.jpg", "b2.jpg"});
    MainWindow window;
    capturedMessages.clear();
    cursorsAtMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureDebugMessage);
    tile(window, TextButton)->click();
    chooseList(window, list);
    tile(window, FolderButton)->click();
    chooseFolder(window, pictures);
    chooseList(window, list);
    tile(window, StartButton)->click();
    QVERIFY(QMetaObject::invokeMethod(&window, "on_copyStatusSignal", Q_ARG(int, 0)));
    qInstallMessageHandler(previous);

    const QString quotedList = QStringLiteral("\"%1/list \\\"quoted\\\".txt\"").arg(dir->path());
    const QStringList expected = {
        QStringLiteral("MainWindow::on_buttonTextFilePathpressed..."),
        QStringLiteral("MainWindow::on_fileSelected: ") + quotedList,
        QStringLiteral("MainWindow::on_buttonImageFilePathpressed..."),
        QStringLiteral("MainWindow::on_imagePath: \"%1\"").arg(pictures),
        QStringLiteral("MainWindow::on_fileSelected: ") + quotedList,
        QStringLiteral("MainWindow::on_textFileSelected: listOfFilesToCopy: QList(\"b1.jpg\", \"b2.jpg\")"),
    };
    QCOMPARE(capturedMessages.mid(0, expected.size()), expected);
    QCOMPARE(capturedMessages.size(), expected.size() + 1);
    static const QRegularExpression startLine(
        QStringLiteral(R"(^"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3}" MainWindow::on_buttonStartCopypressed\.\.\.$)"));
    QVERIFY2(startLine.match(capturedMessages.last()).hasMatch(), qPrintable(capturedMessages.last()));

    // Reading and matching show a busy cursor, which goes when they are done.
    const int busy = Qt::WaitCursor;
    QCOMPARE(cursorsAtMessages.mid(0, expected.size()), (QList<int>{-1, busy, -1, busy, busy, busy}));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestMainWindow::closingDuringRunStopsPromptly()
{
    const int count = 400;
    const QByteArray block(256 * 1024, 'p');
    for (int i = 0; i < count; ++i)
        file(QStringLiteral("pictures/p%1.jpg").arg(i, 4, 10, QLatin1Char('0')), block);
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    auto window = std::make_unique<MainWindow>();
    chooseList(*window, file(QStringLiteral("list.txt"), "p\n"));
    chooseFolder(*window, pictures);
    tile(*window, StartButton)->click();
    waitForFirstCopy(*window);
    window.reset();

    const QStringList copied = outputFiles(pictures);
    QVERIFY2(copied.size() < count, qPrintable(QString::number(copied.size())));
    for (const QString &name : copied)
        QCOMPARE(QFileInfo(pictures + QStringLiteral("/FilesFromSelection/") + name).size(), block.size());
}

void TestMainWindow::idsNotFound_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("footer");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("all found") << QByteArray("0001\n0002\n") << QString() << QString();
    QTest::newRow("some missing") << QByteArray("0012\n0001\n0045\n0101\n") << "3 not found"
                                  << "Not found: 0012, 0045, 0101";
    QTest::newRow("duplicates and blank lines") << QByteArray("0045\n\n0045\n  \n0001\n0012\n") << "2 not found"
                                                << "Not found: 0045, 0012";
    QTest::newRow("found only inside another name") << QByteArray("IMG_00\nG_0002.j\n0003\n") << "1 not found"
                                                    << "Not found: 0003";
    QByteArray many;
    QStringList first20;
    for (int i = 1; i <= 25; ++i) {
        many += QByteArray::number(9000 + i) + '\n';
        if (i <= 20)
            first20 << QString::number(9000 + i);
    }
    QTest::newRow("looks like markup") << QByteArray("<i>0001</i>\n") << "1 not found" << "Not found: <i>0001</i>";
    QTest::newRow("more than twenty") << many << "25 not found"
                                      << QStringLiteral("Not found: %1 and 5 more").arg(first20.join(QStringLiteral(", ")));
}

void TestMainWindow::idsNotFound()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, footer);
    QFETCH(QString, toolTip);

    MainWindow window;
    // The sub-folder named like a missing identifier must not count as found.
    chooseList(window, file(QStringLiteral("list.txt"), list));
    chooseFolder(window, folder(QStringLiteral("pictures"), {"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg", "0012/x"}));
    PkButton *toCopy = tile(window, ToCopyTile);
    QCOMPARE(toCopy->getFooterText(), footer);
    QCOMPARE(shownText(toCopy->toolTip()), toolTip);
    QCOMPARE(toCopy->getFooterColor(), QColor(212, 146, 17));
    QCOMPARE(toCopy->accessibleDescription(), footer);

    QCOMPARE(toCopy->contextMenuPolicy(), Qt::ActionsContextMenu);
    QAction *action = toCopy->actions().value(0);
    QCOMPARE(action->text(), QStringLiteral("Copy identifiers not found"));
    QCOMPARE(action->isEnabled(), !footer.isEmpty());
    if (action->isEnabled()) {
        action->trigger();
        const QStringList ids = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(ids.size(), footer.section(QLatin1Char(' '), 0, 0).toInt());
        QVERIFY(toolTip.startsWith(QStringLiteral("Not found: ") + ids.mid(0, 20).join(QStringLiteral(", "))));
    }
}

void TestMainWindow::idsNotFoundFollowRematching()
{
    MainWindow window;
    const QString pictures = folder(QStringLiteral("pictures"), {"a1.jpg"});
    PkButton *toCopy = tile(window, ToCopyTile);
    chooseList(window, file(QStringLiteral("ab.txt"), "a\nb\n"));
    chooseFolder(window, pictures);
    QCOMPARE(toCopy->getFooterText(), QStringLiteral("1 not found"));
    chooseFolder(window, folder(QStringLiteral("others"), {"b1.jpg"}));
    QCOMPARE(toCopy->toolTip(), QStringLiteral("Not found: a"));
    chooseFolder(window, pictures);
    chooseList(window, file(QStringLiteral("a.txt"), "a\n"));
    QCOMPARE(toCopy->getFooterText(), QString());
    QCOMPARE(toCopy->toolTip(), QString());
    QVERIFY(!toCopy->actions().constFirst()->isEnabled());
}

// The warning says why a list gave nothing and goes with a readable list.
// Matching without extensions re-matches at once and is remembered.
void TestMainWindow::unreadableListAndMatchingWithoutExtensions()
{
    const QString pictures = folder(QStringLiteral("pictures"), {"IMG_0012.jpg", "IMG_0012.CR2", "IMG_0013.jpg"});
    const QString gallery = file(QStringLiteral("gallery.txt"), "IMG_0012.jpg\nIMG_0099.jpg\n");
    {
        MainWindow window;
        chooseList(window, pictures);
        QCOMPARE(tile(window, WarningTile)->getMainText(), QStringLiteral("Cannot read the list: Is a directory"));
        QCOMPARE(shown(window), sorted({"text", "textTile", "folder", "warning"}));
        chooseFolder(window, pictures);
        QVERIFY(!tile(window, WarningTile)->isHidden());
        QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("0"));
        chooseList(window, gallery);
        QVERIFY(tile(window, WarningTile)->isHidden());
        QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("1"));

        QAction *option = tile(window, SelectedTile)->actions().value(0);
        QCOMPARE(option->text(), QStringLiteral("Match without extensions"));
        QVERIFY(!option->isChecked());
        option->trigger();
        QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("2"));
        QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("2"));
        QCOMPARE(shownText(tile(window, ToCopyTile)->toolTip()), QStringLiteral("Not found: IMG_0099.jpg"));
    }
    MainWindow window;
    QAction *option = tile(window, SelectedTile)->actions().value(0);
    QVERIFY(option->isChecked());
    chooseList(window, gallery);
    chooseFolder(window, pictures);
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("2"));
    option->trigger();
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("1"));
}

void TestMainWindow::drops_data()
{
    QTest::addColumn<bool>("listFirst");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<QString>("textTile");
    QTest::addColumn<QString>("folderTile");

    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QTest::newRow("a file") << false << QStringList{"list.txt"} << all << "list.txt" << "";
    QTest::newRow("a folder before any file") << false << QStringList{"pictures"} << all << "" << "";
    QTest::newRow("a folder after a file") << true << QStringList{"pictures"} << all << "first.txt" << "pictures";
    QTest::newRow("a folder and a file") << false << QStringList{"pictures", "list.txt"} << all << "list.txt"
                                         << "pictures";
    QTest::newRow("two files") << true << QStringList{"list.txt", "first.txt"} << all << "first.txt" << "";
    QTest::newRow("two folders") << true << QStringList{"pictures", "pictures/inner"} << all << "first.txt" << "";
    QTest::newRow("a remote file") << false << QStringList{"https://example.org/list.txt"} << all << "" << "";
    QTest::newRow("a missing file") << false << QStringList{"missing.txt"} << all << "" << "";
    QTest::newRow("offered only as a move") << false << QStringList{"list.txt"} << Qt::DropActions(Qt::MoveAction)
                                            << "" << "";
}

void TestMainWindow::drops()
{
    QFETCH(bool, listFirst);
    QFETCH(QStringList, urls);
    QFETCH(Qt::DropActions, offered);
    QFETCH(QString, textTile);
    QFETCH(QString, folderTile);

    folder(QStringLiteral("pictures"), {"a.jpg", "inner/b.jpg"});
    file(QStringLiteral("list.txt"), "a\n");
    MainWindow window;
    if (listFirst)
        chooseList(window, file(QStringLiteral("first.txt"), "b\n"));
    QList<QUrl> urlList;
    for (const QString &url : urls)
        urlList << (url.contains(u':') ? QUrl(url) : QUrl::fromLocalFile(dir->filePath(url)));
    QMimeData mimeData;
    mimeData.setUrls(urlList);

    const bool accepted = textTile == QLatin1String("list.txt") || !folderTile.isEmpty();
    QDragEnterEvent enter(QPoint(400, 300), offered, &mimeData, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(QPointF(400, 300), offered, &mimeData, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QCOMPARE(drop.isAccepted(), accepted);
    if (accepted)
        QCOMPARE(drop.dropAction(), Qt::CopyAction);

    const auto relative = [&](Tile which) {
        const QString text = tile(window, which)->getMainText();
        return text.isEmpty() ? text : QDir(dir->path()).relativeFilePath(text);
    };
    QCOMPARE(relative(TextTile), textTile);
    QCOMPARE(relative(FolderTile), folderTile);
}

void TestMainWindow::shortcuts()
{
    QStringList names;
    for (int i = 0; i < 200; ++i)
        names << QStringLiteral("a%1.jpg").arg(i);
    const QString pictures = folder(QStringLiteral("pictures"), names);
    MainWindow window;
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        QSKIP("This platform does not activate windows, so shortcuts cannot fire");
    const auto dialogs = [&] { return window.findChildren<QFileDialog *>(); };
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(&window);
        QTest::keyClick(&window, key, modifiers);
    };

    // Each works only while its button is visible.
    press(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(dialogs().size(), 0);
    press(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(dialogs().size(), 1);
    QCOMPARE(dialogs().constFirst()->fileMode(), QFileDialog::AnyFile);

    chooseList(window, file(QStringLiteral("list.txt"), "a\n"));
    chooseFolder(window, pictures);
    press(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dialogs().size(), 2);
    QCOMPARE(dialogs().constLast()->fileMode(), QFileDialog::Directory);

    // Esc only stops, Ctrl+Return only starts.
    UrlCatcher catcher;
    press(Qt::Key_Escape, Qt::NoModifier);
    QCOMPARE(tile(window, StartButton)->getMainText(), QStringLiteral("Start"));
    press(Qt::Key_Return, Qt::ControlModifier);
    press(Qt::Key_Return, Qt::ControlModifier);
    press(Qt::Key_Escape, Qt::NoModifier);
    QTRY_VERIFY(panel(window)->getSummary().startsWith(QStringLiteral("Stopped: ")));
    QVERIFY(outputFiles(pictures).size() < 200);
    press(Qt::Key_Escape, Qt::NoModifier);
    press(Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(tile(window, StartButton)->getMainText(), QStringLiteral("Show copies"));
    QCOMPARE(catcher.urls, QList<QUrl>{});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
