// SPDX-License-Identifier: MIT

#include "pkfilereader.h"

#include "pkchecksumlist.h"
#include "pkfilecopier.h"
#include "pklistreader.h"
#include "pkoutputlock.h"
#include "pkselectionmatcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

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

// A file of a sub-folder goes to the same place below the output folder,
// or with flat to its top.
QString PkFileReader::copyName(const QString &name, bool flat)
{
    return flat ? name.sliced(name.lastIndexOf(QLatin1Char('/')) + 1) : name;
}

// Each copy is made into the output folder as it was opened, never through
// its path, which may have come to name another folder or a link since: the
// run then ends. The sub-folders of the output folder are made as they are
// needed; a picture's neighbours in the list mostly share its folder.
PkFileCopier::Result PkFileReader::copyOne(PkFileCopier &copier, const QString &name, const QString &filePath,
                                           Output &output, bool flat)
{
    if (!PkFileCopier::stillAt(output.folder.get(), output.path))
        return {PkFileCopier::Outcome::Failed, QString(), PkFileCopier::RunEnd::DestinationGone, QByteArray(), QString()};
    const qsizetype slash = flat ? -1 : name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0 && (output.subfolderName != name.first(slash) || !output.subfolder.isOpen())) {
        output.subfolderName = name.first(slash);
        const PkFileCopier::Result made
            = PkFileCopier::makeSubfolder(output.folder.get(), output.subfolderName, output.subfolder);
        if (made.outcome == PkFileCopier::Outcome::Failed)
            return made;
    }
    const QString source = filePath + QLatin1Char('/') + name;
    if (slash < 0)
        return copier.copy(source, output.folder.get(), copyName(name, flat));
    return copier.copy(source, output.subfolder.get(), name.sliced(slash + 1));
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

void PkFileReader::on_startCopySignal(QList<QString> listOfFilesToCopy, QString filePath)
{
    on_startCopyIntoSignal(std::move(listOfFilesToCopy), filePath, filePath, false);
}

void PkFileReader::on_startCopyIntoSignal(QList<QString> listOfFilesToCopy, QString filePath, QString destination,
                                          bool resume)
{
    const int run = ++runsStarted;
    int copied = 0;
    int failed = 0;
    int alreadyThere = 0;
    const auto fail = [this, &failed](const QString &name, const QString &reason) {
        ++failed;
        emit copyFailedSignal(name, reason);
    };

    // With nothing to copy nothing is created: an empty output folder would
    // only make the next choice of this picture folder be refused.
    Output output;
    output.path = (destination.isEmpty() ? filePath : destination) + QLatin1Char('/') + outputFolderName();
    const QString &outputPath = output.path;
    PkFileCopier::RunEnd end = PkFileCopier::RunEnd::None;
    const QString folderError = listOfFilesToCopy.isEmpty() ? QString()
                              : filePath.isEmpty()          ? QStringLiteral("no picture folder")
                                                            : PkFileCopier::makeOutputFolder(outputPath, output.folder, &end);
    if (end != PkFileCopier::RunEnd::None) {
        emit copyStoppedSignal(PkFileCopier::runEndText(end));
        emit copyFinishedSignal(0, 0, 0);
        return;
    }
    if (!folderError.isEmpty()) {
        for (const QString &name : std::as_const(listOfFilesToCopy))
            fail(name, folderError);
        emit copyFinishedSignal(0, failed, 0);
        return;
    }
    // One run at a time writes into an output folder. The hashes go into a
    // list beside the copies; a run whose copies cannot be listed copies
    // nothing.
    PkOutputLock lock;
    PkChecksumList checksums;
    QString setUpError = listOfFilesToCopy.isEmpty() ? QString() : lock.take(output.folder.get());
    if (setUpError.isEmpty() && !listOfFilesToCopy.isEmpty()) {
        for (const QString &left : PkOutputLock::removeLeftovers(outputPath))
            emit copyNoteSignal(outputFolderName() + QLatin1Char('/') + left,
                                QStringLiteral("removed: an unfinished copy of a run that was ended"));
        setUpError = checksums.open(output.folder.get());
    }
    if (!setUpError.isEmpty()) {
        emit copyStoppedSignal(setUpError);
        emit copyFinishedSignal(0, 0, 0);
        return;
    }

    QList<qint64> sizes;
    sizes.reserve(listOfFilesToCopy.size());
    qint64 bytesTotal = 0;
    for (const QString &name : std::as_const(listOfFilesToCopy))
        bytesTotal += sizes.emplace_back(isInsideName(name) ? pictureSize(filePath + QLatin1Char('/') + name) : 0);
    int filesDone = 0;
    qint64 bytesDone = 0;
    emit copyProgressSignal(filesDone, bytesDone, bytesTotal);

    PkFileCopier copier(resume);
    copier.setVerify(verifyCopies.load());
    // A large file's bytes move the progress too, four times a second, and
    // one larger still is named with how far it has come.
    qint64 inHand = 0;
    QString large;
    QElapsedTimer sinceShown;
    sinceShown.start();
    const auto showLarge = [&] {
        if (!large.isEmpty())
            emit largeFileSignal(large, int(std::min<qint64>(100, 100 * inHand / sizes.at(filesDone))));
    };
    copier.progressed = [&](qint64 bytes) {
        inHand += bytes;
        if (sinceShown.elapsed() >= 250) {
            sinceShown.restart();
            showLarge();
            emit copyProgressSignal(filesDone, bytesDone + inHand, bytesTotal);
        }
    };
    const bool flat = flatCopies.load();
    for (const QString &name : std::as_const(listOfFilesToCopy)) {
        // Checked between files only: a file is either copied whole or not begun.
        if (stopRequested(run))
            break;
        if (!isInsideName(name)) {
            fail(name, QStringLiteral("not a file of the picture folder"));
            emit copyProgressSignal(++filesDone, bytesDone, bytesTotal);
            continue;
        }
        large = sizes.at(filesDone) > largeFileSize ? name : QString();
        showLarge();
        const PkFileCopier::Result result = copyOne(copier, name, filePath, output, flat);
        if (!result.leftBehind.isEmpty()) {
            const qsizetype slash = flat ? -1 : name.lastIndexOf(QLatin1Char('/'));
            emit copyNoteSignal(outputFolderName() + QLatin1Char('/') + name.first(slash + 1) + result.leftBehind,
                                QStringLiteral("left behind by a drive that failed; the next run into this folder removes it"));
        }
        switch (result.outcome) {
        case PkFileCopier::Outcome::Copied:
            emit copyStatusSignal(++copied);
            if (const int error = result.hash.isEmpty() ? 0 : checksums.add(copyName(name, flat), result.hash)) {
                if (error == EINVAL) {
                    emit copyNoteSignal(name, QStringLiteral("not in the checksum list, as its name holds a line break"));
                } else {
                    // A line that does not fit ends the run as a copy that does not would.
                    const bool full = error == ENOSPC || error == EDQUOT;
                    emit copyStoppedSignal(full ? PkFileCopier::runEndText(PkFileCopier::RunEnd::DriveFull)
                                                : PkChecksumList::cannotWrite());
                    emit copyFinishedSignal(copied, failed, alreadyThere);
                    return;
                }
            }
            break;
        case PkFileCopier::Outcome::AlreadyThere:
            emit alreadyThereSignal(++alreadyThere);
            break;
        case PkFileCopier::Outcome::Failed:
            // A destination that returns other bytes names the file it
            // showed on before it ends the run.
            if (result.end == PkFileCopier::RunEnd::ReadsBackDifferent)
                fail(name, result.reason);
            if (result.end != PkFileCopier::RunEnd::None) {
                // Said once for the run: every file left would fail alike.
                emit copyStoppedSignal(PkFileCopier::runEndText(result.end));
                emit copyFinishedSignal(copied, failed, alreadyThere);
                return;
            }
            fail(name, result.reason);
            break;
        }
        bytesDone += sizes.at(filesDone);
        inHand = 0;
        emit copyProgressSignal(++filesDone, bytesDone, bytesTotal);
    }
    emit copyFinishedSignal(copied, failed, alreadyThere);
}
