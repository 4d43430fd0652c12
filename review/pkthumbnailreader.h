// SPDX-License-Identifier: MIT

#ifndef PKTHUMBNAILREADER_H
#define PKTHUMBNAILREADER_H

#include "pkthumbnail.h"

#include <QSize>

// Makes one file's thumbnail, or a larger look at it, in a decoder helper:
// bounded in time and memory whatever the file holds. Blocks the calling
// thread while it waits, so never call it on the GUI thread.
class PkThumbnailReader
{
public:
    static bool isRaw(const QString &path);
    // The decoded picture, fitting box x box; from the shared thumbnail
    // cache where it holds a fresh one for a box up to 1024.
    static PkThumbnail read(const QString &path, int box);
    // size scaled down, keeping its proportions, to fit box x box; never up.
    static QSize fitted(QSize size, int box);
};

#endif // PKTHUMBNAILREADER_H
