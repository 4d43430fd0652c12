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

struct MemoryImageFreer
{
    void operator()(libraw_processed_image_t *image) const { libraw_dcraw_clear_mem(image); }
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

// A preview LibRaw hands over as pixels rather than as a JPEG.
QImage bitmapImage(const libraw_processed_image_t &memory)
{
    if (memory.bits != 8 || (memory.colors != 3 && memory.colors != 1))
        return {};
    const auto format = memory.colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
    const qsizetype stride = qsizetype(memory.width) * memory.colors;
    if (qsizetype(memory.data_size) < stride * memory.height)
        return {};
    return QImage(memory.data, memory.width, memory.height, stride, format).copy();
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

// A JPEG preview is decoded where LibRaw read it; anything else is first
// made into pixels by LibRaw.
QImage previewImage(libraw_data_t *raw, int box, QString *error, bool *cutShort)
{
    if (raw->thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG)
        return jpegPreview(raw->thumbnail.thumb, raw->thumbnail.tlength, box, error, cutShort);
    int code = LIBRAW_SUCCESS;
    std::unique_ptr<libraw_processed_image_t, MemoryImageFreer> memory(libraw_dcraw_make_mem_thumb(raw, &code));
    if (!memory) {
        *error = rawError(code, false, 0);
        return {};
    }
    // Scaled to the box by the caller, as pictures of every format are.
    const QImage image = bitmapImage(*memory);
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

PkExif PkRawPreview::previewExif(const QString &path, qsizetype head)
{
    std::unique_ptr<libraw_data_t, RawCloser> raw(libraw_init(0));
    if (!raw || libraw_open_file(raw.get(), QFile::encodeName(path).constData()) != LIBRAW_SUCCESS
        || libraw_unpack_thumb(raw.get()) != LIBRAW_SUCCESS || raw->thumbnail.tformat != LIBRAW_THUMBNAIL_JPEG)
        return {};
    const auto length = std::min<qsizetype>(head, raw->thumbnail.tlength);
    PkExif exif = PkExif::fromJpeg(QByteArray(raw->thumbnail.thumb, length));
    exif.orientation = exifOrientation(raw->sizes.flip);
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
    const QImage image = previewImage(raw.get(), box, &preview.error, &preview.cutShort);
    if (!image.isNull())
        preview.image = PkPictureDecoder::oriented(image, exifOrientation(raw->sizes.flip));
    return preview;
}
