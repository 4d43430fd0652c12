// SPDX-License-Identifier: MIT

#ifndef PKHASHCACHE_H
#define PKHASHCACHE_H

#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

// The difference hashes of pictures already seen, kept in one file under
// $XDG_CACHE_HOME/pickwell/, so that a second look at a folder only reads
// each file's size and time. An entry holds while its file keeps the size
// and modification time it had; the file keeps the most recently used
// entries up to a bound. Safe to use from several threads.
class PkHashCache
{
public:
    static constexpr int maxEntries = 100'000;
    // Raised whenever hashes are made another way: a file of another
    // version is passed over whole, so that no hash made the old way meets
    // one made the new way.
    static constexpr int version = 2;

    // file: where the cache lives; empty for the usual place. limit: how
    // many entries the file keeps.
    explicit PkHashCache(const QString &file = {}, int limit = maxEntries);

    std::optional<quint64> find(const QString &path, qint64 size, qint64 modified);
    void store(const QString &path, qint64 size, qint64 modified, quint64 hash);
    // Writes what this run used first, then older entries up to the bound.
    bool save();

    static QString defaultFile();

private:
    static QByteArray header();

    struct Entry
    {
        qint64 size = 0;
        qint64 modified = 0;
        quint64 hash = 0;
        bool used = false;
    };

    QString file;
    int limit;
    QMutex mutex;
    QHash<QString, Entry> entries;
    QList<QString> order; // as read: most recently used first
    bool changed = false;
};

#endif // PKHASHCACHE_H
