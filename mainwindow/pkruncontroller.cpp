// SPDX-License-Identifier: MIT

#include "pkruncontroller.h"

#include "pkfoldertree.h"
#include "pkselectionreport.h"

#include "pkbutton.h"
#include "pkdashboard.h"
#include "pkfilereader.h"
#include "pwtools.h"

#include <QAction>
#include <QClipboard>
#include <QDebug>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QShortcut>
#include <QThread>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

namespace {

QString runButtonText(PkRunState::Action action)
{
    switch (action) {
    case PkRunState::Action::Start:
        return QStringLiteral("Start");
    case PkRunState::Action::Stop:
        return QStringLiteral("Stop");
    case PkRunState::Action::ShowCopies:
        return QStringLiteral("Show copies");
    case PkRunState::Action::CopyRest:
        return QStringLiteral("Copy the rest");
    case PkRunState::Action::None:
        break;
    }
    return QString();
}

// The shortcut belongs to the button, so Qt only lets it fire while the
// button is visible, and it presses the button exactly as a click does.
QShortcut *addShortcut(PkButton *button, const QList<QKeySequence> &keys)
{
    auto *shortcut = new QShortcut(button);
    shortcut->setKeys(keys);
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    return shortcut;
}

} // namespace

PkRunController::PkRunController(PkDashboard *dashboard, PkButton *runButton, const PwTools &tools, QObject *parent)
    : QObject(parent)
    , dashboard(dashboard)
    , runButton(runButton)
    , tools(tools)
    , fileReader(new PkFileReader)
    , workerThread(new QThread)
{
    connect(fileReader, &PkFileReader::copyStatusSignal, this, &PkRunController::onCopied);
    connect(fileReader, &PkFileReader::alreadyThereSignal, this, &PkRunController::onAlreadyThere);
    connect(fileReader, &PkFileReader::copyFailedSignal, this, &PkRunController::onFailed);
    connect(fileReader, &PkFileReader::copyProgressSignal, this, &PkRunController::onProgress);
    connect(fileReader, &PkFileReader::largeFileSignal, this, [this](const QString &name, int percent) {
        largeFile = QStringLiteral("%1: %2%").arg(name).arg(percent);
    });
    connect(fileReader, &PkFileReader::copyStoppedSignal, this,
            [this](const QString &why) { runState.stopped(why); });
    connect(fileReader, &PkFileReader::copyNoteSignal, this,
            [this](const QString &name, const QString &note) { runState.fileNoted(name, note); });
    connect(fileReader, &PkFileReader::alsoFailedSignal, this,
            [this](const QString &folder, const QString &name, const QString &reason) { runState.backupFailed(folder, name, reason); });
    connect(fileReader, &PkFileReader::alsoFinishedSignal, this,
            [this](const QString &folder, int copied, int failed, int alreadyThere, const QString &stopped) {
                runState.backupFinished(folder, copied, failed, alreadyThere, stopped);
            });
    connect(fileReader, &PkFileReader::copyFinishedSignal, this, &PkRunController::onFinished);
    connect(this, &PkRunController::startCopySignal, fileReader, &PkFileReader::on_startCopyIntoSignal);

    copyFailuresAction = new QAction(QStringLiteral("Copy failure report"), dashboard);
    copyFailuresAction->setEnabled(false);
    connect(copyFailuresAction, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(runState.failureReport()); });
    dashboard->addAction(copyFailuresAction);
    // Where the run button offers "Copy the rest", the copies are shown from here.
    showCopiesAction = new QAction(QStringLiteral("Show copies"), dashboard);
    showCopiesAction->setEnabled(false);
    connect(showCopiesAction, &QAction::triggered, this, &PkRunController::showCopies);
    dashboard->addAction(showCopiesAction);
    dashboard->setContextMenuPolicy(Qt::ActionsContextMenu);

    // Switched on and off with what the button reads.
    startShortcut = addShortcut(runButton, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    stopShortcut = addShortcut(runButton, {QKeySequence(Qt::Key_Escape)});
    stopShortcut->setEnabled(false);
}

PkRunController::~PkRunController()
{
    workerThread->requestInterruption();
    workerThread->quit();
    workerThread->wait();
    delete fileReader;
    delete workerThread;
}

void PkRunController::setSelection(const QString &listName, const QString &folder, const QList<QString> &files,
                                   int idCount, const QString &destination, bool resume, bool ready)
{
    this->destination = destination;
    this->resume = resume;
    this->listName = listName;
    this->folder = folder;
    this->files = files;
    this->idCount = idCount;
    if (runState.selectionChanged(ready))
        resetPanel();
    else
        showRun();
}

void PkRunController::press()
{
    switch (runState.action()) {
    case PkRunState::Action::Start:
        requestRun(false);
        break;
    case PkRunState::Action::CopyRest:
        requestRun(true);
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

void PkRunController::setHeld(bool held)
{
    this->held = held;
    showRun();
}

void PkRunController::requestRun(bool rest)
{
    if (held)
        return;
    if (startGate)
        startGate(rest);
    else
        startRun(rest);
}

// The rest of a run goes into the same output folder, leaving alone what
// is there already.
void PkRunController::startRun(bool rest)
{
    qDebug() << tools.getTimeStamp() << "MainWindow::on_buttonStartCopypressed...";
    fileReader->moveToThread(workerThread);
    workerThread->start(QThread::InheritPriority);
    // Copies into one folder leave out the names that two files would share;
    // the To copy tile's tooltip names them.
    const bool flat = PkSelectionReport::flatCopies();
    QList<QString> runFiles = files;
    if (flat)
        PkFolderTree::takeClashes(runFiles);
    fileReader->setFlatCopies(flat);
    const bool verify = PkSelectionReport::verifyCopies();
    fileReader->setVerify(verify);
    fileReader->setAlsoInto(backups);
    runState.start(int(runFiles.size()), destination, verify);
    largeFile.clear();
    lastFilesDone = 0;
    progress.start(int(runFiles.size()));
    resetPanel();
    emit startCopySignal(runFiles, folder, destination, resume || rest);
}

void PkRunController::clearFigures()
{
    if (runState.isRunning())
        return;
    // A choice that is refused leaves the selection before it ready.
    runState.selectionChanged(runState.isReady());
    resetPanel();
}

// The run ends after the file being copied; the worker says when.
void PkRunController::stopRun()
{
    fileReader->requestStop(runState.runNumber());
}

void PkRunController::showCopies() const
{
    const QString copies = runState.folder() + QLatin1Char('/') + PkFileReader::outputFolderName();
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(copies)))
        return;
    // Where no file manager is installed the press must still show
    // something: where the copies are, with the path ready to paste.
    QGuiApplication::clipboard()->setText(copies);
    const QString where = QStringLiteral("No file manager to show them. The copies are in %1 "
                                         "(the path is on the clipboard).").arg(copies);
    // As rich text, so that no path can pass for markup.
    QToolTip::showText(runButton->mapToGlobal(QPoint(0, 0)), Qt::convertFromPlainText(where, Qt::WhiteSpaceNormal),
                       runButton);
}

// The ring counts the files that are there, copied now or before.
void PkRunController::onCopied(int count)
{
    runState.fileCopied(count);
    dashboard->setProgress(runState.filesThere());
    showRun();
}

void PkRunController::onAlreadyThere(int count)
{
    runState.fileAlreadyThere(count);
    dashboard->setProgress(runState.filesThere());
    showRun();
}

// The figures of the command line's progress line, in the ring's tooltip.
void PkRunController::onProgress(int filesDone, qint64 bytesDone, qint64 bytesTotal)
{
    // A large file is named until it is done.
    if (filesDone != lastFilesDone)
        largeFile.clear();
    lastFilesDone = filesDone;
    progress.update(filesDone, bytesDone, bytesTotal);
    if (runState.isRunning())
        dashboard->setToolTip(progressToolTip());
}

// Rich text, so that no name can pass for markup.
QString PkRunController::progressToolTip() const
{
    QString lines = progress.text().toHtmlEscaped();
    if (!largeFile.isEmpty())
        lines += QStringLiteral("<br>") + largeFile.toHtmlEscaped();
    return QStringLiteral("<p style='white-space:pre'>") + lines + QStringLiteral("</p>");
}

void PkRunController::onFailed(const QString &name, const QString &reason)
{
    runState.fileFailed(name, reason);
    showRun();
}

void PkRunController::onFinished(int copied, int, int alreadyThere)
{
    const QString output = runState.folder() + QLatin1Char('/') + PkFileReader::outputFolderName();
    runState.finish(copied, alreadyThere, QFileInfo(output).isDir());
    showRun();
}

// The panel follows one run: it starts afresh with a run, or with a new
// selection while no run is under way, and otherwise keeps what it shows.
void PkRunController::resetPanel()
{
    dashboard->setSelectionInfo(listName, folder, int(files.size()), idCount);
    dashboard->resetProgress();
    showRun();
}

void PkRunController::showRun()
{
    const QString colour = runState.isAlarming() ? QStringLiteral("marker") : QStringLiteral("gray8");
    dashboard->setSummary(runState.summary(), tools.getColor(colour));
    dashboard->setToolTip(runState.isRunning() ? progressToolTip() : runState.failureToolTip());
    copyFailuresAction->setEnabled(!runState.failureReport().isEmpty());
    showCopiesAction->setEnabled(runState.canShowCopies());

    const PkRunState::Action action = runState.action();
    runButton->setMainText(runButtonText(action), runButton->getMainTextColor());
    const bool starts = action == PkRunState::Action::Start || action == PkRunState::Action::CopyRest;
    runButton->setHidden(action == PkRunState::Action::None || (held && starts));
    startShortcut->setEnabled(starts && !held);
    stopShortcut->setEnabled(action == PkRunState::Action::Stop);
}
