// SPDX-License-Identifier: MIT

#ifndef PKTHUMBNAILLOADER_H
#define PKTHUMBNAILLOADER_H

#include "pkthumbnail.h"

#include <QCache>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>

// Makes thumbnails in the decoder helpers, a few at a time,
// and keeps them in memory up to a bound. Only the thumbnails asked for last
// are made: what the view shows comes first, what scrolled away is dropped
// from the queue. Every file asked for first gets a quick look (the shared
// cache, the thumbnail the file carries), and only then are the pictures
// decoded, so that something shows in every tile at once; loaded() then
// comes twice for a file whose quick thumbnail was provisional.
class PkThumbnailLoader : public QObject
{
    Q_OBJECT

public:
    // About 200 MB: 5,000 pictures fit at the smallest size; at larger sizes
    // the ones seen longest ago make room.
    static constexpr qsizetype cacheBytes = 200 * 1024 * 1024;

    explicit PkThumbnailLoader(QObject *parent = nullptr);
    // Ends the helpers still working for it: closing never waits for a picture.
    ~PkThumbnailLoader() override;

    int box() const { return boxSize; }
    // Thumbnails of another size stay shown until their new one is made.
    void setBox(int box);

    // What is known of path; nullptr until its thumbnail has been made.
    const PkThumbnail *thumbnail(const QString &path);
    // Its final thumbnail at the current box is there.
    bool isCurrent(const QString &path);
    // Replaces the queue with these paths, first ones first: shown ones get
    // their quick look and then their decoding before later ones get either,
    // so that a long folder's background work never holds up the screen.
    // The first onScreen of shown (all of them where it is -1) are on the
    // screen now and go before the rest of shown.
    void want(const QList<QString> &shown, const QList<QString> &later = {}, qsizetype onScreen = -1);
    void clear();
    // Forgets what is known of paths, which are made again when next wanted.
    void drop(const QList<QString> &paths);
    // Forgets that path could not be shown, also in the shared cache.
    void tryAgain(const QString &path);
    // Each file's picture's sidecars, where its judgement is read first.
    // Every thumbnail comes with its picture's judgement.
    void setSidecars(const QHash<QString, QStringList> &sidecars) { sidecarsOf = sidecars; }
    bool isIdle() const { return queue.isEmpty() && laterQueue.isEmpty() && inFlight.isEmpty(); }

signals:
    void loaded(const QString &path);

private:
    struct Job
    {
        QString path;
        bool quick = true;
    };

    QList<Job> jobsFor(const QList<QString> &paths);
    bool takeNext(Job *job);
    void startNext();
    void finish(const Job &job, int box, bool found, const PkThumbnail &thumbnail);

    QThreadPool pool;
    QCache<QString, PkThumbnail> cache;
    QList<Job> queue; // for what is shown
    QList<Job> laterQueue;
    QSet<QString> shownPaths;
    QSet<QString> onScreenPaths;
    QSet<QString> inFlight;
    QSet<QString> quickDone; // at the current box
    int boxSize = 192;
    QHash<QString, QStringList> sidecarsOf;
};

#endif // PKTHUMBNAILLOADER_H
