// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include "pkarguments.h"
#include "pkdestination.h"
#include "pkendsignals.h"
#include "pkfilecopier.h"
#include "pkfilereader.h"
#include "pklistreader.h"
#include "pklikereader.h"
#include "pkmatchreport.h"
#include "pkterminaltext.h"
#include "pkselectionmatcher.h"
#include "pkspacecheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeTo(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Reads the list, or gives the system's reason why it cannot be read. A
// missing list is an error here, unlike in the window, where no dialog can
// choose one: a script has most likely misspelt it. "-" is standard input.
QString readList(const QString &path, PkSelectionList &list)
{
    if (path == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return in.errorString();
        // Read in pieces up to the bound: /dev/zero would never end.
        QByteArray bytes;
        for (QByteArray piece; bytes.size() <= PkListReader::maxBytes && !(piece = in.read(1 << 20)).isEmpty();)
            bytes += piece;
        if (in.error() != QFileDevice::NoError)
            return in.errorString();
        if (bytes.size() > PkListReader::maxBytes)
            return PkListReader::tooLarge(true);
        list = PkListReader::readBytes(bytes);
        return list.error;
    }
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return qt_error_string(errno);
    list = PkListReader::readFile(path);
    return list.error;
}

// A list of blank lines or of words only would report a run that did
// nothing as a success.
int refuseEmptyList()
{
    PkCommandLine::printError(QStringLiteral("the list holds no identifier"));
    return PkCommandLine::UsageError;
}

// A FilesFromSelection that an earlier run left is refused; the user is told
// the two ways on.
void printExistingOutputHint(const QString &destination, bool resume)
{
    const QFileInfo output(destination + QLatin1Char('/') + PkFileReader::outputFolderName());
    if (!resume && output.isDir() && !output.isSymLink())
        writeTo(stderr, "finish it with --resume, or put FilesFromSelection elsewhere with --to\n");
}

QString folderProblem(const QString &path)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return qt_error_string(errno);
    ::closedir(dir);
    return {};
}

// The signal handler only writes the signal's number into this pipe; the
// event loop reads it and asks the worker to stop between two files.
int signalPipe[] = {-1, -1};

// The first stop signal asks for the end of the run; a second one ends the
// program at once, taking away the copy in hand. Two signals may be handled
// at once on two threads: exactly one of them is the first.
std::atomic<int> stopSignalsSeen{0};
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

void onStopSignal(int signalNumber)
{
    if (stopSignalsSeen.exchange(1) != 0)
        PkEndSignals::endNow(signalNumber);
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

void PkCommandLine::printError(const QString &text)
{
    std::fflush(stdout);
    writeTo(stderr, (PkArguments::programName() + QLatin1String(": ") + text + QLatin1Char('\n')).toLocal8Bit());
}

PkCommandLine::Invocation PkCommandLine::parse(const QStringList &arguments)
{
    return PkArguments::parse(arguments);
}

PkCommandLine::Invocation PkCommandLine::parse(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parse(arguments);
}

int PkCommandLine::exitEarly(const Invocation &invocation)
{
    writeTo(invocation.exitStatus == Success ? stdout : stderr, invocation.message.toLocal8Bit());
    return invocation.exitStatus;
}

PkCommandLine::PkCommandLine(QObject *parent)
    : QObject(parent)
    , fileReader(new PkFileReader)
{
}

PkCommandLine::~PkCommandLine()
{
    stopWorker();
}

int PkCommandLine::exec(const Invocation &invocation)
{
    // Output that nobody reads any more (stderr piped into head) ends a dry
    // run quietly, as it ends any filter, but never a run's copying.
    if (!invocation.dryRun)
        ::signal(SIGPIPE, SIG_IGN);
    verify = invocation.verify;
    int status = prepare(invocation);
    if (status == Success && invocation.copy)
        status = checkSpace();
    // Marks go in first, so that the copies carry them.
    if (status == Success && !invocation.markKeyword.isEmpty())
        status = mark(invocation);
    if (status != Success)
        return status;
    if (!invocation.dryRun && invocation.copy)
        status = copy();
    if (status == Success && markIncomplete)
        status = MarkIncomplete;
    return reportSkipped(status);
}

// Files that only ambiguous identifiers select are copied only when the
// user said so: a typo such as 207 for 2071 must not deliver ten wrong pictures.
void PkCommandLine::holdAmbiguous(const QList<QString> &ids, Ambiguous answer, PkMatchResult &match)
{
    if (answer == Ambiguous::Copy)
        return;
    askedAbout = answer == Ambiguous::Ask;
    QList<QString> files;
    QList<qsizetype> skipped; // in list order, each once
    for (qsizetype file = 0; file < match.files.size(); ++file) {
        if (!match.isHeld(file))
            files.append(match.files.at(file));
        else
            skipped.append(match.fileIds.at(file));
    }
    match.files = std::move(files);
    std::sort(skipped.begin(), skipped.end());
    skipped.erase(std::unique(skipped.begin(), skipped.end()), skipped.end());
    for (const qsizetype id : std::as_const(skipped)) {
        if (!skippedIds.contains(ids.at(id)))
            skippedIds.append(ids.at(id));
    }
}

// Said last, where the user reads it, with the way to add them; a user who
// chose to skip them knows. A run that went through otherwise exits with its
// own status, so that a script can tell that something was left out.
int PkCommandLine::reportSkipped(int status)
{
    if (skippedIds.isEmpty())
        return status;
    std::fflush(stdout);
    if (askedAbout)
        writeTo(stderr, PkMatchReport::skipped(skippedIds));
    return status == Success ? SkippedAmbiguous : status;
}

// Once the files are known: a drive they cannot fit on is refused before
// anything is written, as a refused folder is, also on a dry run.
int PkCommandLine::checkSpace()
{
    for (const QString &destination : QList<QString>{destinationPath} + alsoPaths) {
        const QString shortfall = PkSpaceCheck::shortfall(folderPath, files, destination, resume);
        if (!shortfall.isEmpty()) {
            printError(alsoPaths.isEmpty() ? shortfall : destination + QStringLiteral(": ") + shortfall);
            return FolderRefused;
        }
    }
    return Success;
}

// Everything up to the copying: reads the list, checks and matches the
// folder, and prints what was found.
int PkCommandLine::prepare(const Invocation &invocation)
{
    if (!invocation.likePath.isEmpty())
        return prepareLike(invocation);
    PkSelectionList list;
    const QString listError = readList(invocation.listPath, list);
    if (!listError.isEmpty()) {
        printError(QStringLiteral("Cannot read the list: %1").arg(listError));
        return UsageError;
    }
    if (list.ids.isEmpty())
        return refuseEmptyList();
    folderPath = QDir::cleanPath(invocation.folderPath);
    const QString folderError = folderProblem(folderPath);
    if (!folderError.isEmpty()) {
        printError(QStringLiteral("Cannot read the folder: %1").arg(folderError));
        return UsageError;
    }
    const int destinationStatus = invocation.copy ? checkDestination(invocation) : Success;
    if (destinationStatus != Success)
        return destinationStatus;

    PkMatchOptions options;
    options.withoutExtensions = invocation.withoutExtensions;
    options.wholeNumbers = invocation.wholeNumbers;
    options.nearMatches = invocation.nearMatches;
    options.subfolders = invocation.subfolders;
    options.oneShot = PkLikeReader::oneShotIn(folderPath);
    PkMatchResult match = PkSelectionMatcher::matchFolder(folderPath, list.ids, options);
    if (match.idCount == 0)
        return refuseEmptyList();
    if (const int status = writeReport(invocation, match, nullptr); status != Success)
        return status;
    for (const QString &problem : std::as_const(match.unreadable))
        printError(QStringLiteral("cannot read sub-folder ") + problem);
    holdAmbiguous(match.ids, invocation.ambiguous, match);
    flat = invocation.flat;
    const QList<PkFolderTree::Clash> clashes = flat ? PkFolderTree::takeClashes(match.files) : QList<PkFolderTree::Clash>();
    const QByteArray report = PkMatchReport::summary(match) + PkMatchReport::clashes(clashes);
    files = std::move(match.files);
    if (!invocation.dryRun) {
        writeTo(stdout, report);
        return Success;
    }
    // A dry run feeds a pipe: standard output holds the paths and nothing else.
    writeTo(stderr, report);
    if (invocation.copy)
        printPaths(invocation);
    return Success;
}

void PkCommandLine::printPaths(const Invocation &invocation)
{
    QList<QString> leftOut;
    const QByteArray paths = PkMatchReport::fileList(invocation.folderPath, files, invocation.print0, leftOut);
    for (const QString &name : leftOut)
        writeTo(stderr, "left out, as its name holds a line break (see --print0): " + PkTerminalText::escaped(name) + '\n');
    writeTo(stdout, paths);
}

// Where the copies go: --to's folder, or the picture folder. Nothing is
// created before both have passed.
int PkCommandLine::checkDestination(const Invocation &invocation)
{
    destinationPath = folderPath;
    if (!invocation.destinationPath.isEmpty()) {
        const QString unusable = PkDestination::refusal(folderPath, invocation.destinationPath);
        if (!unusable.isEmpty()) {
            printError(unusable);
            return UsageError;
        }
        destinationPath = QDir::cleanPath(invocation.destinationPath);
    }
    resume = invocation.resume;
    const QString refusal = PkFileReader::folderRefusal(destinationPath, resume);
    if (!refusal.isEmpty()) {
        printError(refusal);
        printExistingOutputHint(destinationPath, resume);
        return FolderRefused;
    }
    return checkAlso(invocation);
}

// Each backup folder passes as the destination does, and is neither one of
// the others nor inside one.
int PkCommandLine::checkAlso(const Invocation &invocation)
{
    alsoPaths.clear();
    for (const QString &also : invocation.alsoPaths) {
        QString unusable = PkDestination::refusal(folderPath, also);
        if (unusable.isEmpty())
            unusable = PkDestination::besides(also, QList<QString>{destinationPath} + alsoPaths);
        if (!unusable.isEmpty()) {
            printError(unusable);
            return UsageError;
        }
        const QString path = QDir::cleanPath(also);
        const QString refusal = PkFileReader::folderRefusal(path, resume);
        if (!refusal.isEmpty()) {
            printError(path + QStringLiteral(": ") + refusal);
            printExistingOutputHint(path, resume);
            return FolderRefused;
        }
        alsoPaths << path;
    }
    return Success;
}

int PkCommandLine::copy()
{
    if (files.isEmpty()) {
        // Nothing to copy creates nothing, so the folder is not refused next time.
        writeTo(stdout, "copied 0 of 0\n");
        return Success;
    }
    std::fflush(stdout);
    progress.setEnabled(::isatty(STDERR_FILENO) == 1);
    watchSignals();
    startWorker();
    PkFileReader *reader = fileReader;
    reader->setFlatCopies(flat);
    reader->setVerify(verify);
    reader->setAlsoInto(alsoPaths);
    QMetaObject::invokeMethod(
        reader,
        [reader, names = files, folder = folderPath, into = destinationPath, again = resume] {
            reader->on_startCopyIntoSignal(names, folder, into, again);
        },
        Qt::QueuedConnection);
    const int status = QCoreApplication::exec();
    stopWorker();
    return status;
}

void PkCommandLine::startWorker()
{
    // Each count wakes this thread; only the progress line needs them.
    if (progress.isEnabled()) {
        copyProgress.start(int(files.size()));
        connect(fileReader, &PkFileReader::copyProgressSignal, this, &PkCommandLine::onProgress);
    }
    connect(fileReader, &PkFileReader::copyFailedSignal, this, &PkCommandLine::onFailed);
    connect(fileReader, &PkFileReader::copyStoppedSignal, this, &PkCommandLine::onStopped);
    connect(fileReader, &PkFileReader::copyNoteSignal, this, &PkCommandLine::onNote);
    connect(fileReader, &PkFileReader::alsoFailedSignal, this, [this](const QString &folder, const QString &name, const QString &reason) {
        onFailed(name, reason + QStringLiteral(" (in ") + QString::fromUtf8(PkTerminalText::escaped(folder)) + QLatin1Char(')'));
    });
    connect(fileReader, &PkFileReader::alsoFinishedSignal, this, &PkCommandLine::onAlsoFinished);
    connect(fileReader, &PkFileReader::copyFinishedSignal, this, &PkCommandLine::onFinished);
    workerThread = new QThread;
    fileReader->moveToThread(workerThread);
    workerThread->start();
}

void PkCommandLine::stopWorker()
{
    if (workerThread) {
        workerThread->quit();
        workerThread->wait();
        delete workerThread;
        workerThread = nullptr;
    }
    delete fileReader;
    fileReader = nullptr;
}

// The first Ctrl+C stops the run between two files; a second one, like
// SIGTERM, SIGHUP and SIGQUIT at any time, ends the program at once. The
// copy being written is never given its name, and its hidden temporary,
// where there is one, is removed first, so neither a partial file nor a
// temporary is left.
void PkCommandLine::watchSignals()
{
    PkEndSignals::endAtOnce();
    if (signalPipe[0] == -1 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(signalNotifier.get(), &QSocketNotifier::activated, this, &PkCommandLine::onSignal);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

void PkCommandLine::onSignal()
{
    unsigned char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1) {
        if (stopSignal == 0) {
            stopSignal = byte;
            fileReader->requestStop(1);
        }
    }
}

void PkCommandLine::onProgress(int filesDone, qint64 bytesDone, qint64 bytesTotal)
{
    copyProgress.update(filesDone, bytesDone, bytesTotal);
    progress.show(copyProgress.text().toUtf8());
}

void PkCommandLine::onFailed(const QString &name, const QString &reason)
{
    progress.clear();
    writeTo(stderr, "failed: " + PkTerminalText::escaped(name) + ": " + reason.toLocal8Bit() + '\n');
    progress.show(copyProgress.text().toUtf8(), true);
}

void PkCommandLine::onNote(const QString &name, const QString &note)
{
    progress.clear();
    writeTo(stderr, "note: " + PkTerminalText::escaped(name) + ": " + note.toLocal8Bit() + '\n');
    progress.show(copyProgress.text().toUtf8(), true);
}

void PkCommandLine::onStopped(const QString &why)
{
    stopCause = why;
}

// One line for a destination, as the user reads it.
QByteArray PkCommandLine::summaryLine(int copied, int failed, int alreadyThere, const QString &stopped) const
{
    QByteArray summary = "copied " + QByteArray::number(copied) + " of " + QByteArray::number(files.size());
    if (verify && copied > 0)
        summary += ", verified";
    if (alreadyThere > 0)
        summary += ", " + QByteArray::number(alreadyThere) + " already there";
    if (failed > 0)
        summary += ", " + QByteArray::number(failed) + " failed";
    return stopped.isEmpty() ? summary : "stopped: " + stopped.toUtf8() + ": " + summary;
}

// Each backup's line follows the run's own; a backup that is not complete
// fails the run as the delivery would.
void PkCommandLine::onAlsoFinished(const QString &folder, int copied, int failed, int alreadyThere, const QString &stopped)
{
    alsoSummary += "also " + PkTerminalText::escaped(folder) + ": " + summaryLine(copied, failed, alreadyThere, stopped) + '\n';
    alsoIncomplete = alsoIncomplete || failed > 0 || !stopped.isEmpty();
}

void PkCommandLine::onFinished(int copied, int failed, int alreadyThere)
{
    // The result lines stand alone, as they do without a terminal.
    progress.clear();
    // A run that ended early says why once, instead of failing every file
    // left, and how to finish it.
    if (stopSignal != 0 && stopCause.isEmpty() && copied + failed + alreadyThere != files.size())
        stopCause = QStringLiteral("interrupted");
    writeTo(stdout, summaryLine(copied, failed, alreadyThere, stopCause) + '\n' + alsoSummary);
    std::fflush(stdout);
    if (!stopCause.isEmpty() || alsoIncomplete)
        writeTo(stderr, "finish with --resume\n");
    int status = failed > 0 || !stopCause.isEmpty() || alsoIncomplete ? CopyFailed : Success;
    if (stopSignal != 0)
        status = 128 + stopSignal;
    QCoreApplication::exit(status);
}
