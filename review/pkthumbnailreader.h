// SPDX-License-Identifier: MIT

#ifndef PKTHUMBNAILREADER_H
#define PKTHUMBNAILREADER_H

#include "pkthumbnail.h"

#include <QSize>

class QImageReader;

// Makes one file's thumbnail. Safe to call on any thread; it only reads.
class PkThumbnailReader
{
public:
    static bool isRaw(const QString &path);
    static PkThumbnail read(const QString &path, int box);

    // size scaled down, keeping its proportions, to fit box x box; never up.
    static QSize fitted(QSize size, int box);
    // image turned upright as an EXIF orientation (1 to 8) asks.
    static QImage oriented(const QImage &image, int orientation);
    // Decodes at the smallest scale the format offers for box, without
    // applying any orientation the data carries unless autoTransform.
    static QImage decode(QImageReader &reader, int box, bool autoTransform, QString *error);
};

#endif // PKTHUMBNAILREADER_H
