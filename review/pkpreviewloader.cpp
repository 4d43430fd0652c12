// SPDX-License-Identifier: MIT

#include "pkpreviewloader.h"
#include "pkthumbnailreader.h"

PkPreviewLoader::PkPreviewLoader(QObject *parent)
    : QObject(parent)
{
    pool.setMaxThreadCount(1);
}

// A decode under way is ended, never waited for; its result goes with the
// events posted to this object.
PkPreviewLoader::~PkPreviewLoader()
{
    pool.clear();
    PkThumbnailReader::cancel(this);
    pool.waitForDone();
    PkThumbnailReader::forget(this);
}

void PkPreviewLoader::load(const QString &path, int box)
{
    const quint64 ask = ++generation;
    // Pictures passed over quickly are never decoded, and the one passed over
    // while it decodes is ended: a file that takes its helper to the deadline
    // does not hold up the next.
    pool.clear();
    PkThumbnailReader::cancel(this);
    pool.start([this, path, box, ask] {
        // One decode at a time: the one cancelled has ended by now.
        PkThumbnailReader::forget(this);
        const PkThumbnail picture = PkThumbnailReader::read(path, box, this);
        QMetaObject::invokeMethod(this, [this, path, picture, ask] {
            if (ask != generation)
                return;
            delivered = ask;
            emit loaded(path, picture);
        }, Qt::QueuedConnection);
    });
}
