// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "pkbutton.h"
#include "pkdashboard.h"
#include "pkdropchoice.h"
#include "pklikechoice.h"
#include "pkfilereader.h"
#include "pkmatchjobs.h"
#include "pkruncontroller.h"
#include "pklistreader.h"
#include "pkselectionmatcher.h"
#include "pkmarkchoice.h"
#include "pkreviewlink.h"
#include "pkselectionreport.h"
#include "pktargetmenu.h"
#include "pktilefactory.h"
#include "pwdarklook.h"
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
    connect(report, &PkSelectionReport::optionsChanged, reviewLink, &PkReviewLink::startOver);
    markChoice = new PkMarkChoice(infoToCopy, [this] { return imagePath; }, [this] { return reviewLink->filesToRun(); });
    connect(markChoice, &PkMarkChoice::marked, this, &MainWindow::rematch);
    jobs = new PkMatchJobs(this);
    connect(jobs, &PkMatchJobs::prepared, this, &MainWindow::takePreparation);
    connect(jobs, &PkMatchJobs::checked, this, &MainWindow::takeCheck);
    run->setStartGate([this](bool rest) { checkAtStart(rest); });
    setUpShortcuts();
    setUpPaste();
    connect(new PkLikeChoice(buttonTextFilePath, infoToCopy, jobs, tools->getColor(QStringLiteral("gray7"))),
            &PkLikeChoice::chosen, this, [this](const QStringList &examples) {
                takeList(PkLikeChoice::tileText(examples.size()), QString(), QString(), examples);
            });
    setUpTargetChoices();
    report->addFolderOptions(infoImagePath);
    targetMenu->addBackupChoices();
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
    const PkTileFactory make(this, *tools);

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

    buttonTextFilePath = make.actionButton(QStringLiteral("Select text file"), buttonTextColor, 14);
    buttonTextFilePath->move(20, 20);
    connect(buttonTextFilePath, &QAbstractButton::clicked, this,
            &MainWindow::on_buttonTextFilePathpressed);

    buttonImageFilePath = make.actionButton(QStringLiteral("Select image folder"), buttonTextColor, 14);
    buttonImageFilePath->move(width() - buttonImageFilePath->width() - 20, 20);
    connect(buttonImageFilePath, &QAbstractButton::clicked, this,
            &MainWindow::on_buttonImageFilePathpressed);
    buttonImageFilePath->hide();

    buttonStartCopy = make.actionButton(QStringLiteral("Start"), buttonTextColor, 15);
    buttonStartCopy->move(width() - buttonStartCopy->width() - 20,
                          height() - buttonStartCopy->height() - 20);
    connect(buttonStartCopy, &QAbstractButton::clicked, this, &MainWindow::on_buttonStartCopypressed);
    buttonStartCopy->hide();

    const int wide = width() - 40;
    infoTextFile = make.infoTile({wide, 50}, {20, height() - 135}, 0, QStringLiteral(" Text file"),
                                  QStringLiteral("gray9"));
    infoImagePath = make.infoTile({wide, 50}, {20, height() - 190}, 0, QStringLiteral(" Image path"),
                                   QStringLiteral("gray9"));
    // A path's both ends tell where it is: the drive or share, and the job.
    infoTextFile->setElideMode(Qt::ElideMiddle);
    infoImagePath->setElideMode(Qt::ElideMiddle);
    infoSelected = make.infoTile({160, 90}, {80, 200}, 30, QStringLiteral(" Selected"),
                                  QStringLiteral("gray8"));
    infoToCopy = make.infoTile({160, 90}, {width() - 240, 200}, 30, QStringLiteral(" To copy"),
                                QStringLiteral("gray8"));
    infoWarning = make.infoTile({wide, 60}, {20, 200}, 16, QStringLiteral(" Warning"),
                                 QStringLiteral("gray8"));
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

void MainWindow::setUpTargetChoices()
{
    targetMenu = new PkTargetMenu(infoImagePath, infoWarning);
    connect(targetMenu, &PkTargetMenu::destinationChosen, this, [this](const QString &folder) { prepare(true, folder); });
    connect(targetMenu, &PkTargetMenu::alsoChosen, this, [this](const QString &folder) { prepare(true, folder, true); });
    connect(targetMenu, &PkTargetMenu::alsoDropped, this, [this] {
        target.dropAlso();
        prepare(true);
    });
    connect(targetMenu, &PkTargetMenu::addRestChosen, this, [this] {
        target.addToExisting();
        prepare(true);
    });
}

void MainWindow::on_buttonTextFilePathpressed()
{
    qDebug() << "MainWindow::on_buttonTextFilePathpressed...";
    textFileDialog = PwDarkLook::fileDialog(this, QStringLiteral("Choose the client's list"),
                                            QSettings().value(listFolderKey).toString(), false);
    textFileDialog->setNameFilters({QStringLiteral("Lists (*.txt *.csv *.lrsmcol)"), QStringLiteral("All files (*)")});
    connect(textFileDialog, &QFileDialog::fileSelected, this, &MainWindow::on_textFileSelected);
}

void MainWindow::on_buttonImageFilePathpressed()
{
    qDebug() << "MainWindow::on_buttonImageFilePathpressed...";
    imageFolderDialog = PwDarkLook::fileDialog(this, QStringLiteral("Choose the picture folder"),
                                               QSettings().value(picturesParentKey).toString(), true);
    connect(imageFolderDialog, &QFileDialog::fileSelected, this, &MainWindow::on_imagePathSelected);
}

void MainWindow::on_buttonStartCopypressed()
{
    run->press();
}

void MainWindow::on_textFileSelected(const QString path)
{
    qDebug() << "MainWindow::on_fileSelected:" << path;
    QSettings().setValue(listFolderKey, QFileInfo(path).absolutePath());
    takeList(path, path, QString());
}

void MainWindow::chooseListText(const QString &text)
{
    takeList(QStringLiteral("Pasted list"), QString(), text);
}

// name is what the Text file tile shows: the list's path, or that it was
// pasted. The list is read with the matching, off the GUI thread.
void MainWindow::takeList(const QString &name, const QString &path, const QString &text, const QStringList &examples)
{
    listExamples = examples;
    textFilePath = name;
    infoTextFile->setMainText(name, tools->getColor(QStringLiteral("gray8")));
    infoTextFile->show();
    buttonImageFilePath->show();
    pendingList = {path, text.isNull() ? QString() : text};
    listPending = true;
    // Adding to an earlier run was asked for that run's list.
    target.dropAddToExisting();
    accepted.dropAddToExisting();
    prepare(false);
}

void MainWindow::on_imagePathSelected(const QString path)
{
    qDebug() << "MainWindow::on_imagePath:" << path;
    QSettings().setValue(picturesParentKey, QFileInfo(QDir::cleanPath(path)).absolutePath());
    target.choosePictures(path);
    infoImagePath->setMainText(target.pathText(), tools->getColor(QStringLiteral("gray8")));
    infoImagePath->show();
    prepare(true);
}

// A refused folder comes before the accepted one's destination, and both
// before an unreadable list. The warning takes the place of the count tiles
// and the ring, whatever brought it: drawn over them it would be read as
// neither. The tile goes once none applies.
void MainWindow::showWarning()
{
    QString text = folderWarning.isEmpty() ? checkWarning : folderWarning;
    if (text.isEmpty())
        text = listWarning;
    const bool warned = !text.isEmpty();
    infoWarning->setMainText(text, tools->getColor(QStringLiteral("marker")));
    infoWarning->setHidden(!warned);
    infoSelected->setHidden(warned || textFilePath.isEmpty());
    infoToCopy->setHidden(warned || (imagePath.isEmpty() && !toCopyPending));
    dashboard->setHidden(warned || imagePath.isEmpty());
}

void MainWindow::rematch()
{
    if (!imagePath.isEmpty() && !textFilePath.isEmpty())
        prepare(false);
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
    if (!choice.pictures.isEmpty())
        takeList(PkLikeChoice::tileText(choice.pictures.size()), QString(), QString(), choice.pictures);
    if (!choice.file.isEmpty())
        on_textFileSelected(choice.file);
    if (!choice.folder.isEmpty())
        on_imagePathSelected(choice.folder);
}


// Starts the disk work for the choices made so far: the list chosen last when
// it is not read yet, the chosen folder when takeChosen (a new folder or
// destination, or adding to an earlier run), else the accepted folder, which
// is matched anew. The tiles say that the work is under way meanwhile.
void MainWindow::prepare(bool takeChosen, const QString &newDestination, bool asBackup)
{
    PkMatchJobs::Preparation job;
    job.readList = listPending;
    job.listPath = pendingList.first;
    job.listText = pendingList.second;
    job.ids = listOfIds;
    job.examples = listExamples;
    job.target = takeChosen ? target : accepted;
    job.newDestination = newDestination;
    job.newIsBackup = asBackup;
    job.checkTarget = takeChosen;
    job.matchFolder = !textFilePath.isEmpty() && !job.target.pictures().isEmpty();
    job.options = report->options();
    jobs->prepare(job);
    run->clearFigures();
    // The warning of the folder chosen before would stand over the new one's
    // tiles until its check comes back.
    if (job.checkTarget)
        folderWarning.clear();
    if (listPending)
        infoSelected->setMainText(QStringLiteral("\u2026"), tools->getColor(QStringLiteral("gray7")));
    if (job.matchFolder) {
        infoToCopy->setMainText(QStringLiteral("\u2026"), tools->getColor(QStringLiteral("gray7")));
        report->showPending();
        toCopyPending = true;
    }
    showWarning();
    showBusy();
}

void MainWindow::takePreparation(const PkMatchJobs::Preparation &job)
{
    toCopyPending = false;
    if (job.readList) {
        listPending = false;
        listOfIds = job.ids;
        listWarning = !job.listError.isEmpty() ? QStringLiteral("Cannot read the list: ") + job.listError
                    : listOfIds.isEmpty()        ? QStringLiteral("The list holds no identifier")
                                                 : QString();
        infoSelected->setMainText(QString::number(PkLinePieces::countBeforeMatching(listOfIds)),
                                  tools->getColor(QStringLiteral("gray7")));
    }
    if (job.checkTarget)
        takeTarget(job);
    showWarning();
    if (!job.matchFolder || !job.refusal.isEmpty()) {
        // A refused folder keeps the accepted one, matched with a list read meanwhile.
        if (job.readList && !imagePath.isEmpty())
            return prepare(false);
        // Nothing new to copy: what was ready before still is.
        infoToCopy->setMainText(QString::number(reviewLink->filesToRun().size()), tools->getColor(QStringLiteral("gray7")));
        showWarning();
        showBusy();
        emit matched();
        return;
    }
    match = job.match;
    if (!job.examples.isEmpty())
        listOfIds = job.ids;
    fileSizes = job.sizes;
    listOfFilesToCopy = match.files;
    report->showMatch(match, job.examples.isEmpty() ? nullptr : &job.like);
    infoToCopy->setToolTip(PkLikeChoice::toolTip(job.like, infoToCopy->toolTip()));
    qDebug() << "MainWindow::on_textFileSelected: listOfFilesToCopy:" << listOfFilesToCopy;
    reviewLink->setSelection(PkLikeChoice::reviewSelection(imagePath, match.ids, match, job.like));
    // The review says when the files to copy change; the destination is
    // checked for the new match even when they stay the same.
    if (!jobs->isBusy())
        showFilesToRun();
}

// Shows where the copies of the chosen picture folder go, and takes the
// folder when they can go there. A refused destination changes nothing but
// the warning.
void MainWindow::takeTarget(const PkMatchJobs::Preparation &job)
{
    folderWarning = job.refusal;
    if (!job.newDestination.isEmpty() && job.target.destination() != job.newDestination
        && !job.target.alsoFolders().contains(job.newDestination))
        return;
    target = job.target;
    infoImagePath->setMainText(target.pathText(), tools->getColor(QStringLiteral("gray8")));
    infoImagePath->show();
    targetMenu->offer(target.pictures(), job.canAddToExisting, !target.alsoFolders().isEmpty());
    if (folderWarning.isEmpty()) {
        accepted = target;
        imagePath = target.pictures();
    }
}

// The files left out in the review are left out of the count and the run;
// each change of them checks again where they go and whether they fit.
void MainWindow::showFilesToRun()
{
    const QList<QString> files = reviewLink->filesToRun();
    infoToCopy->setMainText(QString::number(files.size()), tools->getColor(QStringLiteral("gray7")));
    report->showFilesToCopy(files, reviewLink->leftOutCount());
    markChoice->setEnabled(!files.isEmpty());
    checkFiles(files, false, false);
}

void MainWindow::takeCheck(const PkMatchJobs::Check &job)
{
    checkWarning = job.warning;
    if (target.pictures() == accepted.pictures())
        targetMenu->offerAddRest(job.canAddToExisting);
    showWarning();
    showBusy();
    // A start carries its own files: an answer given at Start changed them.
    run->setBackups(accepted.alsoFolders());
    run->setSelection(textFilePath, imagePath, job.files, int(listOfIds.size()), accepted.destination(),
                      accepted.resume(), job.warning.isEmpty());
    if (job.start && job.warning.isEmpty())
        run->startRun(job.rest);
    emit matched();
}

// The drive may have filled since the files were checked: Start checks again.
// Files of ambiguous identifiers are asked about first.
void MainWindow::checkAtStart(bool rest)
{
    if (!reviewLink->askFirst([this, rest] { checkAtStart(rest); }))
        checkFiles(reviewLink->filesToRun(), rest, true);
}

void MainWindow::checkFiles(const QList<QString> &files, bool rest, bool start)
{
    PkMatchJobs::Check job;
    job.target = accepted;
    job.files = files;
    job.sizes = fileSizes;
    job.rest = rest;
    job.start = start;
    jobs->check(job);
    showBusy();
}

// While the disk work is under way Start is not offered and the cursor says
// that the window is busy, though it still answers.
void MainWindow::showBusy()
{
    const bool busy = jobs->isBusy();
    run->setHeld(busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}
