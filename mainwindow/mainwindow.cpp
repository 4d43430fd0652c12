// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "pkbutton.h"
#include "pkdashboard.h"
#include "pkfilereader.h"
#include "pklistreader.h"
#include "pkselectionmatcher.h"
#include "pwpathhelper.h"
#include "pwtools.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDebug>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QPalette>
#include <QPixmap>
#include <QSettings>
#include <QShortcut>
#include <QTextDocument>
#include <QThread>
#include <QUrl>

namespace {

constexpr int notFoundToolTipLimit = 20;

// Photographers work in the same few folders for months, so the dialogs open
// where the last list and the last picture folder were.
const QString listFolderKey = QStringLiteral("dialogs/listFolder");
const QString picturesParentKey = QStringLiteral("dialogs/picturesParentFolder");
const QString withoutExtensionsKey = QStringLiteral("matching/withoutExtensions");

// Reading a list and listing a folder on a network share can take seconds,
// during which the window cannot repaint; the cursor says why.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// What a drop onto the window chooses: a selection file, a picture folder,
// or both, in which case the file is taken first.
struct DropChoice
{
    QString file;
    QString folder;

    bool isEmpty() const { return file.isEmpty() && folder.isEmpty(); }
};

// A folder alone is only taken while it could be chosen with its button,
// so a drop can never accept a folder before a selection file.
DropChoice dropChoice(const QMimeData *mimeData, bool folderAllowed)
{
    if (!mimeData || !mimeData->hasUrls())
        return {};
    const QList<QUrl> urls = mimeData->urls();
    if (urls.isEmpty() || urls.size() > 2)
        return {};

    DropChoice choice;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        const QFileInfo info(url.toLocalFile());
        QString &slot = info.isDir() ? choice.folder : choice.file;
        if (!slot.isEmpty() || !info.exists())
            return {};
        slot = QDir::cleanPath(info.filePath());
    }
    if (choice.file.isEmpty() && !folderAllowed)
        return {};
    return choice;
}

// A drop only names paths: it must never tell the source to move or delete
// anything, so it is taken as a copy, or a link where a copy is not offered.
bool acceptWithoutMove(QDropEvent *event)
{
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

// Qt guesses from a tooltip's text whether it is markup, so names and
// identifiers that look like tags are escaped to show exactly as written.
QString plainToolTip(const QString &text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

QString notFoundToolTip(const QList<QString> &ids)
{
    if (ids.isEmpty())
        return {};
    QString text = QStringLiteral("Not found: ") + QStringList(ids.mid(0, notFoundToolTipLimit)).join(QStringLiteral(", "));
    if (ids.size() > notFoundToolTipLimit)
        text += QStringLiteral(" and %1 more").arg(ids.size() - notFoundToolTipLimit);
    return plainToolTip(text);
}

QString runButtonText(PkRunState::Action action)
{
    switch (action) {
    case PkRunState::Action::Start:
        return QStringLiteral("Start");
    case PkRunState::Action::Stop:
        return QStringLiteral("Stop");
    case PkRunState::Action::ShowCopies:
        return QStringLiteral("Show copies");
    case PkRunState::Action::None:
        break;
    }
    return QString();
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    tools = std::make_unique<PwTools>();
    pathHelper = std::make_unique<PwPathHelper>();
    setUpFrame();
    setUpWidgets();
    setUpWorker();
    setUpNotFoundReport();
    setUpFailureReport();
    setUpMatchingOptions();
    setUpShortcuts();
    setAcceptDrops(true);
}

MainWindow::~MainWindow()
{
    stopWorker();
    delete ui;
}

void MainWindow::chooseTextFile(const QString &path)
{
    on_textFileSelected(path);
}

void MainWindow::setUpFrame()
{
    setFixedSize(800, 600);
    setWindowTitle(QStringLiteral("Pickwell - - by pickwell.example.org"));
    setWindowIcon(QIcon(QStringLiteral(":/images/favicon.ico")));

    // The picture is exactly the window's size, so the tiled brush shows it once.
    QPalette backgroundPalette;
    backgroundPalette.setBrush(QPalette::All, QPalette::Window,
                               QBrush(QPixmap(QStringLiteral(":/images/backgroundImage.jpg"))));
    setPalette(backgroundPalette);

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender.otf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender-Bold.otf"));
}

// Children are created in this order on purpose: siblings stack in creation
// order, so the tiles lie above the status panel and the warning above the
// two count tiles.
void MainWindow::setUpWidgets()
{
    const QColor buttonTextColor = tools->getColor(QStringLiteral("gray7"));

    labelWarranty = new QLabel(this);
    labelWarranty->setText(QStringLiteral("This program is provided without any warranty \u2013 use it "
                                          "at your own risk."));
    labelWarranty->move(20, height() - 20);
    labelWarranty->setFixedSize(width() - 40, 20);
    labelWarranty->setStyleSheet(tools->getCSSLabel(tools->getColor(QStringLiteral("gray5")),
                                                    QColor(0, 0, 0, 0), 12, QStringLiteral("Bender")));
    labelWarranty->show();

    dashboard = new PkDashboard(this);
    dashboard->setFixedSize(width(), int(height() * 0.73));
    dashboard->move(0, 80);
    dashboard->hide();

    buttonTextFilePath = createActionButton(QStringLiteral("Select text file"), buttonTextColor, 14);
    buttonTextFilePath->move(20, 20);
    connect(buttonTextFilePath, &QAbstractButton::clicked, this,
            &MainWindow::on_buttonTextFilePathpressed);

    buttonImageFilePath = createActionButton(QStringLiteral("Select image folder"), buttonTextColor, 14);
    buttonImageFilePath->move(width() - buttonImageFilePath->width() - 20, 20);
    connect(buttonImageFilePath, &QAbstractButton::clicked, this,
            &MainWindow::on_buttonImageFilePathpressed);
    buttonImageFilePath->hide();

    buttonStartCopy = createActionButton(QStringLiteral("Start"), buttonTextColor, 15);
    buttonStartCopy->move(width() - buttonStartCopy->width() - 20,
                          height() - buttonStartCopy->height() - 20);
    connect(buttonStartCopy, &QAbstractButton::clicked, this, &MainWindow::on_buttonStartCopypressed);
    buttonStartCopy->hide();

    const int wide = width() - 40;
    infoTextFile = createInfoTile({wide, 50}, {20, height() - 135}, 0, QStringLiteral(" Text file"),
                                  QStringLiteral("gray9"));
    infoImagePath = createInfoTile({wide, 50}, {20, height() - 190}, 0, QStringLiteral(" Image path"),
                                   QStringLiteral("gray9"));
    infoSelected = createInfoTile({160, 90}, {80, 200}, 30, QStringLiteral(" Selected"),
                                  QStringLiteral("gray8"));
    infoToCopy = createInfoTile({160, 90}, {width() - 240, 200}, 30, QStringLiteral(" To copy"),
                                QStringLiteral("gray8"));
    infoWarning = createInfoTile({wide, 60}, {20, 200}, 16, QStringLiteral(" Warning"),
                                 QStringLiteral("gray8"));
}

PkButton *MainWindow::createActionButton(const QString &text, const QColor &color, double fontSize)
{
    auto *button = new PkButton(0, QStringLiteral("standard"), this);
    button->setMainText(text, color);
    button->setFontSize(fontSize);
    button->setFixedSize(240, 50);
    return button;
}

// A font size of 0 leaves the tile's main text in the default font.
PkButton *MainWindow::createInfoTile(QSize size, QPoint position, double fontSize,
                                     const QString &caption, const QString &captionColor)
{
    auto *tile = new PkButton(0, QStringLiteral("standard"), this);
    tile->setFixedSize(size);
    tile->move(position);
    if (fontSize > 0)
        tile->setFontSize(fontSize);
    tile->setCaption(caption, tools->getColor(captionColor));
    tile->hide();
    return tile;
}

void MainWindow::setUpWorker()
{
    fileReader = new PkFileReader;
    connect(fileReader, &PkFileReader::copyStatusSignal, this, &MainWindow::on_copyStatusSignal);
    connect(fileReader, &PkFileReader::copyFailedSignal, this, &MainWindow::on_copyFailedSignal);
    connect(fileReader, &PkFileReader::copyFinishedSignal, this, &MainWindow::on_copyFinishedSignal);
    connect(this, &MainWindow::startCopySignal, fileReader, &PkFileReader::on_startCopySignal);
    workerThread = new QThread;
}

void MainWindow::setUpNotFoundReport()
{
    copyNotFoundAction = new QAction(QStringLiteral("Copy identifiers not found"), infoToCopy);
    copyNotFoundAction->setEnabled(false);
    connect(copyNotFoundAction, &QAction::triggered, this, &MainWindow::copyIdsNotFound);
    infoToCopy->addAction(copyNotFoundAction);
    // So the user can check the names before pressing "Start".
    copyFileListAction = new QAction(QStringLiteral("Copy file list"), infoToCopy);
    copyFileListAction->setEnabled(false);
    connect(copyFileListAction, &QAction::triggered, this, &MainWindow::copyFileList);
    infoToCopy->addAction(copyFileListAction);
    infoToCopy->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::setUpFailureReport()
{
    copyFailuresAction = new QAction(QStringLiteral("Copy failure report"), dashboard);
    copyFailuresAction->setEnabled(false);
    connect(copyFailuresAction, &QAction::triggered, this, &MainWindow::copyFailureReport);
    dashboard->addAction(copyFailuresAction);
    dashboard->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// Each shortcut belongs to its button, so Qt only lets it fire while the
// button is visible, and it presses the button exactly as a click does. The
// run button's two are switched on and off with what it reads.
void MainWindow::setUpShortcuts()
{
    const auto addShortcut = [](PkButton *button, const QList<QKeySequence> &keys) {
        auto *shortcut = new QShortcut(button);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
        return shortcut;
    };
    addShortcut(buttonTextFilePath, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    addShortcut(buttonImageFilePath, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    startShortcut = addShortcut(buttonStartCopy, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    stopShortcut = addShortcut(buttonStartCopy, {QKeySequence(Qt::Key_Escape)});
    stopShortcut->setEnabled(false);
}

// A run that is under way stops after the file it is copying, so closing the
// window never leaves a thread behind it or a partial file on disk.
void MainWindow::stopWorker()
{
    workerThread->requestInterruption();
    workerThread->quit();
    workerThread->wait();
    delete fileReader;
    delete workerThread;
}

void MainWindow::on_buttonTextFilePathpressed()
{
    qDebug() << "MainWindow::on_buttonTextFilePathpressed...";
    textFileDialog = new QFileDialog(this, QString(), QSettings().value(listFolderKey).toString(), QString());
    textFileDialog->setNameFilter(QStringLiteral("Text files (*.txt)"));
    textFileDialog->show();
    textFileDialog->raise();
    connect(textFileDialog, &QFileDialog::fileSelected, this, &MainWindow::on_textFileSelected);
}

void MainWindow::on_buttonImageFilePathpressed()
{
    qDebug() << "MainWindow::on_buttonImageFilePathpressed...";
    imageFolderDialog = new QFileDialog(this, QString(), QSettings().value(picturesParentKey).toString(), QString());
    imageFolderDialog->setFileMode(QFileDialog::Directory);
    imageFolderDialog->show();
    imageFolderDialog->raise();
    connect(imageFolderDialog, &QFileDialog::fileSelected, this, &MainWindow::on_imagePathSelected);
}

// The button at the bottom right starts a run, stops it, and afterwards
// shows its copies.
void MainWindow::on_buttonStartCopypressed()
{
    switch (runState.action()) {
    case PkRunState::Action::Start:
        startRun();
        break;
    case PkRunState::Action::Stop:
        stopRun();
        break;
    case PkRunState::Action::ShowCopies:
        showCopies();
        break;
    case PkRunState::Action::None:
        break;
    }
}

void MainWindow::startRun()
{
    qDebug() << tools->getTimeStamp() << "MainWindow::on_buttonStartCopypressed...";
    fileReader->moveToThread(workerThread);
    workerThread->start(QThread::InheritPriority);
    runState.start(int(listOfFilesToCopy.size()), imagePath);
    resetPanel();
    emit startCopySignal(listOfFilesToCopy, imagePath);
}

// The run ends after the file being copied; the worker says when.
void MainWindow::stopRun()
{
    runState.requestStop();
    fileReader->requestStop(runState.runNumber());
}

void MainWindow::showCopies() const
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(runState.folder() + QLatin1Char('/') + PkFileReader::outputFolderName()));
}

void MainWindow::on_textFileSelected(const QString path)
{
    const BusyCursor busy;
    qDebug() << "MainWindow::on_fileSelected:" << path;
    QSettings().setValue(listFolderKey, QFileInfo(path).absolutePath());
    textFilePath = path;
    infoTextFile->setMainText(path, tools->getColor(QStringLiteral("gray8")));
    infoTextFile->show();
    buttonImageFilePath->show();

    PkSelectionList list = PkListReader::readFile(path);
    listOfIds = std::move(list.ids);
    listWarning = list.error.isEmpty() ? QString() : QStringLiteral("Cannot read the list: ") + list.error;
    infoSelected->setMainText(QString::number(listOfIds.size()), tools->getColor(QStringLiteral("gray7")));
    showWarning();

    if (imagePath.isEmpty())
        return;
    matchSelection();
    qDebug() << "MainWindow::on_textFileSelected: listOfFilesToCopy:" << listOfFilesToCopy;
}

void MainWindow::on_imagePathSelected(const QString path)
{
    const BusyCursor busy;
    qDebug() << "MainWindow::on_imagePath:" << path;
    QSettings().setValue(picturesParentKey, QFileInfo(QDir::cleanPath(path)).absolutePath());
    infoImagePath->setMainText(path, tools->getColor(QStringLiteral("gray8")));
    infoImagePath->show();

    folderWarning = fileReader->folderRefusal(path);
    showWarning();
    if (!folderWarning.isEmpty())
        return;

    imagePath = path;
    if (!textFilePath.isEmpty())
        matchSelection();
}

// The warning tile lies over the two count tiles. A refused folder comes
// before an unreadable list; the tile goes once neither applies.
void MainWindow::showWarning()
{
    const QString text = folderWarning.isEmpty() ? listWarning : folderWarning;
    infoWarning->setMainText(text, tools->getColor(QStringLiteral("marker")));
    infoWarning->setHidden(text.isEmpty());
    infoSelected->setHidden(!text.isEmpty() || textFilePath.isEmpty());
}

void MainWindow::setUpMatchingOptions()
{
    withoutExtensionsAction = new QAction(QStringLiteral("Match without extensions"), infoSelected);
    withoutExtensionsAction->setCheckable(true);
    withoutExtensionsAction->setChecked(QSettings().value(withoutExtensionsKey, false).toBool());
    connect(withoutExtensionsAction, &QAction::toggled, this, &MainWindow::matchWithoutExtensions);
    infoSelected->addAction(withoutExtensionsAction);
    infoSelected->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::matchWithoutExtensions(bool on)
{
    QSettings().setValue(withoutExtensionsKey, on);
    if (imagePath.isEmpty() || textFilePath.isEmpty())
        return;
    const BusyCursor busy;
    matchSelection();
}

void MainWindow::on_copyStatusSignal(int count)
{
    runState.fileCopied(count);
    dashboard->setProgress(count);
    showRun();
}

void MainWindow::on_copyFailedSignal(const QString &name, const QString &reason)
{
    runState.fileFailed(name, reason);
    showRun();
}

void MainWindow::on_copyFinishedSignal(int copied, int)
{
    const QString output = runState.folder() + QLatin1Char('/') + PkFileReader::outputFolderName();
    runState.finish(copied, QFileInfo(output).isDir());
    showRun();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const DropChoice choice = dropChoice(event->mimeData(), !buttonImageFilePath->isHidden());
    if (choice.isEmpty() || !acceptWithoutMove(event))
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const DropChoice choice = dropChoice(event->mimeData(), !buttonImageFilePath->isHidden());
    if (choice.isEmpty() || !acceptWithoutMove(event)) {
        event->ignore();
        return;
    }
    if (!choice.file.isEmpty())
        on_textFileSelected(choice.file);
    if (!choice.folder.isEmpty())
        on_imagePathSelected(choice.folder);
}

// Matches the accepted folder against the identifiers and shows the result:
// the count tile, the status panel with its new total, and "Start".
void MainWindow::matchSelection()
{
    PkMatchOptions options;
    options.withoutExtensions = withoutExtensionsAction->isChecked();
    PkMatchResult match = PkSelectionMatcher::matchFolder(imagePath, listOfIds, options);
    listOfFilesToCopy = std::move(match.files);
    idsNotFound = std::move(match.idsNotFound);
    showIdsNotFound();
    infoToCopy->setMainText(QString::number(listOfFilesToCopy.size()),
                            tools->getColor(QStringLiteral("gray7")));
    infoToCopy->show();
    dashboard->show();
    if (runState.selectionChanged(true))
        resetPanel();
    else
        showRun();
}

// The panel follows one run: it starts afresh with a run, or with a new
// selection while no run is under way, and otherwise keeps what it shows.
void MainWindow::resetPanel()
{
    dashboard->setSelectionInfo(textFilePath, imagePath, int(listOfFilesToCopy.size()), int(listOfIds.size()));
    dashboard->resetProgress();
    showRun();
}

void MainWindow::showRun()
{
    const QString colour = runState.isAlarming() ? QStringLiteral("marker") : QStringLiteral("gray8");
    dashboard->setSummary(runState.summary(), tools->getColor(colour));
    dashboard->setToolTip(plainToolTip(runState.failureToolTip()));
    copyFailuresAction->setEnabled(runState.isAlarming());

    const PkRunState::Action action = runState.action();
    buttonStartCopy->setMainText(runButtonText(action), buttonStartCopy->getMainTextColor());
    buttonStartCopy->setHidden(action == PkRunState::Action::None);
    startShortcut->setEnabled(action == PkRunState::Action::Start);
    stopShortcut->setEnabled(action == PkRunState::Action::Stop);
}

// Identifiers that named no file are what the photographer has to write back
// to the client about, so the count tile says how many there are.
void MainWindow::showIdsNotFound()
{
    const QColor marker = tools->getColor(QStringLiteral("marker"));
    if (idsNotFound.isEmpty())
        infoToCopy->setFooterText(QString(), marker);
    else
        infoToCopy->setFooterText(QStringLiteral("%1 not found").arg(idsNotFound.size()), marker);
    infoToCopy->setToolTip(notFoundToolTip(idsNotFound));
    copyNotFoundAction->setEnabled(!idsNotFound.isEmpty());
    copyFileListAction->setEnabled(!listOfFilesToCopy.isEmpty());
}

void MainWindow::copyIdsNotFound() const
{
    QGuiApplication::clipboard()->setText(QStringList(idsNotFound).join(QLatin1Char('\n')));
}

void MainWindow::copyFileList() const
{
    QGuiApplication::clipboard()->setText(QStringList(listOfFilesToCopy).join(QLatin1Char('\n')));
}

void MainWindow::copyFailureReport() const
{
    QGuiApplication::clipboard()->setText(runState.failureReport());
}
