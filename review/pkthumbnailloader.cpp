// SPDX-License-Identifier: MIT

#include "pkthumbnailloader.h"
#include "pkthumbnailreader.h"

#include <QThread>

PkThumbnailLoader::PkThumbnailLoader(QObject *parent)
    : QObject(parent)
    , cache(cacheBytes)
{
    pool.setMaxThreadCount(QThread::idealThreadCount());
}

// A thumbnail being made finishes first; its result is then dropped with
// the events posted to this object.
PkThumbnailLoader::~PkThumbnailLoader()
{
    queue.clear();
    pool.waitForDone();
}

void PkThumbnailLoader::setBox(int box)
{
    boxSize = box;
}

const PkThumbnail *PkThumbnailLoader::thumbnail(const QString &path)
{
    return cache.object(path);
}

// Only pictures depend on the size; an icon or a broken mark stays.
bool PkThumbnailLoader::isCurrent(const QString &path)
{
    const PkThumbnail *known = cache.object(path);
    return known && (known->kind != PkThumbnail::Kind::Picture || known->box == boxSize);
}

void PkThumbnailLoader::want(const QList<QString> &paths)
{
    queue.clear();
    for (const QString &path : paths) {
        if (!inFlight.contains(path) && !isCurrent(path))
            queue.append(path);
    }
    startNext();
}

void PkThumbnailLoader::clear()
{
    queue.clear();
    cache.clear();
}

void PkThumbnailLoader::startNext()
{
    while (!queue.isEmpty() && inFlight.size() < pool.maxThreadCount()) {
        const QString path = queue.takeFirst();
        inFlight.insert(path);
        const int box = boxSize;
        pool.start([this, path, box] {
            const PkThumbnail thumbnail = PkThumbnailReader::read(path, box);
            QMetaObject::invokeMethod(this, [this, path, thumbnail] { finish(path, thumbnail); },
                                      Qt::QueuedConnection);
        });
    }
}

void PkThumbnailLoader::finish(const QString &path, const PkThumbnail &thumbnail)
{
    inFlight.remove(path);
    // Icons and broken marks cost next to nothing, but are counted so that
    // a folder of them cannot grow without bound either.
    const qsizetype cost = std::max<qsizetype>(thumbnail.image.sizeInBytes(), 1024);
    cache.insert(path, new PkThumbnail(thumbnail), cost);
    startNext();
    emit loaded(path);
}
