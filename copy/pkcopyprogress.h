// SPDX-License-Identifier: MIT

#ifndef PKCOPYPROGRESS_H
#define PKCOPYPROGRESS_H

#include <QElapsedTimer>
#include <QString>

#include <deque>
#include <utility>

// How far a copy run has come, in one line for a terminal or a tooltip:
// "60 of 89 · 1.2 of 2.3 GB · 48 MB/s · 0:23 left".
class PkCopyProgress
{
public:
    // A run of files begins now; its size in bytes follows with update().
    void start(int files);
    // filesDone and bytesDone count the files handled in any way so far.
    void update(int filesDone, qint64 bytesDone, qint64 bytesTotal);
    QString text() const;

    // The line for these figures, elapsedMs after the run began. The rate and
    // the time left wait for a second of copying, which a rate needs. They
    // follow the last seconds, recentBytes in recentMs, where bytes moved in
    // them, and the whole run's rate otherwise: a drive that slows down shows
    // it, a pause (a large file written out) shows no rate of nothing.
    static QString text(int filesDone, int files, qint64 bytesDone, qint64 bytesTotal, qint64 elapsedMs,
                        qint64 recentBytes = 0, qint64 recentMs = 0);
    // bytes in unitOf's unit, with one decimal from kB up ("1.2").
    static QString amount(qint64 bytes, int unit);
    // The unit (0 for B, 1 for kB, ... 4 for TB) that shows bytes best.
    static int unitOf(qint64 bytes);
    // "0:23", "1:02:03".
    static QString duration(qint64 seconds);

private:
    QElapsedTimer timer;
    int files = 0;
    int filesDone = 0;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    // Milliseconds since the start and bytes done then, over the last seconds.
    std::deque<std::pair<qint64, qint64>> samples;
};

#endif // PKCOPYPROGRESS_H
