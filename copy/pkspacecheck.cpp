// SPDX-License-Identifier: MIT

#include "pkspacecheck.h"

#include "pkfilereader.h"
#include "pwtools.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr unsigned long btrfsMagic = 0x9123683E;
constexpr unsigned long xfsMagic = 0x58465342;

// Closes a folder opened for *at calls when it goes out of scope.
class FolderFd
{
public:
    explicit FolderFd(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~FolderFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FolderFd(const FolderFd &) = delete;
    FolderFd &operator=(const FolderFd &) = delete;

    const int fd;
};

QSet<QString> namesIn(const QString &folder)
{
    QSet<QString> names;
    if (DIR *listing = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(listing))
            names.insert(QFile::decodeName(entry->d_name));
        ::closedir(listing);
    }
    return names;
}

} // namespace

QString PkSpaceCheck::shortfall(const QString &picturesFolder, const QList<QString> &files,
                                const QString &destination, bool resume, const QHash<QString, qint64> &sizes)
{
    // An output folder that is there already is where the copies land.
    const QString output = destination + QLatin1Char('/') + PkFileReader::outputFolderName();
    const QString drive = QFileInfo(output).isDir() ? output : destination;
    struct statvfs figures;
    struct statfs kind;
    const QByteArray drivePath = QFile::encodeName(drive);
    if (files.isEmpty() || ::statvfs(drivePath.constData(), &figures) != 0 || figures.f_blocks == 0
        || figures.f_frsize == 0 || ::statfs(drivePath.constData(), &kind) != 0
        || mayShareBlocks(sameDevice(picturesFolder, drive), (unsigned long)kind.f_type))
        return QString();

    // One listing of the output folder rather than a look for each name.
    const QSet<QString> there = resume && drive == output ? namesIn(output) : QSet<QString>();
    const QHash<QString, qint64> missing = sizes.isEmpty() ? PkSpaceCheck::sizes(picturesFolder, files) : sizes;
    const qint64 block = qint64(figures.f_frsize);
    qint64 needed = 0;
    for (const QString &name : files) {
        if (!there.contains(name))
            needed += onDisk(missing.value(name), block);
    }
    const qint64 free = qint64(figures.f_bavail) * block;
    return needed > free ? sentence(needed, free) : QString();
}

QHash<QString, qint64> PkSpaceCheck::sizes(const QString &picturesFolder, const QList<QString> &files)
{
    QHash<QString, qint64> sizes;
    const FolderFd pictures(picturesFolder);
    for (const QString &name : files) {
        struct stat status;
        // Copies follow links to the file they name; a file that is gone
        // fails on its own in the run.
        if (::fstatat(pictures.fd, QFile::encodeName(name).constData(), &status, 0) == 0 && S_ISREG(status.st_mode))
            sizes.insert(name, status.st_size);
    }
    return sizes;
}

QString PkSpaceCheck::sentence(qint64 needed, qint64 free)
{
    return QStringLiteral("Needs %1, %2 free on this drive").arg(amount(needed, true), amount(free, false));
}

QString PkSpaceCheck::amount(qint64 bytes, bool roundUp)
{
    return PwTools::dataSize(bytes, roundUp);
}

qint64 PkSpaceCheck::onDisk(qint64 bytes, qint64 blockSize)
{
    return (bytes + blockSize - 1) / blockSize * blockSize;
}

bool PkSpaceCheck::sameDevice(const QString &a, const QString &b)
{
    struct stat first, second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev;
}

bool PkSpaceCheck::mayShareBlocks(bool oneDevice, unsigned long fileSystemType)
{
    return oneDevice && (fileSystemType == btrfsMagic || fileSystemType == xfsMagic);
}
