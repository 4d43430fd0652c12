// SPDX-License-Identifier: MIT

#ifndef PKEXIF_H
#define PKEXIF_H

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

// What a JPEG's EXIF block says about the picture, read with libexif: how to
// turn it upright, when and with which camera it was taken, and the small
// thumbnail (IFD1) the camera stored beside it. Nothing in the block is
// trusted: libexif bounds every read by the bytes given.
class PkExif
{
public:
    int orientation = 1; // 1 to 8, as EXIF numbers them
    QDateTime taken; // DateTimeOriginal, the camera's local time
    QString subSeconds; // SubSecTimeOriginal, the digits as written
    QString make;
    QString model;
    QString serial; // BodySerialNumber
    QByteArray thumbnail; // a JPEG, or empty
    QSize pictureSize; // of the picture the thumbnail stands for, where it is known

    // bytes: the file's start (the block is within its first 64 KB after
    // the markers before it), or the block itself from "Exif\0\0" on.
    static PkExif fromJpeg(const QByteArray &bytes);
};

#endif // PKEXIF_H
