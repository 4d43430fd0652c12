// SPDX-License-Identifier: MIT

#ifndef PKRAWPREVIEW_H
#define PKRAWPREVIEW_H

#include "pkexif.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <memory>

// The previews a camera embeds in its raw file, read with LibRaw and turned
// upright. Raw data itself is never decoded: a preview is what the camera
// showed, and it comes as fast as a JPEG of the same size. The file stays
// open while the object lives.
class PkRawPreview
{
public:
    struct Decoded
    {
        QImage image; // fits box x box; null when error says why
        QString error;
        QDateTime taken;
        bool cutShort = false; // the preview's data ends early
    };

    explicit PkRawPreview(const QString &path);
    ~PkRawPreview();
    PkRawPreview(const PkRawPreview &) = delete;
    PkRawPreview &operator=(const PkRawPreview &) = delete;

    bool isOpen() const;
    // The XMP packet the file carries in its header, where it has one.
    QByteArray xmp() const;
    // The EXIF block of the file's largest JPEG preview, read from its
    // first head bytes, with orientation taken from the raw file itself.
    // Cameras that embed their whole JPEG keep its small thumbnail there.
    PkExif previewExif(qsizetype head) const;
    // The smallest preview that fills box, else the largest; from a file
    // LibRaw cannot open, the one exiv2 finds (PkExivPreview). bytes: the
    // file's size, which a file neither reads is named by and which bounds
    // what is read of a preview.
    Decoded decode(int box, qint64 bytes);

    // What the raw file says of its capture: time (to the second), make,
    // model and body serial, as LibRaw reads them; nothing is unpacked.
    static PkExif metadata(const QString &path);
    // LibRaw's flip code as the EXIF orientation that undoes it.
    static int exifOrientation(int flip);
    // The most bytes a JPEG preview of size may claim: more than any JPEG
    // of its pixels takes is no preview, and would be read whole.
    static qint64 mostJpegBytes(QSize size);

private:
    struct Raw;
    QString path;
    std::unique_ptr<Raw> raw;
};

#endif // PKRAWPREVIEW_H
