// SPDX-License-Identifier: MIT

#include "pkpreviewloader.h"
#include "pkthumbnailreader.h"

PkPreviewLoader::PkPreviewLoader(QObject *parent)
    : QObject(parent)
{
    pool.setMaxThreadCount(1);
}

// A decode under way finishes first; its result goes with the events posted
// to this object.
PkPreviewLoader::~PkPreviewLoader()
{
    pool.clear();
    pool.waitForDone();
}

void PkPreviewLoader::load(const QString &path, int box)
{
    const quint64 ask = ++generation;
    pool.clear(); // pictures passed over quickly are never decoded
    pool.start([this, path, box, ask] {
        const PkThumbnail picture = PkThumbnailReader::read(path, box);
        QMetaObject::invokeMethod(this, [this, path, picture, ask] {
            if (ask != generation)
                return;
            delivered = ask;
            emit loaded(path, picture);
        }, Qt::QueuedConnection);
    });
}
