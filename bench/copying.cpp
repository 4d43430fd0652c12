// SPDX-License-Identifier: MIT

// Times copying 1,000 files of 1 MiB through the worker's slot, side by side
// with cp, into fresh folders on one disk; a plain QFile::copy loop is timed
// once for scale.
//
// Fairness, learnt the hard way:
// - Every timed copy goes into a folder that was never used, and nothing is
//   deleted until all rounds are done. Without a journal, ext4 skips inodes
//   freed in the last minute when it allocates new ones, scanning past each
//   of them on every file; deleting the previous round's output therefore
//   made whichever side landed in that block group several times slower.
//   For the same reason, start a run a minute or more after the last one
//   has cleaned up its 20 GB of copies.
// - Each round gets its own picture folder made of hard links to the same
//   sources, so the worker's output folder is as fresh as cp's, and the two
//   output folders are siblings in one parent.
// - The disk is synced before each timed step, so no step pays for the
//   writeback of the one before, and each step's copies are then dropped
//   from the page cache (see dropFromCache); the order alternates between
//   rounds.
// - The worker runs on its own thread with its progress signal queued to
//   this thread, as in the window, so the cost of signalling is included.
// - The figure is the median over rounds of the ratio measured within each
//   round, which cancels slow drifts in the load of the shared machine.

#include "pkfilereader.h"

#include "benchsupport.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int fileCount = 1000;
constexpr int fileSize = 1024 * 1024;
constexpr int rounds = 9;

// Hard links give each round a picture folder of its own without copying a
// byte, so the page cache holds one set of sources for every round.
bool linkSources(const QString &sources, const QList<QString> &names, const QString &folder)
{
    if (!QDir().mkdir(folder))
        return false;
    for (const QString &name : names) {
        const QByteArray from = QFile::encodeName(sources + "/" + name);
        const QByteArray to = QFile::encodeName(folder + "/" + name);
        if (::link(from.constData(), to.constData()) != 0)
            return false;
    }
    return true;
}

void settle()
{
    ::sync();
}

// Once written back, a step's copies leave the page cache again. Memory that
// was just freed is quick to reuse, while pages that a virtual machine's host
// has not handed out lately cost a fault on the host at first touch, which
// made a whole step several times slower at random. Dropping the clean copies
// hands each step recently used pages, as a desktop's page cache would.
void dropFromCache(const QString &folder)
{
    settle();
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString &name : names) {
        const int fd = ::open(QFile::encodeName(folder + "/" + name).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

double timeCp(const QString &source, const QList<QString> &names, const QString &target)
{
    QDir().mkdir(target);
    QStringList args;
    for (const QString &name : names)
        args.append(source + "/" + name);
    args.append(target);
    settle();
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("cp"), args);
    return timer.nsecsElapsed() / 1e6;
}

// Runs the slot on the worker's thread and waits for it to return; the counts
// queue up here meanwhile and are taken in afterwards.
double timeWorker(PkFileReader &reader, const QString &source, const QList<QString> &names, int &signalled)
{
    QObject receiver;
    int last = 0;
    QObject::connect(&reader, &PkFileReader::copyStatusSignal, &receiver, [&last](int count) { last = count; });
    settle();
    QElapsedTimer timer;
    timer.start();
    QMetaObject::invokeMethod(
        &reader, [&reader, &names, &source] { reader.on_startCopyIntoSignal(names, source, QString(), false); },
        Qt::BlockingQueuedConnection);
    const double ms = timer.nsecsElapsed() / 1e6;
    QCoreApplication::processEvents();
    signalled = last;
    return ms;
}

double timeQFileCopy(const QString &source, const QList<QString> &names, const QString &target)
{
    QDir().mkdir(target);
    settle();
    QElapsedTimer timer;
    timer.start();
    for (const QString &name : names)
        QFile::copy(source + "/" + name, target + "/" + name);
    return timer.nsecsElapsed() / 1e6;
}

struct Round
{
    double cp = 0;
    double worker = 0;
    bool complete = false;
};

Round runRound(PkFileReader &reader, const QString &folder, const QList<QString> &names, bool cpFirst)
{
    Round round;
    int signalled = 0;
    const QString cpTarget = folder + "/cp";
    const QString workerTarget = folder + "/FilesFromSelection";
    if (cpFirst) {
        round.cp = timeCp(folder, names, cpTarget);
        dropFromCache(cpTarget);
        round.worker = timeWorker(reader, folder, names, signalled);
        dropFromCache(workerTarget);
    } else {
        round.worker = timeWorker(reader, folder, names, signalled);
        dropFromCache(workerTarget);
        round.cp = timeCp(folder, names, cpTarget);
        dropFromCache(cpTarget);
    }
    round.complete = signalled == names.size();
    return round;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder: %s\n", qPrintable(dir.errorString()));
        return 1;
    }
    const QString sources = dir.filePath("pictures");
    QDir().mkdir(sources);
    QList<QString> names;
    std::printf("making %d files of %d bytes...\n", fileCount, fileSize);
    if (!BenchSupport::writePictures(sources, fileCount, fileSize, names))
        return 1;

    PkFileReader reader;
    QThread workerThread;
    reader.moveToThread(&workerThread);
    workerThread.start();

    // One untimed round warms cp's binary, the worker's code paths and the
    // directory caches for both sides alike.
    std::vector<Round> results;
    for (int round = -1; round < rounds; ++round) {
        const QString folder = dir.filePath(QStringLiteral("round%1").arg(round + 1));
        if (!linkSources(sources, names, folder)) {
            std::fprintf(stderr, "cannot link the sources into %s\n", qPrintable(folder));
            return 1;
        }
        const Round result = runRound(reader, folder, names, round % 2 == 0);
        if (round >= 0) {
            results.push_back(result);
            std::printf("round %d  %-6s first  cp %8.1f ms  worker %8.1f ms  ratio %.3f\n", round + 1,
                        round % 2 == 0 ? "cp" : "worker", result.cp, result.worker, result.worker / result.cp);
            std::fflush(stdout);
        }
    }
    workerThread.quit();
    workerThread.wait();

    const double qfile = timeQFileCopy(sources, names, dir.filePath("qfile"));

    std::vector<double> cp, worker, ratios;
    bool complete = true;
    for (const Round &result : results) {
        cp.push_back(result.cp);
        worker.push_back(result.worker);
        ratios.push_back(result.worker / result.cp);
        complete = complete && result.complete;
    }
    std::printf("rounds %d, medians:\n", rounds);
    std::printf("cp                      %9.1f ms\n", BenchSupport::median(cp));
    std::printf("worker slot             %9.1f ms  ratio of medians %.3f\n", BenchSupport::median(worker),
                BenchSupport::median(worker) / BenchSupport::median(cp));
    std::printf("worker / cp, median of the rounds' ratios %.3f (goal <= 1.1), range %.3f - %.3f\n", BenchSupport::median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    // Disturbances only ever add time, so the fastest of each side is a
    // second view that no outlier can move.
    const double fastestCp = *std::min_element(cp.begin(), cp.end());
    const double fastestWorker = *std::min_element(worker.begin(), worker.end());
    std::printf("fastest of each: cp %.1f ms, worker %.1f ms, ratio %.3f\n", fastestCp, fastestWorker,
                fastestWorker / fastestCp);
    std::printf("QFile::copy loop, once  %9.1f ms  ratio to median cp %.3f\n", qfile, qfile / BenchSupport::median(cp));
    std::printf("every copy signalled: %s\n", complete ? "yes" : "NO");
    settle();
    return complete ? 0 : 1;
}
