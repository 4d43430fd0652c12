// SPDX-License-Identifier: MIT

#include "pkfoldertree.h"

#include "pkfolderlister.h"
#include "pkmatchtext.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<PkFolderTree::OpenHook> openHook{nullptr};

// A folder that is open while its sub-folders wait to be opened through it,
// so that each is reached from the folder it was found in, never by a path
// that a link swapped in meanwhile could redirect.
class OpenFolder
{
public:
    explicit OpenFolder(int fd) : fd(fd) {}
    ~OpenFolder() { ::close(fd); }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;
    const int fd;
};

struct Task
{
    std::shared_ptr<OpenFolder> parent;
    std::string name;
    std::string relative; // from the picture folder, "CardA/DCIM"
    int depth;
};


// A picture starts from a picture or raw file: sidecars alone in a folder
// (settings an editor keeps apart) are no picture of their own. names are
// the files of one folder.
void dropLoneSidecars(std::vector<std::string> &names)
{
    if (std::none_of(names.begin(), names.end(), [](const std::string &name) { return PkFolderTree::isSidecar(name); }))
        return;
    std::vector<QString> pictures;
    pictures.reserve(names.size());
    for (const std::string &name : names) {
        const QString decoded = QString::fromUtf8(name);
        pictures.push_back(decoded.first(PkMatchText::pictureLength(decoded)));
    }
    QSet<QString> pictured; // the pictures that a picture or raw file starts
    for (size_t i = 0; i < names.size(); ++i) {
        if (!PkFolderTree::isSidecar(names[i]))
            pictured.insert(pictures[i]);
    }
    std::vector<std::string> kept;
    kept.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (!PkFolderTree::isSidecar(names[i]) || pictured.contains(pictures[i]))
            kept.push_back(std::move(names[i]));
    }
    names = std::move(kept);
}

// Several threads take folders from one stack: last found, first walked, so
// that few folders are held open at a time however wide the tree.
class Walker
{
public:
    PkFolderTree::Walk walk;
    // Where each folder's files go as soon as it is read, when set; else
    // they are kept for sortedNames.
    PkFolderLister::Batch batch;

    void add(Task task)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        tasks.push_back(std::move(task));
        ready.notify_one();
    }

    bool seenBefore(const struct stat &status)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return !seen.emplace(status.st_dev, status.st_ino).second;
    }

    QStringList sortedNames()
    {
        QStringList decoded;
        decoded.reserve(qsizetype(names.size()));
        for (const std::string &name : names)
            decoded.append(QString::fromUtf8(name));
        names.clear();
        QStringList sorted;
        sorted.reserve(decoded.size());
        for (const qint32 p : PkFolderLister::sortOrder(decoded))
            sorted.append(std::move(decoded[p]));
        return sorted;
    }

    void run(int threads)
    {
        std::vector<std::thread> pool;
        for (int i = 0; i < threads; ++i)
            pool.emplace_back([this] { work(); });
        for (std::thread &thread : pool)
            thread.join();
    }

private:
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<Task> tasks;
    int busy = 0;
    bool deeperSaid = false;
    std::set<std::pair<dev_t, ino_t>> seen;
    std::vector<std::string> names;

    void work()
    {
        for (;;) {
            Task task;
            {
                std::unique_lock<std::mutex> lock(mutex);
                ready.wait(lock, [this] { return !tasks.empty() || busy == 0; });
                if (tasks.empty())
                    return;
                task = std::move(tasks.back());
                tasks.pop_back();
                ++busy;
            }
            visit(task);
            const std::lock_guard<std::mutex> lock(mutex);
            --busy;
            if (busy == 0 && tasks.empty())
                ready.notify_all();
        }
    }

    void problem(const std::string &relative, const QString &reason)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        walk.problems.append(QString::fromUtf8(relative) + QStringLiteral(": ") + reason);
    }

    void visit(const Task &task)
    {
        // O_NOFOLLOW: a folder turned into a link since it was listed is not
        // followed; O_NONBLOCK: one turned into a FIFO does not hold the walk.
        const PkFolderTree::OpenHook hook = openHook.load();
        const int fault = hook ? hook(QString::fromUtf8(task.relative)) : 0;
        const int fd = fault ? -1
                             : ::openat(task.parent->fd, task.name.c_str(),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        const int openError = fault ? fault : errno;
        if (fd < 0)
            return problem(task.relative, qt_error_string(openError == ELOOP ? ENOTDIR : openError));
        const auto self = std::make_shared<OpenFolder>(fd);
        struct stat status;
        if (::fstat(fd, &status) != 0 || seenBefore(status))
            return;
        const int listed = ::dup(fd);
        if (listed < 0)
            return problem(task.relative, qt_error_string(errno));
        std::vector<std::string> found;
        PkFolderLister::Others others;
        QString error;
        PkFolderLister::listOpenFolder(listed, [&](QByteArrayView name) {
            found.push_back(task.relative + '/' + std::string(name.data(), size_t(name.size())));
        }, &others, &error);
        if (!error.isEmpty())
            problem(task.relative, error);
        for (std::string &folder : others.folders) {
            if (PkFolderTree::isPassedOver(QByteArrayView(folder.data(), qsizetype(folder.size()))))
                continue;
            std::string relative = task.relative + '/' + folder;
            if (task.depth < PkFolderTree::maxDepth)
                add({self, std::move(folder), std::move(relative), task.depth + 1});
            else
                deeper(relative);
        }
        dropLoneSidecars(found);
        if (batch && !found.empty())
            batch(batchOf(found));
        const std::lock_guard<std::mutex> lock(mutex);
        ++walk.folders;
        if (!batch) {
            for (std::string &name : found)
                names.push_back(std::move(name));
        }
        for (const std::string &name : others.notUtf8)
            walk.notUtf8.append(QString::fromUtf8(task.relative) + QLatin1Char('/')
                                + PkFolderTree::readable(QByteArrayView(name.data(), qsizetype(name.size()))));
    }

    static PkFolderLister::Names batchOf(const std::vector<std::string> &found)
    {
        PkFolderLister::Names names;
        names.ends.reserve(found.size());
        for (const std::string &name : found) {
            names.bytes += name;
            names.ends.push_back(qint32(names.bytes.size()));
        }
        return names;
    }

    // Said once: a tree that deep is a loop of some kind or a mistake, and
    // one line tells the user as much as a thousand.
    void deeper(const std::string &relative)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (std::exchange(deeperSaid, true))
                return;
        }
        problem(relative, QStringLiteral("more than %1 levels deep, not searched").arg(PkFolderTree::maxDepth));
    }

};

} // namespace

// Reading a share, each folder costs round trips; a few at once overlap them.
PkFolderTree::Walk PkFolderTree::walk(const QString &folderPath, const std::vector<std::string> &folders, int threads,
                                      const PkFolderLister::Batch &batch)
{
    Walker walker;
    walker.batch = batch;
    if (folders.empty() || folderPath.isEmpty())
        return std::move(walker.walk);
    const int fd = ::open(QFile::encodeName(folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        walker.walk.problems.append(QStringLiteral(".: ") + qt_error_string(errno));
        return std::move(walker.walk);
    }
    const auto top = std::make_shared<OpenFolder>(fd);
    struct stat status;
    if (::fstat(fd, &status) == 0)
        walker.seenBefore(status);
    for (const std::string &folder : folders) {
        if (!isPassedOver(QByteArrayView(folder.data(), qsizetype(folder.size()))))
            walker.add({top, folder, folder, 1});
    }
    walker.run(std::max(1, threads));
    walker.walk.names = walker.sortedNames();
    walker.walk.problems.sort();
    walker.walk.notUtf8.sort();
    return std::move(walker.walk);
}

void PkFolderTree::setOpenHook(OpenHook hook)
{
    openHook.store(hook);
}

bool PkFolderTree::isPassedOver(QByteArrayView name)
{
    // Earlier runs' output, and what NAS systems (@eaDir, #recycle,
    // #snapshot), Windows, file system checks, catalogues and editors keep.
    static const std::array<QByteArrayView, 9> folders{
        "FilesFromSelection", "@eaDir", "#recycle", "#snapshot", "$RECYCLE.BIN", "System Volume Information",
        "lost+found", "CaptureOne", "@Recycle"};
    if (name.startsWith('.') || name.endsWith(".lrdata"))
        return true;
    return std::any_of(folders.begin(), folders.end(), [name](QByteArrayView folder) {
        return name.compare(folder, Qt::CaseInsensitive) == 0;
    });
}

bool PkFolderTree::isSidecar(std::string_view path)
{
    static const std::array<QByteArrayView, 5> sidecars{"xmp", "pp3", "dop", "on1", "cos"};
    const size_t dot = path.rfind('.'), slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    const QByteArrayView extension(path.data() + dot + 1, qsizetype(path.size() - dot - 1));
    return std::any_of(sidecars.begin(), sidecars.end(), [extension](QByteArrayView sidecar) {
        return extension.compare(sidecar, Qt::CaseInsensitive) == 0;
    });
}

QString PkFolderTree::readable(QByteArrayView name)
{
    QString text;
    for (qsizetype i = 0; i < name.size();) {
        const uchar lead = uchar(name.at(i));
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArrayView piece = name.sliced(i, std::min(length, name.size() - i));
        if (lead < 0x80 || (lead >= 0xC2 && piece.size() == length && piece.isValidUtf8())) {
            text += QString::fromUtf8(piece);
            i += length;
        } else {
            text += QStringLiteral("\\x%1").arg(lead, 2, 16, QLatin1Char('0'));
            ++i;
        }
    }
    return text;
}

// File systems on cards and shares are mostly case-insensitive: names that
// differ only in case clash there too.
QList<PkFolderTree::Clash> PkFolderTree::takeClashes(QList<QString> &files)
{
    QHash<QString, QList<qsizetype>> byName;
    QStringList order;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString key = files.at(i).sliced(files.at(i).lastIndexOf(QLatin1Char('/')) + 1).toCaseFolded();
        QList<qsizetype> &at = byName[key];
        if (at.isEmpty())
            order.append(key);
        at.append(i);
    }
    QList<Clash> clashes;
    std::vector<bool> clashing(size_t(files.size()));
    for (const QString &key : std::as_const(order)) {
        const QList<qsizetype> &at = byName[key];
        if (at.size() < 2)
            continue;
        Clash clash;
        for (const qsizetype i : at) {
            const qsizetype slash = files.at(i).lastIndexOf(QLatin1Char('/'));
            clash.folders.append(slash < 0 ? QStringLiteral(".") : files.at(i).first(slash));
            clashing[size_t(i)] = true;
        }
        clash.name = files.at(at.constFirst()).sliced(files.at(at.constFirst()).lastIndexOf(QLatin1Char('/')) + 1);
        clashes.append(clash);
    }
    QList<QString> kept;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!clashing[size_t(i)])
            kept.append(files.at(i));
    }
    files = std::move(kept);
    return clashes;
}
