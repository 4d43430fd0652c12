// SPDX-License-Identifier: MIT

#include "pkfolderlister.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

#ifdef Q_OS_LINUX

// QDir::Files takes regular files and symbolic links whose target exists and
// is not a folder; a link to a FIFO or a device counts as a file there, the
// FIFO or device itself does not. Most file systems give the type in the
// directory entry, so only links (and entries of unknown type) cost a stat.
bool isListedFile(int folderFd, const char *name, unsigned char type)
{
    struct stat status;
    if (type == DT_UNKNOWN) {
        if (::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        type = IFTODT(status.st_mode);
    }
    if (type == DT_REG)
        return true;
    if (type != DT_LNK)
        return false;
    return ::fstatat(folderFd, name, &status, 0) == 0 && !S_ISDIR(status.st_mode);
}

struct SortEntry
{
    QString key;  // the name's toLower() form, which is what QDir compares
    QString name;
};

class FolderStream
{
public:
    explicit FolderStream(DIR *stream) : stream(stream) {}
    ~FolderStream()
    {
        if (stream)
            ::closedir(stream);
    }
    FolderStream(const FolderStream &) = delete;
    FolderStream &operator=(const FolderStream &) = delete;
    DIR *get() const { return stream; }

private:
    DIR *stream;
};

QStringList listFolder(const QString &folderPath, QString *error)
{
    const QByteArray path = QFile::encodeName(folderPath);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = qt_error_string(errno);
        return {};
    }
    FolderStream folder(::fdopendir(fd));
    if (!folder.get()) {
        const int reason = errno;
        ::close(fd);
        if (error)
            *error = qt_error_string(reason);
        return {};
    }

    // Entries are kept in the order the directory gives them, as QDir does:
    // its sort is not stable, so names whose lower-case forms are equal end
    // up in an order that depends on where the sort found them.
    std::vector<SortEntry> entries;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder.get());
        if (!entry) {
            if (errno != 0 && error)
                *error = qt_error_string(errno);
            break;
        }
        // Hidden names, "." and ".." included, all start with a dot. QDir
        // passes over names that are not UTF-8, which no QString could give
        // back to the file system unchanged.
        if (entry->d_name[0] == '.' || !QByteArrayView(entry->d_name).isValidUtf8()
            || !isListedFile(::dirfd(folder.get()), entry->d_name, entry->d_type))
            continue;
        QString name = QFile::decodeName(entry->d_name);
        QString key = name.toLower();
        entries.push_back({std::move(key), std::move(name)});
    }

    // The same algorithm with a comparator that agrees with QDir's on every
    // pair, so that ties land exactly where QDir puts them.
    std::sort(entries.begin(), entries.end(), [](const SortEntry &a, const SortEntry &b) {
        return a.key.compare(b.key) < 0;
    });
    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (SortEntry &entry : entries)
        names.append(std::move(entry.name));
    return names;
}

#endif // Q_OS_LINUX

} // namespace

QStringList PkFolderLister::fileNames(const QString &folderPath, QString *error)
{
    if (error)
        error->clear();
    // An empty path would list the working directory, which nobody chose.
    if (folderPath.isEmpty())
        return {};
#ifdef Q_OS_LINUX
    return listFolder(folderPath, error);
#else
    const QDir folder(folderPath);
    if (error && !folder.exists())
        *error = QStringLiteral("No such folder");
    return folder.entryList(QDir::Files);
#endif
}
