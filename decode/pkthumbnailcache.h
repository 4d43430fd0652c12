// SPDX-License-Identifier: MIT

#ifndef PKTHUMBNAILCACHE_H
#define PKTHUMBNAILCACHE_H

#include "pkthumbnail.h"

#include <QString>

// The thumbnail cache that desktops share ($XDG_CACHE_HOME/thumbnails): file
// managers show what Pickwell made and Pickwell what they made. An entry is
// a PNG named after the MD5 of the file's URI, saying in its text chunks
// which file it shows and when that file was last changed; one whose file
// has changed since is stale. Files that could not be made into a
// thumbnail are remembered under fail/, so that they are not tried again.
// Every failure here only costs speed: the picture is decoded instead.
class PkThumbnailCache
{
public:
    struct Key
    {
        QString path;
        qint64 mtime = 0; // seconds
        qint64 size = 0;
    };

    static QString root();
    // The smallest size (128, 256, 512, 1024) at least box, or 0.
    static int levelFor(int box);
    static QString uri(const QString &path);
    static QString entryPath(const QString &path, int level);
    static QString failurePath(const QString &path);

    // A fresh entry: a picture scaled to fit box, or a failure's reason.
    static bool find(const Key &key, int level, PkThumbnail *thumbnail);
    // image fits level x level; written under a temporary name, then renamed.
    static void store(const Key &key, int level, const QImage &image, const QDateTime &taken);
    static void storeFailure(const Key &key, const QString &reason);
    // The file at path is tried again, whatever failed before.
    static void forgetFailure(const QString &path);
};

#endif // PKTHUMBNAILCACHE_H
