// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "pkbutton.h"
#include "pkdashboard.h"
#include "pwtools.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPointer>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// The window driven through its slots, end to end, with real folders: the
// layout, every state of the workflow, the copy run and the log lines.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void frame();
    void destructionDeletesChildren();
    void eventLoopExitCodeAfterClose();
    void widgetsGeometry_data();
    void widgetsGeometry();
    void warrantyLabel();
    void metaObjectInterface();
    void dialogs();
    void workflowStates();
    void refusedFolderKeepsEarlierSelection();
    void reselectingListUpdatesCounts();
    void emptyIdentifiersMatchNothing();
    void copyRunCompletesAndSecondRunCopiesNothing();
    void missingSelectionFileCopiesNothing();
    void logLines();
    void closingDuringRunStopsPromptly();
    void idsNotFound_data();
    void idsNotFound();
    void idsNotFoundFollowRematching();
    void drops_data();
    void drops();
    void shortcuts();

private:
    std::unique_ptr<QTemporaryDir> dir;
};

namespace {

// The eight painted buttons and tiles, in creation order.
enum Tile { TextButton, FolderButton, StartButton, TextTile, FolderTile, SelectedTile, ToCopyTile, WarningTile };
const char *const tileNames[] = {"buttonTextFilePath", "buttonImageFilePath", "buttonStartCopy", "infoTextFile",
                                 "infoImagePath",      "infoSelected",        "infoToCopy",      "infoWarning"};

PkButton *tile(MainWindow &window, Tile which)
{
    return window.findChildren<PkButton *>(Qt::FindDirectChildrenOnly).value(which);
}

PkDashboard *dashboard(MainWindow &window)
{
    return window.findChild<PkDashboard *>(QString(), Qt::FindDirectChildrenOnly);
}

// Names of the workflow's widgets that are not hidden, for comparing states.
QStringList shown(MainWindow &window)
{
    QStringList names;
    const auto buttons = window.findChildren<PkButton *>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < buttons.size(); ++i) {
        if (!buttons[i]->isHidden())
            names << QLatin1String(tileNames[i]);
    }
    if (!dashboard(window)->isHidden())
        names << QStringLiteral("dashboard");
    names.sort();
    return names;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

void chooseList(MainWindow &window, const QString &path)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "on_textFileSelected", Q_ARG(QString, path)));
}

void chooseFolder(MainWindow &window, const QString &path)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, path)));
}

QStringList outputFiles(const QString &folder)
{
    return QDir(folder + QStringLiteral("/FilesFromSelection")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList capturedMessages;

// Keeps the window's debug lines; platform warnings are no concern here.
void captureMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        capturedMessages << message;
}

} // namespace

void TestMainWindow::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY2(dir->isValid(), qPrintable(dir->errorString()));
}

void TestMainWindow::frame()
{
    MainWindow window;
    QCOMPARE(window.minimumSize(), QSize(800, 600));
    QCOMPARE(window.maximumSize(), QSize(800, 600));
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Pickwell - - by ")));
    QVERIFY(!window.windowIcon().isNull());

    const QBrush background = window.palette().brush(QPalette::Active, QPalette::Window);
    QCOMPARE(background.texture().size(), QSize(800, 600));
    QCOMPARE(window.palette().brush(QPalette::Inactive, QPalette::Window).texture().size(), QSize(800, 600));

    QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("centralwidget"));
    QCOMPARE(window.menuBar()->objectName(), QStringLiteral("menubar"));
    QCOMPARE(window.statusBar()->objectName(), QStringLiteral("statusbar"));

    window.resize(1000, 900);
    QCOMPARE(window.size(), QSize(800, 600));
    window.showMaximized();
    QCOMPARE(window.size(), QSize(800, 600));
}

void TestMainWindow::destructionDeletesChildren()
{
    auto window = std::make_unique<MainWindow>();
    QList<QPointer<QWidget>> children;
    for (QWidget *child : window->findChildren<QWidget *>())
        children << child;
    QVERIFY(children.size() >= 13);
    window.reset();
    for (const QPointer<QWidget> &child : children)
        QVERIFY(child.isNull());
}

void TestMainWindow::eventLoopExitCodeAfterClose()
{
    MainWindow window;
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);
}

void TestMainWindow::widgetsGeometry_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("mainText");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<bool>("visible");

    QTest::newRow("select text file") << 0 << QRect(20, 20, 240, 50) << QString() << "Select text file" << 14 << true;
    QTest::newRow("select image folder") << 1 << QRect(540, 20, 240, 50) << QString() << "Select image folder" << 14
                                         << false;
    QTest::newRow("start") << 2 << QRect(540, 530, 240, 50) << QString() << "Start" << 15 << false;
    QTest::newRow("text file tile") << 3 << QRect(20, 465, 760, 50) << " Text file" << QString() << -1 << false;
    QTest::newRow("image path tile") << 4 << QRect(20, 410, 760, 50) << " Image path" << QString() << -1 << false;
    QTest::newRow("selected tile") << 5 << QRect(80, 200, 160, 90) << " Selected" << QString() << 30 << false;
    QTest::newRow("to copy tile") << 6 << QRect(560, 200, 160, 90) << " To copy" << QString() << 30 << false;
    QTest::newRow("warning tile") << 7 << QRect(20, 200, 760, 60) << " Warning" << QString() << 16 << false;
}

void TestMainWindow::widgetsGeometry()
{
    QFETCH(int, index);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, mainText);
    QFETCH(int, pointSize);
    QFETCH(bool, visible);

    MainWindow window;
    PkButton *button = tile(window, Tile(index));
    QVERIFY(button);
    QCOMPARE(button->parentWidget(), &window);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->minimumSize(), geometry.size());
    QCOMPARE(button->maximumSize(), geometry.size());
    QCOMPARE(button->getCaption(), caption);
    QCOMPARE(button->getMainText(), mainText);
    QCOMPARE(button->isHidden(), !visible);
    if (pointSize > 0) {
        QCOMPARE(button->getMainFont().family(), QStringLiteral("Bender"));
        QCOMPARE(button->getMainFont().pointSize(), pointSize);
    } else {
        QCOMPARE(button->getMainFont(), QFont());
    }
    if (!caption.isEmpty()) {
        const char *color = index <= FolderTile ? "gray9" : "gray8";
        QCOMPARE(button->getCaptionColor(), PwTools().getColor(QLatin1String(color)));
    } else {
        QCOMPARE(button->getMainTextColor(), QColor(210, 210, 210));
    }
}

void TestMainWindow::warrantyLabel()
{
    MainWindow window;
    auto *label = window.findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(label);
    QCOMPARE(label->geometry(), QRect(20, 580, 760, 20));
    QVERIFY(!label->isHidden());
    QCOMPARE(label->text(), QStringLiteral("This program is provided without any warranty \u2013 use it at your own risk."));
    QCOMPARE(label->styleSheet(), QStringLiteral("QLabel { font-family:Bender; color:rgba(150,150,150,255); "
                                                 "background-color:rgba(0,0,0,0); font-size:12px; }"));

    PkDashboard *panel = dashboard(window);
    QCOMPARE(panel->geometry(), QRect(0, 80, 800, 438));
    QVERIFY(panel->isHidden());

    // Siblings stack in creation order: label, panel, buttons, then the tiles,
    // the warning last so that it covers the two count tiles.
    QList<QWidget *> order;
    for (QObject *child : window.children()) {
        if (qobject_cast<QLabel *>(child) || qobject_cast<PkDashboard *>(child) || qobject_cast<PkButton *>(child))
            order << static_cast<QWidget *>(child);
    }
    QCOMPARE(order.size(), 10);
    QCOMPARE(order.first(), label);
    QCOMPARE(order.at(1), panel);
    QCOMPARE(order.last(), tile(window, WarningTile));
}

void TestMainWindow::metaObjectInterface()
{
    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(meta.className(), "MainWindow");
    const struct {
        QMetaMethod::MethodType type;
        QMetaMethod::Access access;
        const char *signature;
    } expected[] = {
        {QMetaMethod::Signal, QMetaMethod::Public, "startCopySignal(QList<QString>,QString)"},
        {QMetaMethod::Slot, QMetaMethod::Private, "on_buttonTextFilePathpressed()"},
        {QMetaMethod::Slot, QMetaMethod::Private, "on_buttonImageFilePathpressed()"},
        {QMetaMethod::Slot, QMetaMethod::Private, "on_buttonStartCopypressed()"},
        {QMetaMethod::Slot, QMetaMethod::Private, "on_textFileSelected(QString)"},
        {QMetaMethod::Slot, QMetaMethod::Private, "on_imagePathSelected(QString)"},
        {QMetaMethod::Slot, QMetaMethod::Public, "on_copyStatusSignal(int)"},
    };
    QCOMPARE(meta.methodCount() - meta.methodOffset(), int(std::size(expected)));
    for (int i = 0; i < int(std::size(expected)); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodType(), expected[i].type);
        QCOMPARE(method.access(), expected[i].access);
        QCOMPARE(meta.indexOfMethod(QMetaObject::normalizedSignature(expected[i].signature)),
                 meta.methodOffset() + i);
    }
}

void TestMainWindow::dialogs()
{
    MainWindow window;
    writeFile(dir->filePath(QStringLiteral("list.txt")), "a\n");

    tile(window, TextButton)->click();
    tile(window, TextButton)->click();
    const auto textDialogs = window.findChildren<QFileDialog *>();
    QCOMPARE(textDialogs.size(), 2);
    for (QFileDialog *dialog : textDialogs) {
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("Text files (*.txt)")});
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
        QVERIFY(!dialog->isModal());
        QVERIFY(dialog->isVisible());
    }
    // Each dialog reaches the slot once; the older one stays usable.
    emit textDialogs.first()->fileSelected(dir->filePath(QStringLiteral("list.txt")));
    QCOMPARE(tile(window, TextTile)->getMainText(), dir->filePath(QStringLiteral("list.txt")));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("1"));
    QVERIFY(!tile(window, FolderButton)->isHidden());

    tile(window, FolderButton)->click();
    const auto allDialogs = window.findChildren<QFileDialog *>();
    QCOMPARE(allDialogs.size(), 3);
    QFileDialog *folderDialog = allDialogs.last();
    QCOMPARE(folderDialog->fileMode(), QFileDialog::Directory);
    QVERIFY(!folderDialog->isModal());
    emit folderDialog->fileSelected(dir->path());
    QCOMPARE(tile(window, FolderTile)->getMainText(), dir->path());
    QVERIFY(!tile(window, StartButton)->isHidden());
}

void TestMainWindow::workflowStates()
{
    MainWindow window;
    const QString list = dir->filePath(QStringLiteral("list.txt"));
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    const QString refused = dir->filePath(QStringLiteral("done"));
    QVERIFY(QDir().mkpath(pictures));
    QVERIFY(QDir().mkpath(refused + QStringLiteral("/FilesFromSelection")));
    writeFile(list, "0001\n0002\n");
    for (const char *name : {"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg", "IMG_0003.jpg"})
        writeFile(pictures + QLatin1Char('/') + QLatin1String(name), name);

    QCOMPARE(shown(window), QStringList{QStringLiteral("buttonTextFilePath")});

    chooseList(window, list);
    QCOMPARE(shown(window), sorted({"buttonTextFilePath", "infoTextFile", "infoSelected", "buttonImageFilePath"}));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("2"));
    QCOMPARE(tile(window, SelectedTile)->getMainTextColor(), QColor(210, 210, 210));
    QCOMPARE(tile(window, TextTile)->getMainTextColor(), QColor(235, 235, 235));

    chooseFolder(window, refused);
    QCOMPARE(shown(window), sorted({"buttonTextFilePath", "infoTextFile", "buttonImageFilePath", "infoImagePath",
                                    "infoWarning"}));
    QCOMPARE(tile(window, WarningTile)->getMainText(),
             QStringLiteral("Folder \"FilesFromSelection\" already exists! Delete it!"));
    QCOMPARE(tile(window, WarningTile)->getMainTextColor(), QColor(212, 146, 17));
    QCOMPARE(tile(window, FolderTile)->getMainText(), refused);

    chooseFolder(window, pictures);
    const QStringList ready = sorted({"buttonTextFilePath", "infoTextFile", "buttonImageFilePath", "infoImagePath",
                                      "infoSelected", "infoToCopy", "dashboard", "buttonStartCopy"});
    QCOMPARE(shown(window), ready);
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("3"));
    QCOMPARE(dashboard(window)->getTotal(), 3);

    tile(window, StartButton)->click();
    QStringList copying = ready;
    copying.removeOne(QStringLiteral("buttonStartCopy"));
    QCOMPARE(shown(window), copying);
    QTRY_VERIFY(dashboard(window)->isComplete());
    QCOMPARE(dashboard(window)->getProgress(), 3);
    QCOMPARE(shown(window), copying);
    QCOMPARE(outputFiles(pictures), QStringList({"IMG_0001.CR2", "IMG_0001.jpg", "IMG_0002.jpg"}));
}

void TestMainWindow::refusedFolderKeepsEarlierSelection()
{
    MainWindow window;
    const QString list = dir->filePath(QStringLiteral("list.txt"));
    const QString first = dir->filePath(QStringLiteral("first"));
    const QString refused = dir->filePath(QStringLiteral("refused"));
    QVERIFY(QDir().mkpath(first));
    QVERIFY(QDir().mkpath(refused + QStringLiteral("/FilesFromSelection")));
    writeFile(list, "a\n");
    writeFile(first + QStringLiteral("/a.jpg"), "first");
    writeFile(refused + QStringLiteral("/a.jpg"), "refused");

    chooseList(window, list);
    chooseFolder(window, first);
    chooseFolder(window, refused);
    QVERIFY(!tile(window, StartButton)->isHidden());
    QVERIFY(tile(window, SelectedTile)->isHidden());
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("1"));
    QCOMPARE(dashboard(window)->getTotal(), 1);

    // "Start" still copies the earlier list into the earlier folder.
    tile(window, StartButton)->click();
    QTRY_VERIFY(dashboard(window)->isComplete());
    QCOMPARE(outputFiles(first), QStringList{QStringLiteral("a.jpg")});
    QCOMPARE(outputFiles(refused), QStringList());

    chooseFolder(window, first + QStringLiteral("/FilesFromSelection"));
    QVERIFY(tile(window, WarningTile)->isHidden());
    QVERIFY(!tile(window, SelectedTile)->isHidden());
}

void TestMainWindow::reselectingListUpdatesCounts()
{
    MainWindow window;
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    for (const char *name : {"a1.jpg", "b2.jpg", "c3.jpg"})
        writeFile(pictures + QLatin1Char('/') + QLatin1String(name), name);
    writeFile(dir->filePath(QStringLiteral("one.txt")), "a\n");
    writeFile(dir->filePath(QStringLiteral("three.txt")), "a\nb\nc\nzzz\n");

    chooseList(window, dir->filePath(QStringLiteral("one.txt")));
    chooseFolder(window, pictures);
    QCOMPARE(dashboard(window)->getTotal(), 1);
    tile(window, StartButton)->click();
    QTRY_VERIFY(dashboard(window)->isComplete());
    QVERIFY(tile(window, StartButton)->isHidden());

    chooseList(window, dir->filePath(QStringLiteral("three.txt")));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("4"));
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("3"));
    QCOMPARE(dashboard(window)->getTotal(), 3);
    QVERIFY(!tile(window, StartButton)->isHidden());
}

void TestMainWindow::emptyIdentifiersMatchNothing()
{
    MainWindow window;
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    for (const char *name : {"a1.jpg", "b2.jpg", "c3.jpg"})
        writeFile(pictures + QLatin1Char('/') + QLatin1String(name), name);
    writeFile(dir->filePath(QStringLiteral("list.txt")), "a1\n\n   \nc3\n\n");

    chooseList(window, dir->filePath(QStringLiteral("list.txt")));
    chooseFolder(window, pictures);
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("5"));
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("2"));
}

void TestMainWindow::copyRunCompletesAndSecondRunCopiesNothing()
{
    MainWindow window;
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    for (const char *name : {"x1.jpg", "x2.jpg", "x3.jpg"})
        writeFile(pictures + QLatin1Char('/') + QLatin1String(name), QByteArray(name).repeated(1000));
    writeFile(dir->filePath(QStringLiteral("list.txt")), "x\n");

    chooseList(window, dir->filePath(QStringLiteral("list.txt")));
    chooseFolder(window, pictures);

    PkDashboard *panel = dashboard(window);
    tile(window, StartButton)->click();
    QTRY_VERIFY(panel->isComplete());
    QCOMPARE(panel->getProgress(), 3);
    for (const char *name : {"x1.jpg", "x2.jpg", "x3.jpg"}) {
        QFile copy(pictures + QStringLiteral("/FilesFromSelection/") + QLatin1String(name));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray(name).repeated(1000));
    }

    // The same list twice more: every destination exists, so nothing is
    // copied. Runs are serial, so once a later run over a new picture reports
    // its first count, the two runs before it have ended.
    QVERIFY(QMetaObject::invokeMethod(&window, "on_buttonStartCopypressed"));
    QVERIFY(QMetaObject::invokeMethod(&window, "on_buttonStartCopypressed"));
    writeFile(pictures + QStringLiteral("/x4.jpg"), "new");
    chooseList(window, dir->filePath(QStringLiteral("list.txt")));
    QCOMPARE(panel->getTotal(), 4);
    tile(window, StartButton)->click();
    QTRY_COMPARE(panel->getProgress(), 1);
    QVERIFY(panel->isComplete());
    QCOMPARE(outputFiles(pictures), QStringList({"x1.jpg", "x2.jpg", "x3.jpg", "x4.jpg"}));
}

void TestMainWindow::missingSelectionFileCopiesNothing()
{
    MainWindow window;
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    writeFile(pictures + QStringLiteral("/a.jpg"), "a");

    chooseList(window, dir->filePath(QStringLiteral("typed-but-missing.txt")));
    QCOMPARE(tile(window, SelectedTile)->getMainText(), QStringLiteral("0"));
    chooseFolder(window, pictures);
    QCOMPARE(tile(window, ToCopyTile)->getMainText(), QStringLiteral("0"));
    QVERIFY(!tile(window, StartButton)->isHidden());

    // An empty run only makes the output folder, which then refuses the folder.
    tile(window, StartButton)->click();
    QTRY_VERIFY(QFileInfo(pictures + QStringLiteral("/FilesFromSelection")).isDir());
    QCOMPARE(outputFiles(pictures), QStringList());
    chooseFolder(window, pictures);
    QVERIFY(!tile(window, WarningTile)->isHidden());
}

void TestMainWindow::logLines()
{
    const QString list = dir->filePath(QStringLiteral("list \"quoted\".txt"));
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    writeFile(list, "b\n");
    writeFile(pictures + QStringLiteral("/b1.jpg"), "1");
    writeFile(pictures + QStringLiteral("/b2.jpg"), "2");

    MainWindow window;
    capturedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    tile(window, TextButton)->click();
    chooseList(window, list);
    tile(window, FolderButton)->click();
    chooseFolder(window, pictures);
    chooseList(window, list);
    tile(window, StartButton)->click();
    window.findChild<PkDashboard *>()->setProgress(0); // the progress slot writes no line
    qInstallMessageHandler(previous);

    const QString quotedList = QStringLiteral("\"") + dir->path() + QStringLiteral("/list \\\"quoted\\\".txt\"");
    const QStringList expected = {
        QStringLiteral("MainWindow::on_buttonTextFilePathpressed..."),
        QStringLiteral("MainWindow::on_fileSelected: ") + quotedList,
        QStringLiteral("MainWindow::on_buttonImageFilePathpressed..."),
        QStringLiteral("MainWindow::on_imagePath: \"") + pictures + QLatin1Char('"'),
        QStringLiteral("MainWindow::on_fileSelected: ") + quotedList,
        QStringLiteral("MainWindow::on_textFileSelected: listOfFilesToCopy: QList(\"b1.jpg\", \"b2.jpg\")"),
    };
    QCOMPARE(capturedMessages.mid(0, expected.size()), expected);
    QCOMPARE(capturedMessages.size(), expected.size() + 1);
    static const QRegularExpression startLine(QStringLiteral(
        R"(^"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3}" MainWindow::on_buttonStartCopypressed\.\.\.$)"));
    QVERIFY2(startLine.match(capturedMessages.last()).hasMatch(), qPrintable(capturedMessages.last()));
}

void TestMainWindow::closingDuringRunStopsPromptly()
{
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    const int count = 400;
    const QByteArray block(256 * 1024, 'p');
    for (int i = 0; i < count; ++i)
        writeFile(pictures + QStringLiteral("/p%1.jpg").arg(i, 4, 10, QLatin1Char('0')), block);
    writeFile(dir->filePath(QStringLiteral("list.txt")), "p\n");

    auto window = std::make_unique<MainWindow>();
    chooseList(*window, dir->filePath(QStringLiteral("list.txt")));
    chooseFolder(*window, pictures);
    PkDashboard *panel = dashboard(*window);
    tile(*window, StartButton)->click();

    // Close as soon as the first copy is reported, while the run has far to go.
    const QDeadlineTimer deadline(30000);
    while (panel->getProgress() == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QVERIFY(panel->getProgress() > 0);
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
    QTest::newRow("duplicates and empty lines") << QByteArray("0045\n\n0045\n  \n0001\n0012\n") << "2 not found"
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
    QTest::newRow("more than twenty") << many << "25 not found"
                                      << QStringLiteral("Not found: ") + first20.join(QStringLiteral(", ")) + " and 5 more";
}

void TestMainWindow::idsNotFound()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, footer);
    QFETCH(QString, toolTip);

    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures + QStringLiteral("/0012")));
    for (const char *name : {"IMG_0001.jpg", "IMG_0001.CR2", "IMG_0002.jpg"})
        writeFile(pictures + QLatin1Char('/') + QLatin1String(name), name);
    writeFile(dir->filePath(QStringLiteral("list.txt")), list);

    MainWindow window;
    chooseList(window, dir->filePath(QStringLiteral("list.txt")));
    chooseFolder(window, pictures);
    PkButton *toCopy = tile(window, ToCopyTile);
    QCOMPARE(toCopy->getFooterText(), footer);
    QCOMPARE(toCopy->toolTip(), toolTip);
    if (!footer.isEmpty())
        QCOMPARE(toCopy->getFooterColor(), QColor(212, 146, 17));

    QAction *action = toCopy->actions().value(0);
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("Copy identifiers not found"));
    QCOMPARE(toCopy->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(action->isEnabled(), !footer.isEmpty());
    if (action->isEnabled()) {
        action->trigger();
        const QStringList ids = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(ids.size(), footer.section(QLatin1Char(' '), 0, 0).toInt());
        QVERIFY(toolTip.contains(ids.first()));
    }
}

void TestMainWindow::idsNotFoundFollowRematching()
{
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    const QString others = dir->filePath(QStringLiteral("others"));
    QVERIFY(QDir().mkpath(pictures));
    QVERIFY(QDir().mkpath(others));
    writeFile(pictures + QStringLiteral("/a1.jpg"), "a");
    writeFile(others + QStringLiteral("/b1.jpg"), "b");
    writeFile(dir->filePath(QStringLiteral("ab.txt")), "a\nb\n");
    writeFile(dir->filePath(QStringLiteral("a.txt")), "a\n");

    MainWindow window;
    PkButton *toCopy = tile(window, ToCopyTile);
    chooseList(window, dir->filePath(QStringLiteral("ab.txt")));
    chooseFolder(window, pictures);
    QCOMPARE(toCopy->getFooterText(), QStringLiteral("1 not found"));
    chooseFolder(window, others);
    QCOMPARE(toCopy->toolTip(), QStringLiteral("Not found: a"));
    chooseList(window, dir->filePath(QStringLiteral("a.txt")));
    QCOMPARE(toCopy->getFooterText(), QStringLiteral("1 not found"));
    chooseFolder(window, pictures);
    QCOMPARE(toCopy->getFooterText(), QString());
    QCOMPARE(toCopy->toolTip(), QString());
    QVERIFY(!toCopy->actions().constFirst()->isEnabled());
}

void TestMainWindow::drops_data()
{
    QTest::addColumn<bool>("listFirst");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("textTile");
    QTest::addColumn<QString>("folderTile");

    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QTest::newRow("a file") << false << QStringList{"list.txt"} << all << true << "list.txt" << QString();
    QTest::newRow("a folder before any file") << false << QStringList{"pictures"} << all << false << QString()
                                              << QString();
    QTest::newRow("a folder after a file") << true << QStringList{"pictures"} << all << true << "first.txt"
                                           << "pictures";
    QTest::newRow("a file and a folder") << false << QStringList{"pictures", "list.txt"} << all << true << "list.txt"
                                         << "pictures";
    QTest::newRow("two files") << true << QStringList{"list.txt", "first.txt"} << all << false << "first.txt"
                               << QString();
    QTest::newRow("two folders") << true << QStringList{"pictures", "pictures/inner"} << all << false << "first.txt"
                                 << QString();
    QTest::newRow("a remote file") << false << QStringList{"https://example.org/list.txt"} << all << false
                                   << QString() << QString();
    QTest::newRow("a missing file") << false << QStringList{"missing.txt"} << all << false << QString() << QString();
    QTest::newRow("offered only as a move") << false << QStringList{"list.txt"} << Qt::DropActions(Qt::MoveAction)
                                            << false << QString() << QString();
}

void TestMainWindow::drops()
{
    QFETCH(bool, listFirst);
    QFETCH(QStringList, urls);
    QFETCH(Qt::DropActions, offered);
    QFETCH(bool, accepted);
    QFETCH(QString, textTile);
    QFETCH(QString, folderTile);

    QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("pictures/inner"))));
    writeFile(dir->filePath(QStringLiteral("pictures/a.jpg")), "a");
    writeFile(dir->filePath(QStringLiteral("list.txt")), "a\n");
    writeFile(dir->filePath(QStringLiteral("first.txt")), "b\n");

    MainWindow window;
    if (listFirst)
        chooseList(window, dir->filePath(QStringLiteral("first.txt")));
    QMimeData mimeData;
    QList<QUrl> urlList;
    for (const QString &url : urls)
        urlList << (url.contains(QLatin1Char(':')) ? QUrl(url) : QUrl::fromLocalFile(dir->filePath(url)));
    mimeData.setUrls(urlList);

    QDragEnterEvent enter(QPoint(400, 300), offered, &mimeData, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(QPointF(400, 300), offered, &mimeData, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QCOMPARE(drop.isAccepted(), accepted);
    if (accepted)
        QCOMPARE(drop.dropAction(), Qt::CopyAction);

    const auto tileText = [&](Tile which) {
        const QString text = tile(window, which)->getMainText();
        return text.isEmpty() ? text : QDir(dir->path()).relativeFilePath(text);
    };
    QCOMPARE(tileText(TextTile), textTile);
    QCOMPARE(tileText(FolderTile), folderTile);
}

void TestMainWindow::shortcuts()
{
    const QString pictures = dir->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(pictures));
    writeFile(pictures + QStringLiteral("/a.jpg"), "a");
    writeFile(dir->filePath(QStringLiteral("list.txt")), "a\n");

    MainWindow window;
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        QSKIP("This platform does not activate windows, so shortcuts cannot fire");
    const auto dialogCount = [&] { return window.findChildren<QFileDialog *>().size(); };
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(&window);
        QTest::keyClick(&window, Qt::Key(key), modifiers);
    };

    press(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(dialogCount(), 0);
    press(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(dialogCount(), 1);
    QCOMPARE(window.findChild<QFileDialog *>()->nameFilters(), QStringList{QStringLiteral("Text files (*.txt)")});

    chooseList(window, dir->filePath(QStringLiteral("list.txt")));
    chooseFolder(window, pictures);
    press(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dialogCount(), 2);
    QCOMPARE(window.findChildren<QFileDialog *>().last()->fileMode(), QFileDialog::Directory);
    press(Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(tile(window, StartButton)->isHidden());
    QTRY_VERIFY(dashboard(window)->isComplete());
    press(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(outputFiles(pictures), QStringList{QStringLiteral("a.jpg")});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
