// SPDX-License-Identifier: MIT

// The window's longest GUI stall while it takes a picture folder of 100,000
// files on a slow network share, beside the stall of doing the same work on
// the GUI thread, as the window once did; and a job kept in 40 sub-folders of
// 500 files walked on several threads, beside the same walk one folder after
// another, with the round trips the window makes on its GUI thread for it.
//
// The share is a local folder whose file system calls this program slows
// down: it defines the calls itself, so that they are found before the C
// library's (in the program's own code and in Qt's), waits a round trip and
// then makes the real call. Every call on a path or folder of the share costs
// one round trip, and reading its listing one round trip per 100 names, as an
// SFTP server answers. The stall is the longest gap between ticks of a 1 ms
// precise timer on the GUI thread.

#include "benchsupport.h"
#include "mainwindow.h"
#include "pkcopytarget.h"
#include "pkfoldertree.h"
#include "pkmatchjobs.h"
#include "pkselectionmatcher.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int fileCount = 100000;
constexpr int roundTripMs = 20;
constexpr int namesPerRoundTrip = 100;
constexpr double stallGoalMs = 50;

char shareRoot[4096] = {}; // empty: nothing is slowed
std::mutex shareMutex;
std::set<int> shareFds;
std::set<DIR *> shareFolders;
std::atomic<int> guiRoundTrips{0};
std::atomic<int> allRoundTrips{0};
Qt::HANDLE guiThread = nullptr;

void roundTrip()
{
    ++allRoundTrips;
    if (QThread::currentThreadId() == guiThread)
        ++guiRoundTrips;
    std::this_thread::sleep_for(std::chrono::milliseconds(roundTripMs));
}

bool onShare(const char *path)
{
    const size_t length = std::strlen(shareRoot);
    return length && path && std::strncmp(path, shareRoot, length) == 0
        && (path[length] == '\0' || path[length] == '/');
}

bool onShare(int dirFd, const char *path)
{
    if (path && path[0] == '/')
        return onShare(path);
    const std::lock_guard<std::mutex> lock(shareMutex);
    return shareFds.count(dirFd) > 0;
}

template<typename Function>
Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int openFd(int dirFd, const char *path, int flags, mode_t mode)
{
    static const auto realOpenat = real<int (*)(int, const char *, int, ...)>("openat");
    const bool slow = onShare(dirFd, path);
    if (slow)
        roundTrip();
    const int fd = realOpenat(dirFd, path, flags, mode);
    if (slow && fd >= 0) {
        const std::lock_guard<std::mutex> lock(shareMutex);
        shareFds.insert(fd);
    }
    return fd;
}

mode_t modeOf(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(arguments, int)) : 0;
}

} // namespace

// The calls the program and Qt make on a picture folder, slowed on the share.
extern "C" {

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openFd(AT_FDCWD, path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openFd(AT_FDCWD, path, flags, mode);
}

int openat(int dirFd, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openFd(dirFd, path, flags, mode);
}

int close(int fd)
{
    static const auto realClose = real<int (*)(int)>("close");
    {
        const std::lock_guard<std::mutex> lock(shareMutex);
        shareFds.erase(fd);
    }
    return realClose(fd);
}

int dup(int fd)
{
    static const auto realDup = real<int (*)(int)>("dup");
    const int copy = realDup(fd);
    const std::lock_guard<std::mutex> lock(shareMutex);
    if (copy >= 0 && shareFds.count(fd))
        shareFds.insert(copy);
    return copy;
}

int fstat(int fd, struct stat *status)
{
    static const auto realFstat = real<int (*)(int, struct stat *)>("fstat");
    bool slow;
    {
        const std::lock_guard<std::mutex> lock(shareMutex);
        slow = shareFds.count(fd) > 0;
    }
    if (slow)
        roundTrip();
    return realFstat(fd, status);
}

DIR *fdopendir(int fd)
{
    static const auto realFdopendir = real<DIR *(*)(int)>("fdopendir");
    DIR *folder = realFdopendir(fd);
    const std::lock_guard<std::mutex> lock(shareMutex);
    if (folder && shareFds.count(fd))
        shareFolders.insert(folder);
    return folder;
}

int closedir(DIR *folder)
{
    static const auto realClosedir = real<int (*)(DIR *)>("closedir");
    {
        const std::lock_guard<std::mutex> lock(shareMutex);
        shareFolders.erase(folder);
        shareFds.erase(::dirfd(folder));
    }
    return realClosedir(folder);
}

struct dirent *readdir(DIR *folder)
{
    static const auto realReaddir = real<struct dirent *(*)(DIR *)>("readdir");
    static thread_local int names = 0;
    bool slow;
    {
        const std::lock_guard<std::mutex> lock(shareMutex);
        slow = shareFolders.count(folder) > 0;
    }
    if (slow && names++ % namesPerRoundTrip == 0)
        roundTrip();
    return realReaddir(folder);
}

int fstatat(int dirFd, const char *path, struct stat *status, int flags)
{
    static const auto realFstatat = real<int (*)(int, const char *, struct stat *, int)>("fstatat");
    if (onShare(dirFd, path))
        roundTrip();
    return realFstatat(dirFd, path, status, flags);
}

int stat(const char *path, struct stat *status)
{
    return fstatat(AT_FDCWD, path, status, 0);
}

int lstat(const char *path, struct stat *status)
{
    return fstatat(AT_FDCWD, path, status, AT_SYMLINK_NOFOLLOW);
}

int statx(int dirFd, const char *path, int flags, unsigned int mask, struct statx *status)
{
    static const auto realStatx = real<int (*)(int, const char *, int, unsigned int, struct statx *)>("statx");
    if (onShare(dirFd, path))
        roundTrip();
    return realStatx(dirFd, path, flags, mask, status);
}

int access(const char *path, int mode)
{
    static const auto realAccess = real<int (*)(const char *, int)>("access");
    if (onShare(path))
        roundTrip();
    return realAccess(path, mode);
}

int statvfs(const char *path, struct statvfs *figures)
{
    static const auto realStatvfs = real<int (*)(const char *, struct statvfs *)>("statvfs");
    if (onShare(path))
        roundTrip();
    return realStatvfs(path, figures);
}

int statfs(const char *path, struct statfs *figures)
{
    static const auto realStatfs = real<int (*)(const char *, struct statfs *)>("statfs");
    if (onShare(path))
        roundTrip();
    return realStatfs(path, figures);
}

} // extern "C"

namespace {

bool makeFolder(const QString &folder, const QString &listPath)
{
    QFile list(listPath);
    if (!QDir().mkpath(folder) || !list.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < fileCount; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
        QFile picture(folder + QLatin1Char('/') + name);
        if (!picture.open(QIODevice::WriteOnly) || picture.write("jpeg") != 4)
            return false;
        if (i % 500 == 0)
            list.write(name.chopped(4).toUtf8() + '\n');
    }
    return true;
}


double msSince(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// What the window did on the GUI thread when a folder was chosen.
double blockingMs(const QString &folder, const QList<QString> &ids)
{
    const Clock::time_point start = Clock::now();
    PkCopyTarget target;
    target.choosePictures(folder);
    const bool refused = !target.warning().isEmpty() || target.canAddToExisting();
    const PkMatchResult match = PkSelectionMatcher::matchFolder(folder, ids);
    return refused || match.files.isEmpty() ? -1 : msSince(start);
}

// The longest gap between ticks while the window takes the folder.
double windowStallMs(const QString &folder, const QString &listPath, double &totalMs, double &busyMs, double &atMs)
{
    MainWindow window;
    window.show();
    window.chooseTextFile(listPath);
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::matched, &loop, [&] {
        if (!window.findChild<PkMatchJobs *>()->isBusy())
            loop.quit();
    });
    loop.exec();

    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    Clock::time_point lastTick = Clock::now();
    double longest = 0;
    double lastCpu = BenchSupport::threadCpuMs();
    const Clock::time_point start = Clock::now();
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
        const double gap = msSince(lastTick), cpu = BenchSupport::threadCpuMs();
        if (gap > longest) {
            longest = gap;
            busyMs = cpu - lastCpu;
            atMs = msSince(start) - gap;
        }
        lastCpu = cpu;
        lastTick = Clock::now();
    });
    QTimer::singleShot(0, &loop, [&] {
        lastTick = Clock::now();
        ticker.start();
        QMetaObject::invokeMethod(&window, "on_imagePathSelected", Q_ARG(QString, folder));
    });
    loop.exec();
    totalMs = msSince(start);
    return longest;
}

// 40 sub-folders of 500 files, each picked once, in a folder of its own.
bool makeTree(const QString &root, const QString &listPath, std::vector<std::string> &folders)
{
    QFile list(listPath);
    if (!list.open(QIODevice::WriteOnly))
        return false;
    for (int card = 0; card < 40; ++card) {
        const QString name = QStringLiteral("Card%1").arg(card, 2, 10, QLatin1Char('0'));
        folders.push_back(name.toStdString());
        for (int i = 0; i < 500; ++i) {
            QFile picture(root + QLatin1Char('/') + name + QStringLiteral("/IMG_%1%2.jpg").arg(card, 2, 10, QLatin1Char('0')).arg(i, 4, 10, QLatin1Char('0')));
            if (!QDir().mkpath(QFileInfo(picture).path()) || !picture.open(QIODevice::WriteOnly))
                return false;
        }
        list.write(QStringLiteral("IMG_%1%2\n").arg(card, 2, 10, QLatin1Char('0')).arg(250, 4, 10, QLatin1Char('0')).toUtf8());
    }
    return true;
}

// The walk on several threads against one folder after another, then the
// window taking the tree: its GUI thread must make no round trip for it.
bool runTree(const QString &root, const QString &listPath)
{
    std::vector<std::string> folders;
    if (!makeTree(root, listPath, folders))
        return false;
    std::snprintf(shareRoot, sizeof shareRoot, "%s", QFile::encodeName(root).constData());
    Clock::time_point start = Clock::now();
    const qsizetype sequential = PkFolderTree::walk(root, folders, 1).names.size();
    const double sequentialMs = msSince(start);
    start = Clock::now();
    const qsizetype parallel = PkFolderTree::walk(root, folders).names.size();
    const double parallelMs = msSince(start);
    std::printf("\n40 sub-folders of 500 files: one after another %8.1f ms, walked %8.1f ms: ratio %.3f (goal <= 0.5)\n",
                sequentialMs, parallelMs, parallelMs / sequentialMs);
    guiRoundTrips = 0;
    allRoundTrips = 0;
    double totalMs = 0, busyMs = 0, atMs = 0;
    const double stall = windowStallMs(root, listPath, totalMs, busyMs, atMs);
    std::printf("the window on the tree: longest stall %8.1f ms, %d round trips on the GUI thread of %d\n", stall,
                guiRoundTrips.load(), allRoundTrips.load());
    return sequential == 20000 && parallel == sequential && parallelMs <= 0.5 * sequentialMs && guiRoundTrips == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    guiThread = QThread::currentThreadId();

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("share"));
    const QString listPath = dir.filePath(QStringLiteral("list.txt"));
    if (!dir.isValid() || !makeFolder(folder, listPath)) {
        std::fprintf(stderr, "cannot make the picture folder in %s\n", qPrintable(dir.path()));
        return 1;
    }
    QList<QString> ids;
    for (int i = 0; i < fileCount; i += 500)
        ids << QStringLiteral("IMG_%1").arg(i, 6, 10, QLatin1Char('0'));
    std::snprintf(shareRoot, sizeof shareRoot, "%s", QFile::encodeName(folder).constData());
    std::printf("a folder of %d files, %d ms a round trip, %d names a listing round trip (%s)\n", fileCount,
                roundTripMs, namesPerRoundTrip, qPrintable(QGuiApplication::platformName()));

    const double blocking = blockingMs(folder, ids);
    const int blockingTrips = guiRoundTrips.exchange(0);
    allRoundTrips = 0;
    double totalMs = 0, busyMs = 0, atMs = 0;
    const double stall = windowStallMs(folder, listPath, totalMs, busyMs, atMs);
    std::printf("on the GUI thread (as before): stall %8.1f ms, %d round trips\n", blocking, blockingTrips);
    std::printf("the window: longest stall %8.1f ms (from %.1f ms on, GUI thread busy %.1f ms of it), %d round trips "
                "on the GUI thread of %d, folder shown after %.1f ms\n",
                stall, atMs, busyMs, guiRoundTrips.load(), allRoundTrips.load(), totalMs);
    std::printf("longest stall ratio to goal %.3f (goal <= %.0f ms), ratio to before %.4f\n", stall / stallGoalMs,
                stallGoalMs, stall / blocking);
    const bool treeOk = runTree(dir.filePath(QStringLiteral("tree")), dir.filePath(QStringLiteral("tree.txt")));
    return blocking > 0 && stall <= stallGoalMs && treeOk ? 0 : 1;
}
