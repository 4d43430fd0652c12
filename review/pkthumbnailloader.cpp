// SPDX-License-Identifier: MIT

#include "pkthumbnailloader.h"
#include "pkdecoderpool.h"
#include "pkthumbnailcache.h"

#include <QThread>

#include <algorithm>

PkThumbnailLoader::PkThumbnailLoader(QObject *parent)
    : QObject(parent)
    , cache(cacheBytes)
{
    // Two more than the cores: files that keep their helpers busy until the
    // deadline leave others to go on.
    pool.setMaxThreadCount(QThread::idealThreadCount() + 2);
    PkDecoderPool::instance().prepare(pool.maxThreadCount());
}

// The helpers are ended, so the threads waiting for them finish at once;
// their results are dropped with the events posted to this object.
PkThumbnailLoader::~PkThumbnailLoader()
{
    queue.clear();
    laterQueue.clear();
    PkDecoderPool::instance().cancel(this);
    pool.waitForDone();
    PkDecoderPool::instance().forget(this);
}

void PkThumbnailLoader::setBox(int box)
{
    if (box != boxSize)
        quickDone.clear();
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
    return known && (known->kind != PkThumbnail::Kind::Picture || (known->box == boxSize && !known->provisional));
}

// Quick looks first, for every file; then the decoding, in the same order.
QList<PkThumbnailLoader::Job> PkThumbnailLoader::jobsFor(const QList<QString> &paths)
{
    QList<Job> quick, decoding;
    for (const QString &path : paths) {
        if (inFlight.contains(path) || isCurrent(path))
            continue;
        if (quickDone.contains(path))
            decoding.append({path, false});
        else
            quick.append({path, true});
    }
    return quick + decoding;
}

void PkThumbnailLoader::want(const QList<QString> &shown, const QList<QString> &later, qsizetype onScreen)
{
    shownPaths = QSet<QString>(shown.cbegin(), shown.cend());
    const auto screenEnd = onScreen < 0 ? shown.cend() : shown.cbegin() + std::min(onScreen, shown.size());
    onScreenPaths = QSet<QString>(shown.cbegin(), screenEnd);
    queue = jobsFor(shown);
    laterQueue = jobsFor(later);
    startNext();
}

void PkThumbnailLoader::clear()
{
    queue.clear();
    laterQueue.clear();
    cache.clear();
    quickDone.clear();
}

void PkThumbnailLoader::drop(const QList<QString> &paths)
{
    for (const QString &path : paths) {
        cache.remove(path);
        quickDone.remove(path);
    }
}

void PkThumbnailLoader::tryAgain(const QString &path)
{
    PkThumbnailCache::forgetFailure(path);
    drop({path});
}

// What is on the screen goes first and may take every helper. Everything
// else keeps to one helper a core: the spare helpers are for the screen, and
// a decode started for the next screen would take a core from this one.
bool PkThumbnailLoader::takeNext(Job *job)
{
    const auto onScreen = std::find_if(queue.begin(), queue.end(),
                                       [this](const Job &queued) { return onScreenPaths.contains(queued.path); });
    if (onScreen != queue.end()) {
        *job = *onScreen;
        queue.erase(onScreen);
        return true;
    }
    QList<Job> &next = queue.isEmpty() ? laterQueue : queue;
    if (next.isEmpty() || inFlight.size() >= QThread::idealThreadCount())
        return false;
    *job = next.takeFirst();
    return true;
}

void PkThumbnailLoader::startNext()
{
    Job job;
    while (inFlight.size() < pool.maxThreadCount() && takeNext(&job)) {
        inFlight.insert(job.path);
        const int box = boxSize;
        pool.start([this, job, box, sidecars = sidecarsOf.value(job.path)] {
            const auto pass = job.quick ? PkPictureDecoder::Pass::Quick : PkPictureDecoder::Pass::Full;
            bool found;
            const PkThumbnail thumbnail = PkDecoderPool::instance().decode(job.path, box, pass, &found, this, &sidecars);
            QMetaObject::invokeMethod(this, [this, job, box, found, thumbnail] { finish(job, box, found, thumbnail); },
                                      Qt::QueuedConnection);
        });
    }
}

void PkThumbnailLoader::finish(const Job &job, int box, bool found, const PkThumbnail &thumbnail)
{
    inFlight.remove(job.path);
    const PkThumbnail *known = cache.object(job.path);
    const bool current = box == boxSize;
    // A quick look never replaces a decoded thumbnail, nor one of another
    // size the current one: it would only be a step back.
    const bool better = !known || (current && (!thumbnail.provisional || known->box != box || known->provisional));
    if (current && job.quick) {
        quickDone.insert(job.path);
        if (!found || thumbnail.provisional)
            (shownPaths.contains(job.path) ? queue : laterQueue).append({job.path, false});
    }
    if (found && better) {
        // Icons and broken marks cost next to nothing, but are counted so that
        // a folder of them cannot grow without bound either.
        const qsizetype cost = std::max<qsizetype>(thumbnail.image.sizeInBytes(), 1024);
        cache.insert(job.path, new PkThumbnail(thumbnail), cost);
    }
    startNext();
    if (found && better)
        emit loaded(job.path);
}
