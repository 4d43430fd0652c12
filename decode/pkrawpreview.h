// SPDX-License-Identifier: MIT

#ifndef PKRAWPREVIEW_H
#define PKRAWPREVIEW_H

#include "pkexif.h"

#include <QDateTime>
#include <QImage>
#include <QString>

// The preview a camera embeds in its raw file, read with LibRaw and turned
// upright. Raw data itself is never decoded: the preview is what the camera
// showed, and it comes as fast as a JPEG of the same size.
class PkRawPreview
{
public:
    QImage image; // fits box x box; null when error says why
    QString error;
    QDateTime taken;
    bool cutShort = false; // the preview's data ends early
    // With exifHead, the EXIF block of a JPEG preview, read from its first
    // exifHead bytes, with orientation taken from the raw file itself.
    // Cameras that embed their whole JPEG keep its small thumbnail there.
    PkExif exif;

    // bytes: the file's size, which a file LibRaw cannot read is named by
    // and which bounds what is read of its preview. With exifHead, a
    // preview whose EXIF block holds a thumbnail is not decoded: the
    // thumbnail is shown first, and one opening of the file serves both.
    static PkRawPreview read(const QString &path, int box, qint64 bytes, qsizetype exifHead = 0);
    // What the raw file says of its capture: time (to the second), make,
    // model and body serial, as LibRaw reads them; nothing is unpacked.
    static PkExif metadata(const QString &path);
    // LibRaw's flip code as the EXIF orientation that undoes it.
    static int exifOrientation(int flip);
};

#endif // PKRAWPREVIEW_H
