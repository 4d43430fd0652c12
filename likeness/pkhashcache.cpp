// SPDX-License-Identifier: MIT

#include "pkhashcache.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer than any entry: a path holds at most PATH_MAX bytes.
constexpr qint64 longestLine = PATH_MAX + 64;

// The next line without its end, or nothing where the line is longer than
// any entry or has no end: such a line is passed over, never held whole.
std::optional<QByteArray> nextLine(QFile &in)
{
    QByteArray line = in.readLine(longestLine);
    if (line.endsWith('\n')) {
        line.chop(1);
        return line;
    }
    while (!in.atEnd() && !in.readLine(longestLine).endsWith('\n')) {
    }
    return std::nullopt;
}

} // namespace

PkHashCache::PkHashCache(const QString &file, int limit)
    : file(file.isEmpty() ? defaultFile() : file)
    , limit(limit)
{
    QFile in(this->file);
    if (!in.open(QIODevice::ReadOnly) || in.readLine() != header())
        return;
    // One entry a line: hash, size and time, then the path to the line's end.
    while (!in.atEnd() && entries.size() < limit) {
        const std::optional<QByteArray> read = nextLine(in);
        const QByteArray line = read.value_or(QByteArray());
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 4)
            continue;
        bool ok[3] = {};
        Entry entry;
        entry.hash = fields.at(0).toULongLong(&ok[0], 16);
        entry.size = fields.at(1).toLongLong(&ok[1]);
        entry.modified = fields.at(2).toLongLong(&ok[2]);
        const QString path = QString::fromUtf8(line.mid(fields.at(0).size() + fields.at(1).size() + fields.at(2).size() + 3));
        if (ok[0] && ok[1] && ok[2] && !entries.contains(path)) {
            entries.insert(path, entry);
            order.append(path);
        }
    }
}

// The file's first line. The first files had none: they are version 1.
QByteArray PkHashCache::header()
{
    return "pickwell hashes " + QByteArray::number(version) + '\n';
}

QString PkHashCache::defaultFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1String("/pickwell/hashes");
}

std::optional<quint64> PkHashCache::find(const QString &path, qint64 size, qint64 modified)
{
    QMutexLocker lock(&mutex);
    const auto it = entries.find(path);
    if (it == entries.end() || it->size != size || it->modified != modified)
        return std::nullopt;
    it->used = true;
    return it->hash;
}

void PkHashCache::store(const QString &path, qint64 size, qint64 modified, quint64 hash)
{
    // The file holds one entry a line.
    if (path.contains(QLatin1Char('\n')))
        return;
    QMutexLocker lock(&mutex);
    if (!entries.contains(path))
        order.append(path);
    entries.insert(path, Entry{size, modified, hash, true});
    changed = true;
}

bool PkHashCache::save()
{
    QMutexLocker lock(&mutex);
    if (!changed)
        return true;
    // Only its owner reads what pictures they looked for.
    const QString folder = QFileInfo(file).path();
    QDir().mkpath(QFileInfo(folder).path());
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    // Written beside the file and renamed over it: a link there is replaced,
    // and whatever it points to is never written.
    QByteArray temporary = QFile::encodeName(file) + ".XXXXXX";
    QFile out;
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0 || !out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temporary.constData());
        }
        return false;
    }
    out.write(header());
    QList<QString> kept;
    for (bool used : {true, false}) {
        for (const QString &path : order) {
            if (entries.value(path).used == used && kept.size() < limit)
                kept.append(path);
        }
    }
    for (const QString &path : kept) {
        const Entry &entry = entries[path];
        out.write(QByteArray::number(entry.hash, 16) + ' ' + QByteArray::number(entry.size) + ' '
                  + QByteArray::number(entry.modified) + ' ' + path.toUtf8() + '\n');
    }
    out.close();
    if (out.error() != QFileDevice::NoError || ::rename(temporary.constData(), QFile::encodeName(file).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    changed = false;
    return true;
}
