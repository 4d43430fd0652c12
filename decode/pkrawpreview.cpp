// SPDX-License-Identifier: MIT

#include "pkrawpreview.h"
#include "pkpicturedecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <libraw/libraw.h>

#include <algorithm>
#include <memory>

namespace {

struct RawCloser
{
    void operator()(libraw_data_t *raw) const { libraw_close(raw); }
};

// LibRaw says "input/output error" for a file too short for what its
// header claims: the file itself was read before, so a failure here is in
// the data, not in the disk.
QString rawError(int code, bool opening, qint64 bytes)
{
    if (opening && (code == LIBRAW_FILE_UNSUPPORTED || code == LIBRAW_IO_ERROR))
        return PkPictureDecoder::notAPicture(bytes);
    if (code == LIBRAW_NO_THUMBNAIL || code == LIBRAW_UNSUPPORTED_THUMBNAIL || code == LIBRAW_IO_ERROR)
        return QStringLiteral("No preview in this raw file");
    return QString::fromLocal8Bit(libraw_strerror(code));
}

// A preview LibRaw unpacked as 8-bit pixels rather than as a JPEG. Its own
// copy of them (libraw_dcraw_make_mem_thumb) takes every such preview as
// RGB, so a grey one would be lost.
QImage bitmapImage(const libraw_thumbnail_t &thumbnail)
{
    const int colors = thumbnail.tcolors;
    if (colors != 3 && colors != 1)
        return {};
    const auto format = colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
    const qsizetype stride = qsizetype(thumbnail.twidth) * colors;
    if (qsizetype(thumbnail.tlength) < stride * thumbnail.theight)
        return {};
    const auto *pixels = reinterpret_cast<const uchar *>(thumbnail.thumb);
    return QImage(pixels, thumbnail.twidth, thumbnail.theight, stride, format).copy();
}

QImage jpegPreview(const char *data, qsizetype size, int box, QString *error, bool *cutShort)
{
    QByteArray bytes = QByteArray::fromRawData(data, size);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    // Any orientation the JPEG itself carries is ignored: LibRaw's flip code
    // is applied afterwards for every kind of preview, and only that.
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        *error = QStringLiteral("No preview in this raw file");
        return {};
    }
    return PkPictureDecoder::decodeScaled(reader, box, error, cutShort);
}

// LibRaw takes a JPEG preview's length from the file's header and leaves
// the part of it beyond the file's end unwritten: only what the file holds
// is decoded. (A bitmap may have been made larger than its bytes in the
// file, so its length is LibRaw's.)
qint64 previewOffset(libraw_data_t *raw)
{
    auto *owner = static_cast<LibRaw *>(raw->parent_class);
    return owner->get_internal_data_pointer()->internal_data.toffset;
}

qsizetype jpegBytes(libraw_data_t *raw, qint64 fileBytes)
{
    return qsizetype(std::clamp<qint64>(fileBytes - previewOffset(raw), 0, raw->thumbnail.tlength));
}

// A preview is decoded where LibRaw unpacked it.
QImage previewImage(libraw_data_t *raw, qint64 fileBytes, int box, QString *error, bool *cutShort)
{
    if (raw->thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG)
        return jpegPreview(raw->thumbnail.thumb, jpegBytes(raw, fileBytes), box, error, cutShort);
    // Scaled to the box by the caller, as pictures of every format are.
    QImage image;
    if (raw->thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP)
        image = bitmapImage(raw->thumbnail);
    if (image.isNull())
        *error = QStringLiteral("No preview in this raw file");
    return image;
}

} // namespace

int PkRawPreview::exifOrientation(int flip)
{
    static const int orientations[] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 && flip < 8 ? orientations[flip] : 1;
}

PkExif PkRawPreview::metadata(const QString &path)
{
    PkExif exif;
    std::unique_ptr<libraw_data_t, RawCloser> raw(libraw_init(0));
    if (!raw || libraw_open_file(raw.get(), QFile::encodeName(path).constData()) != LIBRAW_SUCCESS)
        return exif;
    if (raw->other.timestamp > 0)
        exif.taken = QDateTime::fromSecsSinceEpoch(raw->other.timestamp);
    exif.make = QString::fromUtf8(raw->idata.make, qstrnlen(raw->idata.make, sizeof raw->idata.make)).trimmed();
    exif.model = QString::fromUtf8(raw->idata.model, qstrnlen(raw->idata.model, sizeof raw->idata.model)).trimmed();
    const char *serial = raw->shootinginfo.BodySerial;
    exif.serial = QString::fromUtf8(serial, qstrnlen(serial, sizeof raw->shootinginfo.BodySerial)).trimmed();
    exif.orientation = exifOrientation(raw->sizes.flip);
    return exif;
}

// Only the preview's start is read, where a JPEG keeps its EXIF block: the
// whole preview (megabytes) is read once, by the decode that follows.
PkExif PkRawPreview::previewExif(const QString &path, qsizetype head)
{
    std::unique_ptr<libraw_data_t, RawCloser> raw(libraw_init(0));
    if (!raw || libraw_open_file(raw.get(), QFile::encodeName(path).constData()) != LIBRAW_SUCCESS)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(previewOffset(raw.get())))
        return {};
    QByteArray start = file.read(std::min<qsizetype>(head, raw->thumbnail.tlength));
    if (start.size() < 2)
        return {};
    // As LibRaw does when it unpacks a JPEG preview: some cameras write
    // other bytes in place of the JPEG's first marker. (Another kind of
    // preview then holds no EXIF block, and none is found.)
    start[0] = '\xff';
    start[1] = '\xd8';
    PkExif exif = PkExif::fromJpeg(start);
    exif.orientation = exifOrientation(raw->sizes.flip);
    // What is shown of a raw file, once decoded, is this preview.
    exif.pictureSize = QSize(raw->thumbnail.twidth, raw->thumbnail.theight);
    return exif;
}

// The preview's size is known once the file is opened: one too large is
// refused before LibRaw reads it.
PkRawPreview PkRawPreview::read(const QString &path, int box, qint64 bytes)
{
    PkRawPreview preview;
    std::unique_ptr<libraw_data_t, RawCloser> raw(libraw_init(0));
    if (!raw) {
        preview.error = QStringLiteral("Out of memory");
        return preview;
    }
    int code = libraw_open_file(raw.get(), QFile::encodeName(path).constData());
    const QSize size(raw->thumbnail.twidth, raw->thumbnail.theight);
    if (code == LIBRAW_SUCCESS && qint64(size.width()) * size.height() > PkPictureDecoder::maxPixels) {
        preview.error = PkPictureDecoder::tooLarge(size);
        return preview;
    }
    const bool opened = code == LIBRAW_SUCCESS;
    if (opened)
        code = libraw_unpack_thumb(raw.get());
    if (code != LIBRAW_SUCCESS) {
        preview.error = rawError(code, !opened, bytes);
        return preview;
    }
    if (raw->other.timestamp > 0)
        preview.taken = QDateTime::fromSecsSinceEpoch(raw->other.timestamp);
    const QImage image = previewImage(raw.get(), bytes, box, &preview.error, &preview.cutShort);
    if (!image.isNull())
        preview.image = PkPictureDecoder::oriented(image, exifOrientation(raw->sizes.flip));
    return preview;
}
