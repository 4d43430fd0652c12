// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "pkbutton.h"
#include "pkdashboard.h"
#include "pkdropchoice.h"
#include "pkfilereader.h"
#include "pkruncontroller.h"
#include "pklistreader.h"
#include "pkselectionmatcher.h"
#include "pkreviewlink.h"
#include "pkselectionreport.h"
#include "pwpathhelper.h"
#include "pwtools.h"

#include <QAction>
#include <QClipboard>
#include <QDebug>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QSettings>
#include <QShortcut>

namespace {

// Photographers work in the same few folders for months, so the dialogs open
// where the last list and the last picture folder were.
const QString listFolderKey = QStringLiteral("dialogs/listFolder");
const QString picturesParentKey = QStringLiteral("dialogs/picturesParentFolder");

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
    run = new PkRunController(dashboard, buttonStartCopy, *tools, this);
    report = new PkSelectionReport(infoSelected, infoToCopy, *tools, this);
    connect(report, &PkSelectionReport::optionsChanged, this, &MainWindow::rematch);
    reviewLink = new PkReviewLink(infoToCopy, this);
    connect(reviewLink, &PkReviewLink::filesChanged, this, &MainWindow::showFilesToRun);
    setUpShortcuts();
    setUpPaste();
    setUpTargetChoices();
    setAcceptDrops(true);
}

MainWindow::~MainWindow()
{
    // Waits for a run under way, while the widgets it shows still exist.
    delete run;
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

// Each shortcut belongs to its button, so Qt only lets it fire while the
// button is visible, and it presses the button exactly as a click does.
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
}

// A list copied out of a mail or a gallery page can be pasted as it is.
void MainWindow::setUpPaste()
{
    auto *paste = new QAction(QStringLiteral("Paste list"), buttonTextFilePath);
    paste->setShortcut(QKeySequence::Paste);
    connect(paste, &QAction::triggered, this, [this] {
        const QString text = QGuiApplication::clipboard()->text();
        if (!text.trimmed().isEmpty())
            chooseListText(text);
    });
    const auto follow = [paste] { paste->setEnabled(!QGuiApplication::clipboard()->text().trimmed().isEmpty()); };
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, paste, follow);
    follow();
    buttonTextFilePath->addAction(paste);
    buttonTextFilePath->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// A picture folder that cannot take the copies (a write-protected card, the
// output of an earlier run) can still be copied from.
void MainWindow::setUpTargetChoices()
{
    copyElsewhereAction = new QAction(QStringLiteral("Copy into another folder\u2026"), infoImagePath);
    copyElsewhereAction->setEnabled(false);
    connect(copyElsewhereAction, &QAction::triggered, this, &MainWindow::chooseDestination);
    infoImagePath->addAction(copyElsewhereAction);
    addRestAction = new QAction(QStringLiteral("Add the rest to %1").arg(PkFileReader::outputFolderName()), infoImagePath);
    addRestAction->setEnabled(false);
    connect(addRestAction, &QAction::triggered, this, [this] {
        target.addToExisting();
        takeTarget();
    });
    infoImagePath->addAction(addRestAction);
    infoImagePath->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The warning that asks for a choice offers it where the user reads it.
    infoWarning->addActions({copyElsewhereAction, addRestAction});
    infoWarning->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::chooseDestination()
{
    auto *dialog = new QFileDialog(this, QString(), QFileInfo(target.pictures()).absolutePath(), QString());
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, &MainWindow::on_destinationSelected);
    dialog->show();
    dialog->raise();
}

void MainWindow::on_destinationSelected(const QString &path)
{
    const BusyCursor busy;
    folderWarning = target.chooseDestination(QDir::cleanPath(path));
    if (folderWarning.isEmpty()) {
        takeTarget();
        return;
    }
    showWarning();
}

// Shows where the copies of the chosen picture folder go, and takes the
// folder when they can go there.
void MainWindow::takeTarget()
{
    infoImagePath->setMainText(target.pathText(), tools->getColor(QStringLiteral("gray8")));
    infoImagePath->show();
    copyElsewhereAction->setEnabled(true);
    addRestAction->setEnabled(target.canAddToExisting());
    folderWarning = target.warning();
    showWarning();
    if (!folderWarning.isEmpty())
        return;
    accepted = target;
    imagePath = target.pictures();
    if (!textFilePath.isEmpty())
        matchSelection();
}

void MainWindow::on_buttonTextFilePathpressed()
{
    qDebug() << "MainWindow::on_buttonTextFilePathpressed...";
    textFileDialog = new QFileDialog(this, QString(), QSettings().value(listFolderKey).toString(), QString());
    textFileDialog->setNameFilters({QStringLiteral("Lists (*.txt *.csv *.lrsmcol)"), QStringLiteral("All files (*)")});
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

void MainWindow::on_buttonStartCopypressed()
{
    run->press();
}

void MainWindow::on_textFileSelected(const QString path)
{
    const BusyCursor busy;
    qDebug() << "MainWindow::on_fileSelected:" << path;
    QSettings().setValue(listFolderKey, QFileInfo(path).absolutePath());
    takeList(path, PkListReader::readFile(path));
}

void MainWindow::chooseListText(const QString &text)
{
    const BusyCursor busy;
    takeList(QStringLiteral("Pasted list"), PkListReader::readText(text));
}

// name is what the Text file tile shows: the list's path, or that it was pasted.
void MainWindow::takeList(const QString &name, PkSelectionList list)
{
    textFilePath = name;
    infoTextFile->setMainText(name, tools->getColor(QStringLiteral("gray8")));
    infoTextFile->show();
    buttonImageFilePath->show();

    listOfIds = std::move(list.ids);
    listWarning = list.error.isEmpty() ? QString() : QStringLiteral("Cannot read the list: ") + list.error;
    infoSelected->setMainText(QString::number(listOfIds.size() + list.blankLines), tools->getColor(QStringLiteral("gray7")));
    report->setBlankLines(list.blankLines);
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
    target.choosePictures(path);
    takeTarget();
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

void MainWindow::rematch()
{
    if (imagePath.isEmpty() || textFilePath.isEmpty())
        return;
    const BusyCursor busy;
    matchSelection();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const PkDropChoice choice = PkDropChoice::fromMimeData(event->mimeData(), !buttonImageFilePath->isHidden());
    if (choice.isEmpty() || !PkDropChoice::acceptWithoutMove(event))
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const PkDropChoice choice = PkDropChoice::fromMimeData(event->mimeData(), !buttonImageFilePath->isHidden());
    if (choice.isEmpty() || !PkDropChoice::acceptWithoutMove(event)) {
        event->ignore();
        return;
    }
    if (!choice.text.isEmpty())
        chooseListText(choice.text);
    if (!choice.file.isEmpty())
        on_textFileSelected(choice.file);
    if (!choice.folder.isEmpty())
        on_imagePathSelected(choice.folder);
}

// Matches the accepted folder against the identifiers and shows the result:
// the count tile, the status panel with its new total, and "Start".
void MainWindow::matchSelection()
{
    match = PkSelectionMatcher::matchFolder(imagePath, listOfIds, report->options());
    listOfFilesToCopy = match.files;
    report->showMatch(match);
    infoToCopy->show();
    dashboard->show();
    reviewLink->setSelection(PkReviewSelection::fromMatch(imagePath, listOfIds, match));
}

// The files left out in the review are left out of the count and the run.
void MainWindow::showFilesToRun()
{
    const QList<QString> files = reviewLink->filesToRun();
    infoToCopy->setMainText(QString::number(files.size()), tools->getColor(QStringLiteral("gray7")));
    report->showFilesToCopy(files);
    run->setSelection(textFilePath, imagePath, files, int(listOfIds.size()), accepted.destination(),
                      accepted.resume());
}
