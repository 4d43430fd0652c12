// SPDX-License-Identifier: MIT

// Times the copy worker, unverified, side by side with `cp -n
// --preserve=timestamps` (both keep the pictures' times) where cards and shares keep
// pictures, on file systems without unnamed files:
// - exFAT through FUSE (exfat-fuse) on a loop device over an image file;
// - sshfs of a local folder, served by an sshd of its own on 127.0.0.1.
// The pictures and both sides' copies live on the mount, as when a card's
// folder is copied into itself. Each side is timed up to the end of a sync()
// that follows it, so neither hides writes in the page cache; the order
// alternates between rounds; the figure is the median of the rounds' ratios.
// With --verify the worker reads each copy back, as it does by default.
//
// Needs root (loop devices, mounts) and the Debian packages exfat-fuse,
// exfatprogs, sshfs and openssh-server; it says so and skips what it cannot
// mount. Everything it mounts, starts or makes is taken away at the end.

#include "pkfilereader.h"

#include "benchsupport.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int fileCount = 300;
constexpr int fileSize = 1024 * 1024;
constexpr int rounds = 5;

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

QString missingTool(const QStringList &tools)
{
    for (const QString &tool : tools) {
        if (QStandardPaths::findExecutable(tool, {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}).isEmpty())
            return tool;
    }
    return QString();
}

double timed(const std::function<bool()> &step, bool &ok)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    ok = step() && ok;
    ::sync();
    return timer.nsecsElapsed() / 1e6;
}

// Rounds on pictures in mount/pictures; every round writes into a fresh
// folder, and removes it once both sides are timed.
void compare(const char *what, const QString &mount)
{
    QList<QString> names;
    const QString pictures = mount + "/pictures";
    if (!BenchSupport::writePictures(pictures, fileCount, fileSize, names)) {
        std::printf("%s: cannot write the pictures, skipped\n", what);
        return;
    }
    // Both sides then start with the pictures on the disk.
    ::sync();
    // Unverified, as cp copies; both keep the pictures' times. With
    // --verify, the worker reads each copy back, to see what that costs.
    PkFileReader reader;
    reader.setVerify(QCoreApplication::arguments().contains(QStringLiteral("--verify")));
    int copied = 0;
    QObject::connect(&reader, &PkFileReader::copyFinishedSignal, &reader, [&copied](int n) { copied = n; });
    std::vector<double> ratios;
    bool ok = true;
    for (int round = -1; round < rounds; ++round) {
        const QString folder = mount + QStringLiteral("/round%1").arg(round + 1);
        QDir().mkpath(folder + "/cp");
        QStringList cpArguments{"-n", "--preserve=timestamps"};
        for (const QString &name : std::as_const(names))
            cpArguments << pictures + '/' + name;
        cpArguments << folder + "/cp";
        const auto cp = [&cpArguments] { return run("cp", cpArguments); };
        const auto worker = [&] {
            reader.on_startCopyIntoSignal(names, pictures, folder, false);
            return copied == names.size();
        };
        double cpTime = 0, workerTime = 0;
        if (round % 2 == 0) {
            cpTime = timed(cp, ok);
            workerTime = timed(worker, ok);
        } else {
            workerTime = timed(worker, ok);
            cpTime = timed(cp, ok);
        }
        QDir(folder).removeRecursively();
        if (round < 0)
            continue; // warms the binaries, the code paths and the mount's caches
        ratios.push_back(workerTime / cpTime);
        std::printf("%s round %d  cp %8.1f ms  worker %8.1f ms  ratio %.3f\n", what, round + 1, cpTime, workerTime,
                    ratios.back());
        std::fflush(stdout);
    }
    const bool verifying = QCoreApplication::arguments().contains(QStringLiteral("--verify"));
    std::printf("%s: worker%s / cp -n --preserve=timestamps, median of %d rounds %.3f%s, range %.3f - %.3f%s\n", what,
                verifying ? ", verifying," : "", rounds, BenchSupport::median(ratios), verifying ? "" : " (goal <= 1.25)",
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), ok ? "" : "  SOME COPIES FAILED");
}

void benchExfat(const QString &work)
{
    if (const QString tool = missingTool({"mkfs.exfat", "mount.exfat-fuse", "losetup", "fusermount"}); !tool.isEmpty()) {
        std::printf("exFAT: %s is missing (packages exfat-fuse, exfatprogs), skipped\n", qPrintable(tool));
        return;
    }
    const QString image = work + "/exfat.img", mount = work + "/exfat";
    QDir().mkpath(mount);
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(2) << 30)) {
        std::printf("exFAT: cannot make the image, skipped\n");
        return;
    }
    file.close();
    QProcess losetup;
    losetup.start("losetup", {"--find", "--show", image});
    losetup.waitForFinished();
    const QString device = QString::fromLocal8Bit(losetup.readAllStandardOutput()).trimmed();
    if (device.isEmpty()) {
        std::printf("exFAT: no loop device, skipped\n");
        return;
    }
    if (run("mkfs.exfat", {device}) && run("mount.exfat-fuse", {device, mount}))
        compare("exFAT (FUSE)", mount);
    else
        std::printf("exFAT: cannot mount, skipped\n");
    run("umount", {mount});
    run("losetup", {"-d", device});
}

int sparePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

void benchSshfs(const QString &work)
{
    if (const QString tool = missingTool({"sshfs", "sshd", "ssh-keygen", "fusermount"}); !tool.isEmpty()) {
        std::printf("sshfs: %s is missing (packages sshfs, openssh-server), skipped\n", qPrintable(tool));
        return;
    }
    const QString keys = work + "/keys", served = work + "/served", mount = work + "/sshfs";
    QDir().mkpath(keys);
    QDir().mkpath(served);
    QDir().mkpath(mount);
    QDir().mkpath("/run/sshd"); // sshd's privilege separation wants it
    const int port = sparePort();
    const QString config = QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2/host\n"
                                          "AuthorizedKeysFile %2/user.pub\nPermitRootLogin prohibit-password\n"
                                          "PasswordAuthentication no\nStrictModes no\nUsePAM no\n"
                                          "Subsystem sftp internal-sftp\nPidFile %2/sshd.pid\n")
                               .arg(port)
                               .arg(keys);
    if (port == 0 || !run("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", keys + "/host"})
        || !run("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", keys + "/user"})
        || !writeText(keys + "/sshd_config", config)) {
        std::printf("sshfs: cannot make the keys or the configuration, skipped\n");
        return;
    }
    QProcess sshd;
    sshd.setProcessChannelMode(QProcess::ForwardedChannels);
    sshd.start(QStandardPaths::findExecutable("sshd", {"/usr/sbin"}), {"-D", "-e", "-f", keys + "/sshd_config"});
    sshd.waitForStarted();
    const QStringList options{"-p", QString::number(port), "-o", "IdentityFile=" + keys + "/user",
                              "-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
                              "-o", "BatchMode=yes", "-o", "LogLevel=ERROR"};
    // sshd takes a moment to listen; each try is a full connection attempt.
    bool mounted = false;
    for (int attempt = 0; attempt < 50 && !mounted && sshd.state() == QProcess::Running; ++attempt) {
        mounted = run("sshfs", QStringList{"root@127.0.0.1:" + served, mount} + options);
        if (!mounted)
            ::usleep(100000);
    }
    if (mounted)
        compare("sshfs", mount);
    else
        std::printf("sshfs: cannot mount, skipped\n");
    if (mounted)
        run("fusermount", {"-u", mount});
    sshd.terminate();
    sshd.waitForFinished();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (::geteuid() != 0) {
        std::printf("mounting needs root: exFAT and sshfs skipped\n");
        return 0;
    }
    if (!QFile::exists("/dev/fuse")) {
        std::printf("no /dev/fuse: exFAT and sshfs skipped\n");
        return 0;
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "no temporary folder: %s\n", qPrintable(work.errorString()));
        return 1;
    }
    std::printf("%d files of %d bytes, %d rounds after one to warm up\n", fileCount, fileSize, rounds);
    benchExfat(work.path());
    benchSshfs(work.path());
    return 0;
}
