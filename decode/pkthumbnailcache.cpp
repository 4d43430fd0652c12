// SPDX-License-Identifier: MIT

#include "pkthumbnailcache.h"
#include "pkpicturedecoder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>
#include <QUrl>

#include <cstdio>
#include <sys/stat.h>

namespace {

struct Level
{
    int size;
    const char *name;
};

constexpr Level levels[] = {{128, "normal"}, {256, "large"}, {512, "x-large"}, {1024, "xx-large"}};

// Constants only: helpers use them before main(), when other files'
// initialisers may not have run yet.

// A thumbnail of 1024 x 1024 is 4 MB of pixels: a larger entry is no
// thumbnail, whatever it holds.
constexpr qint64 maxEntryBytes = 8 * 1024 * 1024;

constexpr QLatin1String uriKey("Thumb::URI");
constexpr QLatin1String mtimeKey("Thumb::MTime");
constexpr QLatin1String sizeKey("Thumb::Size");
constexpr QLatin1String takenKey("X-Pickwell::Taken");
constexpr QLatin1String reasonKey("X-Pickwell::Reason");

QString levelFolder(int level)
{
    for (const Level &each : levels) {
        if (each.size == level)
            return PkThumbnailCache::root() + u'/' + QLatin1String(each.name);
    }
    return {};
}

QString entryName(const QString &path)
{
    const QByteArray hash = QCryptographicHash::hash(PkThumbnailCache::uri(path).toUtf8(), QCryptographicHash::Md5);
    return QString::fromLatin1(hash.toHex()) + QStringLiteral(".png");
}

// The folders are the user's alone (0700), made one by one.
bool makeFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).path();
    if (parent == folder || !makeFolder(parent))
        return false;
    ::mkdir(QFile::encodeName(folder).constData(), 0700); // made meanwhile by another, it is there too
    return QFileInfo(folder).isDir();
}

bool isFresh(const QImage &image, const PkThumbnailCache::Key &key)
{
    const QString size = image.text(sizeKey);
    return image.text(uriKey) == PkThumbnailCache::uri(key.path)
        && image.text(mtimeKey) == QString::number(key.mtime)
        && (size.isEmpty() || size == QString::number(key.size));
}

// Reads an entry no larger than level x level; anything else is ignored.
QImage readEntry(const QString &file, int level)
{
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > maxEntryBytes)
        return {};
    QImageReader reader(file, "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > level || size.height() > level)
        return {};
    return reader.read();
}

// Written beside the entry and renamed over it, so that no reader ever sees
// half an entry; the temporary file is made readable by the user alone.
void writeEntry(const QString &file, const QImage &image)
{
    if (!makeFolder(QFileInfo(file).path()))
        return;
    QTemporaryFile temporary(QFileInfo(file).path() + QStringLiteral("/.pickwell-XXXXXX.png"));
    if (!temporary.open() || !QImageWriter(&temporary, "png").write(image) || !temporary.flush())
        return;
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(file).constData()) == 0)
        temporary.setAutoRemove(false);
}

QImage withKey(QImage image, const PkThumbnailCache::Key &key)
{
    image.setText(uriKey, PkThumbnailCache::uri(key.path));
    image.setText(mtimeKey, QString::number(key.mtime));
    image.setText(sizeKey, QString::number(key.size));
    image.setText(QStringLiteral("Software"), QStringLiteral("Pickwell"));
    return image;
}

} // namespace

QString PkThumbnailCache::root()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/thumbnails");
}

int PkThumbnailCache::levelFor(int box)
{
    for (const Level &each : levels) {
        if (box <= each.size)
            return each.size;
    }
    return 0;
}

QString PkThumbnailCache::uri(const QString &path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded());
}

QString PkThumbnailCache::entryPath(const QString &path, int level)
{
    return levelFolder(level) + u'/' + entryName(path);
}

QString PkThumbnailCache::failurePath(const QString &path)
{
    return root() + QStringLiteral("/fail/pickwell-" PICKWELL_VERSION "/") + entryName(path);
}

bool PkThumbnailCache::find(const Key &key, int level, PkThumbnail *thumbnail)
{
    const QImage failure = readEntry(failurePath(key.path), level);
    if (!failure.isNull() && isFresh(failure, key)) {
        thumbnail->reason = failure.text(reasonKey);
        return !thumbnail->reason.isEmpty();
    }
    const QImage image = readEntry(entryPath(key.path, level), level);
    if (image.isNull() || !isFresh(image, key))
        return false;
    thumbnail->kind = PkThumbnail::Kind::Picture;
    thumbnail->taken = QDateTime::fromString(image.text(takenKey), Qt::ISODate);
    thumbnail->image = PkPictureDecoder::scaledToFit(image, thumbnail->box);
    return true;
}

void PkThumbnailCache::store(const Key &key, int level, const QImage &image, const QDateTime &taken)
{
    QImage entry = withKey(image, key);
    if (taken.isValid())
        entry.setText(takenKey, taken.toString(Qt::ISODate));
    writeEntry(entryPath(key.path, level), entry);
}

void PkThumbnailCache::forgetFailure(const QString &path)
{
    QFile::remove(failurePath(path));
}

void PkThumbnailCache::storeFailure(const Key &key, const QString &reason)
{
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    QImage entry = withKey(mark, key);
    entry.setText(reasonKey, reason);
    writeEntry(failurePath(key.path), entry);
}
