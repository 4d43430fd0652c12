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

    // bytes: the file's size, which a file LibRaw cannot read is named by
    // and which bounds what is read of its preview.
    static PkRawPreview read(const QString &path, int box, qint64 bytes);
    // What the raw file says of its capture: time (to the second), make,
    // model and body serial, as LibRaw reads them; nothing is unpacked.
    static PkExif metadata(const QString &path);
    // The EXIF block of the raw file's JPEG preview, read from its first
    // head bytes, with orientation taken from the raw file itself. Cameras
    // that embed their whole JPEG keep its small thumbnail there.
    static PkExif previewExif(const QString &path, qsizetype head);
    // LibRaw's flip code as the EXIF orientation that undoes it.
    static int exifOrientation(int flip);
};

#endif // PKRAWPREVIEW_H
