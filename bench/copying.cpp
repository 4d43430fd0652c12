// SPDX-License-Identifier: MIT

// Times copying 1,000 files of 1 MiB through the worker's slot, side by side
// with cp and with a plain QFile::copy loop, into fresh folders on one disk.

#include "pkfilereader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int fileCount = 1000;
constexpr int fileSize = 1024 * 1024;
constexpr int rounds = 3;

bool makeSources(const QString &path, QList<QString> &names)
{
    QRandomGenerator rng(11);
    QByteArray data(fileSize, Qt::Uninitialized);
    for (int i = 0; i < fileCount; ++i) {
        rng.fillRange(reinterpret_cast<quint32 *>(data.data()), fileSize / 4);
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        QFile file(path + "/" + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != fileSize)
            return false;
        names.append(name);
    }
    return true;
}

double timeCp(const QString &source, const QList<QString> &names, const QString &target)
{
    QDir().mkdir(target);
    QStringList args;
    for (const QString &name : names)
        args.append(source + "/" + name);
    args.append(target);
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("cp"), args);
    return timer.nsecsElapsed() / 1e6;
}

double timeWorker(const QString &source, const QList<QString> &names, int &signalled)
{
    PkFileReader reader;
    int last = 0;
    QObject::connect(&reader, &PkFileReader::copyStatusSignal, &reader, [&last](int count) { last = count; });
    QElapsedTimer timer;
    timer.start();
    reader.on_startCopySignal(names, source);
    const double ms = timer.nsecsElapsed() / 1e6;
    signalled = last;
    return ms;
}

double timeQFileCopy(const QString &source, const QList<QString> &names, const QString &target)
{
    QDir().mkdir(target);
    QElapsedTimer timer;
    timer.start();
    for (const QString &name : names)
        QFile::copy(source + "/" + name, target + "/" + name);
    return timer.nsecsElapsed() / 1e6;
}

void settle()
{
    // Flush the previous round's dirty pages so no round pays for another.
    ::sync();
}

double fastest(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
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
    const QString source = dir.filePath("pictures");
    const QString output = source + "/FilesFromSelection";
    QDir().mkdir(source);
    QList<QString> names;
    std::printf("making %d files of %d bytes...\n", fileCount, fileSize);
    if (!makeSources(source, names))
        return 1;
    // Warm the page cache for both sides the same way: one untimed cp.
    settle();
    timeCp(source, names, dir.filePath("warm"));
    QDir(dir.filePath("warm")).removeRecursively();

    std::vector<double> cp, worker, qfile;
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        const QString cpTarget = dir.filePath(QStringLiteral("cp%1").arg(round));
        const QString qfileTarget = dir.filePath(QStringLiteral("qfile%1").arg(round));
        int signalled = 0;
        // Alternate which side goes first, so neither always meets the
        // writeback of the other.
        if (round % 2 == 0) {
            settle();
            cp.push_back(timeCp(source, names, cpTarget));
            settle();
            worker.push_back(timeWorker(source, names, signalled));
        } else {
            settle();
            worker.push_back(timeWorker(source, names, signalled));
            settle();
            cp.push_back(timeCp(source, names, cpTarget));
        }
        complete = complete && signalled == fileCount;
        settle();
        qfile.push_back(timeQFileCopy(source, names, qfileTarget));
        QDir(output).removeRecursively();
        QDir(cpTarget).removeRecursively();
        QDir(qfileTarget).removeRecursively();
    }

    std::printf("rounds %d, fastest of each:\n", rounds);
    std::printf("cp                      %9.1f ms\n", fastest(cp));
    std::printf("worker slot             %9.1f ms  ratio to cp %.3f (goal <= 1.1)\n", fastest(worker),
                fastest(worker) / fastest(cp));
    std::printf("QFile::copy loop        %9.1f ms  ratio to cp %.3f\n", fastest(qfile), fastest(qfile) / fastest(cp));
    std::printf("every copy signalled: %s\n", complete ? "yes" : "NO");
    return complete ? 0 : 1;
}
