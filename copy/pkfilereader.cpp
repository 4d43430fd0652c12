// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include "pkchecksumlist.h"
#include "pkfilecopier.h"
#include "pklistreader.h"
#include "pkoutputlock.h"
#include "pkrundestination.h"
#include "pkselectionmatcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name handed to the copy slot must stay inside the picture folder: a
// file name, or a path below it without any step up or aside.
bool isInsideName(const QString &name)
{
    const QList<QStringView> steps = QStringView(name).split(QLatin1Char('/'));
    return std::none_of(steps.begin(), steps.end(), [](QStringView step) {
        return step.isEmpty() || step == QLatin1String(".") || step == QLatin1String("..");
    });
}

// What a picture adds to the run's size: the file it is or links to; a
// picture that is gone adds nothing.
qint64 pictureSize(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_size : 0;
}

} // namespace

PkFileReader::PkFileReader()
    : QObject(nullptr)
{
}

QList<QString> PkFileReader::readSelectionFile(QString path) const
{
    return PkListReader::readFile(path).ids;
}

QList<QString> PkFileReader::findFilesToCopy(QString folderPath, QList<QString> ids) const
{
    return PkSelectionMatcher::matchFolder(folderPath, ids).files;
}

bool PkFileReader::folderExists(QString path) const
{
    return QDir(path).exists();
}

QString PkFileReader::folderRefusal(const QString &folderPath, bool resume)
{
    // Copying into the output of an earlier run would silently mix two
    // selections, unless the user asks to finish that run; a file of that
    // name would make every copy fail, and a link would send the copies
    // wherever it points, even where no link is left.
    const QString output = folderPath + QLatin1Char('/') + outputFolderName();
    struct stat status;
    const bool exists = ::lstat(QFile::encodeName(output).constData(), &status) == 0;
    if (exists && resume && S_ISLNK(status.st_mode))
        return QStringLiteral("Folder \"%1\" is a link! Delete it!").arg(outputFolderName());
    if (exists && !(resume && S_ISDIR(status.st_mode)))
        return QStringLiteral("Folder \"%1\" already exists! Delete it!").arg(outputFolderName());
    if (exists && PkOutputLock::inUse(output))
        return outputFolderName() + QStringLiteral(" is ") + PkOutputLock::inUseText();
    // Checked up front so that a write-protected card or share is refused
    // before anything is matched; the run still reports what this cannot foresee.
    const QString written = exists ? output : folderPath;
    if (::access(QFile::encodeName(written).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("Cannot write into this folder!");
    return QString();
}

void PkFileReader::setFlatCopies(bool flat)
{
    flatCopies.store(flat);
}

void PkFileReader::setVerify(bool on)
{
    verifyCopies.store(on);
}

void PkFileReader::setBatch(int files)
{
    batchFiles.store(files);
}

void PkFileReader::setAlsoInto(const QList<QString> &folders)
{
    const std::lock_guard<std::mutex> guard(alsoMutex);
    alsoInto = folders;
}

void PkFileReader::requestStop(int run)
{
    runToStop.store(run);
}

bool PkFileReader::stopRequested(int run) const
{
    // Closing the window interrupts the thread; the Stop button names a run.
    return runToStop.load() == run || QThread::currentThread()->isInterruptionRequested();
}

// The destinations of a run, the first the one the run is about, each ready
// to copy into or stopped with why not. With nothing to copy nothing is
// created: an empty output folder would only make the next choice of this
// picture folder be refused.
PkFileReader::Destinations PkFileReader::openDestinations(const QList<QString> &files, const QString &filePath,
                                                          QString destination, bool resume)
{
    Destinations destinations;
    const bool verify = verifyCopies.load();
    destinations.push_back(std::make_unique<PkRunDestination>(destination.isEmpty() ? filePath : destination, true, resume, verify));
    {
        const std::lock_guard<std::mutex> guard(alsoMutex);
        for (const QString &also : std::as_const(alsoInto))
            destinations.push_back(std::make_unique<PkRunDestination>(also, false, resume, verify));
    }
    // Each copy waiting holds three descriptors: the batch is shared out,
    // so that a run into three drives stays well within the usual 1024.
    for (const auto &into : destinations)
        into->copier.setBatch(std::max(1, batchFiles.load() / int(destinations.size())));
    if (files.isEmpty()) {
        for (const auto &into : destinations)
            into->stop();
        return destinations;
    }
    for (const auto &into : destinations) {
        PkFileCopier::RunEnd end = PkFileCopier::RunEnd::None;
        const QString folderError = filePath.isEmpty() ? QStringLiteral("no picture folder") : into->openFolder(end);
        if (end != PkFileCopier::RunEnd::None) {
            stop(*into, PkFileCopier::runEndText(end));
        } else if (!folderError.isEmpty() && into->main) {
            // Said of every file, as none can be copied.
            for (const QString &name : files)
                fail(*into, name, folderError);
            into->stop();
        } else if (!folderError.isEmpty()) {
            stop(*into, folderError);
        } else {
            QList<QString> removed;
            const QString setUpError = into->prepare(removed);
            const QString shown = into->main ? outputFolderName() : into->outputPath;
            for (const QString &left : removed)
                emit copyNoteSignal(shown + QLatin1Char('/') + left,
                                    QStringLiteral("removed: an unfinished copy of a run that was ended"));
            if (!setUpError.isEmpty())
                stop(*into, setUpError);
        }
    }
    return destinations;
}

void PkFileReader::fail(PkRunDestination &into, const QString &name, const QString &reason)
{
    ++into.failed;
    if (into.main)
        emit copyFailedSignal(name, reason);
    else
        emit alsoFailedSignal(into.folder, name, reason);
}

// Said once for the destination: every file left would fail alike.
void PkFileReader::stop(PkRunDestination &into, const QString &why)
{
    into.stop(why);
    if (into.main)
        emit copyStoppedSignal(why);
}

void PkFileReader::handle(PkRunDestination &into, const QString &name, const PkFileCopier::Result &result, bool flat,
                          int run)
{
    if (!result.leftBehind.isEmpty()) {
        const qsizetype slash = flat ? -1 : name.lastIndexOf(QLatin1Char('/'));
        emit copyNoteSignal((into.main ? outputFolderName() : into.outputPath) + QLatin1Char('/') + name.first(slash + 1)
                                + result.leftBehind,
                            QStringLiteral("left behind by a drive that failed; the next run into this folder removes it"));
    }
    switch (result.outcome) {
    case PkFileCopier::Outcome::Copied:
        ++into.copied;
        if (into.main)
            emit copyStatusSignal(into.copied);
        if (const int error = result.hash.isEmpty() ? 0 : into.list(name, flat, result.hash)) {
            // A line that does not fit ends the run as a copy that does not would.
            const bool full = error == ENOSPC || error == EDQUOT;
            if (error == EINVAL)
                emit copyNoteSignal(name, QStringLiteral("not in the checksum list, as its name holds a line break"));
            else
                stop(into, full ? PkFileCopier::runEndText(PkFileCopier::RunEnd::DriveFull) : PkChecksumList::cannotWrite());
        }
        break;
    case PkFileCopier::Outcome::Pending:
        into.waiting << name;
        if (into.copier.batchIsFull())
            finishBatch(into, flat, run);
        break;
    case PkFileCopier::Outcome::AlreadyThere:
        ++into.alreadyThere;
        if (into.main)
            emit alreadyThereSignal(into.alreadyThere);
        break;
    case PkFileCopier::Outcome::Failed:
        // A destination that returns other bytes names the file it showed
        // on before it ends the run there.
        if (result.end == PkFileCopier::RunEnd::ReadsBackDifferent || result.end == PkFileCopier::RunEnd::None)
            fail(into, name, result.reason);
        if (result.end != PkFileCopier::RunEnd::None)
            stop(into, PkFileCopier::runEndText(result.end));
        break;
    }
}

// A copy dropped after one that ends the run, or after a stop, is not
// counted: it is gone, as if never begun. A stop is heard between copies.
void PkFileReader::finishBatch(PkRunDestination &into, bool flat, int run)
{
    while (into.copier.hasPending() && into.isActive() && !stopRequested(run))
        handle(into, into.waiting.takeFirst(), into.copier.finishNext(), flat, run);
    into.copier.dropPending();
    into.waiting.clear();
}

// What waits is finished first: those copies are whole.
void PkFileReader::finish(const Destinations &destinations, bool flat, int run)
{
    for (const auto &into : destinations) {
        if (into->copier.hasPending())
            finishBatch(*into, flat, run);
    }
    for (auto into = destinations.begin() + 1; into != destinations.end(); ++into)
        emit alsoFinishedSignal((*into)->folder, (*into)->copied, (*into)->failed, (*into)->alreadyThere,
                                (*into)->stopped);
    const PkRunDestination &main = *destinations.front();
    emit copyFinishedSignal(main.copied, main.failed, main.alreadyThere);
}

// Each picture is copied to every destination that is still going before
// the next is begun; a destination that fails, a drive that is full or gone,
// ends only its own copies.
void PkFileReader::on_startCopyIntoSignal(QList<QString> listOfFilesToCopy, QString filePath, QString destination,
                                          bool resume)
{
    const int run = ++runsStarted;
    const Destinations destinations = openDestinations(listOfFilesToCopy, filePath, destination, resume);
    PkRunDestination &main = *destinations.front();
    const auto active = [&destinations] {
        return int(std::count_if(destinations.begin(), destinations.end(), [](const auto &into) { return into->isActive(); }));
    };
    if (active() == 0)
        return finish(destinations, false, run);

    QList<qint64> sizes;
    sizes.reserve(listOfFilesToCopy.size());
    qint64 bytesTotal = 0;
    for (const QString &name : std::as_const(listOfFilesToCopy))
        bytesTotal += sizes.emplace_back(isInsideName(name) ? pictureSize(filePath + QLatin1Char('/') + name) : 0);
    int filesDone = 0;
    qint64 bytesDone = 0;
    emit copyProgressSignal(filesDone, bytesDone, bytesTotal);

    // A large file's bytes move the progress too, four times a second, and
    // one larger still is named with how far it has come; written to more
    // than one drive, a file is done when every copy is.
    qint64 inHand = 0;
    int copies = 1;
    QString large;
    QElapsedTimer sinceShown;
    sinceShown.start();
    const auto showLarge = [&] {
        if (!large.isEmpty())
            emit largeFileSignal(large, int(std::min<qint64>(100, 100 * inHand / copies / sizes.at(filesDone))));
    };
    const auto progressed = [&](qint64 bytes) {
        inHand += bytes;
        if (sinceShown.elapsed() >= 250) {
            sinceShown.restart();
            showLarge();
            emit copyProgressSignal(filesDone, bytesDone + inHand / copies, bytesTotal);
        }
    };
    for (const auto &into : destinations)
        into->copier.progressed = progressed;
    const bool flat = flatCopies.load();
    for (const QString &name : std::as_const(listOfFilesToCopy)) {
        // Checked between files only: a file is either copied whole or not begun.
        if (stopRequested(run) || (copies = active()) == 0)
            break;
        if (!isInsideName(name)) {
            fail(main, name, QStringLiteral("not a file of the picture folder"));
        } else {
            large = sizes.at(filesDone) > largeFileSize ? name : QString();
            showLarge();
            for (const auto &into : destinations) {
                if (into->isActive())
                    handle(*into, name, into->copy(filePath, name, flat), flat, run);
            }
        }
        bytesDone += sizes.at(filesDone);
        inHand = 0;
        emit copyProgressSignal(++filesDone, bytesDone, bytesTotal);
    }
    finish(destinations, flat, run);
}
