// SPDX-License-Identifier: MIT

#ifndef PKEXIFDATE_H
#define PKEXIFDATE_H

#include <QByteArray>
#include <QDateTime>

class QIODevice;

// When a JPEG says it was taken: its EXIF block's DateTimeOriginal (its
// DateTime is when it was last changed, so it is not used). Qt's image readers apply the EXIF orientation but do not
// give the dates, so the block is read here, without trusting any of it.
class PkExifDate
{
public:
    // Reads the JPEG's markers up to its first scan; invalid when it says nothing.
    static QDateTime fromJpeg(QIODevice &device);
    // The same, from the TIFF structure that follows "Exif\0\0".
    static QDateTime fromTiff(const QByteArray &tiff);
};

#endif // PKEXIFDATE_H
