// SPDX-License-Identifier: MIT

#ifndef PKTESTPICTURES_H
#define PKTESTPICTURES_H

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

// Pictures made at test time: JPEGs carrying an EXIF orientation, and DNG
// files, which are TIFFs holding a JPEG preview beside a small raw image.
namespace PkTestPictures {

// A picture whose four quarters are red, green, blue and white, in reading
// order, so that a turned or mirrored copy shows by its corners' colours.
QImage quarters(int width, int height);
QColor quarterColor(int quarter);

// A JPEG with an EXIF block giving orientation (1 to 8; 0 writes none) and,
// unless empty, taken ("YYYY:MM:DD HH:MM:SS") as its DateTimeOriginal.
QByteArray jpeg(const QImage &image, int orientation, int quality = 90, const QByteArray &taken = {});
// What a camera writes of a shot; empty fields are left out.
struct Shot
{
    QByteArray taken; // "YYYY:MM:DD HH:MM:SS"
    QByteArray subSeconds;
    QByteArray make;
    QByteArray model;
    QByteArray serial;
};

// A DNG whose first IFD is the preview (JPEG bytes of previewSize) with the
// given orientation, and whose SubIFD is a 32 x 32 16-bit CFA raw. With
// samples (1 grey, 3 RGB), the preview is uncompressed 8-bit pixels instead.
// taken, unless empty, is written as the file's DateTime; camera's make,
// model and serial (as CameraSerialNumber) as theirs. medium, unless
// empty, is a second JPEG preview of mediumSize, in IFD1.
QByteArray dng(const QByteArray &previewJpeg, QSize previewSize, int orientation, int samples = 0,
               const QByteArray &taken = {}, const Shot &camera = {}, const QByteArray &medium = {},
               QSize mediumSize = {});

// An ISO base media file of the kind Canon's CR3 is, with no raw image in
// it: CMT1 holding make, model and orientation, CMT2 taken (unless empty),
// a THMB box holding quarters of 20 x 10, and a PRVW box holding preview,
// which claims its own byte count unless claimed is given; both of version
// 0 (JPEG) or 1 (HEIF).
QByteArray cr3(const QByteArray &preview, QSize size, int orientation, int version = 0, const QByteArray &taken = {},
               quint32 claimed = 0);

// A JPEG whose EXIF block holds orientation and, in its IFD1, thumbnail
// (JPEG bytes) as the small picture cameras store beside the large one.
QByteArray jpegWithThumbnail(const QImage &image, int orientation, const QByteArray &thumbnail);
// A TIFF, as most raw files are, whose IFD1 holds thumbnail (JPEG bytes).
QByteArray tiffWithThumbnail(int orientation, const QByteArray &thumbnail);
// A small JPEG whose frame header claims size instead.
QByteArray jpegClaiming(QSize size);
// A JPEG start followed by count empty comment segments, which the JPEG
// library keeps in a list it walks from the start for each new one.
QByteArray markerFlood(int count);

// A JPEG whose EXIF block holds shot.
QByteArray jpegOfShot(const QImage &image, const Shot &shot, int quality = 90);
// encoded (a JPEG without EXIF) with shot's EXIF block put in, and
// thumbnail (JPEG bytes), unless empty, as its IFD1.
QByteArray withShot(const QByteArray &encoded, const Shot &shot, const QByteArray &thumbnail = {});
// A picture of shapes on a gradient, different for each seed.
QImage scene(int seed, int width, int height);

bool write(const QString &path, const QByteArray &bytes);

} // namespace PkTestPictures

#endif // PKTESTPICTURES_H
