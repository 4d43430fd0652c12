// SPDX-License-Identifier: MIT

#ifndef PKPICTUREDECODER_H
#define PKPICTUREDECODER_H

#include "pkthumbnail.h"

#include <QSize>

class QImageReader;

// Makes one file's thumbnail, in the process that calls it: the decoder
// helpers run it, so that whatever a hostile file does to a decoding library
// stays in a process that can be ended. Says plainly why a file shows nothing.
class PkPictureDecoder
{
public:
    // Quick: only what shows at once, a thumbnail from the shared cache or
    // the one the file carries. Full: the picture decoded (and cached).
    enum class Pass { Quick, Full };

    // Pictures over this many pixels are refused before decoding.
    static constexpr qint64 maxPixels = 200'000'000;

    // found: false when a quick pass has nothing to show yet.
    static PkThumbnail decode(const QString &path, int box, Pass pass, bool *found = nullptr);

    static bool isRaw(const QString &path);
    // Loads the image plugins, which the first picture would otherwise wait for.
    static void warmUp();
    static QString tooLarge(QSize size);
    static QString notAPicture(qint64 bytes);
    // Whether a thumbnail's proportions are its picture's, or near enough.
    static bool sameProportions(QSize thumbnail, QSize picture);
    // size scaled down, keeping its proportions, to fit box x box; never up.
    static QSize fitted(QSize size, int box);
    // image turned upright as an EXIF orientation (1 to 8) asks.
    static QImage oriented(const QImage &image, int orientation);
    static QImage scaledToFit(const QImage &image, int box);
    // Reads the size first and refuses too large a picture, then decodes at
    // the smallest scale the format offers for box (formats without one come
    // at full size). cutShort: the data ended before the picture did; what
    // was decoded is returned.
    static QImage decodeScaled(QImageReader &reader, int box, QString *error, bool *cutShort = nullptr);
    // The black bars a camera puts above and below (or beside) a thumbnail
    // whose proportions differ from the picture's, cut away. picture: the
    // size of the picture the thumbnail shows, where known.
    static QImage withoutBars(const QImage &image, QSize picture = QSize());
};

#endif // PKPICTUREDECODER_H
