// SPDX-License-Identifier: MIT

// Times the command line against the shell recipes it stands in for, side by
// side in one run, each as a child process with its output thrown away:
// - matching: `pickwell --dry-run` against `ls DIR | grep -F -f LIST`, on
//   100,000 files and 10,000 identifiers;
// - the whole job: `pickwell --no-verify` against
//   `cd DIR && mkdir FilesFromSelection && ls | grep -F -f LIST
//    | xargs -d '\n' cp -n -t FilesFromSelection/`,
//   on 20,000 files of 64 KiB and 2,000 identifiers; and `pickwell`, which
//   reads every copy back, against `pickwell --no-verify`.
// The program's start-up (loading Qt) is part of what is timed, as it is
// part of what a script waits for, and so is a sync after each step, which
// writes back what the step left in the page cache: Pickwell's copies keep
// their pictures' times, cp's (without -p) do not, and the comparison counts
// what that costs.
//
// Fairness, as in bench_copying: each copying step gets a picture folder of
// its own made of hard links to the same sources and writes into a fresh
// output folder; nothing is deleted until the end; the disk is synced before
// each step and each step's copies are dropped from the page cache once
// written back; the order alternates between rounds; the figure is the
// median over rounds of the ratio measured within each round.

#include "benchsupport.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int roundsMatching = 9;
constexpr int roundsCopying = 7;

struct Job
{
    int files;
    int every;       // one identifier for every this many files
    int fileSize;
    const char *nameFormat;
};

constexpr Job matchingJob{100000, 10, 0, "IMG_%06d.jpg"};
constexpr Job copyingJob{20000, 10, 64 * 1024, "IMG_%05d.jpg"};

QString nameOf(const Job &job, int i)
{
    return QString::asprintf(job.nameFormat, i);
}

bool makeSources(const Job &job, const QString &folder, const QString &listPath)
{
    QDir().mkpath(folder);
    const QByteArray data(job.fileSize, 'x');
    QByteArray list;
    for (int i = 0; i < job.files; ++i) {
        const QString name = nameOf(job, i);
        QFile file(folder + '/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return false;
        if (i % job.every == 0)
            list += name.section('.', 0, 0).toUtf8() + '\n';
    }
    QFile file(listPath);
    return file.open(QIODevice::WriteOnly) && file.write(list) == list.size();
}

bool linkSources(const Job &job, const QString &sources, const QString &folder)
{
    if (!QDir().mkdir(folder))
        return false;
    for (int i = 0; i < job.files; ++i) {
        const QString name = nameOf(job, i);
        if (::link(QFile::encodeName(sources + '/' + name).constData(),
                   QFile::encodeName(folder + '/' + name).constData()) != 0)
            return false;
    }
    return true;
}

// Once written back, a step's copies leave the page cache again, so that
// every step gets recently used pages to write into (see bench_copying).
void dropFromCache(const QString &folder)
{
    ::sync();
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString &name : names) {
        const int fd = ::open(QFile::encodeName(folder + '/' + name).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

bool sameTime(const QString &picture, const QString &copy)
{
    struct stat a, b;
    return ::stat(QFile::encodeName(picture).constData(), &a) == 0 && ::stat(QFile::encodeName(copy).constData(), &b) == 0
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Milliseconds from start to exit, or -1 when the step failed.
double timeProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ::sync();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    ::sync();
    return timer.nsecsElapsed() / 1e6;
}

double timeShell(const QString &script)
{
    return timeProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
}

double timePickwell(const QStringList &arguments)
{
    return timeProcess(QStringLiteral(PICKWELL_PROGRAM), arguments);
}

QString quoted(const QString &path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// Two ways of doing one step, timed within each round: the base (the shell
// recipe, or Pickwell unverified) and the one measured against it.
struct Side
{
    const char *baseName = "shell";
    const char *otherName = "pickwell";
    double goal = 1.2;
    std::vector<double> base;
    std::vector<double> other;
    std::vector<double> ratios;

    bool add(int round, double baseMs, double otherMs, bool baseFirst)
    {
        if (baseMs < 0 || otherMs < 0)
            return false;
        if (round < 0)
            return true; // the warm-up round
        base.push_back(baseMs);
        other.push_back(otherMs);
        ratios.push_back(otherMs / baseMs);
        std::printf("round %d  %-10s first  %s %8.1f ms  %s %8.1f ms  ratio %.3f\n", round + 1,
                    baseFirst ? baseName : otherName, baseName, baseMs, otherName, otherMs, otherMs / baseMs);
        std::fflush(stdout);
        return true;
    }

    void report(const char *what) const
    {
        std::printf("%s: medians %s %.1f ms, %s %.1f ms; %s / %s, median of the rounds' ratios "
                    "%.3f (goal <= %.1f), range %.3f - %.3f\n\n",
                    what, baseName, BenchSupport::median(base), otherName, BenchSupport::median(other), otherName,
                    baseName, BenchSupport::median(ratios), goal, *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
    }
};

bool benchMatching(const QString &root)
{
    const QString folder = root + "/match", list = root + "/match.txt";
    std::printf("making %d empty files and %d identifiers...\n", matchingJob.files, matchingJob.files / matchingJob.every);
    if (!makeSources(matchingJob, folder, list))
        return false;
    const QString shell = QStringLiteral("ls %1 | grep -F -f %2").arg(quoted(folder), quoted(list));
    const QStringList arguments{"--dry-run", "--list", list, "--folder", folder};
    Side side;
    for (int round = -1; round < roundsMatching; ++round) {
        const bool shellFirst = round % 2 == 0;
        double shellMs, pickwellMs;
        if (shellFirst) {
            shellMs = timeShell(shell);
            pickwellMs = timePickwell(arguments);
        } else {
            pickwellMs = timePickwell(arguments);
            shellMs = timeShell(shell);
        }
        if (!side.add(round, shellMs, pickwellMs, shellFirst))
            return false;
    }
    side.report("dry run against ls | grep -F -f");
    return true;
}

bool benchCopying(const QString &root)
{
    const QString sources = root + "/copy", list = root + "/copy.txt";
    const int selected = copyingJob.files / copyingJob.every;
    std::printf("making %d files of %d bytes and %d identifiers...\n", copyingJob.files, copyingJob.fileSize, selected);
    if (!makeSources(copyingJob, sources, list))
        return false;
    Side side;
    Side verifying{"unverified", "verified", 1.5, {}, {}, {}};
    for (int round = -1; round < roundsCopying; ++round) {
        const QString shellFolder = root + QStringLiteral("/shell%1").arg(round + 1);
        const QString pickwellFolder = root + QStringLiteral("/pickwell%1").arg(round + 1);
        const QString verifiedFolder = root + QStringLiteral("/verified%1").arg(round + 1);
        if (!linkSources(copyingJob, sources, shellFolder) || !linkSources(copyingJob, sources, pickwellFolder)
            || !linkSources(copyingJob, sources, verifiedFolder))
            return false;
        // ls gives bare names, so the recipe runs inside the picture folder.
        const QString shell = QStringLiteral("cd %1 && mkdir FilesFromSelection && ls | grep -F -f %2 "
                                             "| xargs -d '\\n' cp -n -t FilesFromSelection/")
                                  .arg(quoted(shellFolder), quoted(list));
        // Each step's copies are dropped from the cache once it is timed.
        const auto step = [&list](const QString &folder, bool verify) {
            QStringList arguments{"--list", list, "--folder", folder};
            if (!verify)
                arguments << "--no-verify";
            const double ms = timePickwell(arguments);
            dropFromCache(folder + "/FilesFromSelection");
            return ms;
        };
        const auto shellStep = [&] {
            const double ms = timeShell(shell);
            dropFromCache(shellFolder + "/FilesFromSelection");
            return ms;
        };
        // The three steps in turn, each round beginning with another.
        double ms[3];
        for (int k = 0; k < 3; ++k) {
            const int which = (k + round + 1) % 3;
            ms[which] = which == 0 ? shellStep() : step(which == 1 ? pickwellFolder : verifiedFolder, which == 2);
        }
        const int firstStep = (round + 1) % 3;
        const auto copies = [](const QString &folder) { return QDir(folder + "/FilesFromSelection").entryList(QDir::Files).size(); };
        if (copies(shellFolder) != selected || copies(pickwellFolder) != selected || copies(verifiedFolder) != selected) {
            std::fprintf(stderr, "round %d did not copy %d files on every side\n", round + 1, selected);
            return false;
        }
        const QString first = nameOf(copyingJob, 0);
        if (!sameTime(sources + '/' + first, pickwellFolder + "/FilesFromSelection/" + first)
            || !sameTime(sources + '/' + first, verifiedFolder + "/FilesFromSelection/" + first)) {
            std::fprintf(stderr, "round %d: a copy lost its picture's time\n", round + 1);
            return false;
        }
        if (!side.add(round, ms[0], ms[1], firstStep != 1) || !verifying.add(round, ms[1], ms[2], firstStep != 2))
            return false;
    }
    side.report("whole job, unverified (--no-verify), against ls | grep -F -f | xargs cp -n");
    verifying.report("whole job verified against unverified");
    return true;
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
    std::printf("LANG=%s LC_ALL=%s (ls sorts by the locale)\n", qgetenv("LANG").constData(), qgetenv("LC_ALL").constData());
    const bool ok = benchMatching(dir.path()) && benchCopying(dir.path());
    if (!ok)
        std::fprintf(stderr, "a step failed\n");
    ::sync();
    return ok ? 0 : 1;
}
